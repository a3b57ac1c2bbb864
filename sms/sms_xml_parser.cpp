#include "sms/sms_xml_parser.h"

#include <strings.h>
#include <algorithm>
#include <charconv>

#include <cstring>
#include <new>
#include <utility>

#include "platform/text.h"
#include "sms/sms_xml.h"

namespace {

constexpr std::int64_t kEpochMillisecondsFrom1601 = kFileTimeEpochOffsetSeconds * 1000;
constexpr std::uint64_t kTicksPerMillisecond = 10'000;

enum class Attribute { Address, Date, Type, Body, Read, ContactName, Folder, FullAddress, Other };

// The attributes of the peer app's <sms> and ours; an attribute that is none of them is counted
// as skipped. One switch on the first letter, since every <sms> has a dozen or more.
Attribute Classify(const char* name, bool& known) {
    known = true;
    const char* rest = name + 1;
    switch (name[0]) {
        case 'a':
            if (std::strcmp(rest, "ddress") == 0) return Attribute::Address;
            break;
        case 'b':
            if (std::strcmp(rest, "ody") == 0) return Attribute::Body;
            break;
        case 'c':
            if (std::strcmp(rest, "ontact_name") == 0) return Attribute::ContactName;
            break;
        case 'd':
            if (std::strcmp(rest, "ate") == 0) return Attribute::Date;
            if (std::strcmp(rest, "ate_sent") == 0) return Attribute::Other;
            break;
        case 'l':
            if (std::strcmp(rest, "ocked") == 0) return Attribute::Other;
            break;
        case 'p':
            if (std::strcmp(rest, "rotocol") == 0) return Attribute::Other;
            break;
        case 'r':
            if (std::strcmp(rest, "ead") == 0) return Attribute::Read;
            if (std::strcmp(rest, "eadable_date") == 0) return Attribute::Other;
            break;
        case 's':
            if (std::strcmp(rest, "ubject") == 0 || std::strcmp(rest, "c_toa") == 0 ||
                std::strcmp(rest, "ervice_center") == 0 || std::strcmp(rest, "tatus") == 0 ||
                std::strcmp(rest, "ub_id") == 0)
                return Attribute::Other;
            break;
        case 't':
            if (std::strcmp(rest, "ype") == 0) return Attribute::Type;
            if (std::strcmp(rest, "oa") == 0) return Attribute::Other;
            break;
        case 'v':
            if (std::strcmp(rest, "elloro_folder") == 0) return Attribute::Folder;
            if (std::strcmp(rest, "elloro_address") == 0) return Attribute::FullAddress;
            break;
        default:
            break;
    }
    known = false;
    return Attribute::Other;
}

// Appends UTF-8 text cut to at most max UTF-16 units, never between the halves of a surrogate
// pair; gives the number of units appended.
std::uint32_t AppendLimitedUtf16(std::u16string& out, std::string_view utf8, std::size_t max) {
    // Addresses, names and most texts are plain ASCII, which needs no decoding.
    std::size_t ascii = 0;
    std::size_t end = std::min(utf8.size(), max);
    while (ascii < end && static_cast<unsigned char>(utf8[ascii]) < 0x80)
        ++ascii;
    if (ascii == utf8.size()) {
        out.append(utf8.begin(), utf8.end());
        return static_cast<std::uint32_t>(utf8.size());
    }
    std::u16string text = Utf8ToUtf16(utf8.substr(0, std::min(utf8.size(), 4 * max + 4)));
    if (text.size() > max) {
        std::size_t cut = max;
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
        text.resize(cut);
    }
    out += text;
    return static_cast<std::uint32_t>(text.size());
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

struct SmsAttributes {
    const char* address = nullptr;
    const char* date = nullptr;
    const char* type = nullptr;
    const char* body = nullptr;
    const char* read = "";
    const char* contactName = "";
    const char* folder = nullptr;
    const char* fullAddress = nullptr;
};

}  // namespace

std::unique_ptr<SmsNode> SmsXmlMessageNode(const SmsXmlBatch& batch,
                                           const SmsXmlParsedMessage& message) {
    std::u16string_view texts = batch.texts;
    auto data = std::make_unique<SmsMessageData>();
    data->text = texts.substr(message.textAt, message.textSize);
    data->size = static_cast<std::uint32_t>(2 * data->text.size());
    if (message.read) data->flags |= kSmsReadFlag;
    FILETIME time = FileTimeFromMilliseconds(message.milliseconds);
    std::u16string_view address = texts.substr(message.addressAt, message.addressSize);
    std::u16string_view name = texts.substr(message.nameAt, message.nameSize);
    if (message.type == 1) {
        data->senderAddress = address;
        data->senderName = name;
    } else if (!address.empty() || !name.empty()) {
        data->recipients.push_back({std::u16string(name), std::u16string(address)});
    }
    if (message.type >= 3) {
        data->flags |= kSmsUnsentFlag;
        data->lastModificationTime = time;
    } else {
        data->deliveryTime = time;
    }
    auto node = CreateSmsNode(kSmsMessageKind);
    AttachSmsMessage(*node, std::move(data));
    return node;
}

SmsXmlParser::SmsXmlParser() : parser_(XML_ParserCreate(nullptr)) {
    if (parser_ == nullptr) throw std::bad_alloc();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, OnStart, OnEnd);
    XML_SetXmlDeclHandler(parser_, OnXmlDeclaration);
    // A file of ours or the peer app's declares no entities; one that does is refused, so that
    // no expansion can blow up.
    XML_SetEntityDeclHandler(parser_, OnEntityDeclaration);
}

SmsXmlParser::~SmsXmlParser() {
    XML_ParserFree(parser_);
}

bool SmsXmlParser::Feed(std::string_view bytes, bool final) {
    if (XML_Parse(parser_, bytes.data(), static_cast<int>(bytes.size()), final) != XML_STATUS_OK)
        return false;
    return !refused_;
}

SmsXmlBatch SmsXmlParser::TakeBatch() {
    return std::exchange(batch_, SmsXmlBatch{});
}

void SmsXmlParser::ReuseBatch(SmsXmlBatch spent) {
    spent.messages.clear();
    spent.texts.clear();
    spent.folderPaths.clear();
    spent.skippedElements = 0;
    spent.skippedAttributes = 0;
    batch_ = std::move(spent);
}

void XMLCALL SmsXmlParser::OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    // No exception may unwind through Expat's frames; running out of memory fails the parse.
    auto* parser = static_cast<SmsXmlParser*>(self);
    try {
        parser->Start(name, attributes);
    } catch (const std::bad_alloc&) {
        parser->Refuse();
    }
}

void XMLCALL SmsXmlParser::OnEnd(void* self, const XML_Char*) {
    --static_cast<SmsXmlParser*>(self)->depth_;
}

void XMLCALL SmsXmlParser::OnXmlDeclaration(void* self, const XML_Char*, const XML_Char* encoding,
                                            int) {
    if (encoding != nullptr && strcasecmp(encoding, "UTF-8") != 0)
        static_cast<SmsXmlParser*>(self)->declaredUtf8_ = false;
}

void XMLCALL SmsXmlParser::OnEntityDeclaration(void* self, const XML_Char*, int, const XML_Char*,
                                               int, const XML_Char*, const XML_Char*,
                                               const XML_Char*, const XML_Char*) {
    static_cast<SmsXmlParser*>(self)->Refuse();
}

void SmsXmlParser::Refuse() {
    refused_ = true;
    XML_StopParser(parser_, XML_FALSE);
}

void SmsXmlParser::Start(const char* name, const char** attributes) {
    ++depth_;
    if (depth_ == 1) {
        if (std::strcmp(name, "smses") != 0) return Refuse();
        sawRoot_ = true;
        for (const char** p = attributes; p[0] != nullptr; p += 2) {
            if (std::strcmp(p[0], "velloro_root") == 0) {
                rootName_ = p[1];
                hasRootName_ = true;
            }
        }
    } else if (depth_ == 2) {
        if (std::strcmp(name, "sms") == 0) {
            AddMessage(attributes);
        } else {
            ++batch_.skippedElements;
        }
    }
}

void SmsXmlParser::AddMessage(const char** attributes) {
    SmsAttributes a;
    for (const char** p = attributes; p[0] != nullptr; p += 2) {
        bool known = true;
        switch (Classify(p[0], known)) {
            case Attribute::Address:
                a.address = p[1];
                break;
            case Attribute::Date:
                a.date = p[1];
                break;
            case Attribute::Type:
                a.type = p[1];
                break;
            case Attribute::Body:
                a.body = p[1];
                break;
            case Attribute::Read:
                a.read = p[1];
                break;
            case Attribute::ContactName:
                a.contactName = p[1];
                break;
            case Attribute::Folder:
                a.folder = p[1];
                break;
            case Attribute::FullAddress:
                a.fullAddress = p[1];
                break;
            case Attribute::Other:
                if (!known) ++batch_.skippedAttributes;
                break;
        }
    }
    std::int64_t type = 0;
    std::int64_t ms = 0;
    if (a.address == nullptr || a.date == nullptr || a.type == nullptr || a.body == nullptr ||
        !ParseInt64(a.type, type) || type < 1 || type > 6 || !ParseInt64(a.date, ms)) {
        ++batch_.skippedElements;
        return;
    }
    SmsXmlParsedMessage message;
    std::u16string& texts = batch_.texts;
    message.textAt = texts.size();
    message.textSize = AppendLimitedUtf16(texts, a.body, kSmsTextMax);
    message.addressAt = texts.size();
    message.addressSize = AppendLimitedUtf16(
        texts, a.fullAddress != nullptr ? a.fullAddress : a.address, kSmsAddressMax);
    message.nameAt = texts.size();
    if (std::strcmp(a.contactName, "(Unknown)") != 0 && std::strcmp(a.contactName, "null") != 0)
        message.nameSize = AppendLimitedUtf16(texts, a.contactName, kSmsAddressMax);
    message.milliseconds = ms;
    message.type = static_cast<std::uint8_t>(type);
    message.read = std::strcmp(a.read, "1") == 0;
    if (a.folder != nullptr) {
        std::vector<std::string>& paths = batch_.folderPaths;
        if (paths.empty() || paths.back() != a.folder) paths.emplace_back(a.folder);
        message.folder = static_cast<std::int32_t>(paths.size() - 1);
    }
    batch_.messages.push_back(message);
}
