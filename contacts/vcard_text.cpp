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
        // Every character the escapes concern is at most a backslash.
        if (c > u'\\' || (c != u'\\' && c != u',' && c != u';' && c != u'\r' && c != u'\n'))
            continue;
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
    std::u16string out;
    DecodeVcardCharsetInto(bytes, charset, false, out);
    return out;
}

void DecodeVcardCharsetInto(std::string_view bytes, std::string_view charset, bool utf8Known,
                            std::u16string& out) {
    // Plain ASCII is the same in every charset here, and it is most of a file.
    std::size_t ascii = 0;
    while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80)
        ++ascii;
    if (ascii == bytes.size()) {
        out.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = static_cast<unsigned char>(bytes[i]);
        return;
    }
    bool utf8 = utf8Known || IsCharsetName(charset, {"UTF-8", "UTF8"});
    bool ansi = !utf8 && IsCharsetName(charset, {"ISO-8859-1", "ISO8859-1", "LATIN1",
                                                 "WINDOWS-1252", "CP1252"});
    if (!utf8 && !ansi) utf8 = IsValidUtf8(bytes);
    out = utf8 ? Utf8ToUtf16(bytes) : AnsiToUtf16(bytes);
}

namespace {

// Appends one piece of a value: escapes resolved, line breaks of any form as CR LF. Stops at
// an unescaped separator (0 stops nowhere) and returns where it stopped.
std::size_t AppendUnescaped(std::u16string_view value, std::size_t i, char16_t separator,
                            std::u16string& out) {
    while (i < value.size()) {
        std::size_t run = i;
        while (run < value.size() && value[run] != u'\\' && value[run] != u'\r' &&
               value[run] != u'\n' && (separator == 0 || value[run] != separator))
            ++run;
        out.append(value.substr(i, run - i));
        i = run;
        if (i == value.size() || value[i] == separator) return i;
        char16_t c = value[i++];
        if (c == u'\\') {
            if (i == value.size()) {
                out += c;
                return i;
            }
            char16_t next = value[i++];
            if (next == u'n' || next == u'N') {
                out += u'\n';
            } else if (next == u'\\' || next == u',' || next == u';' || next == u':') {
                out += next;
            } else if (next == u'\r' || next == u'\n') {
                // A backslash before a raw line break escapes nothing; the break is read as any.
                out += c;
                --i;
            } else {
                out += c;
                out += next;
            }
        } else {
            out += u'\n';
            if (c == u'\r' && i < value.size() && value[i] == u'\n') ++i;
        }
    }
    return i;
}

}  // namespace

std::size_t SplitVcardValueInto(std::u16string_view value, char16_t separator,
                                std::vector<std::u16string>& parts) {
    std::size_t count = 0;
    std::size_t i = 0;
    do {
        if (count == parts.size()) parts.emplace_back();
        std::u16string& part = parts[count];
        part.clear();
        i = AppendUnescaped(value, count == 0 ? 0 : i + 1, separator, part);
        ++count;
    } while (i < value.size());
    return count;
}

std::vector<std::u16string> SplitVcardValue(std::u16string_view value, char16_t separator) {
    std::vector<std::u16string> parts;
    parts.resize(SplitVcardValueInto(value, separator, parts));
    return parts;
}

std::u16string UnescapeVcard(std::u16string_view value) {
    std::u16string out;
    UnescapeVcardInto(value, out);
    return out;
}

void UnescapeVcardInto(std::u16string_view value, std::u16string& out) {
    out.clear();
    AppendUnescaped(value, 0, 0, out);
}

std::u16string_view CutAtUnits(std::u16string_view text, std::size_t max) {
    if (text.size() <= max) return text;
    std::size_t end = max;
    if (end > 0 && IsHighSurrogate(text[end - 1])) --end;
    return text.substr(0, end);
}
