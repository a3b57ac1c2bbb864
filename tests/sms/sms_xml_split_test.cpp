// The read split into pieces parsed side by side gives what one parser gives, wherever the cuts
// fall; a piece that is not well-formed fails the whole read.
#include <gtest/gtest.h>

#include "sms/sms_xml.h"
#include "sms/sms_xml_piece_parsers.h"
#include "sms_dump.h"
#include "sms_sample_trees.h"
#include "test_support.h"

namespace {

struct Read {
    int code = 0;
    std::string dump;
    SmsXmlCounts counts;
    bool operator==(const Read& other) const {
        return code == other.code && dump == other.dump &&
               counts.messages == other.counts.messages && counts.folders == other.counts.folders &&
               counts.skippedElements == other.counts.skippedElements &&
               counts.skippedAttributes == other.counts.skippedAttributes;
    }
};

void PrintTo(const Read& r, std::ostream* os) {
    *os << "code " << r.code << ", " << r.counts.messages << " messages, " << r.counts.folders
        << " folders, skipped " << r.counts.skippedElements << "/" << r.counts.skippedAttributes
        << "\n"
        << r.dump.substr(0, 2000);
}

Read ReadWith(const TempDir& dir, const std::string& name, const SmsXmlReadSplit& split) {
    std::unique_ptr<SmsNode> root;
    Read read;
    read.code = ReadSmsXmlFile(dir.U16Path(name), root, nullptr, &read.counts, split);
    if (root) read.dump = DumpSmsTree(*root);
    return read;
}

// Pieces of one child each, of a few children, and of many, parsed by the reading thread alone
// or by one to three threads beside it.
const SmsXmlReadSplit kSplits[] = {{1, 0}, {1, 2}, {100, 1}, {4096, 0}, {4096, 2}, {65536, 3}};

// Messages in several folders, with all a backup may hold between and inside them: comments,
// CDATA sections, processing instructions, '>' and '/>' in values, <mms> with children, text
// around the children, references that straddle nothing or everything. Long enough to fill
// several read blocks, and varied so that blocks and pieces end everywhere.
std::string LargeDocument(std::size_t messages) {
    std::string xml =
        "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone='yes' ?>\n"
        "<!-- <smses> in a comment --><?app <sms/> ?>\n<smses count=\"x\" velloro_root=\"Top\">\n";
    const char* folders[] = {"", "velloro_folder=\"Inbox/Work\" ", "velloro_folder=\"B\" "};
    for (std::size_t i = 0; i < messages; ++i) {
        std::string body(i * 37 % 300, static_cast<char>('a' + i % 26));
        xml += "<sms address=\"+" + std::to_string(i) + "\" date=\"" + std::to_string(i * 1000) +
               "\" type=\"" + std::to_string(1 + i % 6) + "\" body=\"" + body +
               " /> &#55357;&#56832; &lt;x&gt; > " + std::to_string(i) + "\" " + folders[i % 3] +
               "extra" + std::to_string(i % 2) + "='>' />\n";
        switch (i % 7) {
            case 0:
                xml += "<!-- <sms address=\"0\" date=\"0\" type=\"1\" body=\"no\" /> -->";
                break;
            case 1:
                xml += "<![CDATA[ <sms address=\"0\"> ]] ]]>";
                break;
            case 2:
                xml +=
                    "<mms date=\"1\"><parts><part data=\"AAAA/>\" /><!-- </mms> --></parts>"
                    "</mms>";
                break;
            case 3:
                xml += "<?pi </smses> ?> text between > children &amp; ";
                break;
            case 4:
                xml += "<call number='1'></call>";
                break;
            default:
                break;
        }
    }
    return xml + "</smses>\n<!-- after -->\n";
}

}  // namespace

TEST(SmsXmlSplitTest, EverySplitReadsWhatOneParserReads) {
    std::vector<std::string> documents = {
        ReadTestData("sms/example.xml"),
        LargeDocument(3000),
        "<smses></smses>",
        "<smses>\n</smses>",
        "<smses><sms address=\"1\" date=\"2\" type=\"1\" body=\"only\"/></smses>",
        // One parser for these: a declared entity, a document type, another encoding, UTF-16.
        "<!DOCTYPE smses><smses><sms address=\"1\" date=\"2\" type=\"2\" body=\"d\"/></smses>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><smses>"
        "<sms address=\"1\" date=\"2\" type=\"1\" body=\"caf\xE9\"/></smses>",
        "\xFF\xFE" + Utf16LeBytes("<smses><sms address=\"1\" date=\"2\" type=\"1\" body=\"u\"/>"
                                  "<sms address=\"2\" date=\"3\" type=\"1\" body=\"v\"/></smses>"),
    };
    TempDir dir;
    for (std::size_t d = 0; d < documents.size(); ++d) {
        WriteBytes(dir / "in.xml", documents[d]);
        const Read whole = ReadWith(dir, "in.xml", {0, 0});
        ASSERT_EQ(whole.code, 0) << "document " << d;
        for (const SmsXmlReadSplit& split : kSplits)
            ASSERT_EQ(ReadWith(dir, "in.xml", split), whole)
                << "document " << d << ", pieces of " << split.pieceBytes << " on " << split.threads
                << " threads";
    }
    // The large one as the program reads it: more than one piece of the default size.
    WriteBytes(dir / "big.xml", LargeDocument(12000));
    ASSERT_GT(std::filesystem::file_size(dir / "big.xml"), 2 * DefaultSmsXmlReadSplit().pieceBytes);
    SmsXmlCounts counts;
    std::unique_ptr<SmsNode> root;
    ASSERT_EQ(ReadSmsXmlFile(dir.U16Path("big.xml"), root, nullptr, &counts), 0);
    EXPECT_EQ(ReadWith(dir, "big.xml", {0, 0}).dump, DumpSmsTree(*root));
    EXPECT_EQ(counts.messages, 12000);
}

// A fault anywhere (in the first piece, a later one, between the root and the prolog, after the
// root) fails the read, whatever the split, and a load leaves the tree as it was.
TEST(SmsXmlSplitTest, AFaultInAnyPieceFailsTheWholeRead) {
    const std::string good = LargeDocument(3000);
    const std::size_t late = good.rfind("<sms ");
    const std::size_t early = good.find("<sms ");
    auto with = [&](std::size_t at, const std::string& bytes) {
        return good.substr(0, at) + bytes + good.substr(at);
    };
    const std::string broken[] = {
        with(late, "<sms a=\"1\" a=\"2\"/>"),  // only a parser sees a doubled attribute
        with(early, "<sms a=\"1\" a=\"2\"/>"),
        with(late, "<mms><part></mms>"),
        with(late, "</smses><smses>"),
        with(late, "<sms a=\"<\"/>"),
        with(late, "&undeclared;"),
        with(late, "<?xml version='1.0'?>"),
        with(late, "<!-- unclosed"),
        with(early, "]]>"),
        with(late, "\x01"),
        with(good.find("<smses count"), "<x/>"),
        good + "<sms/>",
        good.substr(0, good.rfind("</smses>")),
        good.substr(0, late + 9),
    };
    TempDir dir;
    SmsTree tree = ExampleTree();
    const SmsNode* root = tree.root.get();
    const std::string before = DumpSmsTree(*root);
    for (std::size_t b = 0; b < std::size(broken); ++b) {
        WriteBytes(dir / "broken.xml", broken[b]);
        for (const SmsXmlReadSplit& split : kSplits) {
            std::unique_ptr<SmsNode> read;
            SmsXmlCounts counts;
            counts.messages = 99;
            EXPECT_EQ(ReadSmsXmlFile(dir.U16Path("broken.xml"), read, nullptr, &counts, split), -2)
                << "case " << b << ", pieces of " << split.pieceBytes;
            EXPECT_EQ(read, nullptr);
            EXPECT_EQ(counts.messages, 0);
        }
        ASSERT_EQ(LoadSmsXmlFile(&tree, dir.U16Path("broken.xml"), nullptr), 402) << "case " << b;
        ASSERT_EQ(tree.root.get(), root);
    }
    EXPECT_EQ(DumpSmsTree(*tree.root), before);
}

TEST(SmsXmlSplitTest, APieceIsReadAsTheContentOfOurRoot) {
    struct Case {
        std::string content;
        bool ok;
        std::size_t messages;
        std::int32_t skippedElements;
    };
    const Case cases[] = {
        {"", true, 0, 0},
        {"<sms address=\"1\" date=\"2\" type=\"1\" body=\"x\"/> text <call/><!-- c -->", true, 1,
         1},
        {"<sms address=\"1\" date=\"2\" type=\"1\" body=\"x\">", false, 0, 0},
        {"</smses><smses>", false, 0, 0},
        {"]]>", false, 0, 0},
    };
    for (const Case& c : cases) {
        SmsXmlBatch batch;
        EXPECT_EQ(ParseSmsXmlPiece(c.content, batch), c.ok) << c.content;
        EXPECT_EQ(batch.messages.size(), c.messages) << c.content;
        EXPECT_EQ(batch.skippedElements, c.skippedElements) << c.content;
    }
}
