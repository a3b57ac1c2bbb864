#pragma once
// Turning SIM entries into phone contacts for the copy to the phone.

#include <cstdint>

#include "contacts/contact_list.h"

// Appends one phone record per SIM record that has a number, in SIM order: first name the
// entry's whole name (or "SIM<n>" for the n-th SIM record when nameless), mobile number, and
// category "SIM". Always 0.
std::int32_t ConvertSimToPhoneContacts(ContactList& list);
