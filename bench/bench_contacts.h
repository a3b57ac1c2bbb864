#pragma once
// The contact list the file benchmarks write and read: every field of every contact holds 20
// characters, so each format carries all 43 fields.

#include <string>
#include <vector>

#include "contacts/contact_list.h"
#include "platform/text.h"

inline ContactList FullContactList(int contacts) {
    ContactList list;
    InitContactList(list);
    std::vector<std::u16string> texts(kContactFieldCount);
    PhoneContactTexts views;
    for (int c = 0; c < contacts; ++c) {
        for (std::size_t f = 0; f < kContactFieldCount; ++f) {
            std::u16string text = DecimalText(c) + u" " + DecimalText(f) + u" ";
            text.resize(20, u'a' + static_cast<char16_t>(f % 26));
            texts[f] = std::move(text);
            views[f] = texts[f];
        }
        AddPhoneContact(list, views);
    }
    return list;
}
