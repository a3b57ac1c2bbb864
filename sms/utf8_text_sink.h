#pragma once
// The text-mode stream of the SMS exports: UTF-8 without a byte-order mark, line ends exactly as
// handed. Output is gathered and written in large blocks.

#include <cstdio>
#include <string>
#include <string_view>

class Utf8TextSink {
  public:
    explicit Utf8TextSink(std::FILE* stream) : stream_(stream) {}
    Utf8TextSink(const Utf8TextSink&) = delete;
    Utf8TextSink& operator=(const Utf8TextSink&) = delete;

    void Write(std::u16string_view text);
    // ASCII literals of the formats.
    void Write(std::string_view ascii);
    // False when any write so far failed.
    bool Flush();

  private:
    void FlushIfFull();

    std::FILE* stream_;
    std::string buffer_;
    bool ok_ = true;
};
