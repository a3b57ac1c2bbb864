#pragma once
// The text rules of a vCard value: escapes, quoted-printable, charsets, line breaks.

#include <string>
#include <string_view>
#include <vector>

// Appends text as a vCard text value in UTF-8: \ , ; escaped, each line break (CR LF, LF or CR)
// as \n.
void AppendVcardEscaped(std::string& out, std::u16string_view text);
// Appends text in UTF-8 as it is (a half surrogate pair as U+FFFD, as AppendUtf8 does).
void AppendVcardUtf8(std::string& out, std::u16string_view text);

// Decodes =XX sequences; an = not followed by two hex digits stays as it is.
std::string DecodeQuotedPrintable(std::string_view bytes);
void DecodeQuotedPrintableInto(std::string_view bytes, std::string& out);

// True when every byte is ASCII.
bool IsAscii(std::string_view bytes);

// Bytes of a value as text: charset UTF-8, ISO-8859-1 or Windows-1252 (ISO-8859-1 is read as
// Windows-1252, its superset, as address books that claim it mean); no charset or an unknown
// one: UTF-8 when the bytes are well-formed UTF-8, else Windows-1252.
std::u16string DecodeVcardCharset(std::string_view bytes, std::string_view charset);
// The same into out, whose room is reused; utf8Known skips the charset and takes UTF-8.
void DecodeVcardCharsetInto(std::string_view bytes, std::string_view charset, bool utf8Known,
                            std::u16string& out);

// Splits at each unescaped separator (';' for structured values, ',' for lists) and unescapes
// each part: \\ \, \; \: and \n or \N (a line feed); any other backslash stays. A raw line
// break of any form (from quoted-printable) becomes a line feed too.
std::vector<std::u16string> SplitVcardValue(std::u16string_view value, char16_t separator);
// The same into parts, whose strings keep their room from value to value: returns how many of
// them the value fills (parts may hold more, left from an earlier value).
std::size_t SplitVcardValueInto(std::u16string_view value, char16_t separator,
                                std::vector<std::u16string>& parts);
std::u16string UnescapeVcard(std::u16string_view value);
void UnescapeVcardInto(std::u16string_view value, std::u16string& out);
// The same straight from the bytes of an ASCII value, each its own unit (as every charset here
// decodes them), without decoding it first. False, with out or parts unfinished, when a byte
// is not ASCII after all.
bool SplitVcardAsciiInto(std::string_view bytes, char separator, std::vector<std::u16string>& parts,
                         std::size_t& count);
bool UnescapeVcardAsciiInto(std::string_view bytes, std::u16string& out);

// The text cut to at most max units, never between the halves of a surrogate pair.
std::u16string_view CutAtUnits(std::u16string_view text, std::size_t max);
