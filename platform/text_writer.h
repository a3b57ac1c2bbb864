#pragma once
// The one buffered writer of the file exports: bytes are gathered and handed to the stream in
// large blocks, so a field of a few characters costs no library call of its own. Text is written
// as UTF-8 without a byte-order mark and line ends exactly as handed; a UTF-16 file appends its
// own bytes. One error model: the first failed write is remembered and Flush() reports it.
// Every few megabytes the disk is set to work (StartWriteback), so a large export is mostly
// written by the time its final sync comes.

#include <cstdio>
#include <string>
#include <string_view>

class TextWriter {
  public:
    static constexpr std::size_t kBlockBytes = 1 << 18;
    static constexpr std::size_t kWritebackBytes = 1 << 24;

    explicit TextWriter(std::FILE* stream) : stream_(stream) {}
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // As UTF-8.
    void Write(std::u16string_view text);
    // ASCII literals of the formats.
    void Write(std::string_view ascii);
    // The pending bytes, for a writer that encodes on its own; call Pass() after appending.
    std::string& bytes() { return bytes_; }
    // Writes the pending bytes once they fill a block.
    void Pass() {
        if (bytes_.size() >= kBlockBytes) Flush();
    }
    // Writes what is pending; false when any write so far failed.
    bool Flush();

  private:
    std::FILE* stream_;
    std::string bytes_;
    std::size_t unsynced_ = 0;
    bool ok_ = true;
};
