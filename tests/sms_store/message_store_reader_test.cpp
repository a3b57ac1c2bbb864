#include "sms/message_store_reader.h"

#include "sms/sms_operations.h"
#include "sms_store_fixture.h"

namespace {

using Messages = std::vector<ProgressMessage>;

Messages ReadProgress(int steps) {
    Messages expected = {{PBM_SETRANGE, 0, ProgressRangeParam(1000)}, {PBM_SETSTEP, 1, 0}};
    expected.insert(expected.end(), static_cast<std::size_t>(steps), {PBM_STEPIT, 0, 0});
    expected.push_back({PBM_SETPOS, 1000, 0});
    return expected;
}

using MessageStoreReaderTest = SmsStoreTest;

TEST_F(MessageStoreReaderTest, ReadsFoldersFirstThenMessagesWithTheirFields) {
    std::int64_t inbox = Folder({u"Inbox"});
    Folder({u"Inbox", u"Old"});
    Folder({u"Inbox", u"Work"});
    std::int64_t sent = Folder({u"Sent"});
    Add(inbox, Received(u"Hello", u"Bob", u"+4411", 1000));
    Add(inbox, Received(u"Again", u"Ann", u"+4412", 900));
    Add(sent, Sent(u"Hi", {{u"Anna", u"+4413"}, {u"Zed", u"+4414"}}, 2000));
    Add(sent, Sent(u"Draft", {}, 3000, true));
    PhoneMessageSpec noTimes;
    noTimes.subject = u"bare";
    noTimes.senderAddress = u"x";
    Add(top_, noTimes);

    SmsTree tree;
    ProgressRecorder bar;
    ASSERT_EQ(ReadSmsFromStore(&tree, &bar), 0);
    ASSERT_TRUE(tree.root);
    // The draft without recipient rows is given one empty recipient.
    EXPECT_EQ(DumpSmsTree(*tree.root),
              "+F Top of Information Store\n"
              "  +F Inbox\n"
              "    +F Old\n"
              "    +F Work\n"
              "    +M Hello | Bob <+4411> | d1000 m1005 s40 f1 |\n"
              "    +M Again | Ann <+4412> | d900 m905 s40 f1 |\n"
              "  +F Sent\n"
              "    +M Hi |  <> | d2000 m2007 s12 f1 | Anna<+4413>\n"
              "    +M Draft |  <> | d3000 m3007 s12 f9 | <>\n"
              "  +M bare |  <x> | d0 m0 s0 f0 |\n");
    EXPECT_EQ(bar.messages, ReadProgress(10));
}

TEST_F(MessageStoreReaderTest, TextIsSubjectThenBodyHeldTo500Units) {
    struct Case {
        std::size_t subject;
        std::size_t body;
        bool streamOnly;
        std::size_t expectedFromBody;
    };
    const Case cases[] = {
        {2, 600, false, 498},  // the body fills what the subject left
        {500, 10, false, 0},   // a full subject leaves no room
        {0, 600, true, 500},   // a stream gives at most 1000 bytes
        {3, 4, true, 4},      {0, 0, false, 0},
    };
    for (const Case& c : cases) {
        PhoneMessageSpec m;
        m.subject = std::u16string(c.subject, u's');
        if (c.body > 0) m.body = std::u16string(c.body, u'b');
        m.bodyStreamOnly = c.streamOnly;
        m.senderAddress = u"a";
        Add(top_, m);
    }
    SmsTree tree;
    ASSERT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
    ASSERT_EQ(SmsChildCount(*tree.root), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::u16string& text = SmsChildAt(*tree.root, static_cast<int>(i)).message->text;
        EXPECT_EQ(text, std::u16string(std::min<std::size_t>(c.subject, 500), u's') +
                            std::u16string(c.expectedFromBody, u'b'))
            << "case " << i;
        EXPECT_LE(text.size(), kSmsTextMax);
    }
}

TEST_F(MessageStoreReaderTest, FindsTheStoreByItsWholeNameIgnoringCase) {
    struct Case {
        const char16_t* name;
        bool found;
    };
    const Case cases[] = {{u"TEXT MESSAGES", true}, {u"Txt", true},   {u"sms", true},
                          {u"smsx", false},         {u"SMS2", false}, {u"Text", false}};
    for (const Case& c : cases) {
        MakePhone(SimSetup{});
        std::string error;
        ASSERT_TRUE(AddStore(*Db(), u"ActiveSync", error));
        ASSERT_TRUE(AddStore(*Db(), c.name, error));
        EXPECT_EQ(IsSmsStoreName(c.name), c.found) << Utf16ToUtf8(c.name);
        SmsTree tree;
        EXPECT_EQ(ReadSmsFromStore(&tree, nullptr), c.found ? 0 : 401) << Utf16ToUtf8(c.name);
        EXPECT_EQ(tree.root != nullptr, c.found);
    }
}

// A failed read leaves the tree that was there, node for node, and still ends the bar when the
// read itself had begun.
TEST_F(MessageStoreReaderTest, EveryFailureGives401AndKeepsThePreviousTree) {
    std::int64_t inbox = Folder({u"Inbox"});
    Folder({u"Inbox", u"Deep"});
    for (int i = 0; i < 4; ++i)
        Add(inbox, Received(u"m" + DecimalText(i), u"Bob", u"+1", 100 + i));
    struct Case {
        const char* fault;
        int at;
        bool readBegan;
    };
    const Case cases[] = {
        {"sms.logon", 0, false},  {"sms.stores", 0, false}, {"sms.open", 0, false},
        {"sms.top", 0, true},     {"sms.folder", 1, true},  {"sms.folder", 3, true},
        {"sms.message", 4, true},
    };
    SmsTree tree;
    ASSERT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
    const SmsNode* before = tree.root.get();
    const std::string dump = DumpSmsTree(*tree.root);
    Add(inbox, Received(u"later", u"Zed", u"+2", 500));
    for (const Case& c : cases) {
        SetFault(c.fault, c.at);
        ProgressRecorder bar;
        EXPECT_EQ(ReadSmsFromStore(&tree, &bar), 401) << c.fault << " at " << c.at;
        EXPECT_EQ(tree.root.get(), before);
        EXPECT_EQ(DumpSmsTree(*tree.root), dump);
        if (c.readBegan) {
            ASSERT_GE(bar.messages.size(), 3u);
            EXPECT_EQ(bar.messages.front().message, PBM_SETRANGE);
            EXPECT_EQ(bar.messages.back(), (ProgressMessage{PBM_SETPOS, 1000, 0}));
        } else {
            EXPECT_TRUE(bar.messages.empty());
        }
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    }
    EXPECT_EQ(ReadSmsFromStore(nullptr, nullptr), 401);
    ASSERT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
    EXPECT_NE(DumpSmsTree(*tree.root), dump);
}

TEST_F(MessageStoreReaderTest, ManyNodesStepOncePerNode) {
    std::int64_t inbox = Folder({u"Inbox"});
    std::string error;
    auto db = Db();
    for (int i = 0; i < 1200; ++i) {
        PhoneMessageSpec m;
        m.subject = u"n";
        ASSERT_TRUE(AddMessage(*db, inbox, m, error));
    }
    db.reset();
    SmsTree tree;
    ProgressRecorder bar;
    ASSERT_EQ(ReadSmsFromStore(&tree, &bar), 0);
    EXPECT_EQ(bar.messages, ReadProgress(1202));
    EXPECT_EQ(CountSmsMessageChildren(SmsChildAt(*tree.root, 0)), 1200);
}

}  // namespace
