#include "contacts/vcard_text.h"

#include <array>

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

namespace {

// The ASCII units a text value writes as they stand: all but \ , ; CR and LF.
constexpr std::array<bool, 0x80> kPlainUnits = [] {
    std::array<bool, 0x80> plain{};
    plain.fill(true);
    for (char c : {'\\', ',', ';', '\r', '\n'})
        plain[static_cast<unsigned char>(c)] = false;
    return plain;
}();

// Escapes (when asked) and converts to UTF-8 in one pass, straight into out's room: a unit
// takes at most three bytes, an escape two for its one unit, a pair four for its two.
template <bool kEscape>
void AppendUtf8Of(std::string& out, std::u16string_view text) {
    std::size_t at = out.size();
    out.resize(at + 3 * text.size());
    char* to = out.data() + at;
    const char16_t* units = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        // A run of plain ASCII, most of any text, narrowed as it stands.
        std::size_t run = i;
        while (run < n && units[run] < 0x80 && (!kEscape || kPlainUnits[units[run]]))
            ++run;
        for (; i < run; ++i)
            *to++ = static_cast<char>(units[i]);
        if (i == n) break;
        char32_t c = units[i++];
        if (c < 0x80) {
            *to++ = '\\';
            if (c == u'\r' || c == u'\n') {
                *to++ = 'n';
                if (c == u'\r' && i < n && units[i] == u'\n') ++i;
            } else {
                *to++ = static_cast<char>(c);
            }
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i < n && units[i] >= 0xDC00 && units[i] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // half a pair is no character
        }
        if (c < 0x800) {
            *to++ = static_cast<char>(0xC0 | c >> 6);
        } else if (c < 0x10000) {
            *to++ = static_cast<char>(0xE0 | c >> 12);
            *to++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        } else {
            *to++ = static_cast<char>(0xF0 | c >> 18);
            *to++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
            *to++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        }
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

}  // namespace

void AppendVcardEscaped(std::string& out, std::u16string_view text) {
    AppendUtf8Of<true>(out, text);
}

void AppendVcardUtf8(std::string& out, std::u16string_view text) {
    AppendUtf8Of<false>(out, text);
}

std::string DecodeQuotedPrintable(std::string_view bytes) {
    std::string out;
    DecodeQuotedPrintableInto(bytes, out);
    return out;
}

void DecodeQuotedPrintableInto(std::string_view bytes, std::string& out) {
    out.clear();
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
}

bool IsAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::u16string DecodeVcardCharset(std::string_view bytes, std::string_view charset) {
    std::u16string out;
    DecodeVcardCharsetInto(bytes, charset, false, out);
    return out;
}

namespace {

// Well-formed UTF-8 into out's room (no unit more than there are bytes), checked as it is
// decoded: false at the first ill-formed sequence, with out then of no use.
bool DecodeUtf8IfValid(std::string_view bytes, std::u16string& out) {
    out.resize(bytes.size());
    char16_t* to = out.data();
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            *to++ = lead;
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
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *to++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *to++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *to++ = static_cast<char16_t>(cp);
        }
        i += length;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return true;
}

}  // namespace

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
    if (ansi) {
        out = AnsiToUtf16(bytes);
    } else if (!DecodeUtf8IfValid(bytes, out)) {
        // Ill-formed bytes are UTF-8 only when the value says so; they then decode with
        // replacement characters.
        out = utf8 ? Utf8ToUtf16(bytes) : AnsiToUtf16(bytes);
    }
}

namespace {

// Appends one piece of a value: escapes resolved, line breaks of any form as a line feed.
// Stops at an unescaped separator (0 stops nowhere) and returns where it stopped.
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

// What a byte is to the ASCII reading below.
enum AsciiClass : unsigned char { kPlain, kBackslash, kBreak, kSemicolon, kComma, kBeyond };

constexpr std::array<unsigned char, 256> kAsciiClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (std::size_t b = 0x80; b < classes.size(); ++b)
        classes[b] = kBeyond;
    classes['\\'] = kBackslash;
    classes['\r'] = kBreak;
    classes['\n'] = kBreak;
    classes[';'] = kSemicolon;
    classes[','] = kComma;
    return classes;
}();

// AppendUnescaped for ASCII bytes, each its own unit, written straight into out's room (no
// piece is longer than its bytes). False at the first byte beyond ASCII, out then unfinished.
bool AppendUnescapedAscii(std::string_view value, std::size_t& at, unsigned char separator,
                          std::u16string& out) {
    std::size_t start = out.size();
    out.resize(start + value.size() - at);
    char16_t* to = out.data() + start;
    const auto* bytes = reinterpret_cast<const unsigned char*>(value.data());
    const std::size_t n = value.size();
    std::size_t i = at;
    bool ascii = true;
    while (i < n) {
        // Plain bytes, most of any value, in a tight run.
        while (i < n && kAsciiClasses[bytes[i]] == kPlain)
            *to++ = bytes[i++];
        if (i == n) break;
        unsigned char c = bytes[i];
        unsigned char kind = kAsciiClasses[c];
        if (kind == kBeyond) {
            ascii = false;
            break;
        }
        if (c == separator) break;
        ++i;
        if (kind == kSemicolon || kind == kComma) {
            *to++ = c;
        } else if (kind == kBreak) {
            *to++ = u'\n';
            if (c == '\r' && i < n && bytes[i] == '\n') ++i;
        } else if (i == n) {
            // A backslash: what it escapes, as AppendUnescaped reads it.
            *to++ = u'\\';
        } else if (bytes[i] >= 0x80) {
            ascii = false;
            break;
        } else {
            unsigned char next = bytes[i++];
            if (next == 'n' || next == 'N') {
                *to++ = u'\n';
            } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
                *to++ = next;
            } else if (next == '\r' || next == '\n') {
                *to++ = u'\\';
                --i;
            } else {
                *to++ = u'\\';
                *to++ = next;
            }
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    at = i;
    return ascii;
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

bool SplitVcardAsciiInto(std::string_view bytes, char separator, std::vector<std::u16string>& parts,
                         std::size_t& count) {
    count = 0;
    std::size_t i = 0;
    do {
        if (count == parts.size()) parts.emplace_back();
        std::u16string& part = parts[count];
        part.clear();
        if (count > 0) ++i;
        if (!AppendUnescapedAscii(bytes, i, static_cast<unsigned char>(separator), part))
            return false;
        ++count;
    } while (i < bytes.size());
    return true;
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

bool UnescapeVcardAsciiInto(std::string_view bytes, std::u16string& out) {
    out.clear();
    std::size_t i = 0;
    return AppendUnescapedAscii(bytes, i, 0, out);
}

std::u16string_view CutAtUnits(std::u16string_view text, std::size_t max) {
    if (text.size() <= max) return text;
    std::size_t end = max;
    if (end > 0 && IsHighSurrogate(text[end - 1])) --end;
    return text.substr(0, end);
}
