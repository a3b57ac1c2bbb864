#include "sms/utf8_text_sink.h"

#include "platform/text.h"

namespace {
constexpr std::size_t kBlockBytes = 1 << 16;
}

void Utf8TextSink::Write(std::u16string_view text) {
    AppendUtf8(buffer_, text);
    FlushIfFull();
}

void Utf8TextSink::Write(std::string_view ascii) {
    buffer_.append(ascii);
    FlushIfFull();
}

void Utf8TextSink::FlushIfFull() {
    if (buffer_.size() >= kBlockBytes) Flush();
}

bool Utf8TextSink::Flush() {
    if (!buffer_.empty() && ok_)
        ok_ = std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) == buffer_.size();
    buffer_.clear();
    return ok_;
}
