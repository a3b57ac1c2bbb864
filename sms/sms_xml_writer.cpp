#include <charconv>
#include <new>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_writer.h"
#include "sms/extract_address.h"
#include "sms/sms_export_file.h"
#include "sms/sms_xml.h"

namespace {

constexpr std::int64_t kEpochMillisecondsFrom1601 = kFileTimeEpochOffsetSeconds * 1000;
constexpr std::uint64_t kTicksPerMillisecond = 10'000;

void AppendUtf8CodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The text as the value of a double-quoted attribute. Line ends and tabs are references, since
// a parser would turn them into blanks; what XML 1.0 cannot carry at all becomes U+FFFD.
constexpr bool IsPlainAttributeChar(char16_t c) {
    return c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '"';
}

void AppendAttributeText(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Most of a text is plain ASCII, narrowed a run at a time.
        std::size_t run = i;
        while (run < text.size() && IsPlainAttributeChar(text[run]))
            ++run;
        if (run > i) {
            std::size_t at = out.size();
            out.resize(at + (run - i));
            for (std::size_t k = i; k < run; ++k)
                out[at + (k - i)] = static_cast<char>(text[k]);
            i = run;
            if (i == text.size()) return;
        }
        char32_t c = text[i];
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            case '\n':
                out += "&#10;";
                continue;
            case '\r':
                out += "&#13;";
                continue;
            case '\t':
                out += "&#9;";
                continue;
            default:
                break;
        }
        bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8CodePoint(out, 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
            continue;
        }
        bool unfit = c < 0x20 || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF;
        AppendUtf8CodePoint(out, unfit ? 0xFFFD : c);
    }
}

// A folder name inside the path attribute: "/" separates names, so it and "\" are escaped.
void AppendPathName(std::u16string& path, std::u16string_view name) {
    if (!path.empty()) path += u'/';
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\') path += u'\\';
        path += c;
    }
}

std::int64_t UnixMilliseconds(const FILETIME& time) {
    return static_cast<std::int64_t>(FileTimeToUint64(time) / kTicksPerMillisecond) -
           kEpochMillisecondsFrom1601;
}

void AppendNumber(std::string& out, std::int64_t value) {
    char text[24];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, end);
}

// At least two digits, as %02d writes a number of 0 to 99.
void AppendTwoDigits(std::string& out, int value) {
    if (value >= 0 && value < 10) out += '0';
    AppendNumber(out, value);
}

// "Dec 6, 2026 5:51:03 PM" in local time, in English whatever the locale, as the peer app shows;
// nothing when the time has no local form.
void AppendReadableDate(std::string& out, const FILETIME& time) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::optional<std::tm> local = FileTimeToLocalTm(time);
    if (!local) return;
    int hour = local->tm_hour % 12 == 0 ? 12 : local->tm_hour % 12;
    out += kMonths[local->tm_mon % 12];
    out += ' ';
    AppendNumber(out, local->tm_mday);
    out += ", ";
    AppendNumber(out, local->tm_year + 1900);
    out += ' ';
    AppendNumber(out, hour);
    out += ':';
    AppendTwoDigits(out, local->tm_min);
    out += ':';
    AppendTwoDigits(out, local->tm_sec);
    out += local->tm_hour < 12 ? " AM" : " PM";
}

int MessageType(const SmsMessageData& message, const SmsNode& folder) {
    if (!message.senderAddress.empty()) return 1;
    if ((message.flags & kSmsUnsentFlag) == 0) return 2;
    return EqualsIgnoreCase(folder.name, u"Outbox") ? 4 : 3;
}

// Walks the ticked part of the tree in tree order (a folder, then its children in stored
// order), without recursion. onNode(node) for every node reached; onMessage(message, folder,
// path) for each ticked message with data, path being its folder's path below the root.
template <class OnNode, class OnMessage>
void WalkTicked(const SmsNode& root, OnNode&& onNode, OnMessage&& onMessage) {
    struct Frame {
        const SmsNode* folder;
        std::size_t next;
        std::size_t pathLength;
    };
    std::u16string path;
    std::vector<Frame> stack;
    onNode(root);
    if (root.checked == 0 || !IsSmsFolder(root)) return;
    stack.push_back({&root, 0, 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.folder->children.size()) {
            stack.pop_back();
            continue;
        }
        const SmsNode& child = *top.folder->children[top.next++];
        onNode(child);
        if (child.checked == 0) continue;
        if (IsSmsFolder(child)) {
            path.resize(top.pathLength);
            AppendPathName(path, child.name);
            stack.push_back({&child, 0, path.size()});
        } else if (child.message) {
            path.resize(top.pathLength);
            onMessage(*child.message, *top.folder, std::u16string_view(path));
        }
    }
}

class XmlWriter {
  public:
    explicit XmlWriter(std::FILE* stream) : out_(stream), bytes_(out_.bytes()) {}

    void Head(std::int64_t count, std::u16string_view rootName) {
        bytes_ += "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"";
        bytes_ += std::to_string(count);
        bytes_ += "\" velloro_root=\"";
        AppendAttributeText(bytes_, rootName);
        bytes_ += "\">\n";
    }

    void Message(const SmsMessageData& m, const SmsNode& folder, std::u16string_view path) {
        int type = MessageType(m, folder);
        if (type == 1) return Element(m, type, m.senderAddress, m.senderName, path);
        if (m.recipients.empty()) return Element(m, type, u"", u"", path);
        for (const SmsRecipient& r : m.recipients)
            Element(m, type, r.address, r.name, path);
    }

    bool Finish() {
        bytes_ += "</smses>\n";
        return out_.Flush();
    }

  private:
    void Element(const SmsMessageData& m, int type, std::u16string_view address,
                 std::u16string_view name, std::u16string_view path) {
        FILETIME time = SmsMessageTime(m);
        std::u16string number = ExtractAddress(address);
        bytes_ += "  <sms protocol=\"0\" address=\"";
        AppendAttributeText(bytes_, number);
        bytes_ += "\" date=\"";
        AppendNumber(bytes_, UnixMilliseconds(time));
        bytes_ += "\" type=\"";
        bytes_ += static_cast<char>('0' + type);
        bytes_ += "\" subject=\"null\" body=\"";
        AppendAttributeText(bytes_, m.text);
        bytes_ += "\" toa=\"null\" sc_toa=\"null\" service_center=\"null\" read=\"";
        bytes_ += (m.flags & kSmsReadFlag) != 0 ? '1' : '0';
        bytes_ += "\" status=\"-1\" locked=\"0\" date_sent=\"0\" readable_date=\"";
        AppendReadableDate(bytes_, time);
        bytes_ += "\" contact_name=\"";
        AppendAttributeText(bytes_, name.empty() ? u"(Unknown)" : name);
        bytes_ += "\" velloro_folder=\"";
        AppendAttributeText(bytes_, path);
        if (number != address) {
            bytes_ += "\" velloro_address=\"";
            AppendAttributeText(bytes_, address);
        }
        bytes_ += "\" />\n";
        out_.Pass();
    }

    TextWriter out_;
    std::string& bytes_;  // what out_ has yet to write
};

std::int64_t CountElements(const SmsNode& root) {
    std::int64_t count = 0;
    WalkTicked(
        root, [](const SmsNode&) {},
        [&](const SmsMessageData& m, const SmsNode&, std::u16string_view) {
            bool several = m.senderAddress.empty() && m.recipients.size() > 1;
            count += several ? static_cast<std::int64_t>(m.recipients.size()) : 1;
        });
    return count;
}

}  // namespace

int WriteSmsXmlFile(const SmsTree& tree, std::u16string_view path, ProgressBar* bar) {
    BeginProgress(bar, kSmsExportProgressRange);
    int result = -2;
    ReplacingFile file;
    if (tree.root && file.Open(path)) {
        XmlWriter writer(file.stream());
        writer.Head(CountElements(*tree.root), tree.root->name);
        WalkTicked(
            *tree.root, [&](const SmsNode&) { StepProgress(bar); },
            [&](const SmsMessageData& m, const SmsNode& folder, std::u16string_view folderPath) {
                writer.Message(m, folder, folderPath);
            });
        if (writer.Finish() && file.Commit()) result = 0;
    }
    EndProgress(bar, kSmsExportProgressRange);
    return result;
}

ResultCode ExportSmsXml(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    return RunSmsExport(tree, path,
                        [&](SmsTree& whole) { return WriteSmsXmlFile(whole, path, bar); });
}
