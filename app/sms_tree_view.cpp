#include "app/sms_tree_view.h"

#include "ui/controls.h"

namespace {

HTREEITEM AsTreeItem(CheckItem item) {
    return static_cast<HTREEITEM>(item);
}

}  // namespace

CheckItem TreeViewChecks::Relative(CheckItem item, TreeRelation relation) {
    return TreeGetNextItem(tree_, AsTreeItem(item), static_cast<int>(relation));
}

std::uint32_t TreeViewChecks::State(CheckItem item) {
    return TreeGetItemState(tree_, AsTreeItem(item), TVIS_STATEIMAGEMASK);
}

void TreeViewChecks::SetState(CheckItem item, std::uint32_t state) {
    TreeSetItemState(tree_, AsTreeItem(item), state, TVIS_STATEIMAGEMASK);
}

CheckItem TreeViewChecks::Insert(CheckItem parent, std::u16string_view label) {
    return TreeInsertItem(tree_, AsTreeItem(parent), label, kStateTicked, TVIS_STATEIMAGEMASK);
}
