#include "sms/message_store_writer.h"

#include <map>
#include <new>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/text.h"
#include "sms/existing_messages.h"
#include "sms/message_store_reader.h"
#include "sms/sms_counts.h"
#include "sms/sms_operations.h"

namespace {

// A name as CreateFolder matches it: letter case does not count.
std::u16string FoldedName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded)
        c = ToLowerChar(c);
    return folded;
}

// The subfolder names of each parent the restore writes into, listed once per parent, so that a
// folder can be counted as created or opened without listing its siblings again each time.
class KnownSubfolders {
  public:
    // Whether parent already holds a subfolder of that name; nullopt when it cannot be listed.
    std::optional<bool> Holds(IMAPIFolder& parent, std::u16string_view name) {
        std::unordered_set<std::u16string>* names = NamesOf(parent);
        if (names == nullptr) return std::nullopt;
        return !names->insert(FoldedName(name)).second;
    }

  private:
    std::unordered_set<std::u16string>* NamesOf(IMAPIFolder& parent) {
        std::vector<SPropValue> values;
        if (FAILED(parent.GetProps({PR_ENTRYID}, 0, values)) || values.empty() ||
            values[0].ulPropTag != PR_ENTRYID)
            return nullptr;
        auto [slot, inserted] = byParent_.try_emplace(values[0].bin);
        if (inserted && !List(parent, slot->second)) {
            byParent_.erase(slot);
            return nullptr;
        }
        return &slot->second;
    }

    static bool List(IMAPIFolder& parent, std::unordered_set<std::u16string>& names) {
        MapiPtr<IMAPITable> table;
        if (FAILED(parent.GetHierarchyTable(0, table)) || !table ||
            FAILED(table->SetColumns({PR_DISPLAY_NAME_W}, 0)))
            return false;
        SRowSet rows;
        HRESULT status;
        while (SUCCEEDED(status = table->QueryRows(100, 0, rows)) && !rows.empty()) {
            for (const SRow& row : rows)
                if (!row.lpProps.empty() && row.lpProps[0].ulPropTag == PR_DISPLAY_NAME_W)
                    names.insert(FoldedName(row.lpProps[0].lpszW));
        }
        return SUCCEEDED(status);
    }

    std::map<EntryId, std::unordered_set<std::u16string>> byParent_;
};

// Opens or creates the folder's namesake under parent.
int WriteFolder(IMAPIFolder& parent, const SmsNode& node, MapiPtr<IMAPIFolder>& folder,
                KnownSubfolders& known, SmsRestoreCounts& counts) {
    if (node.name.empty()) return -2;
    std::optional<bool> existed = known.Holds(parent, node.name);
    if (!existed) return -2;
    if (FAILED(parent.CreateFolder(0, node.name.c_str(), nullptr, nullptr,
                                   MAPI_UNICODE | OPEN_IF_EXISTS, folder)) ||
        !folder)
        return -2;
    ++(*existed ? counts.foldersOpened : counts.foldersCreated);
    return 0;
}

SummaryCount MessagesBelow(const SmsNode& node) {
    return IsSmsFolder(node) ? CountSmsTree(node).messages : 1;
}

// The messages each store folder held before the restore, read when the folder's first
// message comes; two nodes of one name share their folder and so its keys.
class ExistingMessages {
  public:
    explicit ExistingMessages(SmsStoreConnection& connection) : connection_(connection) {}

    // The keys of folder, or null when it cannot be read.
    const SmsMessageKeySet* Of(IMAPIFolder& folder) {
        std::vector<SPropValue> values;
        if (FAILED(folder.GetProps({PR_ENTRYID}, 0, values)) || values.empty() ||
            values[0].ulPropTag != PR_ENTRYID)
            return nullptr;
        auto [slot, inserted] = byFolder_.try_emplace(values[0].bin);
        if (inserted && ReadFolderMessageKeys(connection_, folder, slot->second) != 0) {
            byFolder_.erase(slot);
            return nullptr;
        }
        return &slot->second;
    }

  private:
    SmsStoreConnection& connection_;
    std::map<EntryId, SmsMessageKeySet> byFolder_;
};

// Writes the children of a folder node below the store folder that stands for it, depth first,
// without recursion, since a loaded file may nest folders as deep as it likes.
int WriteChildren(const SmsNode& root, MapiPtr<IMAPIFolder> top, ProgressBar* bar,
                  SmsRestoreCounts& counts, ExistingMessages* existing) {
    struct Frame {
        const SmsNode* node;
        MapiPtr<IMAPIFolder> folder;
        std::size_t next;
        const SmsMessageKeySet* keys;
    };
    std::vector<Frame> stack;
    KnownSubfolders known;
    stack.push_back({&root, std::move(top), 0, nullptr});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->children.size()) {
            stack.pop_back();
            continue;
        }
        const SmsNode& child = *frame.node->children[frame.next++];
        StepProgress(bar);
        if (child.checked == 0) {
            counts.unticked += MessagesBelow(child);
            continue;
        }
        if (IsSmsFolder(child)) {
            MapiPtr<IMAPIFolder> folder;
            if (WriteFolder(*frame.folder, child, folder, known, counts) != 0) return -2;
            stack.push_back({&child, std::move(folder), 0, nullptr});  // frame is not used after
            continue;
        }
        if (!child.message) return -2;
        if (existing != nullptr) {
            if (frame.keys == nullptr && (frame.keys = existing->Of(*frame.folder)) == nullptr)
                return -2;
            if (frame.keys->contains(SmsMessageKeyOf(*child.message))) {
                ++counts.messagesPresent;
                continue;
            }
        }
        if (WriteSmsStoreMessage(*frame.folder, *child.message) != 0) return -2;
        ++counts.messagesCreated;
    }
    return 0;
}

}  // namespace

int WriteSmsStoreMessage(IMAPIFolder& parent, const SmsMessageData& data) {
    MapiPtr<IMessage> message;
    if (FAILED(parent.CreateMessage(nullptr, 0, message)) || !message) return -2;
    if (FAILED(message->SetProps(
            {TextProp(PR_SUBJECT_W, data.text), LongProp(PR_MESSAGE_STATUS, MSGSTATUS_RECTYPE_SMS),
             LongProp(PR_MESSAGE_FLAGS, data.flags), TextProp(PR_MESSAGE_CLASS_W, kSmsMessageClass),
             LongProp(PR_MESSAGE_SIZE, data.size)})))
        return -2;
    bool unsent = (data.flags & kSmsUnsentFlag) != 0;
    SPropValue time = unsent ? TimeProp(PR_LAST_MODIFICATION_TIME, data.lastModificationTime)
                             : TimeProp(PR_MESSAGE_DELIVERY_TIME, data.deliveryTime);
    if (FAILED(message->SetProps({time}))) return -2;
    if (!data.senderAddress.empty()) {
        if (FAILED(message->SetProps({TextProp(PR_SENDER_EMAIL_ADDRESS_W, data.senderAddress),
                                      TextProp(PR_SENDER_NAME_W, data.senderName)})))
            return -2;
    } else if (!data.recipients.empty() && (!data.recipients.front().address.empty() ||
                                            !data.recipients.front().name.empty())) {
        // An empty recipient stands for an empty recipient table; it is never stored as a row.
        const SmsRecipient& first = data.recipients.front();
        ADRLIST list(1);
        list[0].rgPropVals = {LongProp(PR_RECIPIENT_TYPE, MAPI_TO), TextProp(PR_ADDRTYPE_W, u"SMS"),
                              TextProp(PR_EMAIL_ADDRESS_W, first.address),
                              TextProp(PR_DISPLAY_NAME_W, first.name)};
        if (FAILED(message->ModifyRecipients(MODRECIP_ADD, list))) return -2;
    }
    return 0;
}

int WriteSmsStoreTree(const SmsTree& tree, ProgressBar* bar, SmsRestoreCounts* counts,
                      bool skipExisting) {
    SmsRestoreCounts scratch;
    SmsRestoreCounts& c = counts != nullptr ? *counts : scratch;
    c = {};
    BeginProgress(bar, kSmsProgressRange);
    int result = 0;
    // An unticked root means nothing was chosen, as it does for the data file.
    if (tree.root && tree.root->checked == 0) c.unticked = CountSmsTree(*tree.root).messages;
    if (tree.root && tree.root->checked != 0) {
        result = -2;
        try {
            SmsStoreConnection connection;
            MapiPtr<IMAPIFolder> top;
            ExistingMessages existing(connection);
            if (OpenSmsStore(connection) && OpenSmsTopFolder(connection, top) == 0)
                result = WriteChildren(*tree.root, std::move(top), bar, c,
                                       skipExisting ? &existing : nullptr);
            // The last messages commit as the session ends; a commit refused there lost them.
            if (!CloseSmsStore(connection)) result = -2;
        } catch (const std::bad_alloc&) {
            result = -2;
        }
    }
    EndProgress(bar, kSmsProgressRange);
    return result;
}

ResultCode RestoreSms(SmsTree* tree, ProgressBar* bar, OperationSummary* summary,
                      bool skipExisting) {
    if (tree == nullptr) return kSmsImportFailed;
    SmsRestoreCounts* counts = nullptr;
    if (summary != nullptr) {
        summary->part = SummaryPart::SmsRestore;
        counts = &summary->smsRestore;
    }
    return WriteSmsStoreTree(*tree, bar, counts, skipExisting) == 0 ? kResultSuccess
                                                                    : kSmsImportFailed;
}
