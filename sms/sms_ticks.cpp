#include "sms/sms_ticks.h"

#include <utility>
#include <vector>

#include "platform/text.h"
#include "sms/extract_address.h"

namespace {

std::u16string AddressPrefix(std::u16string_view direction, std::u16string_view name,
                             std::u16string_view address) {
    std::u16string prefix = u"[";
    prefix += direction;
    prefix += u":\"";
    prefix += name;
    prefix += u"\" <";
    prefix += ExtractAddress(address);
    prefix += u">]";
    return prefix;
}

bool HasTickedSibling(CheckTree& tree, CheckItem item) {
    for (TreeRelation way : {TreeRelation::Next, TreeRelation::Previous}) {
        for (CheckItem s = tree.Relative(item, way); s != nullptr; s = tree.Relative(s, way)) {
            if (IsTickedState(tree.State(s))) return true;
        }
    }
    return false;
}

void SetSubtree(CheckTree& tree, CheckItem item, std::uint32_t state) {
    std::vector<CheckItem> pending;
    for (CheckItem c = tree.Relative(item, TreeRelation::Child); c != nullptr;
         c = tree.Relative(c, TreeRelation::Next)) {
        pending.push_back(c);
    }
    while (!pending.empty()) {
        CheckItem current = pending.back();
        pending.pop_back();
        tree.SetState(current, state);
        for (CheckItem c = tree.Relative(current, TreeRelation::Child); c != nullptr;
             c = tree.Relative(c, TreeRelation::Next)) {
            pending.push_back(c);
        }
    }
}

}  // namespace

std::u16string SmsItemLabel(const SmsNode& node) {
    if (IsSmsFolder(node)) {
        return node.name + u" (" + DecimalText(CountSmsMessageChildren(node)) + u")";
    }
    const SmsMessageData* m = SmsNodeMessage(node);
    if (m == nullptr) return {};
    if (!m->senderAddress.empty()) {
        return AddressPrefix(u"From", m->senderName, m->senderAddress) + m->text;
    }
    if (!m->recipients.empty() && !m->recipients.front().address.empty()) {
        const SmsRecipient& to = m->recipients.front();
        return AddressPrefix(u"To", to.name, to.address) + m->text;
    }
    return m->text;
}

CheckItem CheckTree::InsertNode(CheckItem parent, const SmsNode& node) {
    return Insert(parent, SmsItemLabel(node));
}

bool FillSmsTreeView(const SmsNode* node, CheckTree* tree, CheckItem parent) {
    if (node == nullptr || tree == nullptr) return false;
    std::vector<std::pair<const SmsNode*, CheckItem>> pending{{node, parent}};
    while (!pending.empty()) {
        auto [current, under] = pending.back();
        pending.pop_back();
        CheckItem item = tree->InsertNode(under, *current);
        if (item == nullptr) return false;
        // Reversed, so the children are appended to their item in stored order.
        for (int i = SmsChildCount(*current); i-- > 0;) {
            pending.emplace_back(&SmsChildAt(*current, i), item);
        }
    }
    return true;
}

bool SyncChecksToTree(CheckTree* tree, SmsTree* smsTree) {
    if (tree == nullptr || smsTree == nullptr || !smsTree->root) return false;
    CheckItem top = tree->Relative(nullptr, TreeRelation::Root);
    if (top == nullptr) return false;
    std::vector<std::pair<CheckItem, SmsNode*>> pending{{top, smsTree->root.get()}};
    while (!pending.empty()) {
        auto [item, node] = pending.back();
        pending.pop_back();
        SetSmsNodeChecked(*node, IsTickedState(tree->State(item)) ? 1 : 0);
        int k = 0;
        for (CheckItem c = tree->Relative(item, TreeRelation::Child); c != nullptr;
             c = tree->Relative(c, TreeRelation::Next), ++k) {
            if (k >= SmsChildCount(*node)) return false;
            pending.emplace_back(c, &SmsChildAt(*node, k));
        }
    }
    return true;
}

void PropagateCheckClick(CheckTree& tree, CheckItem item) {
    if (item == nullptr) return;
    const bool ticked = IsTickedState(tree.State(item));
    const std::uint32_t state = ticked ? kTickedState : kUntickedState;
    SetSubtree(tree, item, state);
    if (ticked) {
        for (CheckItem p = tree.Relative(item, TreeRelation::Parent); p != nullptr;
             p = tree.Relative(p, TreeRelation::Parent)) {
            tree.SetState(p, kTickedState);
        }
        return;
    }
    for (CheckItem current = item; !HasTickedSibling(tree, current);) {
        CheckItem parent = tree.Relative(current, TreeRelation::Parent);
        if (parent == nullptr) return;
        tree.SetState(parent, kUntickedState);
        current = parent;
    }
}
