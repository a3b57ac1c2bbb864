#pragma once
// The phones the store benchmarks read: folders below the top one, filled with one message
// shape (every third one sent to a contact, the rest received from one, so the reads meet both).

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_baselines.h"
#include "platform/phone/phone_db.h"
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

// A new phone at path with each named folder holding its count of messages, in one transaction.
inline bool FillBenchPhone(const std::string& path,
                           const std::vector<std::pair<std::u16string, int>>& folders) {
    bench::RemovePhoneFile(path);
    std::string error;
    if (!CreatePhoneFile(path, SimSetup{}, false, false, error)) return false;
    auto db = OpenPhoneDb(path, error);
    if (!db) return false;
    Transaction tx(*db);
    auto top = SmsTopFolder(*db, error);
    if (!top) return false;
    for (const auto& [name, count] : folders) {
        auto folder = AddFolderPath(*db, *top, {name}, error);
        if (!folder) return false;
        for (int i = 0; i < count; ++i) {
            if (!AddMessage(*db, *folder, BenchMessage(i), error)) return false;
        }
    }
    return tx.Commit();
}
