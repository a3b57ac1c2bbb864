#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

TEST(Files, FolderOpensLikeAMissingFile) {
    TempDir dir;
    EXPECT_EQ(OpenFile(dir.U16Path(""), "rb"), nullptr);
    EXPECT_EQ(OpenFile(dir.U16Path("missing"), "rb"), nullptr);
    WriteBytes(dir / "x", "1");
    EXPECT_NE(OpenFile(dir.U16Path("x"), "rb"), nullptr);
}

TEST(Files, CreateDirectoryIsOneLevel) {
    TempDir dir;
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("a")), CreateDirectoryResult::Created);
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("a")), CreateDirectoryResult::AlreadyExists);
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("b/c")), CreateDirectoryResult::Failed);
    WriteBytes(dir / "f", "");
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("f")), CreateDirectoryResult::Failed);
}

TEST(Files, ReplacingFileTouchesTheTargetOnlyOnSuccess) {
    TempDir dir;
    WriteBytes(dir / "t", "old");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("t")));
        std::fputs("new", file.stream());
        EXPECT_EQ(ReadBytes(dir / "t"), "old");  // not yet
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadBytes(dir / "t"), "new");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("t")));
        std::fputs("abandoned", file.stream());
    }
    EXPECT_EQ(ReadBytes(dir / "t"), "new");
    {
        FileSizeLimit full(1024);
        ReplacingFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("t")));
        std::string big(64 * 1024, 'x');
        std::fwrite(big.data(), 1, big.size(), file.stream());
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(ReadBytes(dir / "t"), "new");
    // Nothing is left behind beside the target.
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(Files, ReplacingFileRefusesWhatMayNotBeWritten) {
    TempDir dir;
    ReplacingFile file;
    EXPECT_FALSE(file.Open(dir.U16Path("")));              // a folder
    EXPECT_FALSE(file.Open(dir.U16Path("no/such/file")));  // a folder that does not exist
    WriteBytes(dir / "ro", "keep");
    chmod((dir / "ro").c_str(), 0444);
    EXPECT_FALSE(file.Open(dir.U16Path("ro")));
    EXPECT_EQ(ReadBytes(dir / "ro"), "keep");
}
