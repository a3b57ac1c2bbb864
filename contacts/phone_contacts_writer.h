#pragma once
// Adds the phone records of a list to the contact database, leaving out every record the
// database already holds with all 43 fields equal. Nothing stored is changed or deleted.

#include <cstdint>
#include <vector>

#include "contacts/contact_list.h"
#include "contacts/phone_contact_store.h"
#include "core/operation_summary.h"
#include "platform/progress_bar.h"

constexpr std::int32_t kPhoneWriteDone = 0;
constexpr std::int32_t kPhoneWriteNoList = -1;
constexpr std::int32_t kPhoneWriteReadFailed = -2;
constexpr std::int32_t kPhoneWriteFilterFailed = -3;
constexpr std::int32_t kPhoneWriteSomeFailed = -4;

// failed counts the records whose creation or saving failed. Records with none of first
// name, last name and company are not written and are no failure. counts, when given, gets
// added, present, refused and left out (its read is the caller's).
std::int32_t WritePhoneContacts(const PhoneContactStore& store, const ContactList* source,
                                std::int32_t& failed, ProgressBar* bar,
                                StoreRestoreCounts* counts = nullptr);

// The positions (from 0, ascending) of the source's phone records that equal no existing record.
// The source's own duplicates stay. 0; -1 without existing; kContactRecordNoMemory.
std::int32_t FreshPhoneContactIndices(const ContactList& source, const ContactList* existing,
                                      std::vector<std::size_t>& fresh);

// The same against the store's contacts, read one at a time and matched against the source, so
// they are never held together. 0; kPhoneWriteReadFailed; kPhoneWriteFilterFailed.
std::int32_t FreshPhoneContactIndices(const ContactList& source, const PhoneContactStore& store,
                                      std::vector<std::size_t>& fresh);

// Appends to out the source's phone records that equal no existing record. The source's own
// duplicates stay. 0; -1 without out or existing; an AddPhoneContact failure code.
std::int32_t ExcludeExistingPhoneContacts(const ContactList& source, ContactList* out,
                                          const ContactList* existing);
