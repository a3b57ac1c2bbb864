#pragma once
// Contact lists and file bytes shared by the contact file tests.

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "contacts/contact_list.h"

// The list stored in tests/data/contacts/every_field_backup.txt and every_field.csv: three SIM
// records (one without a name, one without a number), a phone record with all 43 fields and one
// with only a title.
ContactList EveryFieldList();

// A phone record with the named fields (backup field names) set and all others absent.
PhoneContactRecord PhoneRecord(
    std::initializer_list<std::pair<std::u16string_view, std::u16string_view>> fields);
void AddRecord(ContactList& list, const PhoneContactRecord& record);

// A backup file's bytes: the mark FF FE, then the text as UTF-16LE.
std::string BackupBytes(const std::string& utf8);
// The text of UTF-16LE bytes.
std::u16string DecodeUtf16Le(std::string_view bytes);

void PrintTo(const SimContactRecord& record, std::ostream* os);
void PrintTo(const PhoneContactRecord& record, std::ostream* os);
