#include "sms/message_store_writer.h"

#include <new>
#include <vector>

#include "sms/message_store_reader.h"
#include "sms/sms_operations.h"

namespace {

constexpr std::uint32_t kSmsProgressRange = 1000;

// Opens or creates the folder's namesake under parent.
int WriteFolder(IMAPIFolder& parent, const SmsNode& node, MapiPtr<IMAPIFolder>& folder) {
    if (node.name.empty()) return -2;
    if (FAILED(parent.CreateFolder(0, node.name.c_str(), nullptr, nullptr,
                                   MAPI_UNICODE | OPEN_IF_EXISTS, folder)) ||
        !folder)
        return -2;
    return 0;
}

// Writes the children of a folder node below the store folder that stands for it, depth first,
// without recursion, since a loaded file may nest folders as deep as it likes.
int WriteChildren(const SmsNode& root, MapiPtr<IMAPIFolder> top, ProgressBar* bar) {
    struct Frame {
        const SmsNode* node;
        MapiPtr<IMAPIFolder> folder;
        std::size_t next;
    };
    std::vector<Frame> stack;
    stack.push_back({&root, std::move(top), 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->children.size()) {
            stack.pop_back();
            continue;
        }
        const SmsNode& child = *frame.node->children[frame.next++];
        StepProgress(bar);
        if (child.checked == 0) continue;
        if (IsSmsFolder(child)) {
            MapiPtr<IMAPIFolder> folder;
            if (WriteFolder(*frame.folder, child, folder) != 0) return -2;
            stack.push_back({&child, std::move(folder), 0});  // frame is not used after this
        } else {
            if (!child.message) return -2;
            if (WriteSmsStoreMessage(*frame.folder, *child.message) != 0) return -2;
        }
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
    } else if (!data.recipients.empty()) {
        const SmsRecipient& first = data.recipients.front();
        ADRLIST list(1);
        list[0].rgPropVals = {LongProp(PR_RECIPIENT_TYPE, MAPI_TO), TextProp(PR_ADDRTYPE_W, u"SMS"),
                              TextProp(PR_EMAIL_ADDRESS_W, first.address),
                              TextProp(PR_DISPLAY_NAME_W, first.name)};
        if (FAILED(message->ModifyRecipients(MODRECIP_ADD, list))) return -2;
    }
    return 0;
}

int WriteSmsStoreTree(const SmsTree& tree, ProgressBar* bar) {
    BeginProgress(bar, kSmsProgressRange);
    int result = 0;
    // An unticked root means nothing was chosen, as it does for the data file.
    if (tree.root && tree.root->checked != 0) {
        result = -2;
        try {
            SmsStoreConnection connection;
            MapiPtr<IMAPIFolder> top;
            if (OpenSmsStore(connection) && OpenSmsTopFolder(connection, top) == 0)
                result = WriteChildren(*tree.root, std::move(top), bar);
        } catch (const std::bad_alloc&) {
            result = -2;
        }
    }
    EndProgress(bar, kSmsProgressRange);
    return result;
}

ResultCode RestoreSms(SmsTree* tree, ProgressBar* bar) {
    if (tree == nullptr) return kSmsImportFailed;
    return WriteSmsStoreTree(*tree, bar) == 0 ? kResultSuccess : kSmsImportFailed;
}
