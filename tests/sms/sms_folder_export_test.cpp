#include "sms/sms_folder_export.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/files.h"
#include "sms_sample_trees.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Every file below root, by its path relative to root, with its contents; folders map to "/".
std::map<std::string, std::string> Listing(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string relative = fs::relative(entry.path(), root).string();
        files[relative] = entry.is_directory() ? "/" : ReadBytes(entry.path());
    }
    return files;
}

}  // namespace

TEST(SmsFolderExportTest, WritesTheGoldenFoldersAndContinuesNumbering) {
    TempDir dir;
    SmsTree tree = ExampleTree(false);
    ProgressRecorder bar;
    ASSERT_EQ(ExportSmsFolders(&tree, dir.U16Path("sms2007"), &bar), 0);
    EXPECT_EQ(Listing(dir / "sms2007"), Listing(TestDataPath("sms/folders")));
    EXPECT_EQ(bar.Count(PBM_STEPIT), 5);  // the root does not step
    EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));

    // Again into the same folder: nothing is overwritten, numbering goes on.
    ASSERT_EQ(ExportSmsFolders(&tree, dir.U16Path("sms2007"), nullptr), 0);
    auto files = Listing(dir / "sms2007");
    EXPECT_EQ(files.size(), 8u);
    EXPECT_EQ(files["Inbox/+111_3.txt"], files["Inbox/+111_1.txt"]);
    EXPECT_EQ(files["Inbox/+111_4.txt"], files["Inbox/+111_2.txt"]);
    EXPECT_EQ(files["Sent/+222_2.txt"], files["Sent/+222_1.txt"]);
}

TEST(SmsFolderExportTest, NamesFromTheDataStayInsideTheChosenFolder) {
    TempDir dir;
    SmsTree tree;
    tree.root = Folder(
        "root", NodeList(Folder(".."), Folder("."), Folder(""), Folder("a/b"),
                         Folder("Inbox",
                                NodeList(Message("x", "../../evil", "E", kT1),
                                         Message("y", "", "", kT1, 0, 0, {{"N", ""}, {"M", "+5"}}),
                                         Message("z", "", "", kT1), Message("e", "A <>", "A", kT1),
                                         Message("d", "<.>", "", kT1), Message("dd", "..", "", kT1),
                                         Message("u", "_", "", kT1))),
                         Message("top", "Anna <+1/2>", "Anna", kT1)));
    ASSERT_EQ(ExportSmsFolders(&tree, dir.U16Path("out"), nullptr), 0);
    auto files = Listing(dir / "out");
    std::map<std::string, std::string> names;
    for (const auto& [path, contents] : files)
        names[path] = contents == "/" ? "/" : "file";
    EXPECT_EQ(names, (std::map<std::string, std::string>{{"__", "/"},
                                                         {"_", "/"},
                                                         {"a_b", "/"},
                                                         {"Inbox", "/"},
                                                         {"Inbox/.._.._evil_1.txt", "file"},
                                                         // A file name is the address then
                                                         // "_<n>.txt", whatever the address.
                                                         {"Inbox/_1.txt", "file"},
                                                         {"Inbox/._1.txt", "file"},
                                                         {"Inbox/.._1.txt", "file"},
                                                         {"Inbox/__1.txt", "file"},
                                                         {"Inbox/sms_1.txt", "file"},
                                                         {"Inbox/sms_2.txt", "file"},
                                                         {"+1_2_1.txt", "file"}}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
    // A message without any address names its recipients all the same.
    EXPECT_EQ(files["Inbox/sms_1.txt"],
              "Date&time:11/14/23 22:13:20\nTo:\"N\" <>;\"M\" <+5>\nContent:\ny\n");
}

TEST(SmsFolderExportTest, UntickedNodesAreNotCreated) {
    TempDir dir;
    SmsTree tree = ExampleTree(false);
    SmsNode& inbox = SmsChildAt(*tree.root, 0);
    for (auto& message : inbox.children)
        message->checked = 0;
    SmsChildAt(*tree.root, 1).checked = 0;
    tree.root->checked = 0;  // the root's own tick is not looked at
    ASSERT_EQ(ExportSmsFolders(&tree, dir.U16Path("out"), nullptr), 0);
    EXPECT_EQ(Listing(dir / "out"), (std::map<std::string, std::string>{{"Inbox", "/"}}));
}

TEST(SmsFolderExportTest, FailuresAreReportedAfterWritingWhatCan) {
    TempDir dir;
    SmsTree noRoot;
    SmsTree tree = ExampleTree(false);
    EXPECT_EQ(ExportSmsFolders(nullptr, dir.U16Path("p"), nullptr), 403);
    EXPECT_EQ(ExportSmsFolders(&tree, u"", nullptr), 403);
    EXPECT_EQ(ExportSmsFolders(&noRoot, dir.U16Path("p"), nullptr), 403);
    EXPECT_FALSE(PathExists(dir.U16Path("p")));

    // Inbox cannot be made (a file holds its name); Sent is still written.
    fs::create_directory(dir / "p");
    WriteBytes(dir / "p" / "Inbox", "a file");
    EXPECT_EQ(ExportSmsFolders(&tree, dir.U16Path("p"), nullptr), 403);
    EXPECT_TRUE(fs::exists(dir / "p" / "Sent" / "+222_1.txt"));

    // Paths beyond the phone's buffer are refused, not cut.
    SmsTree deep;
    std::string longName(120, 'L');
    deep.root = Folder(
        "r",
        NodeList(Folder(longName, NodeList(Folder(longName, NodeList(Message("m", "+1", "n")))))));
    EXPECT_EQ(ExportSmsFolders(&deep, dir.U16Path("d"), nullptr), 403);
    EXPECT_TRUE(fs::is_directory(dir / "d" / longName));

    std::u16string name;
    std::u16string base(kSmsExportPathMax - 6, u'b');
    EXPECT_TRUE(UniqueMessageFileName(base, name));
    EXPECT_EQ(name.size(), kSmsExportPathMax);
    EXPECT_FALSE(UniqueMessageFileName(base + u"b", name));
}
