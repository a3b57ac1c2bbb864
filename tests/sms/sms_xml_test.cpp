#include "sms/sms_xml.h"

#include <gtest/gtest.h>

#include "sms/sms_data_file.h"
#include "sms/xml_reference_filter.h"
#include "sms_dump.h"
#include "sms_sample_trees.h"
#include "test_support.h"

namespace {

constexpr std::uint32_t kRead = kSmsReadFlag;
constexpr std::uint32_t kUnsent = kSmsUnsentFlag;

// Every kind of message the writer tells apart, and texts that XML must escape or cannot carry.
SmsTree GoldenTree() {
    auto work =
        Folder("Work", NodeList(Message({"Work/stuff", "+333", "Bob", kT1 + 30, 0, 0, {}})));
    auto unticked = Message("not chosen", "+9", "Nine", kT1);
    unticked->checked = 0;
    auto inbox = Folder(
        "Inbox",
        NodeList(std::move(work),
                 Message({"See you at 6 & bring <cake>", "Anna <+111>", "Anna", kT1, 0, kRead, {}}),
                 std::move(unticked),
                 Message({"Emoji \xF0\x9F\x98\x80 and \"quotes\"\r\nline two\ttab\x01",
                          "+222",
                          "",
                          kT1 + 60,
                          0,
                          0,
                          {}})));
    auto sent = Folder(
        "Sent Items", NodeList(Message({"Party at 8",
                                        "",
                                        "",
                                        kT1 + 120,
                                        0,
                                        kRead,
                                        {{"Anna", "+111"}, {"Bob", "Bob <+222>"}, {"", "+333"}}})));
    auto drafts = Folder(
        "Drafts", NodeList(Message({"Draft", "", "", 0, kT1 + 180, kUnsent, {{"Anna", "+111"}}})));
    auto outbox = Folder(
        "outbox",
        NodeList(Message({"Out", "", "", kT1 - 1, kT1 + 240, kUnsent | kRead, {{"Bob", "+222"}}})));
    auto odd = Folder("A/B\\C", NodeList(Message({"Nobody", "", "", kT1 + 300, 0, 0, {}})));
    SmsTree tree;
    tree.root = Folder("SMS", NodeList(std::move(inbox), std::move(sent), std::move(drafts),
                                       std::move(outbox), std::move(odd)));
    return tree;
}

// The golden tree as a read gives it back: the unticked message left out, a message per
// recipient, every text's size counted, characters XML cannot carry replaced.
std::string GoldenTreeReadBack() {
    auto sized = [](SampleMessageSpec shape) {
        shape.size = static_cast<std::uint32_t>(2 * U16(shape.text).size());
        return Message(shape);
    };
    SmsTree tree;
    auto inbox = Folder(
        "Inbox",
        NodeList(Folder("Work", NodeList(sized({"Work/stuff", "+333", "Bob", kT1 + 30, 0, 0, {}}))),
                 sized({"See you at 6 & bring <cake>", "Anna <+111>", "Anna", kT1, 0, kRead, {}}),
                 sized({"Emoji \xF0\x9F\x98\x80 and \"quotes\"\r\nline two\ttab\xEF\xBF\xBD",
                        "+222",
                        "",
                        kT1 + 60,
                        0,
                        0,
                        {}})));
    auto sent =
        Folder("Sent Items",
               NodeList(sized({"Party at 8", "", "", kT1 + 120, 0, kRead, {{"Anna", "+111"}}}),
                        sized({"Party at 8", "", "", kT1 + 120, 0, kRead, {{"Bob", "Bob <+222>"}}}),
                        sized({"Party at 8", "", "", kT1 + 120, 0, kRead, {{"", "+333"}}})));
    auto drafts = Folder(
        "Drafts", NodeList(sized({"Draft", "", "", 0, kT1 + 180, kUnsent, {{"Anna", "+111"}}})));
    auto outbox =
        Folder("outbox",
               NodeList(sized({"Out", "", "", 0, kT1 + 240, kUnsent | kRead, {{"Bob", "+222"}}})));
    auto odd = Folder("A/B\\C", NodeList(sized({"Nobody", "", "", kT1 + 300, 0, 0, {}})));
    tree.root = Folder("SMS", NodeList(std::move(inbox), std::move(sent), std::move(drafts),
                                       std::move(outbox), std::move(odd)));
    return DumpSmsTree(*tree.root);
}

struct Loaded {
    ResultCode code;
    std::string dump;
    SmsXmlCounts counts;
};

Loaded LoadXml(const std::string& bytes) {
    TempDir dir;
    WriteBytes(dir / "in.xml", bytes);
    SmsTree tree;
    Loaded loaded;
    loaded.code = LoadSmsXmlFile(&tree, dir.U16Path("in.xml"), nullptr, &loaded.counts);
    if (tree.root) loaded.dump = DumpSmsTree(*tree.root);
    return loaded;
}

std::string Smses(const std::string& elements) {
    return "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"1\">\n" +
           elements + "</smses>\n";
}

}  // namespace

TEST(SmsXmlWriterTest, WritesTheGoldenFile) {
    TempDir dir;
    SmsTree tree = GoldenTree();
    ProgressRecorder bar;
    ASSERT_EQ(ExportSmsXml(&tree, dir.U16Path("out.xml"), &bar), 0);
    const std::string bytes = ReadBytes(dir / "out.xml");
    EXPECT_EQ(bytes, ReadTestData("sms/example.xml"));
    std::size_t elements = 0;
    for (std::size_t at = bytes.find("<sms "); at != std::string::npos;
         at = bytes.find("<sms ", at + 1))
        ++elements;
    EXPECT_EQ(elements, 9u);
    EXPECT_NE(bytes.find("<smses count=\"9\""), std::string::npos);
    EXPECT_EQ(bar.messages.front(), (ProgressMessage{PBM_SETRANGE, 0, ProgressRangeParam(1000)}));
    EXPECT_EQ(bar.Count(PBM_STEPIT), 15);  // every node reached, the unticked message too
    EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
}

TEST(SmsXmlWriterTest, FailuresAre403AndLeaveTheTargetAlone) {
    TempDir dir;
    SmsTree empty;
    WriteBytes(dir / "old.xml", "old");
    EXPECT_EQ(ExportSmsXml(&empty, dir.U16Path("old.xml"), nullptr), 403);
    EXPECT_EQ(ReadBytes(dir / "old.xml"), "old");
    SmsTree tree = GoldenTree();
    EXPECT_EQ(ExportSmsXml(&tree, dir.U16Path("missing/x.xml"), nullptr), 403);
    EXPECT_EQ(ExportSmsXml(nullptr, dir.U16Path("x.xml"), nullptr), 403);
    EXPECT_EQ(ExportSmsXml(&tree, u"", nullptr), 403);
    {
        FileSizeLimit limit(100);
        EXPECT_EQ(ExportSmsXml(&tree, dir.U16Path("old.xml"), nullptr), 403);
    }
    EXPECT_EQ(ReadBytes(dir / "old.xml"), "old");
}

TEST(SmsXmlReaderTest, GoldenFileReadsBackIntoItsFolders) {
    Loaded loaded = LoadXml(ReadTestData("sms/example.xml"));
    ASSERT_EQ(loaded.code, 0);
    EXPECT_EQ(loaded.dump, GoldenTreeReadBack());
    EXPECT_EQ(loaded.counts.messages, 9);
    EXPECT_EQ(loaded.counts.folders, 6);
    EXPECT_EQ(loaded.counts.skippedElements, 0);
    EXPECT_EQ(loaded.counts.skippedAttributes, 0);
}

// Data file to XML and back, for messages with one recipient at most: every byte of the data
// file comes back once sizes are the counted ones.
TEST(SmsXmlReaderTest, DataFileToXmlToDataFileKeepsEveryByte) {
    auto sized = [](SampleMessageSpec shape) {
        shape.size = static_cast<std::uint32_t>(2 * U16(shape.text).size());
        return Message(shape);
    };
    SmsTree tree;
    tree.root = Folder(
        "Top of Information Store",
        NodeList(
            Folder(
                "Inbox",
                NodeList(Folder("2024", NodeList(sized({"old", "+1", "A", kT1, 0, 0, {}}))),
                         sized({"new \xF0\x9F\x98\x80", "Bo <+2>", "Bo", kT1 + 1, 0, kRead, {}}))),
            Folder("Sent",
                   NodeList(sized({"to you", "", "", kT1 + 2, 0, kRead, {{"Cy", "Cy <+3>"}}}),
                            sized({"not yet", "", "", 0, kT1 + 3, kUnsent, {{"", "+4"}}}),
                            sized({"to nobody", "", "", kT1 + 4, 0, 0, {}}))),
            sized({std::string(kSmsTextMax, 'x'), "+5", "", kT1 + 5, 0, 0, {}})));
    TempDir dir;
    ASSERT_EQ(ExportSmsDataFile(&tree, dir.U16Path("a.dat"), nullptr), 0);
    SmsTree fromDat;
    ASSERT_EQ(LoadSmsDataFile(&fromDat, dir.U16Path("a.dat"), nullptr), 0);
    ASSERT_EQ(ExportSmsXml(&fromDat, dir.U16Path("b.xml"), nullptr), 0);
    SmsTree fromXml;
    ASSERT_EQ(LoadSmsXmlFile(&fromXml, dir.U16Path("b.xml"), nullptr), 0);
    EXPECT_EQ(DumpSmsTree(*fromXml.root), DumpSmsTree(*tree.root));
    ASSERT_EQ(ExportSmsDataFile(&fromXml, dir.U16Path("c.dat"), nullptr), 0);
    EXPECT_EQ(ReadBytes(dir / "c.dat"), ReadBytes(dir / "a.dat"));
}

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::string dump;
    SmsXmlCounts counts;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kLong = std::string(kSmsTextMax - 1, 'x');

// clang-format off
const ReaderCase kReaderCases[] = {
    {"PeerAppFileWithSurrogateReferencesMmsAndCalls",
     Smses("<sms protocol=\"0\" address=\"+15551230000\" date=\"1700000000123\" type=\"1\" "
           "subject=\"null\" body=\"Hi &#55357;&#56832;&#xD83D;&#xDE00; &amp; bye\" toa=\"null\" "
           "sc_toa=\"null\" service_center=\"+1555\" read=\"1\" status=\"-1\" locked=\"0\" "
           "date_sent=\"1700000000000\" sub_id=\"1\" readable_date=\"x\" contact_name=\"Ann\" />\n"
           "<mms date=\"1\" msg_box=\"1\"><parts><part seq=\"0\" data=\"AAAA\" /></parts>"
           "<addrs><addr address=\"+1\" type=\"137\" /></addrs></mms>\n"
           "<call number=\"+1\" duration=\"5\" date=\"2\" type=\"1\" />\n"
           "<sms address=\"+15551230001\" date=\"1700000001000\" type=\"2\" body=\"Sent\" "
           "contact_name=\"(Unknown)\" new_attribute=\"x\" />\n"),
     "+F SMS\n"
     "  +F Inbox\n"
     "    +M Hi \xF0\x9F\x98\x80\xF0\x9F\x98\x80 & bye | Ann <+15551230000> | "
     "d133444736001230000 m0 s26 f1 |\n"
     "  +F Sent Items\n"
     "    +M Sent |  <> | d133444736010000000 m0 s8 f0 | <+15551230001>\n",
     {2, 2, 2, 1}},
    {"TypesGoToTheirFoldersInOrderOfFirstAppearance",
     Smses("<sms address=\"1\" date=\"0\" type=\"5\" body=\"failed\" read=\"1\" />"
           "<sms address=\"2\" date=\"0\" type=\"1\" body=\"in\" contact_name=\"null\" />"
           "<sms address=\"3\" date=\"0\" type=\"3\" body=\"draft\" />"
           "<sms address=\"4\" date=\"0\" type=\"6\" body=\"queued\" />"
           "<sms address=\"5\" date=\"0\" type=\"2\" body=\"sent\" />"
           "<sms address=\"6\" date=\"-11644473600001\" type=\"4\" body=\"outbox\" />"),
     "+F SMS\n"
     "  +F Outbox\n"
     "    +M failed |  <> | d0 m116444736000000000 s12 f9 | <1>\n"
     "    +M queued |  <> | d0 m116444736000000000 s12 f8 | <4>\n"
     "    +M outbox |  <> | d0 m0 s12 f8 | <6>\n"
     "  +F Inbox\n"
     "    +M in |  <2> | d116444736000000000 m0 s4 f0 |\n"
     "  +F Drafts\n"
     "    +M draft |  <> | d0 m116444736000000000 s10 f8 | <3>\n"
     "  +F Sent Items\n"
     "    +M sent |  <> | d116444736000000000 m0 s8 f0 | <5>\n",
     {6, 4, 0, 0}},
    {"MessagesWithoutWhatTheyNeedAreSkipped",
     Smses("<sms address=\"1\" date=\"0\" type=\"1\" />"
           "<sms address=\"1\" type=\"1\" body=\"x\" />"
           "<sms date=\"0\" type=\"1\" body=\"x\" />"
           "<sms address=\"1\" date=\"0\" body=\"x\" />"
           "<sms address=\"1\" date=\"0\" type=\"7\" body=\"x\" />"
           "<sms address=\"1\" date=\"soon\" type=\"1\" body=\"x\" />"
           "<sms address=\"\" date=\"0\" type=\"2\" body=\"\" contact_name=\"\" />"),
     "+F SMS\n"
     "  +F Sent Items\n"
     "    +M  |  <> | d116444736000000000 m0 s0 f0 |\n",
     {1, 1, 6, 0}},
    {"TextsAreCutAtTheTreeLimitNeverInsideAPair",
     Smses("<sms address=\"1\" date=\"0\" type=\"1\" body=\"" + kLong + "&#55357;&#56832;\" "
           "contact_name=\"" + std::string(kSmsAddressMax - 1, 'n') + "&#55357;&#56832;\" />"),
     "+F SMS\n  +F Inbox\n    +M " + kLong + " | " + std::string(kSmsAddressMax - 1, 'n') +
         " <1> | d116444736000000000 m0 s998 f0 |\n",
     {1, 1, 0, 0}},
    {"NumbersXmlHasNoCharacterForBecomeReplacements",
     Smses("<sms address=\"1\" date=\"0\" type=\"1\" body=\"a&#1;b&#xDE00;c&#55357;d&#0;\" />"),
     "+F SMS\n  +F Inbox\n    +M a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c\xEF\xBF\xBD" "d\xEF\xBF\xBD"
     " |  <1> | d116444736000000000 m0 s16 f0 |\n",
     {1, 1, 0, 0}},
    {"OurFolderAttributePlacesMessagesAndNamesTheRoot",
     "<smses velloro_root=\"Top\">"
     "<sms address=\"1\" date=\"0\" type=\"1\" body=\"a\" velloro_folder=\"X\" />"
     "<sms address=\"2\" date=\"0\" type=\"1\" body=\"b\" velloro_folder=\"X/Y\\/Z\" />"
     "<sms address=\"3\" date=\"0\" type=\"3\" body=\"c\" velloro_folder=\"\" />"
     "<sms address=\"4\" date=\"0\" type=\"2\" body=\"d\" velloro_folder=\"X\" "
     "velloro_address=\"Dee &lt;4&gt;\" />"
     "</smses>",
     "+F Top\n"
     "  +F X\n"
     "    +F Y/Z\n"
     "      +M b |  <2> | d116444736000000000 m0 s2 f0 |\n"
     "    +M a |  <1> | d116444736000000000 m0 s2 f0 |\n"
     "    +M d |  <> | d116444736000000000 m0 s2 f0 | <Dee <4>>\n"
     "  +M c |  <> | d0 m116444736000000000 s2 f8 | <3>\n",
     {4, 2, 0, 0}},
    {"EmptyBackup", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<smses count=\"0\"/>", "+F SMS\n",
     {0, 0, 0, 0}},
};
// clang-format on

class SmsXmlReaderCaseTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(SmsXmlReaderCaseTest, ReadsTheFile) {
    const ReaderCase& c = GetParam();
    Loaded loaded = LoadXml(c.bytes);
    ASSERT_EQ(loaded.code, 0);
    EXPECT_EQ(loaded.dump, c.dump);
    EXPECT_EQ(loaded.counts.messages, c.counts.messages);
    EXPECT_EQ(loaded.counts.folders, c.counts.folders);
    EXPECT_EQ(loaded.counts.skippedElements, c.counts.skippedElements);
    EXPECT_EQ(loaded.counts.skippedAttributes, c.counts.skippedAttributes);
}

INSTANTIATE_TEST_SUITE_P(Files, SmsXmlReaderCaseTest, testing::ValuesIn(kReaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A load that fails is 402 and leaves the program's tree as it was.
TEST(SmsXmlReaderTest, BrokenFilesFailCleanlyAtEveryCut) {
    const std::string golden = ReadTestData("sms/example.xml");
    const std::size_t complete = golden.find("</smses>") + 8;
    std::vector<std::string> broken;
    for (std::size_t cut = 0; cut < complete; cut += 3)
        broken.push_back(golden.substr(0, cut));
    broken.push_back(golden.substr(0, complete - 1));
    broken.push_back("<smses><sms address=\"1\"></smses>");
    broken.push_back("<calls><call number=\"1\" /></calls>");
    broken.push_back("<smses/><smses/>");
    broken.push_back("<smses>\x01</smses>");
    broken.push_back(
        "<!DOCTYPE smses [<!ENTITY a \"aaaa\">]><smses><sms address=\"&a;\" "
        "date=\"0\" type=\"1\" body=\"x\" /></smses>");
    broken.push_back("Not XML at all");

    TempDir dir;
    SmsTree tree = ExampleTree();
    const SmsNode* root = tree.root.get();
    const std::string before = DumpSmsTree(*root);
    for (const std::string& bytes : broken) {
        WriteBytes(dir / "broken.xml", bytes);
        ProgressRecorder bar;
        ASSERT_EQ(LoadSmsXmlFile(&tree, dir.U16Path("broken.xml"), &bar), 402) << bytes;
        ASSERT_EQ(tree.root.get(), root);
        ASSERT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
    }
    EXPECT_EQ(DumpSmsTree(*tree.root), before);
    EXPECT_EQ(LoadSmsXmlFile(&tree, dir.U16Path("missing.xml"), nullptr), 402);
    EXPECT_EQ(LoadSmsXmlFile(nullptr, dir.U16Path("broken.xml"), nullptr), 402);
    EXPECT_EQ(LoadSmsXmlFile(&tree, u"", nullptr), 402);
    EXPECT_EQ(tree.root.get(), root);
}

TEST(XmlReferenceFilterTest, GivesTheSameBytesWhereverTheStreamIsCut) {
    const std::string input =
        "a&#55357;&#56832;b&#xd83d;&#xDE00;&amp;&#65;&#55357;x&#56832;&#1;&#12345678901;&#;&#x;"
        "&#55357;";
    const std::string expected =
        "a&#x1F600;b&#x1F600;&amp;&#65;&#xFFFD;x&#xFFFD;&#xFFFD;&#12345678901;&#;&#x;&#xFFFD;";
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
        XmlReferenceFilter filter;
        std::string out;
        filter.Filter(std::string_view(input).substr(0, cut), out, false);
        filter.Filter(std::string_view(input).substr(cut), out, true);
        ASSERT_EQ(out, expected) << "cut at " << cut;
    }
    XmlReferenceFilter byteByByte;
    std::string out;
    for (char c : input)
        byteByByte.Filter(std::string_view(&c, 1), out, false);
    byteByByte.Filter("", out, true);
    EXPECT_EQ(out, expected);
}

TEST(SmsXmlReaderTest, ContentDecidesWhatIsAnXmlBackup) {
    struct Case {
        std::string head;
        bool xml;
    };
    const Case cases[] = {
        {"<?xml version='1.0'?>", true},
        {"\xEF\xBB\xBF \r\n\t<smses>", true},
        {"<smses count=\"1\">", true},
        {"<sms>", false},
        {"x<?xml", false},
        {std::string(kNodeRecordSize, '\0'), false},
        {"", false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(LooksLikeSmsXml(c.head), c.xml) << c.head;
        WriteBytes(dir / "f", c.head);
        EXPECT_EQ(FileLooksLikeSmsXml(dir.U16Path("f")), c.xml) << c.head;
    }
}
