#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/little_endian.h"
#include "platform/text.h"
#include "platform/text_writer.h"
#include "sms/sms_data_file.h"

namespace {

void PutText(unsigned char* field, std::u16string_view text, std::size_t units) {
    std::u16string_view limited = LimitedText(text, units - 1);
    for (std::size_t i = 0; i < limited.size(); ++i)
        EncodeFixed16(field + 2 * i, static_cast<std::uint16_t>(limited[i]));
}

void PutFileTime(unsigned char* field, const FILETIME& time) {
    EncodeFixed32(field, time.dwLowDateTime);
    EncodeFixed32(field + 4, time.dwHighDateTime);
}

void AppendNodeRecord(std::string& out, const SmsNode& node) {
    unsigned char record[kNodeRecordSize] = {};
    record[kNodeKindOffset] = node.kind;
    PutText(record + kNodeNameOffset, node.name, kNodeNameUnits);
    if (const SmsMessageData* m = node.message.get()) {
        unsigned char* data = record + kMessageDataOffset;
        PutText(data + kMessageTextOffset, m->text, kMessageTextUnits);
        PutText(data + kSenderAddressOffset, m->senderAddress, kAddressUnits);
        PutText(data + kSenderNameOffset, m->senderName, kAddressUnits);
        PutFileTime(data + kDeliveryTimeOffset, m->deliveryTime);
        PutFileTime(data + kLastModificationTimeOffset, m->lastModificationTime);
        EncodeFixed32(data + kMessageSizeOffset, m->size);
        EncodeFixed32(data + kMessageFlagsOffset, m->flags);
        EncodeFixed32(data + kRecipientCountOffset,
                      static_cast<std::uint32_t>(m->recipients.size()));
    }
    EncodeFixed32(record + kNodeChildCountOffset,
                  static_cast<std::uint32_t>(CountCheckedSmsChildren(node)));
    out.append(reinterpret_cast<const char*>(record), sizeof record);
    if (node.message == nullptr) return;
    for (const SmsRecipient& r : node.message->recipients) {
        unsigned char recipient[kRecipientRecordSize] = {};
        PutText(recipient + kRecipientNameOffset, r.name, kAddressUnits);
        PutText(recipient + kRecipientAddressOffset, r.address, kAddressUnits);
        out.append(reinterpret_cast<const char*>(recipient), sizeof recipient);
    }
}

// Depth first without recursion: a loaded file may nest folders as deep as it likes.
bool WriteTree(const SmsNode& root, std::FILE* stream, ProgressBar* bar) {
    struct Frame {
        const SmsNode* node;
        std::size_t next;
    };
    std::vector<Frame> stack;
    // Records are gathered into large blocks: one write per block, not per field.
    TextWriter out(stream);
    auto visit = [&](const SmsNode& node) {
        StepProgress(bar);
        if (node.checked == 0) return;
        AppendNodeRecord(out.bytes(), node);
        out.Pass();
        if (!node.children.empty()) stack.push_back({&node, 0});
    };
    visit(root);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.node->children.size()) {
            stack.pop_back();
            continue;
        }
        visit(*top.node->children[top.next++]);
    }
    return out.Flush();
}

}  // namespace

int WriteSmsDataFile(const SmsTree& tree, std::u16string_view path, ProgressBar* bar) {
    BeginProgress(bar, 1000);
    ReplacingFile file;
    int result = -2;
    if (file.Open(path) && tree.root && WriteTree(*tree.root, file.stream(), bar) &&
        file.Commit()) {
        result = 0;
    }
    EndProgress(bar, 1000);
    return result;
}

ResultCode ExportSmsDataFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    return WriteSmsDataFile(*tree, path, bar) == 0 ? kResultSuccess : kSmsExportFailed;
}
