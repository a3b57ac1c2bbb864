#include <sys/stat.h>

#include <new>
#include <vector>

#include "platform/files.h"
#include "platform/little_endian.h"
#include "sms/sms_data_file.h"

namespace {

// A bounded view of the open file: a short read clears ok for good, and left() says how many
// bytes a count may still claim.
class DataFileCursor {
  public:
    DataFileCursor(std::FILE* stream, std::uint64_t size) : stream_(stream), left_(size) {}

    bool Read(unsigned char* out, std::size_t n) {
        if (!ok_) return false;
        if (n > left_ || std::fread(out, 1, n, stream_) != n) ok_ = false;
        if (ok_) left_ -= n;
        return ok_;
    }
    std::uint64_t left() const { return left_; }

  private:
    std::FILE* stream_;
    std::uint64_t left_;
    bool ok_ = true;
};

// The field's text up to its first zero unit, never past its last unit but one: a damaged file
// may leave a field unterminated.
std::u16string GetText(const unsigned char* field, std::size_t units) {
    std::size_t length = 0;
    while (length + 1 < units && (field[2 * length] | field[2 * length + 1]) != 0)
        ++length;
    std::u16string text(length, u'\0');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(DecodeFixed16(field + 2 * i));
    return text;
}

FILETIME GetFileTime(const unsigned char* field) {
    return FILETIME{DecodeFixed32(field), DecodeFixed32(field + 4)};
}

std::int32_t GetInt32(const unsigned char* field) {
    return static_cast<std::int32_t>(DecodeFixed32(field));
}

class TreeReader {
  public:
    TreeReader(DataFileCursor& cursor, ProgressBar* bar) : cursor_(cursor), bar_(bar) {}

    // Depth first without recursion; each count is checked against the bytes still unread
    // (after what earlier counts already claimed) before anything is allocated for it.
    bool ReadTree(SmsNode& root) {
        if (!ReadNode(root)) return false;
        while (!stack_.empty()) {
            Frame& top = stack_.back();
            if (top.remaining == 0) {
                stack_.pop_back();
                continue;
            }
            --top.remaining;
            --claimedRecords_;
            auto child = CreateSmsNode(kSmsFolderKind);
            SmsNode& childRef = *child;
            if (AppendSmsChild(*top.node, std::move(child)) != 0) return false;
            if (!ReadNode(childRef)) return false;
        }
        return true;
    }

  private:
    struct Frame {
        SmsNode* node;
        std::uint32_t remaining;
    };

    bool Affordable(std::uint64_t count, std::size_t recordSize) const {
        std::uint64_t claimed = claimedRecords_ * kNodeRecordSize;
        return claimed <= cursor_.left() && count <= (cursor_.left() - claimed) / recordSize;
    }

    bool ReadNode(SmsNode& node) {
        StepProgress(bar_);
        unsigned char record[kNodeRecordSize];
        if (!cursor_.Read(record, sizeof record)) return false;
        node.kind = record[kNodeKindOffset];
        node.name = GetText(record + kNodeNameOffset, kNodeNameUnits);
        if (node.kind == kSmsMessageKind && !ReadMessage(node, record + kMessageDataOffset))
            return false;
        std::int32_t childCount = GetInt32(record + kNodeChildCountOffset);
        if (node.kind != kSmsFolderKind || childCount < 1) return true;
        auto count = static_cast<std::uint32_t>(childCount);
        if (!Affordable(count, kNodeRecordSize) || ReserveSmsChildren(node, count) != 0)
            return false;
        stack_.push_back({&node, count});
        claimedRecords_ += count;
        return true;
    }

    bool ReadMessage(SmsNode& node, const unsigned char* data) {
        auto message = std::make_unique<SmsMessageData>();
        message->text = GetText(data + kMessageTextOffset, kMessageTextUnits);
        message->senderAddress = GetText(data + kSenderAddressOffset, kAddressUnits);
        message->senderName = GetText(data + kSenderNameOffset, kAddressUnits);
        message->deliveryTime = GetFileTime(data + kDeliveryTimeOffset);
        message->lastModificationTime = GetFileTime(data + kLastModificationTimeOffset);
        message->size = DecodeFixed32(data + kMessageSizeOffset);
        message->flags = DecodeFixed32(data + kMessageFlagsOffset);
        std::int32_t recipientCount = GetInt32(data + kRecipientCountOffset);
        if (recipientCount > 0) {
            auto count = static_cast<std::uint32_t>(recipientCount);
            if (!Affordable(count, kRecipientRecordSize)) return false;
            message->recipients.resize(count);
            for (SmsRecipient& r : message->recipients) {
                unsigned char bytes[kRecipientRecordSize];
                if (!cursor_.Read(bytes, sizeof bytes)) return false;
                r.name = GetText(bytes + kRecipientNameOffset, kAddressUnits);
                r.address = GetText(bytes + kRecipientAddressOffset, kAddressUnits);
            }
        }
        return AttachSmsMessage(node, std::move(message)) == 0;
    }

    DataFileCursor& cursor_;
    ProgressBar* bar_;
    std::vector<Frame> stack_;
    // Child records promised by the folders on the stack and not yet started.
    std::uint64_t claimedRecords_ = 0;
};

constexpr std::size_t kReadBufferBytes = 1 << 18;

}  // namespace

int ReadSmsDataFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar) {
    BeginProgress(bar, 1000);
    int result = -2;
    if (UniqueFile file = OpenFile(path, "rb")) {
        struct stat st {};
        std::setvbuf(file.get(), nullptr, _IOFBF, kReadBufferBytes);
        if (fstat(fileno(file.get()), &st) == 0) {
            DataFileCursor cursor(file.get(), static_cast<std::uint64_t>(st.st_size));
            TreeReader reader(cursor, bar);
            try {
                auto root = CreateSmsNode(kSmsFolderKind);
                if (reader.ReadTree(*root)) {
                    newRoot = std::move(root);
                    result = 0;
                }
            } catch (const std::bad_alloc&) {
                result = -2;
            }
        }
    }
    EndProgress(bar, 1000);
    return result;
}

ResultCode LoadSmsDataFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    if (tree == nullptr || path.empty()) return kSmsParseFailed;
    std::unique_ptr<SmsNode> root;
    if (ReadSmsDataFile(path, root, bar) != 0) return kSmsParseFailed;
    ReplaceSmsTree(*tree, std::move(root));
    return kResultSuccess;
}
