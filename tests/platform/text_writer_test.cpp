#include "platform/text_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Lines of distinct text, so a block written twice, lost or out of order shows.
std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += "line " + std::to_string(i) + " of the export\r\n";
    return text;
}

TEST(TextWriterTest, ManyBlocksReachTheFileWholeAndInOrder) {
    TempDir dir;
    File file(std::fopen((dir / "out.txt").c_str(), "wb"));
    ASSERT_NE(file, nullptr);
    std::string expected;
    {
        TextWriter out(file.get());
        // Encoded by the caller, as the record writers do: well past two blocks.
        for (int i = 0; i < 60000; ++i) {
            std::string line = Lines(i, i + 1);
            out.bytes() += line;
            expected += line;
            out.Pass();
        }
        out.Write(u"caf\u00e9 \U0001F600\n");
        expected += "caf\xC3\xA9 \xF0\x9F\x98\x80\n";
        ASSERT_TRUE(out.Flush());
        // After a flush the stream is the caller's: its own bytes land in order.
        std::fputs("own\n", file.get());
        expected += "own\n";
        out.Write(std::string_view(Lines(0, 20000)));
        expected += Lines(0, 20000);
        ASSERT_TRUE(out.Flush());
    }
    file.reset();
    ASSERT_GT(expected.size(), 4 * TextWriter::kBlockBytes);
    EXPECT_TRUE(ReadBytes(dir / "out.txt") == expected);
}

TEST(TextWriterTest, AFailedWriteIsReportedWhateverBlockItHitAndLater) {
    for (int blocks : {0, 1, 2, 9}) {
        File full(std::fopen("/dev/full", "wb"));
        ASSERT_NE(full, nullptr);
        // Unbuffered, so even the smallest write meets the full device at once.
        std::setvbuf(full.get(), nullptr, _IONBF, 0);
        TextWriter out(full.get());
        std::string block = Lines(0, 12000);
        ASSERT_GE(block.size(), TextWriter::kBlockBytes);
        for (int i = 0; i < blocks; ++i) {
            out.bytes() += block;
            out.Pass();
        }
        out.Write(std::string_view("tail"));
        EXPECT_FALSE(out.Flush()) << blocks;
        out.Write(std::string_view("more"));
        EXPECT_FALSE(out.Flush()) << blocks;
    }
}

}  // namespace
