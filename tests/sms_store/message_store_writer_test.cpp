#include "sms/message_store_writer.h"

#include <algorithm>
#include <chrono>

#include "platform/phone/message_rows.h"
#include "sms/sms_operations.h"
#include "sms_store_fixture.h"

namespace {

SmsNode& AddFolderNode(SmsNode& parent, std::u16string name) {
    auto node = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*node, name);
    SmsNode& raw = *node;
    parent.children.push_back(std::move(node));
    return raw;
}

SmsNode& AddMessageNode(SmsNode& parent, SmsMessageData data) {
    auto node = CreateSmsNode(kSmsMessageKind);
    node->message = std::make_unique<SmsMessageData>(std::move(data));
    SmsNode& raw = *node;
    parent.children.push_back(std::move(node));
    return raw;
}

SmsMessageData Data(std::u16string text, std::u16string sender, std::uint32_t flags,
                    std::vector<SmsRecipient> to = {}) {
    SmsMessageData m;
    m.text = std::move(text);
    m.senderAddress = sender;
    m.senderName = sender.empty() ? u"" : u"N" + sender;
    m.deliveryTime = FileTimeFromUint64(1000);
    m.lastModificationTime = FileTimeFromUint64(2000);
    m.size = 77;
    m.flags = flags;
    m.recipients = std::move(to);
    return m;
}

// Root → A (three received messages), B (a sent one and an unsent one).
SmsTree SampleTree() {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    SmsNode& a = AddFolderNode(*tree.root, u"A");
    for (int i = 0; i < 3; ++i)
        AddMessageNode(a, Data(u"a" + DecimalText(i), u"+1", 1));
    SmsNode& b = AddFolderNode(*tree.root, u"B");
    AddMessageNode(b, Data(u"b0", u"", 1, {{u"Ann", u"+2"}}));
    AddMessageNode(b, Data(u"b1", u"", kSmsUnsentFlag, {{u"Bob", u"+3"}}));
    return tree;
}

class MessageStoreWriterTest : public SmsStoreTest {
  protected:
    // Each folder below the top with its number of messages, in store order.
    std::string Summary() {
        auto db = Db();
        std::string out;
        auto folders = ChildFolders(*db, top_).value();
        for (const FolderRow& folder : folders)
            out += Utf16ToUtf8(folder.name) + ":" +
                   std::to_string(FolderMessages(*db, folder.id).value().size()) + " ";
        return out;
    }

    std::string ReadBack() {
        SmsTree tree;
        EXPECT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
        return tree.root ? DumpSmsTree(*tree.root) : "";
    }
};

TEST_F(MessageStoreWriterTest, WritesTheFivePropertiesOneTimeAndSenderOrFirstRecipient) {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    SmsNode& f = AddFolderNode(*tree.root, u"F");
    AddMessageNode(f, Data(u"received", u"+1", 1, {{u"Ignored", u"+9"}}));
    AddMessageNode(f, Data(u"unsent", u"", kSmsUnsentFlag | 1,
                           {{u"First", u"+2"}, {u"Second", u"+3"}, {u"Third", u"+4"}}));
    AddMessageNode(f, Data(u"nobody", u"", 1));
    // The empty recipient a reader gives for an empty recipient table.
    AddMessageNode(f, Data(u"empty", u"", 1, {{u"", u""}}));
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);

    auto db = Db();
    auto folders = ChildFolders(*db, top_).value();
    ASSERT_EQ(folders.size(), 1u);
    auto ids = FolderMessages(*db, folders[0].id).value();
    ASSERT_EQ(ids.size(), 4u);
    // The store keeps properties by tag, not in the order they were set.
    auto tagsOf = [&](std::int64_t id) {
        std::vector<ULONG> tags;
        std::vector<StoredProp> props;
        EXPECT_EQ(LoadMessage(*db, id, props), RowRead::Found);
        for (const StoredProp& p : props) {
            tags.push_back(p.value.ulPropTag);
            if (p.value.ulPropTag == PR_MESSAGE_CLASS_W) {
                EXPECT_EQ(p.value.lpszW, u"IPM.SMStext");
            }
            if (p.value.ulPropTag == PR_MESSAGE_STATUS) {
                EXPECT_EQ(static_cast<ULONG>(p.value.l), MSGSTATUS_RECTYPE_SMS);
            }
        }
        std::sort(tags.begin(), tags.end());
        return tags;
    };
    auto with = [](std::vector<ULONG> tags) {
        tags.insert(tags.end(), {PR_SUBJECT_W, PR_MESSAGE_STATUS, PR_MESSAGE_FLAGS,
                                 PR_MESSAGE_CLASS_W, PR_MESSAGE_SIZE});
        std::sort(tags.begin(), tags.end());
        return tags;
    };
    EXPECT_EQ(tagsOf(ids[0]),
              with({PR_MESSAGE_DELIVERY_TIME, PR_SENDER_EMAIL_ADDRESS_W, PR_SENDER_NAME_W}));
    EXPECT_EQ(tagsOf(ids[1]), with({PR_LAST_MODIFICATION_TIME}));
    EXPECT_EQ(tagsOf(ids[2]), with({PR_MESSAGE_DELIVERY_TIME}));
    EXPECT_EQ(tagsOf(ids[3]), with({PR_MESSAGE_DELIVERY_TIME}));

    EXPECT_TRUE(LoadRecipientRows(*db, ids[0]).value().empty());
    EXPECT_TRUE(LoadRecipientRows(*db, ids[2]).value().empty());
    EXPECT_TRUE(LoadRecipientRows(*db, ids[3]).value().empty());
    SRowSet rows = LoadRecipientRows(*db, ids[1]).value();
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].lpProps.size(), 4u);
    EXPECT_EQ(rows[0].lpProps[0].ulPropTag, PR_RECIPIENT_TYPE);
    EXPECT_EQ(rows[0].lpProps[0].l, 1);
    EXPECT_EQ(rows[0].lpProps[1].lpszW, u"SMS");
    EXPECT_EQ(rows[0].lpProps[2].lpszW, u"+2");
    EXPECT_EQ(rows[0].lpProps[3].lpszW, u"First");
}

// The whole way a backup takes: store, data file, load, back into an empty phone.
TEST_F(MessageStoreWriterTest, ReadSaveLoadRestoreReproducesEveryTickedNode) {
    std::int64_t inbox = Folder({u"Inbox"});
    std::int64_t deep = Folder({u"Inbox", u"2024", u"March"});
    std::int64_t sent = Folder({u"Sent"});
    Folder({u"Empty"});
    Add(inbox, Received(u"Hello \"there\"", u"Bob", u"+4411", 1000));
    Add(inbox, Received(u"Dropped", u"Eve", u"+4415", 1100));
    Add(deep, Received(u"Old news", u"Ann", u"+4412", 500));
    Add(sent, Sent(u"On my way", {{u"Anna", u"+4413"}}, 2000));
    Add(sent, Sent(u"Not yet", {{u"Zed", u"+4414"}}, 3000, true));
    Add(top_, Received(u"Loose", u"Kim", u"+4416", 4000));

    SmsTree original;
    ASSERT_EQ(ReadSmsFromStore(&original, nullptr), 0);
    const std::u16string file = dir_.U16Path("backup.dat");
    ASSERT_EQ(ExportSmsDataFile(&original, file, nullptr), 0);
    SmsTree loaded;
    ASSERT_EQ(LoadSmsDataFile(&loaded, file, nullptr), 0);

    // Untick the "Dropped" message (Inbox's last child) and the "Empty" folder.
    SmsNode& loadedInbox = SmsChildAt(*loaded.root, 0);
    ASSERT_EQ(loadedInbox.name, u"Inbox");
    SetSmsNodeChecked(SmsChildAt(loadedInbox, 2), 0);
    SetSmsNodeChecked(SmsChildAt(*loaded.root, 2), 0);

    MakePhone(SimSetup{});
    top_ = TopFolder();
    ProgressRecorder bar;
    ASSERT_EQ(RestoreSms(&loaded, &bar), 0);
    EXPECT_EQ(bar.Count(PBM_STEPIT), 11);  // every node below the root, unticked ones too
    EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));

    // Only the time that matches the unsent flag goes back.
    EXPECT_EQ(ReadBack(),
              "+F Top of Information Store\n"
              "  +F Inbox\n"
              "    +F 2024\n"
              "      +F March\n"
              "        +M Old news | Ann <+4412> | d500 m0 s40 f1 |\n"
              "    +M Hello \"there\" | Bob <+4411> | d1000 m0 s40 f1 |\n"
              "  +F Sent\n"
              "    +M On my way |  <> | d2000 m0 s12 f1 | Anna<+4413>\n"
              "    +M Not yet |  <> | d0 m3007 s12 f9 | Zed<+4414>\n"
              "  +M Loose | Kim <+4416> | d4000 m0 s40 f1 |\n");
}

TEST_F(MessageStoreWriterTest, RestoringTwiceDoublesMessagesButNotFolders) {
    std::int64_t existing = Folder({u"a"});  // the tree's "A", in other letters
    Add(existing, Received(u"kept", u"X", u"+9", 1));
    SmsTree tree = SampleTree();
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);
    EXPECT_EQ(Summary(), "a:7 B:4 ");
}

TEST_F(MessageStoreWriterTest, UntickedNodesAreNotRestored) {
    SmsTree tree = SampleTree();
    SmsNode& a = SmsChildAt(*tree.root, 0);
    SetSmsNodeChecked(SmsChildAt(a, 0), 0);
    SetSmsNodeChecked(SmsChildAt(a, 1), 0);
    SetSmsNodeChecked(SmsChildAt(a, 2), 0);
    SetSmsNodeChecked(SmsChildAt(*tree.root, 1), 0);  // B's messages stay ticked
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);
    EXPECT_EQ(Summary(), "A:0 ");  // a ticked folder is made even when it ends up empty

    MakePhone(SimSetup{});
    top_ = TopFolder();
    tree = SampleTree();
    SetSmsNodeChecked(*tree.root, 0);  // nothing chosen at all
    ProgressRecorder bar;
    EXPECT_EQ(RestoreSms(&tree, &bar), 0);
    EXPECT_EQ(Summary(), "");
    EXPECT_EQ(bar.messages,
              (std::vector<ProgressMessage>{{PBM_SETRANGE, 0, ProgressRangeParam(1000)},
                                            {PBM_SETSTEP, 1, 0},
                                            {PBM_SETPOS, 1000, 0}}));
}

// Each failure stops the restore with 404 where it is; what was made before it stays.
TEST_F(MessageStoreWriterTest, FailuresGive404AndKeepWhatWasWritten) {
    struct Case {
        const char* fault;
        int at;
        const char* summary;
        const char16_t* counts;  // only whole messages count as created
    };
    constexpr const char16_t* kNone = u"0 folders created, 0 opened; 0 messages created.";
    const Case cases[] = {
        {"sms.logon", 0, "", kNone},
        {"sms.stores", 0, "", kNone},
        {"sms.open", 0, "", kNone},
        {"sms.top", 0, "", kNone},
        {"sms.folder", 1, "", kNone},  // the top folder
        {"sms.createfolder", 2, "A:3 ", u"1 folder created, 0 opened; 3 messages created."},
        {"sms.createmessage", 3, "A:2 ", u"1 folder created, 0 opened; 2 messages created."},
        {"sms.setprops", 4, "A:2 ", u"1 folder created, 0 opened; 1 message created."},
        {"sms.setprops", 9, "A:3 ", u"1 folder created, 0 opened; 2 messages created."},
        {"sms.setprops", 11, "A:3 B:1 ", u"2 folders created, 0 opened; 3 messages created."},
        {"sms.recipients", 1, "A:3 B:1 ", u"2 folders created, 0 opened; 3 messages created."},
    };
    for (const Case& c : cases) {
        MakePhone(SimSetup{});
        top_ = TopFolder();
        SetFault(c.fault, c.at);
        SmsTree tree = SampleTree();
        ProgressRecorder bar;
        OperationSummary counts;
        EXPECT_EQ(RestoreSms(&tree, &bar, &counts), 404) << c.fault << " at " << c.at;
        EXPECT_EQ(Summary(), c.summary) << c.fault << " at " << c.at;
        EXPECT_EQ(Utf16ToUtf8(SummaryLine(counts)), Utf16ToUtf8(c.counts))
            << c.fault << " at " << c.at;
        ASSERT_FALSE(bar.messages.empty());
        EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
    }
}

// The last group commits as the session ends; a commit refused there (a full disk) lost the last
// messages at least, so the restore fails and the store keeps whole messages only.
TEST_F(MessageStoreWriterTest, ALastCommitRefusedGives404) {
    MakePhone(SimSetup{});
    top_ = TopFolder();
    SetFault("phone.commit", 0);
    SmsTree tree = SampleTree();
    EXPECT_EQ(RestoreSms(&tree, nullptr, nullptr), 404);
    ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    EXPECT_NE(Summary(), "A:3 B:2 ");
    MakePhone(SimSetup{});
    top_ = TopFolder();
    EXPECT_EQ(RestoreSms(&tree, nullptr, nullptr), 0);
    EXPECT_EQ(Summary(), "A:3 B:2 ");
}

TEST_F(MessageStoreWriterTest, NodesThatCannotBeWrittenGive404) {
    EXPECT_EQ(RestoreSms(nullptr, nullptr), 404);
    SmsTree empty;
    EXPECT_EQ(RestoreSms(&empty, nullptr), 0);

    SmsTree unnamed;
    unnamed.root = CreateSmsNode(kSmsFolderKind);
    AddFolderNode(*unnamed.root, u"Fine");
    AddFolderNode(*unnamed.root, u"");
    AddFolderNode(*unnamed.root, u"Never");
    EXPECT_EQ(RestoreSms(&unnamed, nullptr), 404);
    EXPECT_EQ(Summary(), "Fine:0 ");

    SmsTree noData;
    noData.root = CreateSmsNode(kSmsFolderKind);
    SmsNode& f = AddFolderNode(*noData.root, u"G");
    AddMessageNode(f, Data(u"one", u"+1", 1));
    f.children.push_back(CreateSmsNode(kSmsMessageKind));
    EXPECT_EQ(RestoreSms(&noData, nullptr), 404);
    EXPECT_EQ(Summary(), "Fine:0 G:1 ");
}

// The rule of a restore that skips what is there: text, address, written time and unsent flag.
TEST_F(MessageStoreWriterTest, SkipExistingRestoresTwiceWithoutDoubles) {
    auto restore = [&](SmsTree& tree, bool skip) {
        OperationSummary counts;
        EXPECT_EQ(RestoreSms(&tree, nullptr, &counts, skip), 0);
        return Utf16ToUtf8(SummaryLine(counts));
    };
    SmsTree tree = SampleTree();
    // Two equal messages in the source are two messages: both made on the first run.
    AddMessageNode(*tree.root->children[0], Data(u"a0", u"+1", 1));
    EXPECT_EQ(restore(tree, true), "2 folders created, 0 opened; 6 messages created.");
    EXPECT_EQ(Summary(), "A:4 B:2 ");
    const std::string once = ReadBack();
    EXPECT_EQ(restore(tree, true),
              "0 folders created, 2 opened; 0 messages created, 6 already present.");
    EXPECT_EQ(ReadBack(), once);

    // A message that differs in only one of the compared fields is made; the size is no part
    // of the rule, and the unsent message compares its last change, not its delivery.
    SmsTree changed = SampleTree();
    SmsNode& a = *changed.root->children[0];
    SmsNode& b = *changed.root->children[1];
    a.children[0]->message->text = u"a0 changed";
    a.children[1]->message->deliveryTime = FileTimeFromUint64(1001);
    a.children[2]->message->size = 1;
    b.children[0]->message->recipients[0].address = u"+22";
    b.children[1]->message->deliveryTime = FileTimeFromUint64(5);
    AddMessageNode(b, Data(u"b1", u"", 0, {{u"Bob", u"+3"}}));  // b1, sent this time
    b.children[0]->checked = 0;
    EXPECT_EQ(restore(changed, true),
              "0 folders created, 2 opened; 3 messages created, 2 already present, 1 unticked "
              "left out.");
    EXPECT_EQ(Summary(), "A:6 B:3 ");

    // Without the choice every message is made again.
    EXPECT_EQ(restore(tree, false), "0 folders created, 2 opened; 6 messages created.");
    EXPECT_EQ(Summary(), "A:10 B:5 ");
}

TEST_F(MessageStoreWriterTest, SkipExistingNamesakesShareTheirFolderAndAnUnreadableFolderFails) {
    SmsTree tree = SampleTree();
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);
    // Two nodes of one name share the folder: its messages were read once, before either.
    SmsTree twice = SampleTree();
    SmsNode& again = AddFolderNode(*twice.root, u"a");
    AddMessageNode(again, Data(u"a1", u"+1", 1));
    AddMessageNode(again, Data(u"new", u"+1", 1));
    OperationSummary counts;
    ASSERT_EQ(RestoreSms(&twice, nullptr, &counts, true), 0);
    EXPECT_EQ(counts.smsRestore.messagesPresent, 6);
    EXPECT_EQ(counts.smsRestore.messagesCreated, 1);
    EXPECT_EQ(Summary(), "A:4 B:2 ");

    // A message of the folder that cannot be opened stops the restore before anything is made.
    SetFault("sms.message", 2);
    SmsTree third = SampleTree();
    EXPECT_EQ(RestoreSms(&third, nullptr, &counts, true), 404);
    EXPECT_EQ(counts.smsRestore.messagesCreated, 0);
    EXPECT_EQ(Summary(), "A:4 B:2 ");
}

}  // namespace

namespace {

// Each new folder's name is looked up among its siblings; a walk over them made this quadratic
// (8,000 siblings took 24 s). 20,000 now take well under a second, so 10 s is a wide margin
// that a quadratic lookup cannot meet.
TEST_F(MessageStoreWriterTest, ManySiblingFoldersRestoreInLinearTime) {
    constexpr int kSiblings = 20000;
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    SmsNode& many = AddFolderNode(*tree.root, u"Many");
    for (int i = 0; i < kSiblings; ++i)
        AddFolderNode(many, u"f" + DecimalText(i));
    // A second folder of an existing name, in other letter case, is opened, not made again.
    AddMessageNode(AddFolderNode(many, u"F7"), Data(u"in f7", u"+1", 1));
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    auto db = Db();
    auto top = ChildFolders(*db, top_).value();
    ASSERT_EQ(top.size(), 1u);
    auto children = ChildFolders(*db, top[0].id).value();
    ASSERT_EQ(children.size(), static_cast<std::size_t>(kSiblings));
    EXPECT_EQ(children[7].name, u"f7");
    EXPECT_EQ(FolderMessages(*db, children[7].id).value().size(), 1u);
}

}  // namespace
