#include "contacts/vcard_lines.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace {

constexpr std::size_t kBlockBytes = 1 << 16;

void AssignUpper(std::string& out, std::string_view text) {
    out.assign(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

void AssignLower(std::string& out, std::string_view text) {
    out.assign(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The text without its blanks around and its quotation marks; a view when there are none.
std::string_view Unquote(std::string_view text, std::string& scratch) {
    text = Trim(text);
    if (text.find('"') == std::string_view::npos) return text;
    scratch.clear();
    for (char c : text)
        if (c != '"') scratch += c;
    return scratch;
}

// Calls part(piece) for each piece between separators outside double quotes.
template <class Part>
void SplitOutsideQuotes(std::string_view text, char separator, Part&& part) {
    if (text.find('"') == std::string_view::npos) {
        // Nothing quoted, as in most lines: the separators are found a block at a time.
        for (std::size_t at = text.find(separator); at != std::string_view::npos;
             at = text.find(separator)) {
            part(text.substr(0, at));
            text.remove_prefix(at + 1);
        }
        part(text);
        return;
    }
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == separator && !quoted) {
            part(text.substr(start, i - start));
            start = i + 1;
        }
    }
    part(text.substr(start));
}

bool IsEncodingName(std::string_view upper) {
    return upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "B" || upper == "8BIT" ||
           upper == "7BIT";
}

bool NameIs(std::string_view name, std::string_view upper) {
    if (name.size() != upper.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

constexpr std::uint32_t TypeBit(std::string_view t) {
    switch (t.size()) {
        case 3:
            return t == "fax" ? kVcardTypeFax : t == "car" ? kVcardTypeCar : 0;
        case 4:
            return t == "home"   ? kVcardTypeHome
                   : t == "work" ? kVcardTypeWork
                   : t == "cell" ? kVcardTypeCell
                                 : 0;
        case 5:
            return t == "pager" ? kVcardTypePager : t == "radio" ? kVcardTypeRadio : 0;
        case 6:
            return t == "mobile" ? kVcardTypeCell : 0;
        case 7:
            return t == "x-radio" ? kVcardTypeRadio : 0;
        case 9:
            return t == "assistant" ? kVcardTypeAssistant : 0;
        case 11:
            return t == "x-assistant" ? kVcardTypeAssistant : 0;
        case 17:
            return t == "x-evolution-radio" ? kVcardTypeRadio : 0;
        case 21:
            return t == "x-evolution-assistant" ? kVcardTypeAssistant : 0;
        default:
            return 0;
    }
}
static_assert(TypeBit("x-evolution-radio") == kVcardTypeRadio &&
              TypeBit("x-evolution-assistant") == kVcardTypeAssistant &&
              TypeBit("x-assistant") == kVcardTypeAssistant && TypeBit("mobile") == kVcardTypeCell);

void AddType(std::string_view type, VcardProperty& property) {
    type = Trim(type);
    if (type.empty()) return;
    property.types.emplace_back();
    AssignLower(property.types.back(), type);
    property.typeBits |= TypeBit(property.types.back());
}

void AddParameter(std::string_view parameter, VcardProperty& property) {
    std::string scratch;
    std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos) {
        std::string_view token = Unquote(parameter, scratch);
        if (token.empty()) return;
        std::string upper;
        AssignUpper(upper, token);
        if (IsEncodingName(upper)) {
            property.encoding = std::move(upper);
        } else {
            AddType(token, property);
        }
        return;
    }
    std::string_view name = Trim(parameter.substr(0, equals));
    std::string_view value = Unquote(parameter.substr(equals + 1), scratch);
    if (NameIs(name, "TYPE")) {
        SplitOutsideQuotes(value, ',', [&](std::string_view type) { AddType(type, property); });
    } else if (NameIs(name, "ENCODING")) {
        AssignUpper(property.encoding, value);
    } else if (NameIs(name, "CHARSET")) {
        property.charset.assign(value);
    } else if (NameIs(name, "VALUE")) {
        AssignLower(property.valueType, value);
    } else if (NameIs(name, "PREF")) {
        AddVcardType(property, "pref");
    } else if (NameIs(name, kVcardFieldParameterName)) {
        property.field.assign(value);
    }
}

bool EndsWithEquals(std::string_view line) {
    return !line.empty() && line.back() == '=';
}

}  // namespace

void AddVcardType(VcardProperty& property, std::string_view lower) {
    property.types.emplace_back(lower);
    property.typeBits |= TypeBit(lower);
}

bool ParseVcardHead(std::string_view line, VcardProperty& property, std::size_t& valueStart) {
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ';' && line[nameEnd] != ':')
        ++nameEnd;
    if (nameEnd == line.size()) return false;
    // The value starts after the first colon outside double quotes; most lines quote nothing.
    std::size_t colon = line.find(':', nameEnd);
    if (colon == std::string_view::npos) return false;
    if (line.substr(nameEnd, colon - nameEnd).find('"') != std::string_view::npos) {
        bool quoted = false;
        colon = std::string_view::npos;
        for (std::size_t i = nameEnd; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (line[i] == ':' && !quoted) {
                colon = i;
                break;
            }
        }
        if (colon == std::string_view::npos) return false;
    }
    std::string_view fullName = Trim(line.substr(0, nameEnd));
    if (fullName.empty()) return false;
    std::size_t dot = fullName.rfind('.');
    if (dot == std::string_view::npos) {
        property.group.clear();
    } else {
        AssignUpper(property.group, fullName.substr(0, dot));
    }
    AssignUpper(property.name, dot == std::string_view::npos ? fullName : fullName.substr(dot + 1));
    if (nameEnd < colon) {
        std::string_view parameters = line.substr(nameEnd + 1, colon - nameEnd - 1);
        SplitOutsideQuotes(parameters, ';',
                           [&](std::string_view parameter) { AddParameter(parameter, property); });
    }
    valueStart = colon + 1;
    return true;
}

VcardPropertyReader::VcardPropertyReader(std::FILE* stream, VcardClassifier classify)
    : stream_(stream), classify_(classify) {}

void VcardPropertyReader::DetectMark() {
    markChecked_ = true;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
    if (buffer_.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        buffer_.erase(0, 3);
    } else if (buffer_.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        encoding_ = Encoding::Utf16Le;
    } else if (buffer_.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
        encoding_ = Encoding::Utf16Be;
    }
    if (encoding_ == Encoding::Bytes) return;
    std::string raw = buffer_.substr(2);
    buffer_.clear();
    DecodeUtf16(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
}

void VcardPropertyReader::DecodeUtf16(const unsigned char* bytes, std::size_t n) {
    carry_.append(reinterpret_cast<const char*>(bytes), n);
    std::u16string units;
    units.reserve(carry_.size() / 2);
    bool little = encoding_ == Encoding::Utf16Le;
    std::size_t i = 0;
    for (; i + 1 < carry_.size(); i += 2) {
        auto a = static_cast<unsigned char>(carry_[i]);
        auto b = static_cast<unsigned char>(carry_[i + 1]);
        units.push_back(static_cast<char16_t>(little ? (a | b << 8) : (b | a << 8)));
    }
    carry_.erase(0, i);
    // A high surrogate at the end waits for its partner in the next block.
    if (!eof_ && !units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) {
        char16_t high = units.back();
        units.pop_back();
        std::string pending;
        pending += static_cast<char>(little ? high & 0xFF : high >> 8);
        pending += static_cast<char>(little ? high >> 8 : high & 0xFF);
        carry_.insert(0, pending);
    }
    AppendUtf8(buffer_, units);
}

bool VcardPropertyReader::Refill() {
    if (eof_) return false;
    if (at_ > 0) {
        buffer_.erase(0, at_);
        at_ = 0;
    }
    std::size_t before = buffer_.size();
    if (encoding_ == Encoding::Bytes && markChecked_) {
        // The common case reads straight into the buffer's room.
        buffer_.resize(before + kBlockBytes);
        std::size_t n = std::fread(buffer_.data() + before, 1, kBlockBytes, stream_);
        buffer_.resize(before + n);
        bytesRead_ += n;
        if (n < kBlockBytes) {
            eof_ = true;
            if (std::ferror(stream_)) failed_ = true;
        }
        return n > 0 || !eof_;
    }
    unsigned char block[kBlockBytes];
    std::size_t n = std::fread(block, 1, sizeof block, stream_);
    bytesRead_ += n;
    if (n < sizeof block) {
        eof_ = true;
        if (std::ferror(stream_)) failed_ = true;
    }
    if (encoding_ == Encoding::Bytes) {
        buffer_.append(reinterpret_cast<const char*>(block), n);
        if (!markChecked_ && (buffer_.size() >= 3 || eof_)) DetectMark();
    } else {
        DecodeUtf16(block, n);
    }
    return buffer_.size() > before || !eof_;
}

namespace {

// A physical line as the reader keeps it: at most kVcardLineMax bytes, then without the CR of
// its line end.
std::string_view Kept(std::string_view line) {
    if (line.size() > kVcardLineMax) line = line.substr(0, kVcardLineMax);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

bool VcardPropertyReader::Line(std::string_view& line) {
    std::size_t scanned = at_;
    while (true) {
        const char* data = buffer_.data();
        const void* newline = scanned < buffer_.size()
                                  ? std::memchr(data + scanned, '\n', buffer_.size() - scanned)
                                  : nullptr;
        if (newline != nullptr) {
            std::size_t end = static_cast<std::size_t>(static_cast<const char*>(newline) - data);
            line = Kept(std::string_view(data + at_, end - at_));
            at_ = end + 1;
            return true;
        }
        if (buffer_.size() - at_ > kVcardLineMax) return LongLine(line);
        // The line goes on past what the buffer holds; a refill moves it to the front.
        std::size_t held = buffer_.size() - at_;
        if (!Refill()) {
            if (at_ == buffer_.size()) return false;
            line = Kept(std::string_view(buffer_).substr(at_));
            at_ = buffer_.size();
            return true;
        }
        scanned = at_ + held;
    }
}

bool VcardPropertyReader::LongLine(std::string_view& line) {
    long_.assign(buffer_, at_, kVcardLineMax);
    at_ = buffer_.size();
    // The rest of the line is read and dropped, a block at a time.
    while (Refill() || at_ < buffer_.size()) {
        const void* newline = std::memchr(buffer_.data() + at_, '\n', buffer_.size() - at_);
        if (newline != nullptr) {
            at_ = static_cast<std::size_t>(static_cast<const char*>(newline) - buffer_.data()) + 1;
            break;
        }
        at_ = buffer_.size();
    }
    line = Kept(long_);
    return true;
}

bool VcardPropertyReader::NextIsFolded() {
    while (at_ == buffer_.size())
        if (!Refill()) return false;
    return buffer_[at_] == ' ' || buffer_[at_] == '\t';
}

void ClearVcardProperty(VcardProperty& property) {
    property.group.clear();
    property.name.clear();
    property.kind = 0;
    property.types.clear();
    property.typeBits = 0;
    property.encoding.clear();
    property.charset.clear();
    property.valueType.clear();
    property.field.clear();
    property.value.clear();
    property.held = false;
}

bool VcardPropertyReader::Next(VcardProperty& property) {
    std::string_view line;
    while (Line(line)) {
        if (Trim(line).empty()) continue;
        ClearVcardProperty(property);
        std::size_t valueStart = 0;
        // A line without a property head is the rest of something passed over (the data lines
        // of a 2.1 photo, say).
        if (!ParseVcardHead(line, property, valueStart)) continue;
        property.kind = classify_(property.name);
        property.held = property.kind > 0;
        bool quotedPrintable = std::string_view(property.encoding) == "QUOTED-PRINTABLE";
        bool softBreak = quotedPrintable && EndsWithEquals(line);
        if (property.held) property.value.assign(line.substr(valueStart));
        auto append = [&](std::string_view more) {
            if (!property.held) return;
            std::size_t room = kVcardLineMax - std::min(kVcardLineMax, property.value.size());
            property.value.append(more.substr(0, std::min(room, more.size())));
        };
        // A soft line break takes whatever line follows; otherwise a line that starts with a
        // blank continues the property.
        while (softBreak || NextIsFolded()) {
            std::string_view more;
            if (!Line(more)) break;
            if (softBreak) {
                if (property.held && !property.value.empty()) property.value.pop_back();
                append(more);
            } else {
                append(version21_ ? more : more.substr(1));
            }
            softBreak = quotedPrintable && EndsWithEquals(more);
        }
        return true;
    }
    return false;
}
