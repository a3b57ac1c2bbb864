#include "contacts/section_file.h"

#include <algorithm>
#include <cstring>
#include <new>
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

    explicit LineReader(std::FILE* file) : file_(file), buffer_(kBufferBytes) {
        line_.reserve(kKeptLineUnits + 1);
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

    // The next line's kept text, or null when the file ends before its first character. A last
    // line without a line feed is a line like any other.
    const std::u16string* NextLine() {
        line_.clear();
        switch (encoding_) {
            case TextEncoding::Utf16Le:
                return ReadUtf16Line() ? &line_ : nullptr;
            case TextEncoding::Utf8:
                if (!ReadByteLine(kKeptUtf8LineBytes)) return nullptr;
                line_ = Utf8ToUtf16(UpToNul(raw_));
                return &line_;
            case TextEncoding::Ansi:
                if (!ReadByteLine(kKeptAnsiLineUnits)) return nullptr;
                AppendAnsi(UpToNul(raw_));
                return &line_;
        }
        return nullptr;
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
        std::size_t n = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
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
            std::size_t keep = std::min(lineEnd, kKeptLineUnits - line_.size());
            for (std::size_t i = 0; i < keep; ++i)
                line_.push_back(static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8));
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

    void AppendAnsi(std::string_view bytes) {
        if (std::ranges::all_of(bytes, [](char b) { return static_cast<unsigned char>(b) < 0x80; })) {
            line_.assign(bytes.begin(), bytes.end());
        } else {
            line_ = AnsiToUtf16(bytes);
        }
    }

    std::FILE* file_;
    std::vector<unsigned char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    TextEncoding encoding_ = TextEncoding::Ansi;
    std::u16string line_;
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
    return Trim(text.substr(0, kMaxSectionText));
}

bool IsHeader(std::u16string_view line) {
    return line.size() >= 3 && line.front() == u'[' && line.back() == u']';
}

bool IsEntry(std::u16string_view line) {
    return line.size() >= 3 && line.find(u'=') != std::u16string_view::npos &&
           line.front() != u'=' && line.back() != u'=';
}

std::int32_t AddLine(SectionList& sections, std::u16string_view line) {
    if (IsHeader(line)) {
        try {
            Section section;
            section.name = sections.texts.Copy(TrimmedPart(line.substr(1, line.size() - 2)));
            sections.sections.push_back(std::move(section));
        } catch (const std::bad_alloc&) {
            return kSectionNoMemory;
        }
    } else if (IsEntry(line) && !sections.sections.empty()) {
        std::size_t equals = line.find(u'=');
        try {
            SectionEntry entry;
            entry.key = sections.texts.Copy(TrimmedPart(line.substr(0, equals)));
            entry.value = sections.texts.Copy(TrimmedPart(line.substr(equals + 1)));
            sections.sections.back().entries.push_back(entry);
        } catch (const std::bad_alloc&) {
            return kSectionEntryNoMemory;
        }
    }
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

void TextStore::Clear() {
    blocks_.clear();
    free_ = nullptr;
    freeUnits_ = 0;
}

std::int32_t LoadSectionFile(SectionList& sections, std::u16string_view path) {
    if (path.data() == nullptr) return kSectionFileNoPath;
    UniqueFile file = OpenFile(path, "rb");
    if (!file) return kSectionFileUnreadable;
    std::unique_ptr<LineReader> reader;
    try {
        reader = std::make_unique<LineReader>(file.get());
    } catch (const std::bad_alloc&) {
        return kSectionFileUnreadable;
    }
    reader->ReadMark();
    while (const std::u16string* line = reader->NextLine()) {
        std::u16string_view text = Trim(LimitedText(*line, kKeptLineUnits));
        if (text.empty()) continue;
        std::int32_t code = AddLine(sections, text);
        if (code != kSectionFileLoaded) return code;
    }
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
    sections.texts.Clear();
}
