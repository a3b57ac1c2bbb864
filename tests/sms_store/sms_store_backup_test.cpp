#include "sms/sms_store_backup.h"

#include <filesystem>

#include "sms/sms_operations.h"
#include "sms_store_fixture.h"

namespace {

class SmsStoreBackupTest : public SmsStoreTest {
  protected:
    // Folders at several depths, some empty, messages in the top folder and in long folders.
    void FillStore() {
        std::int64_t inbox = Folder({u"Inbox"});
        std::int64_t old = Folder({u"Inbox", u"Old"});
        Folder({u"Inbox", u"Old", u"Empty"});
        std::int64_t deep = Folder({u"Inbox", u"Old", u"Deeper", u"Deepest"});
        Folder({u"Inbox", u"Work"});
        std::int64_t sent = Folder({u"Sent"});
        Folder({u"Drafts"});
        for (int i = 0; i < 300; ++i)
            Add(inbox, Received(u"in " + DecimalText(i), u"Bob", u"+44" + DecimalText(i), 100 + i));
        Add(old, Received(u"old", u"Ann", u"+1", 50));
        Add(deep, Received(u"deep", u"", u"+2", 60));
        for (int i = 0; i < 40; ++i)
            Add(sent, Sent(u"out " + DecimalText(i), {{u"Zed", u"+9"}}, 1000 + i, i % 7 == 0));
        Add(top_, Received(u"at the top", u"Top", u"+3", 70));
    }

    // The file and tree the two jobs make one after the other.
    std::pair<std::string, std::string> ReadThenWrite() {
        SmsTree tree;
        EXPECT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
        std::u16string path = dir_.U16Path("apart.dat");
        EXPECT_EQ(ExportSmsDataFile(&tree, path, nullptr), 0);
        return {ReadBytes(dir_ / "apart.dat"), DumpSmsTree(*tree.root)};
    }

    std::vector<std::string> FilesInDir() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            if (entry.path().extension() != ".db" && entry.path().filename() != "xdg")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SmsStoreBackupTest, WritingWhileReadingGivesTheFileAndTreeOfTheTwoJobs) {
    FillStore();
    auto [file, dump] = ReadThenWrite();
    SmsTree tree;
    ProgressRecorder bar;
    SmsStoreBackupResult result = BackupSmsStoreToDataFile(&tree, dir_.U16Path("along.dat"), &bar);
    EXPECT_EQ(result.read, 0);
    EXPECT_EQ(result.written, 0);
    ASSERT_TRUE(tree.root);
    EXPECT_EQ(DumpSmsTree(*tree.root), dump);
    EXPECT_TRUE(ReadBytes(dir_ / "along.dat") == file);
    // The bar follows the read: a range, one step per node, the end.
    ProgressRecorder readBar;
    SmsTree again;
    ASSERT_EQ(ReadSmsFromStore(&again, &readBar), 0);
    EXPECT_EQ(bar.messages, readBar.messages);

    // An empty store still makes a file: its top folder.
    MakePhone(SimSetup{});
    top_ = TopFolder();
    auto [emptyFile, emptyDump] = ReadThenWrite();
    result = BackupSmsStoreToDataFile(&tree, dir_.U16Path("along.dat"), nullptr);
    EXPECT_EQ(result.read, 0);
    EXPECT_EQ(result.written, 0);
    EXPECT_EQ(DumpSmsTree(*tree.root), emptyDump);
    EXPECT_TRUE(ReadBytes(dir_ / "along.dat") == emptyFile);
}

// A read that fails at any point leaves the tree and the file as they were and no stray file.
TEST_F(SmsStoreBackupTest, AFailedReadKeepsTheTreeAndTheFile) {
    FillStore();
    SmsTree tree;
    ASSERT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
    const std::string dump = DumpSmsTree(*tree.root);
    WriteBytes(dir_ / "backup.dat", "the previous backup");
    const auto files = FilesInDir();
    struct Case {
        const char* fault;
        int at;
    };
    // Folders are opened root first, depth first: the 6th is deep in the tree, after whole
    // folders were already handed to the writer.
    for (Case c :
         {Case{"sms.logon", 0}, Case{"sms.top", 0}, Case{"sms.folder", 1}, Case{"sms.folder", 6},
          Case{"sms.message", 1}, Case{"sms.message", 340}, Case{"sms.message", 343}}) {
        SetFault(c.fault, c.at);
        SmsStoreBackupResult result =
            BackupSmsStoreToDataFile(&tree, dir_.U16Path("backup.dat"), nullptr);
        EXPECT_EQ(result.read, 401) << c.fault << " at " << c.at;
        EXPECT_EQ(DumpSmsTree(*tree.root), dump);
        EXPECT_EQ(ReadBytes(dir_ / "backup.dat"), "the previous backup");
        EXPECT_EQ(FilesInDir(), files);
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    }
}

TEST_F(SmsStoreBackupTest, AFileThatCannotBeWrittenFailsTheExportButNotTheRead) {
    FillStore();
    auto [file, dump] = ReadThenWrite();
    SmsTree tree;
    for (std::u16string path : {dir_.U16Path("no/such/folder.dat"), std::u16string()}) {
        SmsStoreBackupResult result = BackupSmsStoreToDataFile(&tree, path, nullptr);
        EXPECT_EQ(result.read, 0);
        EXPECT_EQ(result.written, 403);
        ASSERT_TRUE(tree.root);
        EXPECT_EQ(DumpSmsTree(*tree.root), dump);
    }
    EXPECT_EQ(BackupSmsStoreToDataFile(nullptr, dir_.U16Path("x.dat"), nullptr).read, 401);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "x.dat"));
}

}  // namespace
