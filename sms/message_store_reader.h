#pragma once
// Reading the phone's SMS out of the message store into a new tree, and the store connection
// that the store writer shares.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/result_code.h"
#include "platform/message_store.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

// Both null until opened; closed (store first, then session) when it goes out of scope.
struct SmsStoreConnection {
    SmsStoreConnection() = default;
    ~SmsStoreConnection();
    SmsStoreConnection(const SmsStoreConnection&) = delete;
    SmsStoreConnection& operator=(const SmsStoreConnection&) = delete;

    MapiPtr<IMAPISession> session;
    MapiPtr<IMsgStore> store;
};

// "sms", "Text Messages" or "txt", letter case ignored, the whole name.
bool IsSmsStoreName(std::u16string_view name);

// Logs on and opens the first store with an SMS store name; on failure nothing stays open.
bool OpenSmsStore(SmsStoreConnection& connection);
// Logs off, which commits what the session wrote: false when that commit failed.
bool CloseSmsStore(SmsStoreConnection& connection);

// The store's top folder: 0, or -2.
int OpenSmsTopFolder(SmsStoreConnection& connection, MapiPtr<IMAPIFolder>& folder);

// Reads the folders and messages below the top folder into a new root that replaces the tree's
// only when everything was read: 0, or -2 with the tree as it was. The bar gets a range of 1000,
// one step per node and ends at 1000.
int ReadSmsStoreTree(SmsStoreConnection& connection, SmsTree& tree, ProgressBar* bar);
// The bar's range of a read from or a write to the store.
constexpr std::uint32_t kSmsProgressRange = 1000;
// The read itself, into root (a new folder node), stepping bar once per node: 0 or -2.
// folderRead (if given) is called as each folder's children are all in; folders finish depth
// first, in the order the tree lists them, which lets a writer follow the read folder by folder.
int ReadSmsStoreFolders(SmsStoreConnection& connection, SmsNode& root, ProgressBar* bar,
                        const std::function<void()>& folderRead);

// Every PR_ENTRYID of a folder table, in table order. Only setting the columns can fail; a
// failing fetch ends the list as an empty batch does.
bool ListEntryIds(IMAPITable& table, std::vector<EntryId>& ids);

// One message's fields; only a message that cannot be opened fails (-2). Missing properties
// leave their fields empty.
int ReadSmsStoreMessage(SmsStoreConnection& connection, const EntryId& id, SmsMessageData& data);
