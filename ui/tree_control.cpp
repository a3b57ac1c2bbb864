// The tree view with check boxes. Items live in flat arrays of the model, not as one widget item
// each: a list of a million messages costs about fifty bytes per item, every relation is one
// array look-up, and an item inserted without text asks its dialog for the text only while it is
// drawn (TVN_GETDISPINFO). With redraw off (TreeSetRedraw) insertions and tick changes reach the
// view once, when redraw is turned back on.

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "ui/controls.h"
#include "ui/ui_internal.h"

namespace ui {
namespace {

static_assert(sizeof(std::uintptr_t) >= 8, "item handles carry a generation in their high half");

// Item 0 is the invisible root; handles carry the model's generation in their high half, so a
// handle kept over TreeDeleteAllItems is refused rather than taken for a new item.
class CheckTreeModel : public QAbstractItemModel {
  public:
    struct Item {
        std::uint32_t parent = 0;
        std::uint32_t row = 0;
        bool ticked = false;
        bool hasText = false;
        LPARAM lParam = 0;
        std::vector<std::uint32_t> children;
    };

    std::function<QString(std::uint32_t, LPARAM)> askText;
    bool checkBoxes = false;

    CheckTreeModel() { items_.emplace_back(); }

    HTREEITEM Handle(std::uint32_t id) const {
        if (id == 0) return nullptr;
        return reinterpret_cast<HTREEITEM>((static_cast<std::uintptr_t>(generation_) << 32) | id);
    }
    // 0 for a handle this model did not give out since its last clearing.
    std::uint32_t Id(HTREEITEM handle) const {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        const auto id = static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
        if ((value >> 32) != generation_ || id == 0 || id >= items_.size()) return 0;
        return id;
    }
    const Item& At(std::uint32_t id) const { return items_[id]; }
    std::size_t Count() const { return items_.size() - 1; }

    std::uint32_t Insert(std::uint32_t parent, bool ticked, LPARAM lParam) {
        const auto id = static_cast<std::uint32_t>(items_.size());
        const auto row = static_cast<int>(items_[parent].children.size());
        if (held_) {
            if (!resetPending_) beginResetModel();
            resetPending_ = true;
        } else {
            beginInsertRows(IndexOf(parent), row, row);
        }
        Item item;
        item.parent = parent;
        item.row = static_cast<std::uint32_t>(row);
        item.ticked = ticked;
        item.lParam = lParam;
        items_.push_back(std::move(item));
        items_[parent].children.push_back(id);
        if (!held_) endInsertRows();
        return id;
    }
    void SetText(std::uint32_t id, const QString& text) {
        texts_[id] = text;
        items_[id].hasText = true;
    }
    QString Text(std::uint32_t id) const {
        if (items_[id].hasText) return texts_.at(id);
        return askText ? askText(id, items_[id].lParam) : QString();
    }
    void SetTicked(std::uint32_t id, bool ticked) {
        if (items_[id].ticked == ticked) return;
        items_[id].ticked = ticked;
        if (held_) {
            statesPending_ = true;
            return;
        }
        const QModelIndex index = IndexOf(id);
        emit dataChanged(index, index, {Qt::CheckStateRole});
    }
    void Clear() {
        beginResetModel();
        items_.clear();
        items_.shrink_to_fit();
        items_.emplace_back();
        texts_.clear();
        ++generation_;
        endResetModel();
        resetPending_ = false;
        statesPending_ = false;
    }
    // Answers whether ticks changed while held and the view must be repainted.
    bool SetHeld(bool held) {
        held_ = held;
        if (held) return false;
        const bool repaint = statesPending_ && !resetPending_;
        if (resetPending_) endResetModel();
        resetPending_ = false;
        statesPending_ = false;
        return repaint;
    }
    QModelIndex IndexOf(std::uint32_t id) const {
        return id == 0 ? QModelIndex() : createIndex(static_cast<int>(items_[id].row), 0, id);
    }
    static std::uint32_t IdOf(const QModelIndex& index) {
        return index.isValid() ? static_cast<std::uint32_t>(index.internalId()) : 0;
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        const std::vector<std::uint32_t>& children = items_[IdOf(parent)].children;
        if (row < 0 || column != 0 || static_cast<std::size_t>(row) >= children.size()) return {};
        return createIndex(row, 0, children[static_cast<std::size_t>(row)]);
    }
    QModelIndex parent(const QModelIndex& child) const override {
        return child.isValid() ? IndexOf(items_[IdOf(child)].parent) : QModelIndex();
    }
    int rowCount(const QModelIndex& parent) const override {
        if (parent.column() > 0) return 0;
        return static_cast<int>(items_[IdOf(parent)].children.size());
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    bool hasChildren(const QModelIndex& parent) const override {
        return parent.column() <= 0 && !items_[IdOf(parent)].children.empty();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (checkBoxes) f |= Qt::ItemIsUserCheckable;
        return f;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const std::uint32_t id = IdOf(index);
        switch (role) {
            case Qt::DisplayRole:
            case Qt::ToolTipRole:
                return Text(id);
            case Qt::CheckStateRole:
                if (!checkBoxes) return {};
                return items_[id].ticked ? Qt::Checked : Qt::Unchecked;
            default:
                return {};
        }
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::CheckStateRole || !checkBoxes) return false;
        SetTicked(IdOf(index), value.toInt() == Qt::Checked);
        return true;
    }

  private:
    std::vector<Item> items_;
    std::unordered_map<std::uint32_t, QString> texts_;
    std::uint32_t generation_ = 1;
    bool held_ = false;
    bool resetPending_ = false;
    bool statesPending_ = false;
};

// Exposes the view's own idea of where an item's check box is, so hit tests and the driver's
// clicks agree with what the toolkit toggles.
class CheckDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::initStyleOption;
    using QStyledItemDelegate::QStyledItemDelegate;
};

class TreeControl : public QTreeView {
  public:
    explicit TreeControl(QWidget* parent) : QTreeView(parent) {
        setItemDelegate(&delegate_);
        header()->hide();
        setRootIsDecorated(true);
        // Rows of one height: the view never measures every item of a long list.
        setUniformRowHeights(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        model.askText = [this](std::uint32_t id, LPARAM lParam) { return AskText(id, lParam); };
        setModel(&model);
        viewport()->installEventFilter(this);
        installEventFilter(this);
    }
    ~TreeControl() override {
        setItemDelegate(nullptr);
        setModel(nullptr);
    }

    QRect CheckRect(const QModelIndex& index) {
        if (!index.isValid()) return {};
        const QRect visual = visualRect(index);
        if (visual.isEmpty()) return {};
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visual;
        delegate_.initStyleOption(&option, index);
        return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    }
    QRect TextRect(const QModelIndex& index) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualRect(index);
        delegate_.initStyleOption(&option, index);
        return style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    }
    void SetRedraw(bool redraw) {
        setUpdatesEnabled(redraw);
        if (model.SetHeld(!redraw)) viewport()->update();
    }

    CheckTreeModel model;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == viewport() && event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const QPoint global = mouse->globalPosition().toPoint();
                NMHDR header = Header(NM_CLICK);
                header.ptScreen = {global.x(), global.y()};
                Notify(header);
            }
        } else if (watched == this && event->type() == QEvent::KeyPress) {
            // Before the view handles the key, as the platform's list notifies.
            NMTVKEYDOWN key;
            key.hdr = Header(TVN_KEYDOWN);
            key.wVKey = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space ? VK_SPACE : 0;
            if (key.wVKey != 0) Notify(key.hdr);
        }
        return QTreeView::eventFilter(watched, event);
    }

  private:
    NMHDR Header(std::int32_t code) {
        NMHDR header;
        header.hwndFrom = ToHwnd(this);
        header.idFrom = property("ctrlId").toUInt();
        header.code = code;
        return header;
    }
    void Notify(NMHDR& header) {
        if (auto* dialog = dynamic_cast<DialogWidget*>(parentWidget()); dialog != nullptr)
            dialog->Dispatch(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    QString AskText(std::uint32_t id, LPARAM lParam) {
        NMTVDISPINFO info;
        info.hdr = Header(TVN_GETDISPINFO);
        info.item = model.Handle(id);
        info.lParam = lParam;
        std::u16string text;
        info.text = &text;
        Notify(info.hdr);
        return ToQString(text);
    }

    CheckDelegate delegate_;
};

TreeControl* ToTree(HWND window) {
    return dynamic_cast<TreeControl*>(ToWidget(window));
}

// The item's id, or 0 when the handle is not one of the tree's current items.
std::uint32_t IdIn(TreeControl* tree, HTREEITEM item) {
    return tree == nullptr ? 0 : tree->model.Id(item);
}

HTREEITEM Insert(HWND window, HTREEITEM parent, const std::u16string_view* text, LPARAM lParam,
                 std::uint32_t state, std::uint32_t stateMask) {
    TreeControl* tree = ToTree(window);
    if (tree == nullptr) return nullptr;
    const std::uint32_t parentId = IdIn(tree, parent);
    if (parent != nullptr && parentId == 0) return nullptr;
    const bool ticked = ((state & stateMask & TVIS_STATEIMAGEMASK) >> 12) == 2;
    const std::uint32_t id = tree->model.Insert(parentId, ticked, lParam);
    if (text != nullptr) tree->model.SetText(id, ToQString(*text));
    return tree->model.Handle(id);
}

}  // namespace

QWidget* MakeTreeControl(DialogWidget* dialog, std::uint32_t style) {
    auto* tree = new TreeControl(dialog);
    tree->model.checkBoxes = (style & TVS_CHECKBOXES) != 0;
    return tree;
}

}  // namespace ui

HTREEITEM TreeInsertItem(HWND tree, HTREEITEM parent, std::u16string_view text, std::uint32_t state,
                         std::uint32_t stateMask) {
    return ui::Insert(tree, parent, &text, 0, state, stateMask);
}

HTREEITEM TreeInsertCallbackItem(HWND tree, HTREEITEM parent, LPARAM lParam, std::uint32_t state,
                                 std::uint32_t stateMask) {
    return ui::Insert(tree, parent, nullptr, lParam, state, stateMask);
}

bool TreeSetRedraw(HWND window, bool redraw) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return false;
    tree->SetRedraw(redraw);
    return true;
}

bool TreeDeleteAllItems(HWND window) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return false;
    tree->model.Clear();
    return true;
}

int TreeGetCount(HWND window) {
    ui::TreeControl* tree = ui::ToTree(window);
    return tree == nullptr ? 0 : static_cast<int>(tree->model.Count());
}

HTREEITEM TreeGetNextItem(HWND window, HTREEITEM handle, int relation) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return nullptr;
    const ui::CheckTreeModel& model = tree->model;
    if (relation == TVGN_ROOT) {
        const auto& top = model.At(0).children;
        return top.empty() ? nullptr : model.Handle(top.front());
    }
    if (relation == TVGN_CARET) return model.Handle(ui::CheckTreeModel::IdOf(tree->currentIndex()));
    const std::uint32_t id = ui::IdIn(tree, handle);
    if (id == 0) return nullptr;
    const auto& item = model.At(id);
    const auto& siblings = model.At(item.parent).children;
    switch (relation) {
        case TVGN_CHILD:
            return item.children.empty() ? nullptr : model.Handle(item.children.front());
        case TVGN_PARENT:
            return model.Handle(item.parent);
        case TVGN_NEXT:
            return item.row + 1 < siblings.size() ? model.Handle(siblings[item.row + 1]) : nullptr;
        case TVGN_PREVIOUS:
            return item.row > 0 ? model.Handle(siblings[item.row - 1]) : nullptr;
        default:
            return nullptr;
    }
}

std::uint32_t TreeGetItemState(HWND window, HTREEITEM handle, std::uint32_t mask) {
    ui::TreeControl* tree = ui::ToTree(window);
    const std::uint32_t id = ui::IdIn(tree, handle);
    if (id == 0 || !tree->model.checkBoxes) return 0;
    return INDEXTOSTATEIMAGEMASK(tree->model.At(id).ticked ? 2 : 1) & mask;
}

bool TreeSetItemState(HWND window, HTREEITEM handle, std::uint32_t state, std::uint32_t mask) {
    ui::TreeControl* tree = ui::ToTree(window);
    const std::uint32_t id = ui::IdIn(tree, handle);
    if (id == 0) return false;
    if ((mask & TVIS_STATEIMAGEMASK) != 0)
        tree->model.SetTicked(id, ((state & TVIS_STATEIMAGEMASK) >> 12) == 2);
    return true;
}

std::u16string TreeGetItemText(HWND window, HTREEITEM handle) {
    ui::TreeControl* tree = ui::ToTree(window);
    const std::uint32_t id = ui::IdIn(tree, handle);
    return id == 0 ? std::u16string() : ui::FromQString(tree->model.Text(id));
}

bool TreeExpand(HWND window, HTREEITEM handle, bool expand) {
    ui::TreeControl* tree = ui::ToTree(window);
    const std::uint32_t id = ui::IdIn(tree, handle);
    if (id == 0) return false;
    tree->setExpanded(tree->model.IndexOf(id), expand);
    return true;
}

bool TreeSelectItem(HWND window, HTREEITEM handle) {
    ui::TreeControl* tree = ui::ToTree(window);
    const std::uint32_t id = ui::IdIn(tree, handle);
    if (id == 0) return false;
    tree->setCurrentIndex(tree->model.IndexOf(id));
    return true;
}

HTREEITEM TreeHitTest(HWND window, TVHITTESTINFO& info) {
    info.flags = TVHT_NOWHERE;
    info.hItem = nullptr;
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return nullptr;
    const QPoint p(info.pt.x, info.pt.y);
    const QModelIndex index = tree->indexAt(p);
    if (!index.isValid()) return nullptr;
    const QRect row = tree->visualRect(index);
    if (tree->CheckRect(index).contains(p)) {
        info.flags = TVHT_ONITEMSTATEICON;
    } else if (p.x() < row.left()) {
        info.flags = TVHT_ONITEMINDENT;
    } else if (tree->TextRect(index).contains(p)) {
        info.flags = TVHT_ONITEMLABEL;
    } else {
        info.flags = TVHT_ONITEMRIGHT;
    }
    info.hItem = tree->model.Handle(ui::CheckTreeModel::IdOf(index));
    return info.hItem;
}

RECT TreeGetCheckBoxRect(HWND window, HTREEITEM handle) {
    ui::TreeControl* tree = ui::ToTree(window);
    const std::uint32_t id = ui::IdIn(tree, handle);
    if (id == 0) return {};
    const QRect r = tree->CheckRect(tree->model.IndexOf(id));
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
