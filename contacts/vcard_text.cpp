#include "contacts/vcard_text.h"

#include "platform/text.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsCharsetName(std::string_view charset, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        if (charset.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = (charset[i] | 0x20) == (name[i] | 0x20);
        if (same) return true;
    }
    return false;
}

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

void AppendVcardEscaped(std::string& out, std::u16string_view text) {
    std::size_t start = 0;
    auto flush = [&](std::size_t end) { AppendUtf8(out, text.substr(start, end - start)); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c != u'\\' && c != u',' && c != u';' && c != u'\r' && c != u'\n') continue;
        flush(i);
        if (c == u'\r' || c == u'\n') {
            out += "\\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += '\\';
            out += static_cast<char>(c);
        }
        start = i + 1;
    }
    flush(text.size());
}

std::string DecodeQuotedPrintable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '=' && i + 2 < bytes.size() && HexValue(bytes[i + 1]) >= 0 &&
            HexValue(bytes[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(bytes[i + 1]) << 4 | HexValue(bytes[i + 2]));
            i += 2;
        } else {
            out += bytes[i];
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        char32_t cp = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

std::u16string DecodeVcardCharset(std::string_view bytes, std::string_view charset) {
    if (IsCharsetName(charset, {"UTF-8", "UTF8"})) return Utf8ToUtf16(bytes);
    if (IsCharsetName(charset, {"ISO-8859-1", "ISO8859-1", "LATIN1", "WINDOWS-1252", "CP1252"}))
        return AnsiToUtf16(bytes);
    return IsValidUtf8(bytes) ? Utf8ToUtf16(bytes) : AnsiToUtf16(bytes);
}

namespace {

// separator 0 splits nowhere.
std::vector<std::u16string> Split(std::u16string_view value, char16_t separator) {
    std::vector<std::u16string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        if (separator != 0 && c == separator) {
            parts.emplace_back();
        } else if (c == u'\\' && i + 1 < value.size()) {
            char16_t next = value[++i];
            if (next == u'n' || next == u'N') {
                parts.back() += u"\r\n";
            } else if (next == u'\\' || next == u',' || next == u';' || next == u':') {
                parts.back() += next;
            } else {
                parts.back() += c;
                parts.back() += next;
            }
        } else {
            parts.back() += c;
        }
    }
    for (std::u16string& part : parts)
        part = NormalizeLineBreaks(part);
    return parts;
}

}  // namespace

std::vector<std::u16string> SplitVcardValue(std::u16string_view value, char16_t separator) {
    return Split(value, separator);
}

std::u16string UnescapeVcard(std::u16string_view value) {
    return std::move(Split(value, 0).front());
}

std::u16string NormalizeLineBreaks(std::u16string_view text) {
    if (text.find_first_of(u"\r\n") == std::u16string_view::npos) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::u16string_view CutAtUnits(std::u16string_view text, std::size_t max) {
    if (text.size() <= max) return text;
    std::size_t end = max;
    if (end > 0 && IsHighSurrogate(text[end - 1])) --end;
    return text.substr(0, end);
}
