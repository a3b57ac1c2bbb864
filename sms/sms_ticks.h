#pragma once
// The SMS list's check boxes and the SmsTree behind them. The list is any tree of check boxes
// that answers the tree view's relations; the dialog adapts the real control, tests a plain model.
// Items carry no pointer to their nodes: the k-th child item belongs to the k-th child node,
// because the list is filled by a pre-order walk of the tree.
//
// Every walk here keeps its own stack: a data file may nest folders deeper than the call stack.

#include <cstdint>
#include <string>
#include <string_view>

#include "sms/sms_tree.h"

// The tree view's TVGN_* relations.
enum class TreeRelation : int { Root = 0, Next = 1, Previous = 2, Parent = 3, Child = 4 };

constexpr std::uint32_t kTickStateMask = 0xF000;  // TVIS_STATEIMAGEMASK
constexpr std::uint32_t kUntickedState = 0x1000;  // state image 1
constexpr std::uint32_t kTickedState = 0x2000;    // state image 2

using CheckItem = void*;

struct CheckTree {
    virtual ~CheckTree() = default;
    // Null when there is no such item; Root ignores item.
    virtual CheckItem Relative(CheckItem item, TreeRelation relation) = 0;
    // The item's state bits within kTickStateMask.
    virtual std::uint32_t State(CheckItem item) = 0;
    virtual void SetState(CheckItem item, std::uint32_t state) = 0;
    // Appends a ticked, collapsed item under parent (null: the top level); null on failure.
    virtual CheckItem Insert(CheckItem parent, std::u16string_view label) = 0;
    // The same for node; a list that draws its labels itself when shown overrides this and keeps
    // the node instead of a copy of its label.
    virtual CheckItem InsertNode(CheckItem parent, const SmsNode& node);
};

// State image 2 and no higher bit; anything else, image 0 included, is not ticked.
constexpr bool IsTickedState(std::uint32_t state) {
    return state - kTickedState < 0x1000u;
}

// A folder: its name and " (n)" with n its direct message children. A message: the
// "[From:..." or "[To:..." prefix when it has an address to show, then its whole text.
std::u16string SmsItemLabel(const SmsNode& node);

// Appends node under parent, then its subtree in stored order. False when the node or the tree
// is missing or an insertion fails; the walk stops there.
bool FillSmsTreeView(const SmsNode* node, CheckTree* tree, CheckItem parent);

// Copies every item's tick into its node's checked byte. False when the tree, the SmsTree or
// the top item is missing, or an item has more children than its node; no node beyond a
// node's children is touched.
bool SyncChecksToTree(CheckTree* tree, SmsTree* smsTree);

// After the user toggled item's check box: its subtree follows it; a tick ticks every ancestor;
// an untick climbs while the item has no ticked sibling, unticking each parent on the way.
void PropagateCheckClick(CheckTree& tree, CheckItem item);
