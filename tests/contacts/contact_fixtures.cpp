#include "contact_fixtures.h"

#include "platform/text.h"
#include "test_support.h"

ContactList EveryFieldList() {
    ContactList list;
    InitContactList(list);
    AddSimContact(list, u"\u00c5sa \u00d6berg", u"+46 70 555 01 00");
    AddSimContact(list, u"", u"112");
    AddSimContact(list, u"No number", u"");

    std::array<std::u16string, kContactFieldCount> texts;
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        std::u16string_view name = kContactProperties[i].field;
        texts[i] = (i < 9 ? u"0" : u"") + DecimalText(static_cast<int>(i) + 1) + u" ";
        for (char16_t c : name)
            texts[i] += ToLowerChar(c);
    }
    texts[ContactFieldIndex(u"FirstName")] = u"Zo\u00eb";
    texts[ContactFieldIndex(u"LastName")] = u"\u4e2d\u6751 \U0001F600";
    texts[ContactFieldIndex(u"Categories")] = u"Work, \"VIP\"";
    PhoneContactTexts views;
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        views[i] = texts[i];
    AddPhoneContact(list, views);
    AddRecord(list, PhoneRecord({{u"Title", u"Ms"}}));
    return list;
}

PhoneContactRecord PhoneRecord(
    std::initializer_list<std::pair<std::u16string_view, std::u16string_view>> fields) {
    PhoneContactRecord record;
    for (const auto& [name, value] : fields)
        record.*kPhoneContactFields.at(ContactFieldIndex(name)) = value;
    return record;
}

void AddRecord(ContactList& list, const PhoneContactRecord& record) {
    AddPhoneContact(list, TextsOf(record));
}

std::string BackupBytes(const std::string& utf8) {
    return "\xFF\xFE" + Utf16LeBytes(utf8);
}

std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

void PrintTo(const SimContactRecord& record, std::ostream* os) {
    *os << "SIM{" << Utf16ToUtf8(record.name) << " | " << Utf16ToUtf8(record.phoneNumber) << "}";
}

void PrintTo(const PhoneContactRecord& record, std::ostream* os) {
    *os << "Phone{";
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        const std::u16string& value = record.*kPhoneContactFields[i];
        if (!value.empty()) {
            *os << Utf16ToUtf8(kContactProperties[i].field) << "=" << Utf16ToUtf8(value) << "; ";
        }
    }
    *os << "}";
}
