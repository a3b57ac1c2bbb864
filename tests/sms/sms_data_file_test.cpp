#include "sms/sms_data_file.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/little_endian.h"
#include "sms_dump.h"
#include "sms_sample_trees.h"
#include "test_support.h"

namespace {

// Root "SMS" > "Inbox" > a message from Anna and a sent message with one recipient; the golden
// file was built from the record layout by tests/data/sms/make_example_dat.py.
SmsTree GoldenTree() {
    SampleMessageSpec fromAnna{"See you at six", "Anna <+111>", "Anna", kT1, kT1 + 60, 1, {}, 42};
    SampleMessageSpec toBob{"OK", "", "", kT1 + 3600, kT1 + 3660, 0, {{"Bob", "+222"}}, 7};
    SmsTree tree;
    tree.root =
        Folder("SMS", NodeList(Folder("Inbox", NodeList(Message(fromAnna), Message(toBob)))));
    return tree;
}

}  // namespace

TEST(SmsDataFileTest, WritesTheGoldenFileAndSkipsUntickedNodes) {
    TempDir dir;
    SmsTree tree = GoldenTree();
    SmsNode& inbox = SmsChildAt(*tree.root, 0);
    // Unticked additions must leave the bytes as they are.
    SmsTree padded = GoldenTree();
    SmsNode& paddedInbox = SmsChildAt(*padded.root, 0);
    auto extraFolder = Folder("Drafts", NodeList(Message("draft")));
    extraFolder->checked = 0;
    SmsChildAt(*extraFolder, 0).checked = 1;  // below an unticked folder it does not count
    auto extraMessage = Message("gone", "+9", "Nine");
    extraMessage->checked = 0;
    std::vector<std::unique_ptr<SmsNode>> children = std::move(paddedInbox.children);
    paddedInbox.childCapacity = 0;
    ReserveSmsChildren(paddedInbox, 4);
    AppendSmsChild(paddedInbox, std::move(extraFolder));
    AppendSmsChild(paddedInbox, std::move(children[0]));
    AppendSmsChild(paddedInbox, std::move(extraMessage));
    AppendSmsChild(paddedInbox, std::move(children[1]));

    const std::string golden = ReadTestData("sms/example.dat");
    ASSERT_EQ(golden.size(), 4 * kNodeRecordSize + kRecipientRecordSize);
    for (SmsTree* t : {&tree, &padded}) {
        ProgressRecorder bar;
        ASSERT_EQ(ExportSmsDataFile(t, dir.U16Path("out.dat"), &bar), 0);
        EXPECT_EQ(ReadBytes(dir / "out.dat"), golden);
        EXPECT_EQ(bar.messages.front(), (ProgressMessage{PBM_SETRANGE, 0, 1000 << 16}));
        EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
        // Every node reached steps, also the unticked ones, but nothing below those.
        EXPECT_EQ(bar.Count(PBM_STEPIT), t == &tree ? 4 : 6);
    }
    EXPECT_EQ(inbox.children.size(), 2u);
}

TEST(SmsDataFileTest, LoadsTheGoldenFileAndWritesItBackUnchanged) {
    TempDir dir;
    WriteBytes(dir / "in.dat", ReadTestData("sms/example.dat"));
    SmsTree loaded;
    ProgressRecorder bar;
    ASSERT_EQ(LoadSmsDataFile(&loaded, dir.U16Path("in.dat"), &bar), 0);
    EXPECT_EQ(bar.Count(PBM_STEPIT), 4);
    EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
    EXPECT_EQ(DumpSmsTree(*loaded.root), DumpSmsTree(*GoldenTree().root));

    ASSERT_EQ(ExportSmsDataFile(&loaded, dir.U16Path("again.dat"), nullptr), 0);
    EXPECT_EQ(ReadBytes(dir / "again.dat"), ReadTestData("sms/example.dat"));
}

TEST(SmsDataFileTest, RoundTripKeepsEveryFieldAtItsLimits) {
    SampleMessageSpec wide;
    wide.text = std::string(kSmsTextMax - 1, 'x') + "\xE2\x82\xAC";  // 500 units, last non-ASCII
    wide.senderAddress = std::string(kSmsAddressMax, '+');
    wide.senderName = std::string(kSmsAddressMax, 'N');
    wide.flags = 0xFFFFFFFF;
    wide.size = 0x80000001;
    wide.recipients = {{std::string(50, 'r'), std::string(50, '1')}, {"", ""}, {"C", "+3"}};
    auto edgeTimes = Message(wide);
    edgeTimes->message->deliveryTime = FileTimeFromUint64(0xFFFFFFFFFFFFFFFFull);
    edgeTimes->message->lastModificationTime = FileTimeFromUint64(0x0123456789ABCDEFull);
    auto unticked = Message("not saved");
    unticked->checked = 0;
    SmsTree tree;
    tree.root = Folder(std::string(kSmsFolderNameMax, 'F'),
                       NodeList(Folder("Empty"), Folder("Deep", NodeList(Folder("Deeper"))),
                                std::move(edgeTimes), std::move(unticked), Message("")));
    TempDir dir;
    ASSERT_EQ(ExportSmsDataFile(&tree, dir.U16Path("x.dat"), nullptr), 0);
    SmsTree loaded;
    ASSERT_EQ(LoadSmsDataFile(&loaded, dir.U16Path("x.dat"), nullptr), 0);
    tree.root->children.erase(tree.root->children.begin() + 3);  // the unticked one
    EXPECT_EQ(DumpSmsTree(*loaded.root), DumpSmsTree(*tree.root));
}

TEST(SmsDataFileTest, FailuresReportTheirCodeAndTouchNothing) {
    TempDir dir;
    SmsTree noRoot;
    EXPECT_EQ(ExportSmsDataFile(nullptr, dir.U16Path("a.dat"), nullptr), 403);
    EXPECT_EQ(ExportSmsDataFile(&noRoot, u"", nullptr), 403);
    EXPECT_EQ(LoadSmsDataFile(nullptr, dir.U16Path("a.dat"), nullptr), 402);
    EXPECT_EQ(LoadSmsDataFile(&noRoot, u"", nullptr), 402);
    ProgressRecorder bar;
    EXPECT_EQ(ExportSmsDataFile(&noRoot, dir.U16Path("a.dat"), &bar), 403);
    EXPECT_FALSE(PathExists(dir.U16Path("a.dat")));
    EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
    EXPECT_EQ(LoadSmsDataFile(&noRoot, dir.U16Path("missing.dat"), nullptr), 402);
    EXPECT_EQ(LoadSmsDataFile(&noRoot, Utf8ToUtf16(dir.path().string()), nullptr), 402);

    // An unticked root writes an empty file, which does not load over the previous tree.
    SmsTree tree = GoldenTree();
    tree.root->checked = 0;
    ASSERT_EQ(ExportSmsDataFile(&tree, dir.U16Path("empty.dat"), nullptr), 0);
    EXPECT_EQ(ReadBytes(dir / "empty.dat"), "");
    EXPECT_EQ(LoadSmsDataFile(&tree, dir.U16Path("empty.dat"), nullptr), 402);
    EXPECT_EQ(tree.root->name, u"SMS");

    tree.root->checked = 1;
    const std::string before(100, 'k');
    WriteBytes(dir / "keep.dat", before);
    {
        FileSizeLimit diskFull(4000);
        EXPECT_EQ(ExportSmsDataFile(&tree, dir.U16Path("keep.dat"), nullptr), 403);
    }
    EXPECT_EQ(ReadBytes(dir / "keep.dat"), before);
    std::filesystem::create_directory(dir / "folder.dat");
    EXPECT_EQ(ExportSmsDataFile(&tree, dir.U16Path("folder.dat"), nullptr), 403);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST(SmsDataFileTest, EveryCutFailsAndKeepsThePreviousTree) {
    TempDir dir;
    const std::string golden = ReadTestData("sms/example.dat");
    std::vector<std::size_t> cuts = {0, 1, 2, 259, 260, 1499, 1500, 1503};
    for (std::size_t cut = 1504; cut < golden.size(); cut += 101)
        cuts.push_back(cut);
    for (std::size_t boundary : {1504u, 3008u, 4512u, 6016u, 6219u})
        cuts.push_back(boundary);
    for (std::size_t cut : cuts) {
        WriteBytes(dir / "cut.dat", golden.substr(0, cut));
        SmsTree tree = GoldenTree();
        ProgressRecorder bar;
        EXPECT_EQ(LoadSmsDataFile(&tree, dir.U16Path("cut.dat"), &bar), 402) << cut;
        EXPECT_EQ(SmsChildAt(*tree.root, 0).name, u"Inbox") << cut;
        EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
    }
    // Bytes after the root's last descendant are never read.
    WriteBytes(dir / "long.dat", golden + std::string(777, '\x5A'));
    SmsTree tree;
    EXPECT_EQ(LoadSmsDataFile(&tree, dir.U16Path("long.dat"), nullptr), 0);
}

TEST(SmsDataFileTest, CountsBeyondTheFileFailBeforeAllocating) {
    const std::string golden = ReadTestData("sms/example.dat");
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        std::string bytes = golden;
        EncodeFixed32(reinterpret_cast<unsigned char*>(bytes.data()) + offset, value);
        return bytes;
    };
    const std::size_t message2 = 3 * kNodeRecordSize;
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"root claims 2^31-1 children", patched(kNodeChildCountOffset, 0x7FFFFFFF)},
        {"root claims 2 children but the file holds one subtree",
         patched(kNodeChildCountOffset, 2)},
        // Five records follow; the root's remaining claim plus Inbox's would need more.
        {"nested claims add up", patched(kNodeRecordSize + kNodeChildCountOffset, 3)},
        {"recipient count 2^31-1",
         patched(message2 + kMessageDataOffset + kRecipientCountOffset, 0x7FFFFFFF)},
        {"recipient count one too many",
         patched(message2 + kMessageDataOffset + kRecipientCountOffset, 2)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteBytes(dir / "bad.dat", c.bytes);
        SmsTree tree;
        EXPECT_EQ(LoadSmsDataFile(&tree, dir.U16Path("bad.dat"), nullptr), 402) << c.what;
        EXPECT_EQ(tree.root, nullptr) << c.what;
    }
    // Negative counts are no children and no recipients.
    std::string negative =
        patched(message2 + kMessageDataOffset + kRecipientCountOffset, 0xFFFFFFFF);
    WriteBytes(dir / "neg.dat", negative.substr(0, 4 * kNodeRecordSize));
    SmsTree tree;
    ASSERT_EQ(LoadSmsDataFile(&tree, dir.U16Path("neg.dat"), nullptr), 0);
    EXPECT_TRUE(SmsChildAt(SmsChildAt(*tree.root, 0), 1).message->recipients.empty());
}

TEST(SmsDataFileTest, UnterminatedFieldsAreCutAtTheirLimit) {
    std::string record(kNodeRecordSize, '\0');
    record[kNodeKindOffset] = 0;
    for (std::size_t i = kNodeNameOffset; i < kNodeChildCountOffset; ++i)
        record[i] = 'A';  // every unit U+4141, no terminator anywhere
    record.replace(kMessageDataOffset + kRecipientCountOffset, 4, std::string(4, '\0'));
    TempDir dir;
    WriteBytes(dir / "u.dat", record);
    SmsTree tree;
    ASSERT_EQ(LoadSmsDataFile(&tree, dir.U16Path("u.dat"), nullptr), 0);
    EXPECT_EQ(tree.root->name.size(), kSmsFolderNameMax);
    const SmsMessageData& m = *tree.root->message;
    EXPECT_EQ(m.text.size(), kSmsTextMax);
    EXPECT_EQ(m.senderAddress.size(), kSmsAddressMax);
    EXPECT_EQ(m.senderName.size(), kSmsAddressMax);
}

TEST(SmsDataFileTest, DeeplyNestedFoldersLoadWriteAndFree) {
    constexpr std::size_t kDepth = 20000;  // beyond what recursion with a frame per record survives
    std::string bytes;
    for (std::size_t i = 0; i < kDepth; ++i) {
        std::string record(kNodeRecordSize, '\0');
        record[kNodeKindOffset] = 1;
        record[kNodeNameOffset] = 'd';
        if (i + 1 < kDepth) record[kNodeChildCountOffset] = 1;
        bytes += record;
    }
    TempDir dir;
    WriteBytes(dir / "deep.dat", bytes);
    SmsTree tree;
    ASSERT_EQ(LoadSmsDataFile(&tree, dir.U16Path("deep.dat"), nullptr), 0);
    ASSERT_EQ(ExportSmsDataFile(&tree, dir.U16Path("again.dat"), nullptr), 0);
    EXPECT_EQ(ReadBytes(dir / "again.dat"), bytes);
}

// Only kinds 0 and 1 are ever written; any other byte there means the file is something else
// (a CSV's "S" or "P", a damaged record) and the load fails as for any malformed file.
TEST(SmsDataFileTest, RecordsOfAnyOtherKindFailTheLoad) {
    TempDir dir;
    const std::string golden = ReadTestData("sms/example.dat");
    for (std::size_t record : {0u, 1u}) {
        for (unsigned char kind : {2, 0x50, 0xFF}) {
            std::string bytes = golden;
            bytes[record * kNodeRecordSize + kNodeKindOffset] = static_cast<char>(kind);
            WriteBytes(dir / "kind.dat", bytes);
            SmsTree tree = GoldenTree();
            EXPECT_EQ(LoadSmsDataFile(&tree, dir.U16Path("kind.dat"), nullptr), 402)
                << record << " " << int{kind};
            EXPECT_EQ(SmsChildAt(*tree.root, 0).name, u"Inbox");
        }
    }
}
