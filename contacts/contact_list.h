#pragma once
// The in-memory form of a set of contacts on its way between a store and a file: two independent
// ordered lists, one of SIM phonebook entries and one of phone contacts.
//
// A text field is either present (at least one character) or absent, held as an empty string:
// a record never holds an empty string, so "empty" and "absent" are the same test everywhere.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/contact_properties.h"

struct SimContactRecord {
    std::u16string name;
    std::u16string phoneNumber;

    bool operator==(const SimContactRecord&) const = default;
};

// The 43 members are in the field order of kContactProperties, which names them.
struct PhoneContactRecord {
    std::u16string title;
    std::u16string firstName;
    std::u16string middleName;
    std::u16string lastName;
    std::u16string suffix;
    std::u16string companyName;
    std::u16string department;
    std::u16string jobTitle;
    std::u16string officeLocation;
    std::u16string mobileTelephoneNumber;
    std::u16string workTelephoneNumber;
    std::u16string homeTelephoneNumber;
    std::u16string carTelephoneNumber;
    std::u16string work2TelephoneNumber;
    std::u16string home2TelephoneNumber;
    std::u16string pagerNumber;
    std::u16string radioTelephoneNumber;
    std::u16string assistantName;
    std::u16string assistantTelephoneNumber;
    std::u16string workFaxNumber;
    std::u16string homeFaxNumber;
    std::u16string email1Address;
    std::u16string email2Address;
    std::u16string email3Address;
    std::u16string webPage;
    std::u16string spouse;
    std::u16string children;
    std::u16string homeAddressStreet;
    std::u16string homeAddressCity;
    std::u16string homeAddressState;
    std::u16string homeAddressPostalCode;
    std::u16string homeAddressCountry;
    std::u16string otherAddressStreet;
    std::u16string otherAddressCity;
    std::u16string otherAddressState;
    std::u16string otherAddressPostalCode;
    std::u16string otherAddressCountry;
    std::u16string workAddressStreet;
    std::u16string workAddressCity;
    std::u16string workAddressState;
    std::u16string workAddressPostalCode;
    std::u16string workAddressCountry;
    std::u16string categories;

    // Equal in all 43 fields: each absent in both or present with the same text.
    bool operator==(const PhoneContactRecord&) const = default;
};

using PhoneContactField = std::u16string PhoneContactRecord::*;

// The members in field order: kPhoneContactFields[i] holds the field named
// kContactProperties[i].field. Every walk over the fields goes through this table.
// clang-format off
constexpr std::array<PhoneContactField, kContactFieldCount> kPhoneContactFields = {
    &PhoneContactRecord::title, &PhoneContactRecord::firstName, &PhoneContactRecord::middleName,
    &PhoneContactRecord::lastName, &PhoneContactRecord::suffix, &PhoneContactRecord::companyName,
    &PhoneContactRecord::department, &PhoneContactRecord::jobTitle,
    &PhoneContactRecord::officeLocation, &PhoneContactRecord::mobileTelephoneNumber,
    &PhoneContactRecord::workTelephoneNumber, &PhoneContactRecord::homeTelephoneNumber,
    &PhoneContactRecord::carTelephoneNumber, &PhoneContactRecord::work2TelephoneNumber,
    &PhoneContactRecord::home2TelephoneNumber, &PhoneContactRecord::pagerNumber,
    &PhoneContactRecord::radioTelephoneNumber, &PhoneContactRecord::assistantName,
    &PhoneContactRecord::assistantTelephoneNumber, &PhoneContactRecord::workFaxNumber,
    &PhoneContactRecord::homeFaxNumber, &PhoneContactRecord::email1Address,
    &PhoneContactRecord::email2Address, &PhoneContactRecord::email3Address,
    &PhoneContactRecord::webPage, &PhoneContactRecord::spouse, &PhoneContactRecord::children,
    &PhoneContactRecord::homeAddressStreet, &PhoneContactRecord::homeAddressCity,
    &PhoneContactRecord::homeAddressState, &PhoneContactRecord::homeAddressPostalCode,
    &PhoneContactRecord::homeAddressCountry, &PhoneContactRecord::otherAddressStreet,
    &PhoneContactRecord::otherAddressCity, &PhoneContactRecord::otherAddressState,
    &PhoneContactRecord::otherAddressPostalCode, &PhoneContactRecord::otherAddressCountry,
    &PhoneContactRecord::workAddressStreet, &PhoneContactRecord::workAddressCity,
    &PhoneContactRecord::workAddressState, &PhoneContactRecord::workAddressPostalCode,
    &PhoneContactRecord::workAddressCountry, &PhoneContactRecord::categories,
};
// clang-format on

// The 43 texts of one phone contact in field order, as AddPhoneContact takes them. A reader that
// holds its texts elsewhere (a database row, a loaded file) passes views of them, without copies.
using PhoneContactTexts = std::array<std::u16string_view, kContactFieldCount>;

// The record's fields as views, for copying a record into another list.
PhoneContactTexts TextsOf(const PhoneContactRecord& record);

// Records are kept in the order they were appended; positions are 1-based.
struct ContactList {
    std::vector<SimContactRecord> sim;
    std::vector<PhoneContactRecord> phone;
};

// For a reader of a large file, before it adds a phone contact: when the list is full, makes room
// for as many records as the whole file is likely to hold, judged by the share of it read so far
// (0 to 1), so that earlier records are not moved again at every growth. Room never filled is
// never touched, so it costs address space, not memory.
void ReservePhoneContactsAhead(ContactList& list, double shareRead);

// Results of AddSimContact and AddPhoneContact. On any failure the list is unchanged.
constexpr std::int32_t kContactAdded = 0;
// An argument is absent. A view is absent when it views nothing at all (a default-constructed
// std::u16string_view); a caller without a field passes an empty text, u"", instead.
constexpr std::int32_t kContactArgumentAbsent = -1;
constexpr std::int32_t kContactRecordNoMemory = -2;
constexpr std::int32_t kContactFieldNoMemory = -100;

// Empties both lists. Called once before first use.
void InitContactList(ContactList& list);

// Appends copies of the texts; an empty text becomes an absent field.
std::int32_t AddSimContact(ContactList& list, std::u16string_view name,
                           std::u16string_view phoneNumber);
std::int32_t AddPhoneContact(ContactList& list, const PhoneContactTexts& texts);

std::int32_t SimContactCount(const ContactList& list);
std::int32_t PhoneContactCount(const ContactList& list);

// The record at a 1-based position, or null when the position is below 1 or above the count.
// The record stays valid until the next append to or clear of the same list.
const SimContactRecord* SimContactAt(const ContactList& list, std::int32_t position);
const PhoneContactRecord* PhoneContactAt(const ContactList& list, std::int32_t position);

void ClearSimContacts(ContactList& list);
void ClearPhoneContacts(ContactList& list);
void ClearContactList(ContactList& list);
