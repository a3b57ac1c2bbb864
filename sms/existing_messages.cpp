#include "sms/existing_messages.h"

#include <functional>
#include <string_view>
#include <vector>

std::size_t SmsMessageKeyHash::operator()(const SmsMessageKey& key) const {
    std::size_t h = std::hash<std::u16string_view>{}(key.text);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
    mix(std::hash<std::u16string_view>{}(key.address));
    mix(std::hash<std::uint64_t>{}(key.time));
    mix(key.unsent ? 1 : 0);
    return h;
}

SmsMessageKey SmsMessageKeyOf(const SmsMessageData& message) {
    SmsMessageKey key;
    key.text = message.text;
    if (!message.senderAddress.empty())
        key.address = message.senderAddress;
    else if (!message.recipients.empty())
        key.address = message.recipients.front().address;
    key.time = FileTimeToUint64(SmsMessageTime(message));
    key.unsent = (message.flags & kSmsUnsentFlag) != 0;
    return key;
}

int ReadFolderMessageKeys(SmsStoreConnection& connection, IMAPIFolder& folder,
                          SmsMessageKeySet& keys) {
    MapiPtr<IMAPITable> table;
    std::vector<EntryId> ids;
    if (FAILED(folder.GetContentsTable(0, table)) || !table || !ListEntryIds(*table, ids))
        return -2;
    keys.reserve(keys.size() + ids.size());
    for (const EntryId& id : ids) {
        SmsMessageData data;
        if (ReadSmsStoreMessage(connection, id, data) != 0) return -2;
        keys.insert(SmsMessageKeyOf(data));
    }
    return 0;
}
