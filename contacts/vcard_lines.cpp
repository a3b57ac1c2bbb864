#include "contacts/vcard_lines.h"

#include <algorithm>

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

void AddType(std::string_view type, VcardProperty& property) {
    type = Trim(type);
    if (type.empty()) return;
    property.types.emplace_back();
    AssignLower(property.types.back(), type);
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
        property.types.emplace_back("pref");
    } else if (NameIs(name, kVcardFieldParameterName)) {
        property.field.assign(value);
    }
}

bool EndsWithEquals(std::string_view line) {
    return !line.empty() && line.back() == '=';
}

}  // namespace

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
    AssignUpper(property.group, dot == std::string_view::npos ? "" : fullName.substr(0, dot));
    AssignUpper(property.name, dot == std::string_view::npos ? fullName : fullName.substr(dot + 1));
    if (nameEnd < colon) {
        std::string_view parameters = line.substr(nameEnd + 1, colon - nameEnd - 1);
        SplitOutsideQuotes(parameters, ';',
                           [&](std::string_view parameter) { AddParameter(parameter, property); });
    }
    valueStart = colon + 1;
    return true;
}

VcardPropertyReader::VcardPropertyReader(std::FILE* stream, bool (*wanted)(std::string_view))
    : stream_(stream), wanted_(wanted) {}

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
    unsigned char block[kBlockBytes];
    std::size_t n = std::fread(block, 1, sizeof block, stream_);
    bytesRead_ += n;
    if (n < sizeof block) {
        eof_ = true;
        if (std::ferror(stream_)) failed_ = true;
    }
    std::size_t before = buffer_.size();
    if (encoding_ == Encoding::Bytes) {
        buffer_.append(reinterpret_cast<const char*>(block), n);
        if (!markChecked_ && (buffer_.size() >= 3 || eof_)) DetectMark();
    } else {
        DecodeUtf16(block, n);
    }
    return buffer_.size() > before || !eof_;
}

bool VcardPropertyReader::ReadPhysicalLine(std::string& line) {
    line.clear();
    bool any = false;
    while (true) {
        if (at_ == buffer_.size() && !Refill()) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return any;
        }
        if (at_ == buffer_.size()) continue;
        any = true;
        std::size_t newline = buffer_.find('\n', at_);
        std::size_t end = newline == std::string::npos ? buffer_.size() : newline;
        std::size_t room = kVcardLineMax - std::min(kVcardLineMax, line.size());
        line.append(buffer_, at_, std::min(end - at_, room));
        if (newline == std::string::npos) {
            at_ = buffer_.size();
            continue;
        }
        at_ = newline + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }
}

bool VcardPropertyReader::PeekLine() {
    if (!hasPeeked_) hasPeeked_ = ReadPhysicalLine(peeked_);
    return hasPeeked_;
}

void ClearVcardProperty(VcardProperty& property) {
    property.group.clear();
    property.name.clear();
    property.types.clear();
    property.encoding.clear();
    property.charset.clear();
    property.valueType.clear();
    property.field.clear();
    property.value.clear();
    property.held = false;
}

bool VcardPropertyReader::Next(VcardProperty& property) {
    while (PeekLine()) {
        hasPeeked_ = false;
        first_.swap(peeked_);
        if (Trim(first_).empty()) continue;
        ClearVcardProperty(property);
        std::size_t valueStart = 0;
        // A line without a property head is the rest of something passed over (the data lines
        // of a 2.1 photo, say).
        if (!ParseVcardHead(first_, property, valueStart)) continue;
        property.held = wanted_(property.name);
        bool quotedPrintable = std::string_view(property.encoding) == "QUOTED-PRINTABLE";
        bool softBreak = quotedPrintable && EndsWithEquals(first_);
        if (property.held) property.value.assign(first_, valueStart);
        auto append = [&](std::string_view more) {
            if (!property.held) return;
            std::size_t room = kVcardLineMax - std::min(kVcardLineMax, property.value.size());
            property.value.append(more.substr(0, std::min(room, more.size())));
        };
        while (PeekLine()) {
            if (softBreak) {
                if (property.held && !property.value.empty()) property.value.pop_back();
                append(peeked_);
            } else if (!peeked_.empty() && (peeked_[0] == ' ' || peeked_[0] == '\t')) {
                append(version21_ ? std::string_view(peeked_)
                                  : std::string_view(peeked_).substr(1));
            } else {
                break;
            }
            softBreak = quotedPrintable && EndsWithEquals(peeked_);
            hasPeeked_ = false;
        }
        return true;
    }
    return false;
}
