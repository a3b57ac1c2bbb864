#include <expat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "sms/sms_xml.h"
#include "sms/xml_reference_filter.h"

namespace {

constexpr std::size_t kReadBlockBytes = 1 << 18;
constexpr int kLoadProgressRange = 1000;
// Folders nested deeper than this in a path attribute hold their messages at this depth, so a
// hostile path cannot make a tree too deep for the views that draw it.
constexpr std::size_t kMaxFolderDepth = 255;
constexpr std::int64_t kEpochMillisecondsFrom1601 = kFileTimeEpochOffsetSeconds * 1000;
constexpr std::uint64_t kTicksPerMillisecond = 10'000;
// Enough UTF-8 bytes for kSmsTextMax units in any case (four bytes give at most two units).
constexpr std::size_t kTextBytesNeeded = 4 * kSmsTextMax + 4;

// The attributes of the peer app's <sms> and ours; any other is counted as skipped.
constexpr std::string_view kKnownAttributes[] = {
    "protocol",  "address", "date",           "type",         "subject",        "body",
    "toa",       "sc_toa",  "service_center", "read",         "status",         "locked",
    "date_sent", "sub_id",  "readable_date",  "contact_name", "velloro_folder", "velloro_address"};

bool IsKnownAttribute(std::string_view name) {
    for (std::string_view known : kKnownAttributes)
        if (known == name) return true;
    return false;
}

// UTF-8 text cut to at most max UTF-16 units, never between the halves of a surrogate pair.
std::u16string LimitedUtf16(std::string_view utf8, std::size_t max) {
    // Addresses, names and most texts are plain ASCII, which needs no decoding.
    std::size_t ascii = 0;
    std::size_t end = std::min(utf8.size(), max);
    while (ascii < end && static_cast<unsigned char>(utf8[ascii]) < 0x80)
        ++ascii;
    if (ascii == utf8.size()) return std::u16string(utf8.begin(), utf8.end());
    std::u16string text = Utf8ToUtf16(utf8.substr(0, std::min(utf8.size(), 4 * max + 4)));
    if (text.size() > max) {
        std::size_t end = max;
        if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
        text.resize(end);
    }
    return text;
}

bool ParseInt64(std::string_view text, std::int64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// A time in milliseconds since 1970 as a FILETIME; times before 1601 or beyond its range are
// clamped to its ends (the last whole millisecond, so that writing it again gives it back).
FILETIME FileTimeFromMilliseconds(std::int64_t ms) {
    constexpr auto kLastMs =
        static_cast<std::int64_t>(UINT64_MAX / kTicksPerMillisecond) - kEpochMillisecondsFrom1601;
    if (ms <= -kEpochMillisecondsFrom1601) return FILETIME{};
    ms = std::min(ms, kLastMs);
    return FileTimeFromUint64(static_cast<std::uint64_t>(ms + kEpochMillisecondsFrom1601) *
                              kTicksPerMillisecond);
}

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

// A folder while the file is read: subfolders and messages are kept apart, since the tree wants
// every subfolder before the first message and the file may name a folder after its parent's
// messages.
struct StagedFolder {
    std::unique_ptr<SmsNode> node;
    SmsNode* raw = nullptr;
    std::vector<StagedFolder*> subfolders;
    std::vector<std::unique_ptr<SmsNode>> messages;
};

struct SmsAttributes {
    std::string_view address, date, type, body, read, contactName, folder, fullAddress;
    bool hasAddress = false, hasDate = false, hasType = false, hasBody = false, hasFolder = false,
         hasFullAddress = false;
};

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
        SetSmsNodeName(*folders_.front()->raw, LimitedUtf16(name, kSmsFolderNameMax));
    }

    void AddMessage(const char** attributes) {
        SmsAttributes a;
        for (const char** p = attributes; p[0] != nullptr; p += 2)
            Take(p[0], p[1], a);
        std::int64_t type = 0;
        std::int64_t ms = 0;
        if (!a.hasAddress || !a.hasDate || !a.hasType || !a.hasBody || !ParseInt64(a.type, type) ||
            type < 1 || type > 6 || !ParseInt64(a.date, ms)) {
            ++counts_.skippedElements;
            return;
        }
        auto data = std::make_unique<SmsMessageData>();
        data->text = LimitedUtf16(a.body, kSmsTextMax);
        data->size = static_cast<std::uint32_t>(2 * data->text.size());
        if (a.read == "1") data->flags |= kSmsReadFlag;
        FILETIME time = FileTimeFromMilliseconds(ms);
        std::u16string address =
            LimitedUtf16(a.hasFullAddress ? a.fullAddress : a.address, kSmsAddressMax);
        std::u16string name;
        if (a.contactName != "(Unknown)" && a.contactName != "null")
            name = LimitedUtf16(a.contactName, kSmsAddressMax);
        if (type == 1) {
            data->senderAddress = std::move(address);
            data->senderName = std::move(name);
        } else if (!address.empty() || !name.empty()) {
            data->recipients.push_back({std::move(name), std::move(address)});
        }
        if (type >= 3) {
            data->flags |= kSmsUnsentFlag;
            data->lastModificationTime = time;
        } else {
            data->deliveryTime = time;
        }
        auto node = CreateSmsNode(kSmsMessageKind);
        AttachSmsMessage(*node, std::move(data));
        FolderFor(a, static_cast<std::size_t>(type)).messages.push_back(std::move(node));
        ++counts_.messages;
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
    void Take(std::string_view name, std::string_view value, SmsAttributes& a) {
        if (name == "address") {
            a.address = value;
            a.hasAddress = true;
        } else if (name == "date") {
            a.date = value;
            a.hasDate = true;
        } else if (name == "type") {
            a.type = value;
            a.hasType = true;
        } else if (name == "body") {
            a.body = value;
            a.hasBody = true;
        } else if (name == "read") {
            a.read = value;
        } else if (name == "contact_name") {
            a.contactName = value;
        } else if (name == "velloro_folder") {
            a.folder = value;
            a.hasFolder = true;
        } else if (name == "velloro_address") {
            a.fullAddress = value;
            a.hasFullAddress = true;
        } else if (!IsKnownAttribute(name)) {
            ++counts_.skippedAttributes;
        }
    }

    StagedFolder& FolderFor(const SmsAttributes& a, std::size_t type) {
        std::u16string path;
        if (a.hasFolder) {
            if (a.folder == lastPath_ && lastFolder_ != nullptr) return *lastFolder_;
            path = Utf8ToUtf16(a.folder);
        } else {
            if (byType_[type] != nullptr) return *byType_[type];
            path = DefaultFolder(type);
        }
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
        if (a.hasFolder) {
            lastPath_.assign(a.folder);
            lastFolder_ = folder;
        } else {
            byType_[type] = folder;
        }
        return *folder;
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

class SmsXmlParser {
  public:
    explicit SmsXmlParser(SmsXmlCounts& counts)
        : parser_(XML_ParserCreate(nullptr)), builder_(counts), counts_(counts) {
        if (parser_ == nullptr) throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, OnStart, OnEnd);
        // A file of ours or the peer app's declares no entities; one that does is refused, so
        // that no expansion can blow up.
        XML_SetEntityDeclHandler(parser_, OnEntityDeclaration);
    }
    ~SmsXmlParser() { XML_ParserFree(parser_); }
    SmsXmlParser(const SmsXmlParser&) = delete;
    SmsXmlParser& operator=(const SmsXmlParser&) = delete;

    bool Feed(std::string_view block, bool final) {
        filtered_.clear();
        filter_.Filter(block, filtered_, final);
        if (XML_Parse(parser_, filtered_.data(), static_cast<int>(filtered_.size()), final) !=
            XML_STATUS_OK)
            return false;
        return !refused_;
    }

    bool sawRoot() const { return sawRoot_; }
    std::unique_ptr<SmsNode> Finish() { return builder_.Finish(); }

  private:
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        static_cast<SmsXmlParser*>(self)->Start(name, attributes);
    }
    static void XMLCALL OnEnd(void* self, const XML_Char*) {
        --static_cast<SmsXmlParser*>(self)->depth_;
    }
    static void XMLCALL OnEntityDeclaration(void* self, const XML_Char*, int, const XML_Char*, int,
                                            const XML_Char*, const XML_Char*, const XML_Char*,
                                            const XML_Char*) {
        static_cast<SmsXmlParser*>(self)->Refuse();
    }

    void Refuse() {
        refused_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }

    void Start(std::string_view name, const char** attributes) {
        ++depth_;
        if (depth_ == 1) {
            if (name != "smses") return Refuse();
            sawRoot_ = true;
            for (const char** p = attributes; p[0] != nullptr; p += 2)
                if (std::strcmp(p[0], "velloro_root") == 0) builder_.SetRootName(p[1]);
        } else if (depth_ == 2) {
            if (name == "sms") {
                builder_.AddMessage(attributes);
            } else {
                ++counts_.skippedElements;
            }
        }
    }

    XML_Parser parser_;
    SmsXmlBuilder builder_;
    SmsXmlCounts& counts_;
    XmlReferenceFilter filter_;
    std::string filtered_;
    int depth_ = 0;
    bool sawRoot_ = false;
    bool refused_ = false;
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
              ProgressBar* bar, SmsXmlCounts& counts) {
    SmsXmlParser parser(counts);
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
        if (!parser.Feed(std::string_view(block.data(), n), final)) return -2;
        done += n;
        ShowProgress(bar, done, size, shown);
        if (final) break;
    }
    if (!parser.sawRoot()) return -2;
    newRoot = parser.Finish();
    return 0;
}

}  // namespace

int ReadSmsXmlFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar,
                   SmsXmlCounts* counts) {
    BeginProgress(bar, kLoadProgressRange);
    SmsXmlCounts local;
    int result = -2;
    std::uint64_t size = 0;
    if (UniqueFile file = OpenFile(path, &size)) {
        try {
            SmsXmlCounts read;
            result = ParseFile(file.get(), size, newRoot, bar, read);
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
