#pragma once
// The contact writers build a file's bytes in memory and hand them to the stream a large piece
// at a time, so a field of a few characters costs no library call of its own.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

class ChunkedOutput {
  public:
    static constexpr std::size_t kChunkBytes = 1 << 20;

    explicit ChunkedOutput(std::FILE* stream) : stream_(stream) { bytes_.reserve(kChunkBytes * 2); }
    ChunkedOutput(const ChunkedOutput&) = delete;
    ChunkedOutput& operator=(const ChunkedOutput&) = delete;

    // The pending bytes; append to them, then call Pass().
    std::string& bytes() { return bytes_; }
    // Writes the pending bytes once they fill a chunk.
    void Pass() {
        if (bytes_.size() >= kChunkBytes) Flush();
    }
    // A failed write leaves the stream's error flag set, which its closing checks.
    void Flush() {
        if (!bytes_.empty()) std::fwrite(bytes_.data(), 1, bytes_.size(), stream_);
        bytes_.clear();
    }

  private:
    std::FILE* stream_;
    std::string bytes_;
};

// Each code unit as two bytes, low byte first.
inline void AppendUtf16Le(std::string& out, std::u16string_view text) {
    std::size_t at = out.size();
    out.resize(at + 2 * text.size());
    char* p = out.data() + at;
    for (char16_t c : text) {
        *p++ = static_cast<char>(c & 0xFF);
        *p++ = static_cast<char>(c >> 8);
    }
}
