#include "sms/message_store_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <new>
#include <vector>

#include "platform/little_endian.h"
#include "platform/text.h"
#include "sms/sms_operations.h"

namespace {

constexpr LONG kTableBatch = 10;
// What one read of a body stream takes: 500 characters.
constexpr ULONG kBodyStreamBytes = 1000;

// Appends text up to its first NUL, at most room units.
void AppendLimited(std::u16string& field, std::u16string_view text, std::size_t room) {
    field.append(LimitedText(text, room));
}

std::size_t RoomLeft(const std::u16string& text) {
    return text.size() < kSmsTextMax ? kSmsTextMax - text.size() : 0;
}

}  // namespace

bool ListEntryIds(IMAPITable& table, std::vector<EntryId>& ids) {
    if (FAILED(table.SetColumns({PR_ENTRYID}, 0))) return false;
    SRowSet rows;
    while (SUCCEEDED(table.QueryRows(kTableBatch, 0, rows)) && !rows.empty()) {
        for (SRow& row : rows) {
            // A row without its identifier keeps its place and fails when it is opened.
            if (!row.lpProps.empty() && row.lpProps[0].ulPropTag == PR_ENTRYID) {
                ids.push_back(std::move(row.lpProps[0].bin));
            } else {
                ids.emplace_back();
            }
        }
    }
    return true;
}

namespace {

struct FolderListing {
    std::u16string name;
    std::vector<EntryId> subfolders;
    std::vector<EntryId> messages;
};

int ReadFolderListing(SmsStoreConnection& connection, const EntryId& id, FolderListing& listing) {
    MapiEntry entry;
    if (FAILED(connection.store->OpenEntry(id, nullptr, 0, entry)) || !entry.folder) return -2;
    IMAPIFolder& folder = *entry.folder;
    std::vector<SPropValue> values;
    if (FAILED(folder.GetProps({PR_DISPLAY_NAME_W}, 0, values)) || values.empty() ||
        values[0].ulPropTag != PR_DISPLAY_NAME_W)
        return -2;
    listing.name = std::move(values[0].lpszW);
    MapiPtr<IMAPITable> table;
    if (FAILED(folder.GetHierarchyTable(0, table)) || !table ||
        !ListEntryIds(*table, listing.subfolders))
        return -2;
    table.reset();
    if (FAILED(folder.GetContentsTable(0, table)) || !table ||
        !ListEntryIds(*table, listing.messages))
        return -2;
    return 0;
}

// The first recipient row of a message that has no sender address. A table that cannot be
// had or read leaves the message without recipients; an empty table still gives one empty
// recipient, which the exports show as such (the store writer never writes it back as a row).
void ReadFirstRecipient(IMessage& message, SmsMessageData& data) {
    MapiPtr<IMAPITable> table;
    if (FAILED(message.GetRecipientTable(0, table)) || !table) return;
    SRowSet rows;
    if (FAILED(table->QueryRows(1, 0, rows))) return;
    SmsRecipient recipient;
    if (!rows.empty()) {
        for (SPropValue& value : rows[0].lpProps) {
            if (value.ulPropTag == PR_DISPLAY_NAME_W)
                TakeLimited(recipient.name, std::move(value.lpszW), kSmsAddressMax);
            else if (value.ulPropTag == PR_EMAIL_ADDRESS_W)
                TakeLimited(recipient.address, std::move(value.lpszW), kSmsAddressMax);
        }
    }
    data.recipients.push_back(std::move(recipient));
}

void AppendBodyStream(IMessage& message, std::u16string& text) {
    MapiPtr<IStream> stream;
    if (FAILED(message.OpenProperty(PR_BODY_W, IID_IStream, 0, MAPI_MODIFY, stream)) || !stream)
        return;
    std::array<unsigned char, kBodyStreamBytes> bytes{};
    ULONG read = 0;
    if (FAILED(stream->Read(bytes.data(), kBodyStreamBytes, &read)) || read == 0) return;
    std::u16string units(read / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(DecodeFixed16(bytes.data() + 2 * i));
    AppendLimited(text, units, RoomLeft(text));
}

int ReadFolders(SmsStoreConnection& connection, const EntryId& topId, SmsNode& root,
                ProgressBar* bar, const std::function<void()>& folderRead) {
    struct Pending {
        SmsNode* node;
        EntryId id;
    };
    // No recursion: the store may nest folders deeper than the stack would like.
    std::vector<Pending> pending;
    pending.push_back({&root, topId});
    while (!pending.empty()) {
        Pending current = std::move(pending.back());
        pending.pop_back();
        StepProgress(bar);
        FolderListing listing;
        if (ReadFolderListing(connection, current.id, listing) != 0) return -2;
        SmsNode& folder = *current.node;
        SetSmsNodeName(folder, listing.name);
        std::size_t total = listing.subfolders.size() + listing.messages.size();
        if (total > std::numeric_limits<std::uint32_t>::max()) return -2;
        if (ReserveSmsChildren(folder, static_cast<std::uint32_t>(total)) != 0) return -2;

        std::size_t firstPending = pending.size();
        for (EntryId& id : listing.subfolders) {
            auto child = CreateSmsNode(kSmsFolderKind);
            SmsNode* raw = child.get();
            if (AppendSmsChild(folder, std::move(child)) != 0) return -2;
            pending.push_back({raw, std::move(id)});
        }
        // Taken from the back, so the first subfolder is read first.
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstPending), pending.end());

        for (const EntryId& id : listing.messages) {
            StepProgress(bar);
            auto data = std::make_unique<SmsMessageData>();
            if (ReadSmsStoreMessage(connection, id, *data) != 0) return -2;
            auto child = CreateSmsNode(kSmsMessageKind);
            if (AttachSmsMessage(*child, std::move(data)) != 0) return -2;
            if (AppendSmsChild(folder, std::move(child)) != 0) return -2;
        }
        if (folderRead) folderRead();
    }
    return 0;
}

}  // namespace

SmsStoreConnection::~SmsStoreConnection() {
    CloseSmsStore(*this);
}

bool IsSmsStoreName(std::u16string_view name) {
    return EqualsIgnoreCase(name, u"sms") || EqualsIgnoreCase(name, u"Text Messages") ||
           EqualsIgnoreCase(name, u"txt");
}

bool OpenSmsStore(SmsStoreConnection& connection) {
    CloseSmsStore(connection);
    bool opened = false;
    if (SUCCEEDED(MAPILogonEx(0, nullptr, nullptr, 0, connection.session)) && connection.session) {
        MapiPtr<IMAPITable> stores;
        if (SUCCEEDED(connection.session->GetMsgStoresTable(MAPI_UNICODE, stores)) && stores &&
            SUCCEEDED(stores->SetColumns({PR_DISPLAY_NAME_W, PR_ENTRYID}, 0))) {
            SRowSet rows;
            while (SUCCEEDED(stores->QueryRows(1, 0, rows)) && rows.size() == 1) {
                const auto& props = rows[0].lpProps;
                if (props.size() >= 2 && props[0].ulPropTag == PR_DISPLAY_NAME_W &&
                    IsSmsStoreName(props[0].lpszW)) {
                    opened = SUCCEEDED(connection.session->OpenMsgStore(0, props[1].bin, nullptr, 0,
                                                                        connection.store)) &&
                             connection.store;
                    break;
                }
            }
        }
    }
    if (!opened) CloseSmsStore(connection);
    return opened;
}

bool CloseSmsStore(SmsStoreConnection& connection) {
    connection.store.reset();
    const bool committed = !connection.session || SUCCEEDED(connection.session->Logoff(0, 0, 0));
    connection.session.reset();
    return committed;
}

int OpenSmsTopFolder(SmsStoreConnection& connection, MapiPtr<IMAPIFolder>& folder) {
    folder.reset();
    if (!connection.store) return -2;
    std::vector<SPropValue> values;
    if (FAILED(connection.store->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, values)) || values.empty() ||
        values[0].ulPropTag != PR_IPM_SUBTREE_ENTRYID)
        return -2;
    MapiEntry entry;
    if (FAILED(connection.store->OpenEntry(values[0].bin, nullptr, 0, entry)) || !entry.folder)
        return -2;
    folder = std::move(entry.folder);
    return 0;
}

int ReadSmsStoreMessage(SmsStoreConnection& connection, const EntryId& id, SmsMessageData& data) {
    if (!connection.store) return -2;
    MapiEntry entry;
    if (FAILED(connection.store->OpenEntry(id, nullptr, 0, entry)) || !entry.message) return -2;
    IMessage& message = *entry.message;
    // One call for all of them: each value still counts only when it carries its own tag.
    static const SPropTagArray kTags = {PR_SUBJECT_W,
                                        PR_BODY_W,
                                        PR_SENDER_EMAIL_ADDRESS_W,
                                        PR_SENDER_NAME_W,
                                        PR_MESSAGE_DELIVERY_TIME,
                                        PR_LAST_MODIFICATION_TIME,
                                        PR_MESSAGE_SIZE,
                                        PR_MESSAGE_FLAGS};
    std::vector<SPropValue> values;
    HRESULT hr = message.GetProps(kTags, 0, values);
    auto value = [&](std::size_t i) -> SPropValue* {
        return SUCCEEDED(hr) && i < values.size() && values[i].ulPropTag == kTags[i] ? &values[i]
                                                                                     : nullptr;
    };
    if (auto* v = value(0)) TakeLimited(data.text, std::move(v->lpszW), kSmsTextMax);
    if (auto* v = value(1)) {
        AppendLimited(data.text, v->lpszW, RoomLeft(data.text));
    } else {
        AppendBodyStream(message, data.text);
    }
    if (auto* v = value(2)) TakeLimited(data.senderAddress, std::move(v->lpszW), kSmsAddressMax);
    if (auto* v = value(3)) TakeLimited(data.senderName, std::move(v->lpszW), kSmsAddressMax);
    if (auto* v = value(4)) data.deliveryTime = v->ft;
    if (auto* v = value(5)) data.lastModificationTime = v->ft;
    if (auto* v = value(6)) data.size = static_cast<std::uint32_t>(v->l);
    if (auto* v = value(7)) data.flags = static_cast<std::uint32_t>(v->l);
    if (value(2) == nullptr) ReadFirstRecipient(message, data);
    return 0;
}

int ReadSmsStoreFolders(SmsStoreConnection& connection, SmsNode& root, ProgressBar* bar,
                        const std::function<void()>& folderRead) {
    try {
        std::vector<SPropValue> values;
        if (!connection.store ||
            FAILED(connection.store->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, values)) ||
            values.empty() || values[0].ulPropTag != PR_IPM_SUBTREE_ENTRYID)
            return -2;
        return ReadFolders(connection, values[0].bin, root, bar, folderRead);
    } catch (const std::bad_alloc&) {
        return -2;
    }
}

int ReadSmsStoreTree(SmsStoreConnection& connection, SmsTree& tree, ProgressBar* bar) {
    BeginProgress(bar, kSmsProgressRange);
    int result = -2;
    try {
        auto root = CreateSmsNode(kSmsFolderKind);
        if (ReadSmsStoreFolders(connection, *root, bar, {}) == 0) {
            ReplaceSmsTree(tree, std::move(root));
            result = 0;
        }
    } catch (const std::bad_alloc&) {
        result = -2;
    }
    EndProgress(bar, kSmsProgressRange);
    return result;
}

ResultCode ReadSmsFromStore(SmsTree* tree, ProgressBar* bar) {
    if (tree == nullptr) return kSmsReadFailed;
    try {
        SmsStoreConnection connection;
        if (!OpenSmsStore(connection)) return kSmsReadFailed;
        return ReadSmsStoreTree(connection, *tree, bar) == 0 ? kResultSuccess : kSmsReadFailed;
    } catch (const std::bad_alloc&) {
        return kSmsReadFailed;
    }
}
