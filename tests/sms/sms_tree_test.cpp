#include "sms/sms_tree.h"

#include <gtest/gtest.h>

#include "sms/extract_address.h"
#include "sms_sample_trees.h"

TEST(SmsNodeTest, ChildrenAreReservedOnceAndNeverOverfilled) {
    auto folder = CreateSmsNode(kSmsFolderKind);
    EXPECT_EQ(SmsNodeChecked(*folder), 1);
    EXPECT_EQ(SmsChildCount(*folder), 0);
    EXPECT_EQ(AppendSmsChild(*folder, CreateSmsNode(kSmsMessageKind)), -2);
    EXPECT_EQ(ReserveSmsChildren(*folder, 0), 0);
    EXPECT_EQ(AppendSmsChild(*folder, CreateSmsNode(kSmsMessageKind)), -2);

    ASSERT_EQ(ReserveSmsChildren(*folder, 2), 0);
    EXPECT_EQ(ReserveSmsChildren(*folder, 5), -2);
    EXPECT_EQ(AppendSmsChild(*folder, nullptr), -2);
    EXPECT_EQ(AppendSmsChild(*folder, CreateSmsNode(kSmsMessageKind)), 0);
    EXPECT_EQ(AppendSmsChild(*folder, CreateSmsNode(kSmsMessageKind)), 0);
    EXPECT_EQ(AppendSmsChild(*folder, CreateSmsNode(kSmsMessageKind)), -2);
    EXPECT_EQ(SmsChildCount(*folder), 2);
}

TEST(SmsNodeTest, CountsCheckedAndMessageChildren) {
    EXPECT_EQ(CountSmsMessageChildren(*Message("x")), 0);
    auto mixed = Folder("M", NodeList(Folder("sub"), Message("a"), Message("b")));
    EXPECT_EQ(CountSmsMessageChildren(*mixed), 2);
    EXPECT_EQ(CountCheckedSmsChildren(*mixed), 3);
    SetSmsNodeChecked(SmsChildAt(*mixed, 1), 0);
    EXPECT_EQ(CountCheckedSmsChildren(*mixed), 2);
}

TEST(SmsNodeTest, NamesAreCutTo128AndAlwaysTerminated) {
    auto node = CreateSmsNode(kSmsFolderKind);
    const std::u16string exact(128, u'n');
    char16_t buffer[kSmsFolderNameMax + 1] = {};
    struct Case {
        std::u16string given;
        std::u16string kept;
    } cases[] = {{exact, exact}, {exact + u"xyz", exact}, {u"", u""}, {u"ab\0cd", u"ab"}};
    for (const Case& c : cases) {
        std::fill(std::begin(buffer), std::end(buffer), u'\xFFFF');
        ASSERT_EQ(SetSmsNodeName(*node, std::u16string_view(c.given)), 0);
        ASSERT_EQ(GetSmsNodeName(*node, buffer), 0);
        EXPECT_EQ(std::u16string(buffer), c.kept);
    }
    EXPECT_EQ(SetSmsNodeName(*node, static_cast<const char16_t*>(nullptr)), -2);
    EXPECT_EQ(GetSmsNodeName(*node, nullptr), -2);
    EXPECT_EQ(AttachSmsMessage(*node, nullptr), -2);
}

TEST(SmsTreeTest, ClearAndReplaceFreeDeepTreesWithoutRecursion) {
    SmsTree tree;
    ClearSmsTree(tree);  // an empty tree is fine
    // Deep enough that a recursive destructor would overflow the stack.
    auto root = CreateSmsNode(kSmsFolderKind);
    SmsNode* tail = root.get();
    for (int i = 0; i < 300000; ++i) {
        ReserveSmsChildren(*tail, 2);
        AppendSmsChild(*tail, Message("m", "+1", "n", 1, 0, 0, {{"r", "+2"}}));
        auto next = CreateSmsNode(kSmsFolderKind);
        SmsNode* raw = next.get();
        AppendSmsChild(*tail, std::move(next));
        tail = raw;
    }
    ReplaceSmsTree(tree, std::move(root));
    ReplaceSmsTree(tree, Folder("new"));
    EXPECT_EQ(tree.root->name, u"new");
    ClearSmsTree(tree);
    EXPECT_EQ(tree.root, nullptr);
}

TEST(ExtractAddressTest, TakesWhatTheLastAngleBracketsEnclose) {
    struct Case {
        const char16_t* text;
        const char16_t* address;
    } cases[] = {
        {u"Anna <+111>", u"+111"},
        {u"+111", u"+111"},
        {u"Anna <+111", u"Anna <+111"},
        {u"<a> <b>", u"b"},
        {u"x<>", u""},
        {u"a>b<c", u"a>b<c"},  // brackets the wrong way round enclose nothing
        {u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractAddress(c.text), c.address) << std::u16string(c.text).size();
    // An address field holds at most 50 characters, and so does the result.
    EXPECT_EQ(ExtractAddress(std::u16string(80, u'9')).size(), kSmsAddressMax);
}
