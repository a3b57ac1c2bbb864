#include "sms/sms_text_export.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "sms/sms_csv_export.h"
#include "sms/sms_message_order.h"
#include "sms_sample_trees.h"
#include "test_support.h"

namespace {

using ExportFn = ResultCode (*)(SmsTree*, std::u16string_view, ProgressBar*, int, int);

struct ExportCase {
    const char* name;
    ExportFn run;
    const char* golden;
};
const ExportCase kExports[] = {{"text", ExportSmsText, "sms/example.txt"},
                               {"csv", ExportSmsCsv, "sms/example.csv"}};

std::vector<std::u16string> TextsInOrder(const SmsNode& folder) {
    std::vector<std::u16string> texts;
    for (const auto& child : folder.children)
        if (child->message) texts.push_back(child->message->text);
    return texts;
}

}  // namespace

TEST(SmsTextExportTest, WritesTheGoldenFilesWithProgress) {
    for (const ExportCase& e : kExports) {
        TempDir dir;
        SmsTree tree = ExampleTree();
        ProgressRecorder bar;
        ASSERT_EQ(e.run(&tree, dir.U16Path("out"), &bar, 1, 1), 0) << e.name;
        EXPECT_EQ(ReadBytes(dir / "out"), ReadTestData(e.golden)) << e.name;
        std::vector<ProgressMessage> expected = {{PBM_SETRANGE, 0, 1000 << 16},
                                                 {PBM_SETSTEP, 1, 0}};
        expected.insert(expected.end(), 7, ProgressMessage{PBM_STEPIT, 0, 0});
        expected.push_back({PBM_SETPOS, 1000, 0});
        EXPECT_EQ(bar.messages, expected) << e.name;
    }
}

TEST(SmsTextExportTest, TicksDecideWhatIsWrittenButNotTheTotal) {
    SmsTree tree = ExampleTree();
    SmsNode& inbox = SmsChildAt(*tree.root, 0);
    SmsChildAt(inbox, 0).checked = 0;
    SmsNode& sent = SmsChildAt(*tree.root, 1);
    sent.checked = 0;
    TempDir dir;
    ProgressRecorder bar;
    ASSERT_EQ(ExportSmsText(&tree, dir.U16Path("t.txt"), &bar, 1, 1), 0);
    std::string text = ReadBytes(dir / "t.txt");
    EXPECT_NE(text.find("Folder:Inbox\tTotal:2\n"), std::string::npos);
    EXPECT_EQ(text.find("See you at six"), std::string::npos);
    EXPECT_NE(text.find("Running late"), std::string::npos);
    EXPECT_EQ(text.find("Sent"), std::string::npos);
    EXPECT_EQ(bar.Count(PBM_STEPIT), 5);  // root, Inbox, its 2 messages, Sent

    ASSERT_EQ(ExportSmsCsv(&tree, dir.U16Path("t.csv"), nullptr, 1, 1), 0);
    std::string csv = ReadBytes(dir / "t.csv");
    EXPECT_EQ(csv.find("Sent"), std::string::npos);
    EXPECT_EQ(csv.find("See you"), std::string::npos);

    // A ticked folder whose messages are all unticked still writes its banner or row.
    SmsChildAt(inbox, 1).checked = 0;
    ASSERT_EQ(ExportSmsCsv(&tree, dir.U16Path("t.csv"), nullptr, 1, 1), 0);
    EXPECT_EQ(ReadBytes(dir / "t.csv"), "\n\"[Inbox]\",,,,,\n");
    tree.root->checked = 0;
    ASSERT_EQ(ExportSmsText(&tree, dir.U16Path("t.txt"), nullptr, 1, 1), 0);
    EXPECT_EQ(ReadBytes(dir / "t.txt"), "");
}

TEST(SmsTextExportTest, PartyLinesAndCells) {
    struct Case {
        std::unique_ptr<SmsNode> message;
        const char* textLine;
        const char* csvParty;
    } cases[] = {
        {Message("a", "", "", kT1), "To:\n", ",,"},
        {Message("b", "", "", kT1, 0, 0, {{"A", ""}, {"B", "+2"}}), "To:\"A\" <>;\"B\" <+2>\n",
         ",,"},
        {Message("c", "", "", kT1, 0, 0, {{"A", "x <+1>"}, {"B", "+2"}, {"C", "+3"}}),
         "To:\"A\" <+1>;\"B\" <+2>;\"C\" <+3>\n", ",To:,\"[\"\"A\"\" <+1>]\""},
        {Message("d", "Anna <+111>", "Anna", kT1), "Sender:\"Anna\" <+111>\n",
         ",Sender:,\"[\"\"Anna\"\" <+111>]\""},
    };
    TempDir dir;
    for (Case& c : cases) {
        SmsTree tree;
        tree.root = Folder("F", NodeList(std::move(c.message)));
        ASSERT_EQ(ExportSmsText(&tree, dir.U16Path("p.txt"), nullptr, 1, 1), 0);
        EXPECT_NE(ReadBytes(dir / "p.txt").find(c.textLine), std::string::npos) << c.textLine;
        ASSERT_EQ(ExportSmsCsv(&tree, dir.U16Path("p.csv"), nullptr, 1, 1), 0);
        EXPECT_NE(ReadBytes(dir / "p.csv").find(std::string(c.csvParty) + ",Content:,"),
                  std::string::npos)
            << c.csvParty;
    }
}

TEST(SmsTextExportTest, QuotedCellsAreNeverCut) {
    auto node = CreateSmsNode(kSmsMessageKind);
    EXPECT_EQ(QuoteCsvCell(*node, u""), u"\"[]\"");
    EXPECT_EQ(QuoteCsvCell(*node, u"5\" screen"), u"\"[5\"\" screen]\"");
    EXPECT_EQ(QuoteCsvCell(*node, u"a,\tb\nc"), u"\"[a,\tb\nc]\"");
    const std::u16string quotes(kSmsTextMax, u'"');
    EXPECT_EQ(QuoteCsvCell(*node, quotes), u"\"[" + quotes + quotes + u"]\"");
}

TEST(SmsTextExportTest, SortingIsStableInBothOrdersAndByEitherKey) {
    // Stored order: a(t=2, Bob), b(t=1, unsent and read: last change 3, Anna), c(t=2, Zed),
    // d(t=0, anna)
    auto build = [] {
        return Folder("F",
                      NodeList(Folder("sub"), Message("a", "+1", "Bob", 2),
                               Message("b", "", "", 1, 3, kSmsUnsentFlag | 1, {{"Anna", "+2"}}),
                               Message("c", "+3", "Zed", 2), Message("d", "+4", "anna", 0, 9)));
    };
    struct Case {
        int sortBy;
        int sequence;
        std::vector<std::u16string> order;
    } cases[] = {
        {1, 1, {u"d", u"a", u"c", u"b"}}, {1, 2, {u"b", u"a", u"c", u"d"}},
        {2, 1, {u"b", u"a", u"c", u"d"}}, {2, 2, {u"d", u"c", u"a", u"b"}},
        {7, 1, {u"b", u"a", u"c", u"d"}},  // any sortBy but 1 sorts by name
        {1, 0, {u"a", u"b", u"c", u"d"}}, {2, 3, {u"a", u"b", u"c", u"d"}},
    };
    for (const Case& c : cases) {
        auto folder = build();
        SortFolderMessages(*folder, c.sortBy, c.sequence);
        EXPECT_EQ(SmsChildAt(*folder, 0).name, u"sub");
        EXPECT_EQ(TextsInOrder(*folder), c.order) << c.sortBy << "/" << c.sequence;
    }
    // Equal keys keep their stored order, ascending and descending alike.
    auto same = Folder("F", NodeList(Message("1", "+1", "x", 5), Message("2", "+1", "x", 5),
                                     Message("3", "+1", "x", 5)));
    for (int sortBy : {1, 2})
        for (int sequence : {1, 2}) {
            SortFolderMessages(*same, sortBy, sequence);
            EXPECT_EQ(TextsInOrder(*same), (std::vector<std::u16string>{u"1", u"2", u"3"}));
        }
}

TEST(SmsTextExportTest, SortKeyIsTheNameOfTheOtherParty) {
    SmsMessageData m;
    m.senderName = std::u16string(60, u'S');
    m.recipients.push_back({u"R", u"+1"});
    EXPECT_EQ(SmsMessageSortKey(m), u"R");  // no sender address: a sent message
    m.senderAddress = u"+9";
    EXPECT_EQ(SmsMessageSortKey(m), std::u16string(kSmsAddressMax, u'S'));
    m.senderAddress.clear();
    m.recipients.clear();
    EXPECT_EQ(SmsMessageSortKey(m), u"");
}

TEST(SmsTextExportTest, FailuresReport403AndKeepTheExistingFile) {
    for (const ExportCase& e : kExports) {
        TempDir dir;
        SmsTree tree = ExampleTree();
        SmsTree noRoot;
        EXPECT_EQ(e.run(nullptr, dir.U16Path("x"), nullptr, 1, 1), 403);
        EXPECT_EQ(e.run(&tree, u"", nullptr, 1, 1), 403);
        ProgressRecorder bar;
        EXPECT_EQ(e.run(&noRoot, dir.U16Path("x"), &bar, 1, 1), 403);
        EXPECT_FALSE(PathExists(dir.U16Path("x")));
        EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));

        // A full disk: the export fails and the old file stays as it was.
        SmsTree big;
        std::vector<std::unique_ptr<SmsNode>> many;
        for (int i = 0; i < 400; ++i)
            many.push_back(Message(std::string(400, 'm'), "+1", "n", kT1));
        big.root = Folder("Big", std::move(many));
        WriteBytes(dir / "keep", "old");
        {
            FileSizeLimit diskFull(20000);
            EXPECT_EQ(e.run(&big, dir.U16Path("keep"), nullptr, 1, 1), 403) << e.name;
        }
        EXPECT_EQ(ReadBytes(dir / "keep"), "old");
        std::filesystem::create_directory(dir / "folder");
        EXPECT_EQ(e.run(&tree, dir.U16Path("folder"), nullptr, 1, 1), 403);
        std::filesystem::permissions(dir / "keep", std::filesystem::perms::owner_read);
        EXPECT_EQ(e.run(&tree, dir.U16Path("keep"), nullptr, 1, 1), 403);
        EXPECT_EQ(ReadBytes(dir / "keep"), "old");
    }
}
