#include <functional>
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

// Depth first without recursion: a loaded file may nest folders as deep as it likes. With
// folderReady, each folder is written only once it says the folder is complete.
bool WriteTree(const SmsNode& root, std::FILE* stream, ProgressBar* bar,
               const std::function<bool()>& folderReady = {}) {
    struct Frame {
        const SmsNode* node;
        std::size_t next;
    };
    std::vector<Frame> stack;
    // Records are gathered into large blocks: one write per block, not per field.
    TextWriter out(stream);
    bool ready = true;
    auto visit = [&](const SmsNode& node) {
        StepProgress(bar);
        if (node.checked == 0) return;
        if (folderReady && IsSmsFolder(node) && !(ready = folderReady())) return;
        AppendNodeRecord(out.bytes(), node);
        out.Pass();
        if (!node.children.empty()) stack.push_back({&node, 0});
    };
    visit(root);
    while (ready && !stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.node->children.size()) {
            stack.pop_back();
            continue;
        }
        visit(*top.node->children[top.next++]);
    }
    return out.Flush() && ready;
}

int WriteDataFile(const SmsNode* root, std::u16string_view path, ProgressBar* bar,
                  const std::function<bool()>& folderReady) {
    BeginProgress(bar, 1000);
    ReplacingFile file;
    int result = -2;
    if (file.Open(path) && root != nullptr && WriteTree(*root, file.stream(), bar, folderReady) &&
        file.Commit()) {
        result = 0;
    }
    EndProgress(bar, 1000);
    return result;
}

}  // namespace

int WriteSmsDataFile(const SmsTree& tree, std::u16string_view path, ProgressBar* bar) {
    return WriteDataFile(tree.root.get(), path, bar, {});
}

int WriteSmsDataFileAsBuilt(const SmsNode& root, std::u16string_view path,
                            const std::function<bool()>& folderReady) {
    return WriteDataFile(&root, path, nullptr, folderReady);
}

ResultCode ExportSmsDataFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    return WriteSmsDataFile(*tree, path, bar) == 0 ? kResultSuccess : kSmsExportFailed;
}
