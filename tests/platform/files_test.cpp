#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/text.h"
#include "test_support.h"

namespace fs = std::filesystem;

TEST(Files, FoldersAndMissingPathsAreRefused) {
    TempDir dir;
    EXPECT_EQ(OpenFile(dir.U16Path("")), nullptr);
    EXPECT_EQ(OpenFile(dir.U16Path("missing")), nullptr);
    WriteBytes(dir / "f", "1");
    EXPECT_NE(OpenFile(dir.U16Path("f")), nullptr);

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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

// A process killed half way through an export (here: one that ends without closing anything)
// leaves the old file and nothing else, however much it had written.
TEST(Files, AnExportKilledWhileWritingLeavesNothingBehind) {
    TempDir dir;
    WriteBytes(dir / "backup.dat", "old");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ReplacingFile file;
        if (!file.Open(dir.U16Path("backup.dat"))) _exit(2);
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 4; ++i)
            std::fwrite(block.data(), 1, block.size(), file.stream());
        std::fflush(file.stream());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(dir / "backup.dat"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

// A fifo without a writer would block fopen for ever, and a device never ends; both are refused
// at once, as a folder is.
TEST(Files, OnlyRegularFilesAreOpenedForReading) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    for (const std::string& path :
         {(dir / "fifo").string(), (dir / "folder").string(), std::string("/dev/zero"),
          std::string("/dev/full"), std::string("/dev/null")}) {
        EXPECT_EQ(OpenFile(Utf8ToUtf16(path)), nullptr) << path;
        std::string bytes;
        EXPECT_FALSE(ReadWholeFile(Utf8ToUtf16(path), bytes)) << path;
    }
    WriteBytes(dir / "f", "12345");
    std::uint64_t size = 0;
    UniqueFile file = OpenFile(dir.U16Path("f"), &size);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(size, 5u);
}

// File systems hold names of up to 255 bytes; a target of any length up to that is written.
TEST(Files, TargetsUpToTheNameLimitAreWritten) {
    TempDir dir;
    const std::string e = "\xC3\xA9";  // two bytes: a cut must not split it
    for (const std::string& name :
         {std::string(249, 'n'), std::string(255, 'n'), std::string(1, 'x') + [&] {
              std::string s;
              for (int i = 0; i < 127; ++i)
                  s += e;
              return s;
          }()}) {
        ASSERT_LE(name.size(), 255u);
        std::string temp = TemporaryNameFor((dir / name).string());
        std::string tempName = fs::path(temp).filename().string();
        EXPECT_LE(tempName.size(), 255u);
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(tempName)), tempName);  // still whole characters
        ReplacingFile file;
        ASSERT_TRUE(file.Open(Utf8ToUtf16((dir / name).string()))) << name.size();
        std::fputs("data", file.stream());
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(ReadBytes(dir / name), "data");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3);
}

// The link is the user's: it stays, and what it points at gets the new content. A link to a
// file not yet there makes that file.
TEST(Files, ExportsWriteThroughSymbolicLinks) {
    TempDir dir;
    fs::create_directory(dir / "real");
    WriteBytes(dir / "real" / "backup.txt", "old");
    fs::create_symlink("real/backup.txt", dir / "link1");
    fs::create_symlink(dir / "link1", dir / "link2");  // a chain, absolute then relative
    fs::create_symlink("real/new.txt", dir / "dangling");
    for (const char* link : {"link1", "link2", "dangling"}) {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(dir.U16Path(link))) << link;
        std::fputs(link, file.stream());
        ASSERT_TRUE(file.Commit()) << link;
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
        EXPECT_EQ(ReadBytes(dir / link), link);
    }
    EXPECT_EQ(ReadBytes(dir / "real" / "backup.txt"), "link2");
    EXPECT_EQ(ReadBytes(dir / "real" / "new.txt"), "dangling");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 2);
}

TEST(Files, NewFilesAreNeverOverwrittenAndVanishWhenIncomplete) {
    TempDir dir;
    WriteBytes(dir / "taken", "kept");
    NewFile taken;
    EXPECT_FALSE(taken.Open(dir.U16Path("taken")));
    EXPECT_EQ(ReadBytes(dir / "taken"), "kept");
    {
        NewFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("new")));
        std::fputs("content", file.stream());
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadBytes(dir / "new"), "content");
    {
        FileSizeLimit limit(4);
        NewFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("full")));
        std::fputs("more than four bytes", file.stream());
        EXPECT_FALSE(file.Commit());
    }
    {
        NewFile file;
        ASSERT_TRUE(file.Open(dir.U16Path("abandoned")));
    }
    EXPECT_FALSE(fs::exists(dir / "full"));
    EXPECT_FALSE(fs::exists(dir / "abandoned"));
}
