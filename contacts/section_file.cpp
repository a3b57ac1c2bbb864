#include "contacts/section_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/text.h"

namespace {

enum class TextEncoding { Utf16Le, Utf8, Ansi };

// A UTF-8 line is cut in characters, like a UTF-16 one. No UTF-16 unit takes more than 3 bytes
// of UTF-8, so these bytes always hold the kept characters, whatever the text.
constexpr std::size_t kKeptUtf8LineBytes = 3 * kKeptLineUnits + 4;

// Reads a file's lines through a large buffer; a line is kept up to its limit and the rest of
// it is passed over without being stored.
class LineReader {
  public:
    static constexpr std::size_t kBufferBytes = 1 << 20;

    // Reads at most sizeAtOpen bytes: a file that grows while it is read, or a file system
    // that reports a wrong size, cannot make the reader go on for ever.
    LineReader(std::FILE* file, std::uint64_t sizeAtOpen)
        : file_(file), size_(sizeAtOpen), left_(sizeAtOpen), buffer_(kBufferBytes) {
        raw_.reserve(kKeptUtf8LineBytes);
    }

    // Reads the byte-order mark, if any, and decides how the rest is read.
    void ReadMark() {
        while (Available() < 3 && Refill()) {
        }
        const unsigned char* p = Data();
        if (Available() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
            encoding_ = TextEncoding::Utf8;
            pos_ += 3;
        } else if (Available() < 2) {
            encoding_ = TextEncoding::Utf16Le;
            pos_ = end_;
        } else if (p[0] == 0xFF && p[1] == 0xFE) {
            encoding_ = TextEncoding::Utf16Le;
            pos_ += 2;
        } else {
            encoding_ = TextEncoding::Ansi;
        }
    }

    // The next line's kept text, valid until the next call; nothing when the file ends before
    // the line's first character. A last line without a line feed is a line like any other.
    // True when a read failed, so the lines stopped early rather than at the file's end.
    bool failed() const { return failed_; }
    double ShareRead() const {
        if (size_ == 0) return 1;
        return static_cast<double>(size_ - left_ - Available()) / static_cast<double>(size_);
    }

    std::optional<std::u16string_view> NextLine() {
        lineLength_ = 0;
        switch (encoding_) {
            case TextEncoding::Utf16Le:
                if (!ReadUtf16Line()) return std::nullopt;
                break;
            case TextEncoding::Utf8:
                if (!ReadByteLine(kKeptUtf8LineBytes)) return std::nullopt;
                KeepText(Utf8ToUtf16(UpToNul(raw_)));
                break;
            case TextEncoding::Ansi:
                if (!ReadByteLine(kKeptAnsiLineUnits)) return std::nullopt;
                KeepAnsi(UpToNul(raw_));
                break;
        }
        return std::u16string_view(line_.data(), lineLength_);
    }

  private:
    const unsigned char* Data() const { return buffer_.data() + pos_; }
    std::size_t Available() const { return end_ - pos_; }

    // Moves what is left to the front and reads more behind it; false when nothing came.
    bool Refill() {
        std::size_t left = Available();
        if (left > 0 && pos_ > 0) std::memmove(buffer_.data(), buffer_.data() + pos_, left);
        pos_ = 0;
        end_ = left;
        std::size_t room = buffer_.size() - end_;
        if (room > left_) room = static_cast<std::size_t>(left_);
        std::size_t n = room == 0 ? 0 : std::fread(buffer_.data() + end_, 1, room, file_);
        if (n < room && std::ferror(file_) != 0) failed_ = true;
        left_ -= n;
        end_ += n;
        return n > 0;
    }

    bool Ensure(std::size_t bytes) {
        while (Available() < bytes) {
            if (!Refill()) return false;
        }
        return true;
    }

    bool ReadUtf16Line() {
        bool started = false;
        bool cut = false;
        for (;;) {
            // A lone last byte is no character.
            if (!Ensure(2)) {
                pos_ = end_;
                return started;
            }
            started = true;
            const unsigned char* p = Data();
            std::size_t units = Available() / 2;
            std::size_t lineEnd = FindLineFeedUnit(p, units);
            std::size_t keep = std::min(lineEnd, kKeptLineUnits - lineLength_);
            char16_t* out = line_.data() + lineLength_;
            for (std::size_t i = 0; i < keep; ++i)
                out[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
            lineLength_ += keep;
            // The line is cut here: keep no high surrogate whose low half is dropped.
            if (!cut && keep < lineEnd) {
                cut = true;
                if (lineLength_ > 0 && line_[lineLength_ - 1] >= 0xD800 &&
                    line_[lineLength_ - 1] <= 0xDBFF) {
                    --lineLength_;
                }
            }
            if (lineEnd < units) {
                pos_ += 2 * (lineEnd + 1);
                return true;
            }
            pos_ += 2 * units;
        }
    }

    static std::size_t FindLineFeedUnit(const unsigned char* p, std::size_t units) {
        const unsigned char* end = p + 2 * units;
        for (const unsigned char* from = p; from < end;) {
            auto hit = static_cast<const unsigned char*>(std::memchr(from, 0x0A, end - from));
            if (hit == nullptr) break;
            std::size_t offset = hit - p;
            if (offset % 2 == 0 && p[offset + 1] == 0) return offset / 2;
            from = hit + 1;
        }
        return units;
    }

    bool ReadByteLine(std::size_t keepBytes) {
        raw_.clear();
        bool started = false;
        for (;;) {
            if (!Ensure(1)) return started;
            started = true;
            const unsigned char* p = Data();
            auto hit = static_cast<const unsigned char*>(std::memchr(p, 0x0A, Available()));
            std::size_t length = hit != nullptr ? hit - p : Available();
            std::size_t keep = std::min(length, keepBytes - raw_.size());
            raw_.append(reinterpret_cast<const char*>(p), keep);
            if (hit != nullptr) {
                pos_ += length + 1;
                return true;
            }
            pos_ = end_;
        }
    }

    static std::string_view UpToNul(std::string_view bytes) {
        return bytes.substr(0, bytes.find('\0'));
    }

    void KeepText(std::u16string_view text) {
        text = CutToUnits(text, line_.size());
        lineLength_ = text.size();
        std::copy_n(text.begin(), lineLength_, line_.begin());
    }

    void KeepAnsi(std::string_view bytes) {
        if (std::ranges::any_of(bytes,
                                [](char b) { return static_cast<unsigned char>(b) >= 0x80; })) {
            KeepText(AnsiToUtf16(bytes));
            return;
        }
        lineLength_ = std::min(bytes.size(), line_.size());
        std::copy_n(bytes.begin(), lineLength_, line_.begin());
    }

    std::FILE* file_;
    std::uint64_t size_;
    std::uint64_t left_;
    bool failed_ = false;
    std::vector<unsigned char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    TextEncoding encoding_ = TextEncoding::Ansi;
    std::array<char16_t, kKeptLineUnits> line_;
    std::size_t lineLength_ = 0;
    std::string raw_;
};

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::u16string_view TrimmedPart(std::u16string_view text) {
    return Trim(CutToUnits(text, kMaxSectionText));
}

bool IsHeader(std::u16string_view line) {
    return line.size() >= 3 && line.front() == u'[' && line.back() == u']';
}

bool IsEntry(std::u16string_view line) {
    return line.size() >= 3 && line.find(u'=') != std::u16string_view::npos &&
           line.front() != u'=' && line.back() != u'=';
}

// Fills a SectionList line by line. While loading, a section's entries are known by where they
// start in the list's entry vector (each section's entries follow the previous one's); the spans
// are set once that vector stops moving.
class SectionLoader {
  public:
    explicit SectionLoader(SectionList& list) : list_(list), firstEntry_(list.sections.size()) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < list.sections.size(); ++i) {
            firstEntry_[i] = start;
            start += list.sections[i].entries.size();
        }
        base_ = list.sections.size();
    }
    SectionLoader(const SectionLoader&) = delete;
    SectionLoader& operator=(const SectionLoader&) = delete;
    ~SectionLoader() {
        for (std::size_t i = 0; i < firstEntry_.size(); ++i) {
            std::size_t end =
                i + 1 < firstEntry_.size() ? firstEntry_[i + 1] : list_.entries.size();
            list_.sections[i].entries = std::span<const SectionEntry>(
                list_.entries.data() + firstEntry_[i], end - firstEntry_[i]);
        }
    }

    std::int32_t AddLine(std::u16string_view line) {
        if (IsHeader(line)) return AddSection(TrimmedPart(line.substr(1, line.size() - 2)));
        if (IsEntry(line) && firstEntry_.size() > base_) {
            std::size_t equals = line.find(u'=');
            return AddEntry(TrimmedPart(line.substr(0, equals)),
                            TrimmedPart(line.substr(equals + 1)));
        }
        return kSectionFileLoaded;
    }

  private:
    std::int32_t AddSection(std::u16string_view name) {
        try {
            list_.sections.push_back(Section{list_.texts.Copy(name), {}});
        } catch (const std::bad_alloc&) {
            return kSectionNoMemory;
        }
        try {
            firstEntry_.push_back(list_.entries.size());
        } catch (const std::bad_alloc&) {
            list_.sections.pop_back();
            return kSectionNoMemory;
        }
        return kSectionFileLoaded;
    }

    std::int32_t AddEntry(std::u16string_view key, std::u16string_view value) {
        try {
            list_.entries.push_back(SectionEntry{SharedKey(key), list_.texts.Copy(value)});
        } catch (const std::bad_alloc&) {
            return kSectionEntryNoMemory;
        }
        return kSectionFileLoaded;
    }

    // Sections mostly repeat the keys of the one before, in the same order; such a key is kept
    // once.
    std::u16string_view SharedKey(std::u16string_view key) {
        std::size_t current = firstEntry_.size() - 1;
        if (current > 0) {
            std::size_t previous =
                firstEntry_[current - 1] + (list_.entries.size() - firstEntry_[current]);
            if (previous < firstEntry_[current] && list_.entries[previous].key == key) {
                return list_.entries[previous].key;
            }
        }
        return list_.texts.Copy(key);
    }

    SectionList& list_;
    std::vector<std::size_t> firstEntry_;  // per section
    std::size_t base_;                     // the sections that were there before
};

// Opens a file for the line reader: kSectionFileLoaded, or kSectionFileUnreadable.
std::int32_t OpenLines(std::u16string_view path, UniqueFile& file,
                       std::unique_ptr<LineReader>& reader) {
    std::uint64_t size = 0;
    file = OpenFile(path, &size);
    if (!file) return kSectionFileUnreadable;
    try {
        reader = std::make_unique<LineReader>(file.get(), size);
    } catch (const std::bad_alloc&) {
        return kSectionFileUnreadable;
    }
    reader->ReadMark();
    return kSectionFileLoaded;
}

}  // namespace

std::u16string_view TextStore::Copy(std::u16string_view text) {
    static constexpr char16_t kEmpty[] = u"";
    if (text.empty()) return {kEmpty, 0};
    if (text.size() > freeUnits_) {
        std::size_t units = std::max(kBlockUnits, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(units));
        free_ = blocks_.back().get();
        freeUnits_ = units;
    }
    char16_t* copy = free_;
    std::copy(text.begin(), text.end(), copy);
    free_ += text.size();
    freeUnits_ -= text.size();
    return {copy, text.size()};
}

void TextStore::Rewind() {
    if (blocks_.empty()) return;
    blocks_.resize(1);
    free_ = blocks_.front().get();
    freeUnits_ = kBlockUnits;
}

void TextStore::Clear() {
    blocks_.clear();
    free_ = nullptr;
    freeUnits_ = 0;
}

std::int32_t LoadSectionFile(SectionList& sections, std::u16string_view path) {
    if (path.data() == nullptr) return kSectionFileNoPath;
    UniqueFile file;
    std::unique_ptr<LineReader> reader;
    if (std::int32_t code = OpenLines(path, file, reader); code != kSectionFileLoaded) return code;
    SectionLoader loader(sections);
    while (std::optional<std::u16string_view> line = reader->NextLine()) {
        std::u16string_view text = Trim(LimitedText(*line, kKeptLineUnits));
        if (text.empty()) continue;
        std::int32_t code = loader.AddLine(text);
        if (code != kSectionFileLoaded) return code;
    }
    return reader->failed() ? kSectionFileUnreadable : kSectionFileLoaded;
}

std::int32_t VisitSectionFile(std::u16string_view path, const SectionVisitor& visit) {
    if (path.data() == nullptr) return kSectionFileNoPath;
    UniqueFile file;
    std::unique_ptr<LineReader> reader;
    if (std::int32_t code = OpenLines(path, file, reader); code != kSectionFileLoaded) return code;
    TextStore texts;
    std::vector<SectionEntry> entries;
    std::optional<std::u16string_view> name;  // set once the first header was read
    auto finish = [&] {
        if (name) visit(Section{*name, entries, reader->ShareRead()});
        entries.clear();
        texts.Rewind();
    };
    try {
        while (std::optional<std::u16string_view> line = reader->NextLine()) {
            std::u16string_view text = Trim(LimitedText(*line, kKeptLineUnits));
            if (text.empty()) continue;
            if (IsHeader(text)) {
                finish();
                name = texts.Copy(TrimmedPart(text.substr(1, text.size() - 2)));
            } else if (IsEntry(text) && name) {
                std::size_t equals = text.find(u'=');
                std::u16string_view key = texts.Copy(TrimmedPart(text.substr(0, equals)));
                entries.push_back(
                    SectionEntry{key, texts.Copy(TrimmedPart(text.substr(equals + 1)))});
            }
        }
    } catch (const std::bad_alloc&) {
        return kSectionEntryNoMemory;
    }
    if (reader->failed()) return kSectionFileUnreadable;
    finish();
    return kSectionFileLoaded;
}

const Section* SectionAt(const SectionList& sections, std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > sections.sections.size()) {
        return nullptr;
    }
    return &sections.sections[static_cast<std::size_t>(position) - 1];
}

const SectionEntry* FindEntry(const Section& section, std::u16string_view key) {
    for (const SectionEntry& entry : section.entries) {
        if (EqualsIgnoreCase(entry.key, key)) return &entry;
    }
    return nullptr;
}

void ClearSectionList(SectionList& sections) {
    std::vector<Section>().swap(sections.sections);
    std::vector<SectionEntry>().swap(sections.entries);
    sections.texts.Clear();
}
