#pragma once
// UTF-16 is the program's text; these are the conversions at its edges.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Appends the UTF-8 form of text to out, so a caller can reuse one buffer across many writes.
void AppendUtf8(std::string& out, std::u16string_view text);

// Appends each code unit as two bytes, low byte first.
void AppendUtf16Le(std::string& out, std::u16string_view text);

// The system ANSI code page is Windows-1252. The five bytes glibc's iconv refuses
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, as on the phone.
std::u16string AnsiToUtf16(std::string_view bytes);

// Letter case is ignored the way the phone's wide-character compare does it: ASCII letters and,
// beyond ASCII, whatever the C library's towlower maps.
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);
char16_t ToLowerChar(char16_t c);

// At most maxUnits code units of text. A cut that would split a surrogate pair drops its high
// half too, so no cut ever leaves half a character behind.
std::u16string_view CutToUnits(std::u16string_view text, std::size_t maxUnits);

// The text up to its first NUL, cut to maxChars code units (CutToUnits): what a fixed buffer of
// maxChars + 1 units holds after a length-limited copy.
std::u16string_view LimitedText(std::u16string_view text, std::size_t maxChars);

// Signed decimal, as "%d" formats it.
std::u16string DecimalText(std::int64_t value);

// A UTF-16 string literal from ASCII/UTF-8 source text, for tests and tables.
inline std::u16string U16(std::string_view utf8) {
    return Utf8ToUtf16(utf8);
}
