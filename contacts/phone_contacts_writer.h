#pragma once
// Adds the phone records of a list to the contact database, leaving out every record the
// database already holds with all 43 fields equal. Nothing stored is changed or deleted.

#include <cstdint>

#include "contacts/contact_list.h"
#include "contacts/phone_contact_store.h"
#include "platform/progress_bar.h"

constexpr std::int32_t kPhoneWriteDone = 0;
constexpr std::int32_t kPhoneWriteNoList = -1;
constexpr std::int32_t kPhoneWriteReadFailed = -2;
constexpr std::int32_t kPhoneWriteFilterFailed = -3;
constexpr std::int32_t kPhoneWriteSomeFailed = -4;

// failed counts the records whose creation or saving failed. Records with none of first
// name, last name and company are not written and are no failure.
std::int32_t WritePhoneContacts(const PhoneContactStore& store, const ContactList* source,
                                std::int32_t& failed, ProgressBar* bar);

// Appends to out the source's phone records that equal no existing record. The source's own
// duplicates stay. 0; -1 without out or existing; an AddPhoneContact failure code.
std::int32_t ExcludeExistingPhoneContacts(const ContactList& source, ContactList* out,
                                          const ContactList* existing);
