#include <algorithm>
#include <array>
#include <new>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "sms/sms_xml.h"
#include "sms/sms_xml_parser.h"
#include "sms/sms_xml_piece_parsers.h"
#include "sms/xml_content_scanner.h"
#include "sms/xml_reference_filter.h"

namespace {

constexpr std::size_t kReadBlockBytes = 1 << 18;
constexpr int kLoadProgressRange = 1000;
// Folders nested deeper than this in a path attribute hold their messages at this depth, so a
// hostile path cannot make a tree too deep for the views that draw it.
constexpr std::size_t kMaxFolderDepth = 255;
// Pieces of a MB keep both processors busy to the end, and the bytes in flight a few MB.
constexpr std::size_t kPieceBytes = 1 << 20;
constexpr int kMaxThreads = 4;
// Parsed or waiting pieces per thread: enough that no thread waits for the reading one.
constexpr std::size_t kPiecesPerThread = 2;
// A prolog longer than this (a huge comment before the root) is read by one parser rather than
// held whole.
constexpr std::size_t kMaxPrologBytes = 1 << 20;

std::u16string_view DefaultFolder(std::size_t type) {
    switch (type) {
        case 1:
            return u"Inbox";
        case 2:
            return u"Sent Items";
        case 3:
            return u"Drafts";
        default:
            return u"Outbox";
    }
}

// Splits our folder attribute into names: "/" separates, "\" escapes the next character.
std::vector<std::u16string> FolderNames(std::u16string_view path) {
    std::vector<std::u16string> names(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == u'\\' && i + 1 < path.size()) {
            names.back() += path[++i];
        } else if (path[i] == u'/') {
            names.emplace_back();
        } else {
            names.back() += path[i];
        }
    }
    std::erase_if(names, [](const std::u16string& name) { return name.empty(); });
    if (names.size() > kMaxFolderDepth) names.resize(kMaxFolderDepth);
    return names;
}

// UTF-8 text cut to at most max UTF-16 units, never between the halves of a surrogate pair.
std::u16string LimitedFolderName(std::string_view utf8) {
    std::u16string name = Utf8ToUtf16(utf8.substr(0, 4 * kSmsFolderNameMax + 4));
    if (name.size() > kSmsFolderNameMax) {
        std::size_t cut = kSmsFolderNameMax;
        if (name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF) --cut;
        name.resize(cut);
    }
    return name;
}

// A folder while the file is read: subfolders and messages are kept apart, since the tree wants
// every subfolder before the first message and the file may name a folder after its parent's
// messages.
struct StagedFolder {
    std::unique_ptr<SmsNode> node;
    SmsNode* raw = nullptr;
    std::vector<StagedFolder*> subfolders;
    std::vector<std::unique_ptr<SmsNode>> messages;
};

// Places the parsers' messages, batch after batch in file order.
class SmsXmlBuilder {
  public:
    explicit SmsXmlBuilder(SmsXmlCounts& counts) : counts_(counts) {
        folders_.push_back(std::make_unique<StagedFolder>());
        StagedFolder& root = *folders_.back();
        root.node = CreateSmsNode(kSmsFolderKind);
        root.raw = root.node.get();
        SetSmsNodeName(*root.raw, u"SMS");
    }

    void SetRootName(std::string_view name) {
        SetSmsNodeName(*folders_.front()->raw, LimitedFolderName(name));
    }

    void Place(SmsXmlBatch& batch) {
        counts_.skippedElements += batch.skippedElements;
        counts_.skippedAttributes += batch.skippedAttributes;
        for (const SmsXmlParsedMessage& message : batch.messages) {
            StagedFolder& folder =
                message.folder < 0
                    ? FolderForType(message.type)
                    : FolderForPath(batch.folderPaths[static_cast<std::size_t>(message.folder)]);
            folder.messages.push_back(SmsXmlMessageNode(batch, message));
            ++counts_.messages;
        }
    }

    // Moves the staged folders and messages into one tree, every subfolder before the first
    // message of its folder.
    std::unique_ptr<SmsNode> Finish() {
        for (auto& folder : folders_) {
            std::size_t children = folder->subfolders.size() + folder->messages.size();
            if (ReserveSmsChildren(*folder->raw, static_cast<std::uint32_t>(children)) != 0)
                throw std::bad_alloc();
            for (StagedFolder* sub : folder->subfolders)
                AppendSmsChild(*folder->raw, std::move(sub->node));
            for (auto& message : folder->messages)
                AppendSmsChild(*folder->raw, std::move(message));
            std::vector<std::unique_ptr<SmsNode>>().swap(folder->messages);
        }
        return std::move(folders_.front()->node);
    }

  private:
    StagedFolder& FolderForType(std::size_t type) {
        if (byType_[type] == nullptr) byType_[type] = FolderAt(DefaultFolder(type));
        return *byType_[type];
    }

    StagedFolder& FolderForPath(const std::string& path) {
        if (lastFolder_ == nullptr || path != lastPath_) {
            lastFolder_ = FolderAt(Utf8ToUtf16(path));
            lastPath_ = path;
        }
        return *lastFolder_;
    }

    StagedFolder* FolderAt(std::u16string_view path) {
        StagedFolder* folder = folders_.front().get();
        std::u16string key;
        for (const std::u16string& name : FolderNames(path)) {
            for (char16_t c : name) {
                if (c == u'/' || c == u'\\') key += u'\\';
                key += c;
            }
            key += u'/';
            auto [it, added] = byPath_.try_emplace(key, nullptr);
            if (added) it->second = AddFolder(*folder, name);
            folder = it->second;
        }
        return folder;
    }

    StagedFolder* AddFolder(StagedFolder& parent, std::u16string_view name) {
        folders_.push_back(std::make_unique<StagedFolder>());
        StagedFolder& folder = *folders_.back();
        folder.node = CreateSmsNode(kSmsFolderKind);
        folder.raw = folder.node.get();
        SetSmsNodeName(*folder.raw, name);
        parent.subfolders.push_back(&folder);
        ++counts_.folders;
        return &folder;
    }

    SmsXmlCounts& counts_;
    // In order of creation, so a parent always comes before its subfolders.
    std::vector<std::unique_ptr<StagedFolder>> folders_;
    std::unordered_map<std::u16string, StagedFolder*> byPath_;
    std::string lastPath_;
    StagedFolder* lastFolder_ = nullptr;
    // The folder of each type's messages that name none; types are 1 to 6.
    std::array<StagedFolder*, 7> byType_{};
};

// Bytes that Expat would take for UTF-16 (a byte-order mark, or a zero byte beside the first
// '<') rather than UTF-8.
bool MayBeUtf16(std::string_view head) {
    if (head.empty()) return false;
    auto first = static_cast<unsigned char>(head[0]);
    return first == 0x00 || first == 0xFE || first == 0xFF || (head.size() > 1 && head[1] == '\0');
}

// Reads a document from its filtered bytes. The document parser reads the prolog, the root's
// start tag, its end tag and what follows; the content between goes in pieces to the piece
// parsers, unless the document or the split asks for one parser, which then reads everything.
class SmsXmlDocumentReader {
  public:
    SmsXmlDocumentReader(const SmsXmlReadSplit& split, SmsXmlCounts& counts)
        : split_(split),
          builder_(counts),
          phase_(split.pieceBytes == 0 ? Phase::Whole : Phase::Prolog) {}

    bool Take(std::string_view block, bool final) {
        if (phase_ == Phase::Whole || phase_ == Phase::Epilogue) {
            filtered_.clear();
            filter_.Filter(block, filtered_, final);
            return FeedDocument(filtered_, final);
        }
        filter_.Filter(block, buffer_, final);
        if (!Scan()) return false;
        if (phase_ == Phase::Prolog || phase_ == Phase::Content) {
            if (!final) return true;
            // A root that never ended leaves the document unfinished.
            if (phase_ == Phase::Content) return false;
            return ReadWhole(0) && FeedDocument({}, true);
        }
        return !final || FeedDocument({}, true);
    }

    // After the final block: the tree, or null when the document was not one we read.
    std::unique_ptr<SmsNode> Finish() {
        if (pieces_ && !PlacePieces(0)) return nullptr;
        if (!document_.sawRoot()) return nullptr;
        if (const std::string* name = document_.rootName()) builder_.SetRootName(*name);
        return builder_.Finish();
    }

  private:
    enum class Phase { Prolog, Content, Epilogue, Whole };

    bool Scan() {
        while (phase_ == Phase::Prolog || phase_ == Phase::Content) {
            std::size_t at = 0;
            switch (scanner_.Next(buffer_, at)) {
                case XmlContentScanner::Event::NeedMore:
                    if (phase_ == Phase::Prolog && buffer_.size() > kMaxPrologBytes)
                        return ReadWhole(0);
                    return true;
                case XmlContentScanner::Event::Unsupported:
                    return ReadWhole(0);
                case XmlContentScanner::Event::RootStarted:
                    if (MayBeUtf16(buffer_)) return ReadWhole(0);
                    if (!FeedDocument(std::string_view(buffer_).substr(0, at), false)) return false;
                    if (!document_.sawRoot() || !document_.declaredUtf8()) return ReadWhole(at);
                    buffer_.erase(0, at);
                    scanner_.Drop(at);
                    pieces_ = std::make_unique<SmsXmlPieceParsers>(split_.threads);
                    phase_ = Phase::Content;
                    break;
                case XmlContentScanner::Event::ChildStarted:
                    if (at >= split_.pieceBytes && !AddPiece(at)) return false;
                    break;
                case XmlContentScanner::Event::RootEnded:
                    if (at > 0 && !AddPiece(at)) return false;
                    phase_ = Phase::Epilogue;
                    if (!FeedDocument(buffer_, false)) return false;
                    std::string().swap(buffer_);
                    break;
            }
        }
        return true;
    }

    // The buffer from `from` on, and all that follows, goes to the document parser.
    bool ReadWhole(std::size_t from) {
        phase_ = Phase::Whole;
        bool ok = FeedDocument(std::string_view(buffer_).substr(from), false);
        std::string().swap(buffer_);
        return ok;
    }

    bool FeedDocument(std::string_view bytes, bool final) {
        if (!document_.Feed(bytes, final)) return false;
        SmsXmlBatch batch = document_.TakeBatch();
        builder_.Place(batch);
        return true;
    }

    // Hands the buffer's first `size` bytes, all whole children of the root, to a piece parser.
    bool AddPiece(std::size_t size) {
        std::string rest = pieces_->SpareContent();
        // Room for the blocks that fill the next piece, so that it is not copied as it grows.
        if (split_.pieceBytes >= kReadBlockBytes)
            rest.reserve(split_.pieceBytes + 2 * kReadBlockBytes);
        rest.assign(buffer_, size);
        buffer_.resize(size);
        scanner_.Drop(size);
        pieces_->Add(std::exchange(buffer_, std::move(rest)));
        std::size_t most = kPiecesPerThread * static_cast<std::size_t>(std::max(split_.threads, 1));
        return PlacePieces(most);
    }

    // Places the batches of parsed pieces until no more than `most` are pending; waits when
    // more are.
    bool PlacePieces(std::size_t most) {
        while (true) {
            bool wait = pieces_->pending() > most;
            switch (pieces_->TakeOldest(batch_, wait)) {
                case SmsXmlPieceParsers::Take::Failed:
                    return false;
                case SmsXmlPieceParsers::Take::NotYet:
                    return true;
                case SmsXmlPieceParsers::Take::Taken:
                    builder_.Place(batch_);
                    break;
            }
            if (pieces_->pending() == 0) return true;
        }
    }

    SmsXmlReadSplit split_;
    SmsXmlBuilder builder_;
    Phase phase_;
    XmlReferenceFilter filter_;
    SmsXmlParser document_;
    XmlContentScanner scanner_;
    // Prolog or content bytes not yet handed on.
    std::string buffer_;
    std::string filtered_;
    // The batch placed last, handed back to the piece parsers for its room.
    SmsXmlBatch batch_;
    // Last, so its threads stop before anything above goes.
    std::unique_ptr<SmsXmlPieceParsers> pieces_;
};

void ShowProgress(ProgressBar* bar, std::uint64_t done, std::uint64_t total, int& shown) {
    if (bar == nullptr || total == 0) return;
    int position =
        static_cast<int>(std::min<std::uint64_t>(done, total) * kLoadProgressRange / total);
    if (position == shown) return;
    shown = position;
    SendProgress(bar, PBM_SETPOS, static_cast<std::uintptr_t>(position), 0);
}

int ParseFile(std::FILE* stream, std::uint64_t size, std::unique_ptr<SmsNode>& newRoot,
              ProgressBar* bar, SmsXmlCounts& counts, const SmsXmlReadSplit& split) {
    SmsXmlDocumentReader reader(split, counts);
    std::vector<char> block(kReadBlockBytes);
    std::uint64_t done = 0;
    int shown = 0;
    // Never past the size the file had at open, so a file that grows meanwhile cannot keep the
    // load going.
    while (true) {
        std::uint64_t left = size - done;
        std::size_t want = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        std::size_t n = want == 0 ? 0 : std::fread(block.data(), 1, want, stream);
        bool final = n < want || done + n == size;
        if (n < want && std::ferror(stream)) return -2;
        if (!reader.Take(std::string_view(block.data(), n), final)) return -2;
        done += n;
        ShowProgress(bar, done, size, shown);
        if (final) break;
    }
    newRoot = reader.Finish();
    return newRoot ? 0 : -2;
}

}  // namespace

SmsXmlReadSplit DefaultSmsXmlReadSplit() {
    int processors = static_cast<int>(std::thread::hardware_concurrency());
    return {kPieceBytes, std::clamp(processors, 1, kMaxThreads)};
}

int ReadSmsXmlFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar,
                   SmsXmlCounts* counts) {
    return ReadSmsXmlFile(path, newRoot, bar, counts, DefaultSmsXmlReadSplit());
}

int ReadSmsXmlFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar,
                   SmsXmlCounts* counts, const SmsXmlReadSplit& split) {
    BeginProgress(bar, kLoadProgressRange);
    SmsXmlCounts local;
    int result = -2;
    std::uint64_t size = 0;
    if (UniqueFile file = OpenFile(path, &size)) {
        try {
            SmsXmlCounts read;
            result = ParseFile(file.get(), size, newRoot, bar, read, split);
            if (result == 0) local = read;
        } catch (const std::bad_alloc&) {
            result = -2;
        }
    }
    if (counts != nullptr) *counts = local;
    EndProgress(bar, kLoadProgressRange);
    return result;
}

ResultCode LoadSmsXmlFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                          SmsXmlCounts* counts) {
    if (tree == nullptr || path.empty()) return kSmsParseFailed;
    std::unique_ptr<SmsNode> root;
    if (ReadSmsXmlFile(path, root, bar, counts) != 0) return kSmsParseFailed;
    ReplaceSmsTree(*tree, std::move(root));
    return kResultSuccess;
}

bool LooksLikeSmsXml(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    std::size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    head.remove_prefix(start);
    return head.starts_with("<?xml") || head.starts_with("<smses");
}

bool FileLooksLikeSmsXml(std::u16string_view path) {
    UniqueFile file = OpenFile(path);
    if (!file) return false;
    char head[4096];
    std::size_t n = std::fread(head, 1, sizeof head, file.get());
    return LooksLikeSmsXml(std::string_view(head, n));
}
