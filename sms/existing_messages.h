#pragma once
// What a restore that skips existing messages compares: a message is already in a folder when
// the folder holds one with the same text, sender address (or first recipient address), the
// time the restore writes (delivery, or last change for an unsent message) and unsent flag.

#include <cstdint>
#include <string>
#include <unordered_set>

#include "sms/message_store_reader.h"
#include "sms/sms_tree.h"

struct SmsMessageKey {
    std::u16string text;
    std::u16string address;
    std::uint64_t time = 0;
    bool unsent = false;

    bool operator==(const SmsMessageKey&) const = default;
};

struct SmsMessageKeyHash {
    std::size_t operator()(const SmsMessageKey& key) const;
};

using SmsMessageKeySet = std::unordered_set<SmsMessageKey, SmsMessageKeyHash>;

SmsMessageKey SmsMessageKeyOf(const SmsMessageData& message);

// Adds the key of every message in the folder, each read once: 0, or -2 when the folder's
// contents or one of its messages cannot be read.
int ReadFolderMessageKeys(SmsStoreConnection& connection, IMAPIFolder& folder,
                          SmsMessageKeySet& keys);
