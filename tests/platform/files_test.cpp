#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

TEST(Files, FoldersAndMissingPathsAreRefused) {
    TempDir dir;
    EXPECT_EQ(OpenFile(dir.U16Path(""), "rb"), nullptr);
    EXPECT_EQ(OpenFile(dir.U16Path("missing"), "rb"), nullptr);
    WriteBytes(dir / "f", "1");
    EXPECT_NE(OpenFile(dir.U16Path("f"), "rb"), nullptr);

    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("a")), CreateDirectoryResult::Created);
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("a")), CreateDirectoryResult::AlreadyExists);
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("b/c")), CreateDirectoryResult::Failed);
    EXPECT_EQ(CreateDirectoryAt(dir.U16Path("f")), CreateDirectoryResult::Failed);

    ReplacingFile file;
    EXPECT_FALSE(file.Open(dir.U16Path("")));
    EXPECT_FALSE(file.Open(dir.U16Path("no/such/file")));
    chmod((dir / "f").c_str(), 0444);
    EXPECT_FALSE(file.Open(dir.U16Path("f")));
    EXPECT_EQ(ReadBytes(dir / "f"), "1");
}

// A full disk and a leftover temporary file are covered through the contact and SMS writers.
TEST(Files, ReplacingFileTouchesTheTargetOnlyOnCommit) {
    TempDir dir;
    WriteBytes(dir / "t", "old");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("t")));
        std::fputs("new", file.stream());
        EXPECT_EQ(ReadBytes(dir / "t"), "old");
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadBytes(dir / "t"), "new");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("t")));
        std::fputs("abandoned", file.stream());
    }
    EXPECT_EQ(ReadBytes(dir / "t"), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
