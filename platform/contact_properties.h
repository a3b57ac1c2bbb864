#pragma once
// The contact database's 43 string properties, in the field order of a contact record. This one
// table gives the backup field name, the database's own property name (which also names its
// column) and the object model's getter slot; the setter is always 50 slots further.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

struct ContactProperty {
    std::u16string_view field;
    std::u16string_view property;
    int getterSlot;
    constexpr int SetterSlot() const { return getterSlot + 50; }
};

constexpr std::size_t kContactFieldCount = 43;

// clang-format off
constexpr std::array<ContactProperty, kContactFieldCount> kContactProperties = {{
    {u"Title", u"Title", 31},
    {u"FirstName", u"FirstName", 32},
    {u"MiddleName", u"MiddleName", 33},
    {u"LastName", u"LastName", 34},
    {u"Suffix", u"Suffix", 35},
    {u"CompanyName", u"CompanyName", 10},
    {u"Department", u"Department", 11},
    {u"JobTitle", u"JobTitle", 17},
    {u"OfficeLocation", u"OfficeLocation", 14},
    {u"MobileTelephoneNumber", u"MobileTelephoneNumber", 13},
    {u"WorkTelephoneNumber", u"BusinessTelephoneNumber", 16},
    {u"HomeTelephoneNumber", u"HomeTelephoneNumber", 18},
    {u"CarTelephoneNumber", u"CarTelephoneNumber", 24},
    {u"Work2TelephoneNumber", u"Business2TelephoneNumber", 30},
    {u"Home2TelephoneNumber", u"Home2TelephoneNumber", 22},
    {u"PagerNumber", u"PagerNumber", 15},
    {u"RadioTelephoneNumber", u"RadioTelephoneNumber", 51},
    {u"AssistantName", u"AssistantName", 25},
    {u"AssistantTelephoneNumber", u"AssistantTelephoneNumber", 26},
    {u"WorkFaxNumber", u"BusinessFaxNumber", 9},
    {u"HomeFaxNumber", u"HomeFaxNumber", 23},
    {u"Email1Address", u"Email1Address", 12},
    {u"Email2Address", u"Email2Address", 19},
    {u"Email3Address", u"Email3Address", 21},
    {u"WebPage", u"WebPage", 29},
    {u"Spouse", u"Spouse", 20},
    {u"Children", u"Children", 27},
    {u"HomeAddressStreet", u"HomeAddressStreet", 36},
    {u"HomeAddressCity", u"HomeAddressCity", 37},
    {u"HomeAddressState", u"HomeAddressState", 38},
    {u"HomeAddressPostalCode", u"HomeAddressPostalCode", 39},
    {u"HomeAddressCountry", u"HomeAddressCountry", 40},
    {u"OtherAddressStreet", u"OtherAddressStreet", 41},
    {u"OtherAddressCity", u"OtherAddressCity", 42},
    {u"OtherAddressState", u"OtherAddressState", 43},
    {u"OtherAddressPostalCode", u"OtherAddressPostalCode", 44},
    {u"OtherAddressCountry", u"OtherAddressCountry", 45},
    {u"WorkAddressStreet", u"BusinessAddressStreet", 46},
    {u"WorkAddressCity", u"BusinessAddressCity", 47},
    {u"WorkAddressState", u"BusinessAddressState", 48},
    {u"WorkAddressPostalCode", u"BusinessAddressPostalCode", 49},
    {u"WorkAddressCountry", u"BusinessAddressCountry", 50},
    {u"Categories", u"Categories", 28},
}};
// clang-format on

// The position of a backup field name (letter case ignored), or -1.
int ContactFieldIndex(std::u16string_view field);

// The contact table's columns in field order, "Title, FirstName, ...", each name followed by
// suffix (" TEXT" for the schema, " = ?" for an update).
std::string ContactColumnList(std::string_view suffix = {});
// Adds a contact: the 43 columns bound as parameters 1 to 43 in field order.
const std::string& ContactInsertSql();
