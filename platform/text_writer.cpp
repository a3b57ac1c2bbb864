#include "platform/text_writer.h"

#include "platform/files.h"
#include "platform/text.h"

void TextWriter::Write(std::u16string_view text) {
    AppendUtf8(bytes_, text);
    Pass();
}

void TextWriter::Write(std::string_view ascii) {
    bytes_.append(ascii);
    Pass();
}

bool TextWriter::Flush() {
    if (!bytes_.empty() && ok_) {
        ok_ = std::fwrite(bytes_.data(), 1, bytes_.size(), stream_) == bytes_.size();
        unsynced_ += bytes_.size();
        if (ok_ && unsynced_ >= kWritebackBytes) {
            StartWriteback(stream_);
            unsynced_ = 0;
        }
    }
    bytes_.clear();
    return ok_;
}
