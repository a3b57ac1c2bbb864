// The SMS list's tick rules and its pairing with the tree, on a plain model of a check-box tree.

#include "sms/sms_ticks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sms_sample_trees.h"

namespace {

// Items are indexes + 1 into a flat table, so even a very deep model frees without recursion.
class ModelTree : public CheckTree {
  public:
    struct Item {
        std::u16string label;
        std::uint32_t state = kTickedState;
        std::size_t parent = 0;  // 0: top level
        std::vector<std::size_t> children;
    };

    CheckItem Relative(CheckItem item, TreeRelation relation) override {
        const std::size_t id = Id(item);
        switch (relation) {
            case TreeRelation::Root:
                return top_.empty() ? nullptr : Handle(top_.front());
            case TreeRelation::Child:
                return items_[id - 1].children.empty() ? nullptr
                                                       : Handle(items_[id - 1].children.front());
            case TreeRelation::Parent:
                return items_[id - 1].parent == 0 ? nullptr : Handle(items_[id - 1].parent);
            case TreeRelation::Next:
            case TreeRelation::Previous: {
                const auto& siblings = Siblings(id);
                std::size_t at = 0;
                while (siblings[at] != id)
                    ++at;
                if (relation == TreeRelation::Next) {
                    return at + 1 < siblings.size() ? Handle(siblings[at + 1]) : nullptr;
                }
                return at > 0 ? Handle(siblings[at - 1]) : nullptr;
            }
        }
        return nullptr;
    }
    std::uint32_t State(CheckItem item) override { return items_[Id(item) - 1].state; }
    void SetState(CheckItem item, std::uint32_t state) override {
        items_[Id(item) - 1].state = state;
    }
    CheckItem Insert(CheckItem parent, std::u16string_view label) override {
        if (failAfter_ == 0) return nullptr;
        --failAfter_;
        items_.push_back({std::u16string(label), kTickedState, Id(parent), {}});
        const std::size_t id = items_.size();
        (parent == nullptr ? top_ : items_[Id(parent) - 1].children).push_back(id);
        return Handle(id);
    }

    // The item reached by child positions from the top item: At({}) is the top, At({1, 0}) the
    // first child of its second child.
    CheckItem At(std::vector<std::size_t> path) {
        std::size_t id = top_.front();
        for (std::size_t k : path)
            id = items_[id - 1].children.at(k);
        return Handle(id);
    }
    // Toggles as the control does on a click, then lets the rules run.
    void Click(std::vector<std::size_t> path) {
        CheckItem item = At(path);
        SetState(item, IsTickedState(State(item)) ? kUntickedState : kTickedState);
        PropagateCheckClick(*this, item);
    }
    // Ticks in pre-order, "1" ticked, "0" not.
    std::string Ticks() {
        std::string out;
        for (const Item& item : items_)
            out += IsTickedState(item.state) ? '1' : '0';
        return out;
    }

    std::vector<Item> items_;
    std::vector<std::size_t> top_;
    std::size_t failAfter_ = static_cast<std::size_t>(-1);

  private:
    static std::size_t Id(CheckItem item) { return reinterpret_cast<std::size_t>(item); }
    static CheckItem Handle(std::size_t id) { return reinterpret_cast<CheckItem>(id); }
    const std::vector<std::size_t>& Siblings(std::size_t id) {
        return items_[id - 1].parent == 0 ? top_ : items_[items_[id - 1].parent - 1].children;
    }
};

// Root: Inbox (3 messages), Sent (1 message, subfolder Old with 1 message), Empty.
SmsTree SampleTree() {
    auto inbox = Folder("Inbox", NodeList(Message("a", "Anna <+111>", "Anna"),
                                          Message("b", "+222", "Bob"), Message("c")));
    auto old = Folder("Old", NodeList(Message("d", "", "", 0, 0, 0, {{"Bo", "5550100"}})));
    auto sent =
        Folder("Sent", NodeList(std::move(old), Message("e", "", "", 0, 0, 0, {{"Cy", ""}})));
    SmsTree tree;
    tree.root = Folder("", NodeList(std::move(inbox), std::move(sent), Folder("Empty")));
    return tree;
}

TEST(SmsTicks, TickStateCountsOnlyStateImageTwo) {
    for (std::uint32_t state : {0x2000u, 0x2FFFu})
        EXPECT_TRUE(IsTickedState(state)) << std::hex << state;
    for (std::uint32_t state : {0u, 0x1000u, 0x3000u})
        EXPECT_FALSE(IsTickedState(state)) << std::hex << state;
}

TEST(SmsTicks, FillsLabelsInPreOrderAllTicked) {
    SmsTree sms = SampleTree();
    ModelTree view;
    ASSERT_TRUE(FillSmsTreeView(sms.root.get(), &view, nullptr));
    std::vector<std::u16string> labels;
    for (const auto& item : view.items_)
        labels.push_back(item.label);
    EXPECT_EQ(labels,
              (std::vector<std::u16string>{u" (0)", u"Inbox (3)", u"[From:\"Anna\" <+111>]a",
                                           u"[From:\"Bob\" <+222>]b", u"c", u"Sent (1)", u"Old (1)",
                                           u"[To:\"Bo\" <5550100>]d", u"e", u"Empty (0)"}));
    EXPECT_EQ(view.Ticks(), "1111111111");
}

TEST(SmsTicks, FillStopsAtTheFirstFailedInsertion) {
    SmsTree sms = SampleTree();
    ModelTree view;
    view.failAfter_ = 4;
    EXPECT_FALSE(FillSmsTreeView(sms.root.get(), &view, nullptr));
    EXPECT_EQ(view.items_.size(), 4u);
    EXPECT_FALSE(FillSmsTreeView(nullptr, &view, nullptr));
    EXPECT_FALSE(FillSmsTreeView(sms.root.get(), nullptr, nullptr));
}

TEST(SmsTicks, ClicksPropagateDownAndUpByTheSiblingRule) {
    // Paths: {0} Inbox, {0,k} its messages, {1} Sent, {1,0} Old, {1,0,0} d, {1,1} e, {2} Empty.
    // Ticks() order: root Inbox a b c Sent Old d e Empty.
    const struct {
        const char* what;
        std::vector<std::vector<std::size_t>> clicks;
        std::string ticks;
    } cases[] = {
        {"one of three unticked leaves the folder", {{0, 0}}, "1101111111"},
        {"last ticked child unticks the folder", {{0, 0}, {0, 1}, {0, 2}}, "1000011111"},
        {"climb stops at a ticked sibling folder", {{1, 0, 0}}, "1111110011"},
        {"climb goes to the top", {{1, 0, 0}, {1, 1}, {0}, {2}}, "0000000000"},
        {"unticking a folder unticks its subtree", {{1}}, "1111100001"},
        {"ticking a folder ticks its subtree", {{1}, {1}}, "1111111111"},
        {"ticking one message ticks ancestors, not siblings",
         {{0}, {1}, {2}, {1, 1}},
         "1000010010"},
        {"ticking deep ticks every folder above", {{0}, {1}, {2}, {1, 0, 0}}, "1000011100"},
    };
    for (const auto& c : cases) {
        SmsTree sms = SampleTree();
        ModelTree view;
        ASSERT_TRUE(FillSmsTreeView(sms.root.get(), &view, nullptr));
        for (const auto& path : c.clicks)
            view.Click(path);
        EXPECT_EQ(view.Ticks(), c.ticks) << c.what;
    }
}

TEST(SmsTicks, SyncCopiesEveryTickIntoItsNodeOnlyWhenTheListMatchesTheTree) {
    SmsTree sms = SampleTree();
    ModelTree empty;
    EXPECT_FALSE(SyncChecksToTree(&empty, &sms));
    EXPECT_FALSE(SyncChecksToTree(nullptr, &sms));
    ModelTree view;
    ASSERT_TRUE(FillSmsTreeView(sms.root.get(), &view, nullptr));
    SmsTree none;
    EXPECT_FALSE(SyncChecksToTree(&view, &none));

    view.Click({0, 1});
    view.Click({1, 0, 0});
    ASSERT_TRUE(SyncChecksToTree(&view, &sms));
    const SmsNode& root = *sms.root;
    const SmsNode& inbox = SmsChildAt(root, 0);
    const SmsNode& sent = SmsChildAt(root, 1);
    EXPECT_EQ(SmsNodeChecked(root), 1);
    EXPECT_EQ(SmsNodeChecked(SmsChildAt(inbox, 0)), 1);
    EXPECT_EQ(SmsNodeChecked(SmsChildAt(inbox, 1)), 0);
    EXPECT_EQ(SmsNodeChecked(SmsChildAt(sent, 0)), 0);
    EXPECT_EQ(SmsNodeChecked(SmsChildAt(SmsChildAt(sent, 0), 0)), 0);
    EXPECT_EQ(SmsNodeChecked(SmsChildAt(sent, 1)), 1);

    // One child more than its node: refused without reaching past the node's children.
    view.Insert(view.At({2}), u"extra");
    EXPECT_FALSE(SyncChecksToTree(&view, &sms));
}

TEST(SmsTicks, DeeplyNestedFoldersFillSyncAndPropagateWithoutRecursion) {
    constexpr int kDepth = 200000;
    SmsTree sms;
    sms.root = CreateSmsNode(kSmsFolderKind);
    SmsNode* at = sms.root.get();
    for (int i = 0; i < kDepth; ++i) {
        ReserveSmsChildren(*at, 1);
        AppendSmsChild(*at, CreateSmsNode(kSmsFolderKind));
        at = &SmsChildAt(*at, 0);
    }
    ModelTree view;
    ASSERT_TRUE(FillSmsTreeView(sms.root.get(), &view, nullptr));
    ASSERT_EQ(view.items_.size(), static_cast<std::size_t>(kDepth + 1));
    CheckItem top = view.Relative(nullptr, TreeRelation::Root);
    view.SetState(top, kUntickedState);
    PropagateCheckClick(view, top);
    CheckItem deepest = view.Relative(view.At({0}), TreeRelation::Child);
    for (CheckItem c = deepest; c != nullptr; c = view.Relative(c, TreeRelation::Child))
        deepest = c;
    EXPECT_FALSE(IsTickedState(view.State(deepest)));
    view.SetState(deepest, kTickedState);
    PropagateCheckClick(view, deepest);
    EXPECT_EQ(view.Ticks(), std::string(kDepth + 1, '1'));
    view.SetState(top, kUntickedState);
    ASSERT_TRUE(SyncChecksToTree(&view, &sms));
    EXPECT_EQ(SmsNodeChecked(*sms.root), 0);
    EXPECT_EQ(SmsNodeChecked(*at), 1);
}

}  // namespace
