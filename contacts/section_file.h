#pragma once
// A text file of bracketed section headers and "key = value" lines, loaded whole into memory.
// It knows nothing of contacts; the contact backup reader is built on it.
//
// Encoding, from the first bytes: FF FE is UTF-16 little-endian (so is a file shorter than two
// bytes); EF BB BF is UTF-8, so that a backup saved by a text editor loses nothing; anything
// else, the big-endian mark FE FF and UTF-16 without a mark included, is the system's ANSI code
// page, read from the first byte. Read as ANSI, UTF-16 text converts only up to its first zero
// byte per line, so no header or key survives.
//
// Each line, up to a line feed (U+000A, or the byte 0x0A outside UTF-16):
//  - keeps its first kKeptLineUnits characters (kKeptAnsiLineUnits in an ANSI file); the rest
//    is read and dropped; a NUL ends its text; then it is trimmed (space, tab and CR only);
//  - empty: skipped;
//  - at least 3 characters, "[" first and "]" last: a header. The name is the first 1022
//    characters between the brackets, trimmed. Tested before the key form, so "[A=B]" is a
//    header;
//  - at least 3 characters, containing "=" but neither beginning nor ending with it, with a
//    section before it: an entry. The key is the first 1022 characters before the first "=",
//    trimmed; the value the first 1022 after it, trimmed;
//  - anything else is ignored.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

constexpr std::size_t kKeptLineUnits = 2045;
// An ANSI line is converted into a buffer of 2045 units with its terminator; a longer line is
// cut to fit.
constexpr std::size_t kKeptAnsiLineUnits = 2044;
constexpr std::size_t kMaxSectionText = 1022;

// Holds the texts of a SectionList. A text once copied never moves, so views of it stay valid
// for as long as the store lives.
class TextStore {
  public:
    std::u16string_view Copy(std::u16string_view text);
    void Clear();
    // Forgets every text but keeps the first block for the next ones, so a store that holds
    // one section at a time allocates once.
    void Rewind();

  private:
    static constexpr std::size_t kBlockUnits = 256 * 1024;
    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    char16_t* free_ = nullptr;
    std::size_t freeUnits_ = 0;
};

struct SectionEntry {
    std::u16string_view key;
    std::u16string_view value;
};

struct Section {
    std::u16string_view name;  // empty when the header had none
    std::span<const SectionEntry> entries;
    // VisitSectionFile only: the share of the file read up to the section's end, 0 to 1, so a
    // reader can tell how many records the whole file is likely to hold.
    double shareRead = 0;
};

// Sections in file order, entries in file order; a key may occur more than once. The entries of
// all sections and their texts belong to the list, which can be moved but not copied.
struct SectionList {
    std::vector<Section> sections;
    std::vector<SectionEntry> entries;
    TextStore texts;
};

constexpr std::int32_t kSectionFileLoaded = 0;
constexpr std::int32_t kSectionFileNoPath = -1;
constexpr std::int32_t kSectionFileUnreadable = -2;
constexpr std::int32_t kSectionNoMemory = -4;
constexpr std::int32_t kSectionEntryNoMemory = -5;

// Appends the file's sections to the list (normally empty). On kSectionNoMemory and
// kSectionEntryNoMemory the sections loaded so far stay in the list. A path that views nothing
// is absent; a folder is unreadable.
std::int32_t LoadSectionFile(SectionList& sections, std::u16string_view path);

// The same file read one section at a time, in file order: visit gets each section once its last
// line was read, with views that stay valid only during the call, so memory holds one section,
// not the file. kSectionFileLoaded, kSectionFileNoPath, kSectionFileUnreadable or
// kSectionEntryNoMemory (the sections before it were visited).
using SectionVisitor = std::function<void(const Section&)>;
std::int32_t VisitSectionFile(std::u16string_view path, const SectionVisitor& visit);

// 1-based; null when the position is below 1 or above the count.
const Section* SectionAt(const SectionList& sections, std::int32_t position);
// The first entry whose key equals key ignoring letter case, or null.
const SectionEntry* FindEntry(const Section& section, std::u16string_view key);
void ClearSectionList(SectionList& sections);
