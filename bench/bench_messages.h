#pragma once
// The message the store benchmarks fill a phone with, i-th of its folder: every third one sent to
// a contact, the rest received from one, so the reads meet both shapes.

#include <cstdint>
#include <string>

#include "platform/phone/phone_editor.h"
#include "platform/text.h"

inline PhoneMessageSpec BenchMessage(int i) {
    PhoneMessageSpec m;
    m.subject = U16("Message " + std::to_string(i) + ", see you at six tonight.");
    if (i % 3 == 0) {
        m.to.push_back({u"Contact " + DecimalText(i % 500), u"+4412345" + DecimalText(i)});
    } else {
        m.senderName = u"Contact " + DecimalText(i % 500);
        m.senderAddress = u"+4412345" + DecimalText(i);
    }
    m.delivered = FileTimeFromUint64(134000000000000000ull + static_cast<std::uint64_t>(i));
    m.size = 40;
    m.flags = 1;
    return m;
}
