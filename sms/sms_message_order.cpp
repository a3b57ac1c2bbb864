#include "sms/sms_message_order.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/file_time.h"
#include "platform/text.h"

std::u16string SmsDateText(const SmsMessageData& message) {
    return ShortDateText(SmsMessageTime(message));
}

std::u16string SmsTimeText(const SmsMessageData& message) {
    return ShortTimeText(SmsMessageTime(message));
}

std::u16string SmsMessageSortKey(const SmsMessageData& message) {
    if (!message.senderAddress.empty())
        return std::u16string(LimitedText(message.senderName, kSmsAddressMax));
    if (!message.recipients.empty())
        return std::u16string(LimitedText(message.recipients.front().name, kSmsAddressMax));
    return {};
}

namespace {

struct SortEntry {
    std::unique_ptr<SmsNode> node;
    std::uint64_t time = 0;
    std::u16string key;
};

}  // namespace

void SortFolderMessages(SmsNode& folder, int sortBy, int sequence) {
    if (sequence != 1 && sequence != 2) return;
    auto messages = static_cast<std::size_t>(CountSmsMessageChildren(folder));
    if (messages < 2) return;
    auto first = folder.children.end() - static_cast<std::ptrdiff_t>(messages);
    // Each key is computed once, not at every comparison.
    std::vector<SortEntry> entries;
    entries.reserve(messages);
    for (auto it = first; it != folder.children.end(); ++it) {
        SortEntry entry;
        if (const SmsMessageData* m = (*it)->message.get()) {
            if (sortBy == 1)
                entry.time = FileTimeToUint64(SmsMessageTime(*m));
            else
                entry.key = SmsMessageSortKey(*m);
        }
        entry.node = std::move(*it);
        entries.push_back(std::move(entry));
    }
    bool ascending = sequence == 1;
    auto before = [&](const SortEntry& a, const SortEntry& b) {
        if (sortBy == 1) return ascending ? a.time < b.time : a.time > b.time;
        return ascending ? a.key < b.key : a.key > b.key;
    };
    std::stable_sort(entries.begin(), entries.end(), before);
    for (SortEntry& entry : entries)
        *first++ = std::move(entry.node);
}
