#include "ui/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>
#include <unordered_set>

#include "platform/text.h"
#include "ui/drawing.h"
#include "ui/drawing_internal.h"
#include "ui/ui_internal.h"

namespace ui {
namespace {

LRESULT SendCommand(QWidget* control, std::uint32_t code) {
    auto* dialog = dynamic_cast<DialogWidget*>(control->parentWidget());
    if (dialog == nullptr) return FALSE;
    return dialog->Dispatch(WM_COMMAND, MAKEWPARAM(control->property("ctrlId").toUInt(), code),
                            reinterpret_cast<LPARAM>(ToHwnd(control)));
}

class ProgressControl : public QProgressBar, public ProgressBar {
  public:
    explicit ProgressControl(QWidget* parent) : QProgressBar(parent) {
        setTextVisible(false);
        Apply();
    }
    void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        switch (message) {
            case PBM_SETRANGE:
                state.min = static_cast<std::uint16_t>(lParam & 0xFFFF);
                state.max = static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF);
                state.pos = std::clamp(state.pos, state.min, std::max(state.min, state.max));
                break;
            case PBM_SETSTEP:
                state.step = static_cast<int>(wParam);
                break;
            case PBM_STEPIT:
                state.pos += state.step;
                // The platform's bar starts over when a step passes its end.
                if (state.pos > state.max) state.pos = state.min;
                break;
            case PBM_SETPOS:
                state.pos =
                    std::clamp(static_cast<int>(wParam), state.min, std::max(state.min, state.max));
                break;
            default:
                return;
        }
        Apply();
    }
    void Apply() {
        // An empty range would make the toolkit's bar a busy indicator; the phone's stays empty.
        if (state.max > state.min) {
            setRange(state.min, state.max);
        } else {
            setRange(0, 1);
        }
        setValue(state.max > state.min ? state.pos : 0);
        if (isVisible()) repaint();
    }
    ProgressBarState state{0, 100, 0, 10};
};

// Exposes the view's own idea of where an item's check box is, so hit tests and the driver's
// clicks agree with what the toolkit toggles.
class CheckDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::initStyleOption;
    using QStyledItemDelegate::QStyledItemDelegate;
};

class TreeControl : public QTreeWidget {
  public:
    explicit TreeControl(QWidget* parent) : QTreeWidget(parent) {
        setItemDelegate(&delegate_);
        header()->hide();
        setColumnCount(1);
        setRootIsDecorated(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        viewport()->installEventFilter(this);
    }
    ~TreeControl() override { setItemDelegate(nullptr); }

    QRect CheckRect(QTreeWidgetItem* item) {
        const QModelIndex index = indexFromItem(item);
        if (!index.isValid()) return {};
        const QRect visual = visualRect(index);
        if (visual.isEmpty()) return {};
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visual;
        delegate_.initStyleOption(&option, index);
        return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    }
    QRect TextRect(QTreeWidgetItem* item) {
        const QModelIndex index = indexFromItem(item);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualRect(index);
        delegate_.initStyleOption(&option, index);
        return style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    }
    QTreeWidgetItem* ItemAt(const QPoint& p) { return itemAt(p); }
    QTreeWidgetItem* ItemOf(const QModelIndex& index) { return itemFromIndex(index); }
    QModelIndex IndexOf(QTreeWidgetItem* item) { return indexFromItem(item); }
    // Handles given out and not yet deleted; a stale handle is refused, never dereferenced.
    std::unordered_set<QTreeWidgetItem*> live;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == viewport() && event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            auto* dialog = dynamic_cast<DialogWidget*>(parentWidget());
            if (mouse->button() == Qt::LeftButton && dialog != nullptr) {
                const QPoint global = mouse->globalPosition().toPoint();
                NMHDR header;
                header.hwndFrom = ToHwnd(this);
                header.idFrom = property("ctrlId").toUInt();
                header.code = NM_CLICK;
                header.ptScreen = {global.x(), global.y()};
                dialog->Dispatch(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
            }
        }
        return QTreeWidget::eventFilter(watched, event);
    }

  private:
    CheckDelegate delegate_;
};

TreeControl* ToTree(HWND window) {
    return dynamic_cast<TreeControl*>(ToWidget(window));
}
QComboBox* ToCombo(HWND window) {
    return dynamic_cast<QComboBox*>(ToWidget(window));
}
QTreeWidgetItem* ToItem(HTREEITEM item) {
    return reinterpret_cast<QTreeWidgetItem*>(item);
}
HTREEITEM ToHandle(QTreeWidgetItem* item) {
    return reinterpret_cast<HTREEITEM>(item);
}

// Item handles are only trusted when the tree still holds them.
bool Holds(TreeControl* tree, HTREEITEM item) {
    return tree != nullptr && item != nullptr && tree->live.count(ToItem(item)) != 0;
}

}  // namespace

QWidget* MakeControl(DialogWidget* dialog, const std::u16string& className, const QString& text,
                     std::uint32_t style, int id) {
    const std::u16string cls = [&] {
        std::u16string lower;
        for (char16_t c : className)
            lower.push_back(ToLowerChar(c));
        return lower;
    }();
    QWidget* control = nullptr;
    // Each control is owned by its dialog, as the toolkit's parent chain deletes it.
    if (cls == u"static") {
        auto* label = new QLabel(text, dialog);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        control = label;
    } else if (cls == u"button") {
        auto* button = new QPushButton(text, dialog);
        QObject::connect(button, &QPushButton::clicked, button,
                         [button] { SendCommand(button, BN_CLICKED); });
        control = button;
    } else if (cls == u"edit") {
        if ((style & ES_MULTILINE) != 0) {
            auto* edit = new QPlainTextEdit(text, dialog);
            edit->setReadOnly((style & ES_READONLY) != 0);
            control = edit;
        } else {
            auto* edit = new QLineEdit(text, dialog);
            edit->setReadOnly((style & ES_READONLY) != 0);
            control = edit;
        }
    } else if (cls == u"combobox") {
        auto* combo = new QComboBox(dialog);
        combo->setProperty("sorted", (style & CBS_SORT) != 0);
        QObject::connect(combo, &QComboBox::activated, combo,
                         [combo](int) { SendCommand(combo, CBN_SELCHANGE); });
        control = combo;
    } else if (cls == u"systreeview32") {
        control = new TreeControl(dialog);
    } else if (cls == u"msctls_progress32") {
        control = new ProgressControl(dialog);
    }
    if (control == nullptr) return nullptr;
    control->setProperty("ctrlId", id);
    control->setProperty("winStyle", style);
    control->setFont(dialog->dialogFont);
    RegisterWindow(control);
    return control;
}

}  // namespace ui

using ui::ToWidget;

bool SetWindowFont(HWND control, const Font& font, bool redraw) {
    QWidget* w = ToWidget(control);
    if (w == nullptr || !font.valid()) return false;
    w->setFont(ui::QFontOf(font));
    if (redraw) w->update();
    return true;
}

HWND CreateControl(HWND dialog, std::u16string_view className, std::u16string_view text,
                   std::uint32_t style, int x, int y, int width, int height, int id) {
    ui::DialogWidget* d = ui::ToDialog(dialog);
    if (d == nullptr) return nullptr;
    QWidget* control =
        ui::MakeControl(d, std::u16string(className), ui::ToQString(text), style, id);
    if (control == nullptr) return nullptr;
    control->setGeometry(x, y, width, height);
    control->setVisible((style & WS_VISIBLE) != 0);
    return ui::ToHwnd(control);
}

ProgressBar* ProgressBarOf(HWND control) {
    return dynamic_cast<ui::ProgressControl*>(ToWidget(control));
}

ProgressBarState GetProgressBarState(HWND control) {
    auto* bar = dynamic_cast<ui::ProgressControl*>(ToWidget(control));
    return bar == nullptr ? ProgressBarState{} : bar->state;
}

int ComboAddString(HWND window, std::u16string_view text) {
    QComboBox* combo = ui::ToCombo(window);
    if (combo == nullptr) return CB_ERR;
    const QString q = ui::ToQString(text);
    int index = combo->count();
    if (combo->property("sorted").toBool()) {
        index = 0;
        while (index < combo->count() &&
               QString::compare(combo->itemText(index), q, Qt::CaseInsensitive) <= 0) {
            ++index;
        }
    }
    // Adding keeps "no selection" as it was, as the platform's list does.
    const int selected = combo->currentIndex();
    combo->insertItem(index, q);
    combo->setCurrentIndex(selected < 0 ? -1 : (selected >= index ? selected + 1 : selected));
    return index;
}

int ComboSetCurSel(HWND window, int index) {
    QComboBox* combo = ui::ToCombo(window);
    if (combo == nullptr) return CB_ERR;
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

int ComboGetCurSel(HWND window) {
    QComboBox* combo = ui::ToCombo(window);
    return combo == nullptr ? CB_ERR : combo->currentIndex();
}

int ComboGetCount(HWND window) {
    QComboBox* combo = ui::ToCombo(window);
    return combo == nullptr ? CB_ERR : combo->count();
}

std::u16string ComboGetItemText(HWND window, int index) {
    QComboBox* combo = ui::ToCombo(window);
    if (combo == nullptr || index < 0 || index >= combo->count()) return {};
    return ui::FromQString(combo->itemText(index));
}

namespace {
Qt::CheckState CheckStateOf(std::uint32_t state) {
    return ((state & TVIS_STATEIMAGEMASK) >> 12) == 2 ? Qt::Checked : Qt::Unchecked;
}
}  // namespace

HTREEITEM TreeInsertItem(HWND window, HTREEITEM parent, std::u16string_view text,
                         std::uint32_t state, std::uint32_t stateMask) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr || (parent != nullptr && !ui::Holds(tree, parent))) return nullptr;
    // The tree (or its parent item) owns the item.
    QTreeWidgetItem* item =
        parent == nullptr ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(ui::ToItem(parent));
    tree->live.insert(item);
    item->setText(0, ui::ToQString(text));
    if ((tree->property("winStyle").toUInt() & TVS_CHECKBOXES) != 0) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const std::uint32_t image = (state & stateMask & TVIS_STATEIMAGEMASK) >> 12;
        item->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
    }
    return ui::ToHandle(item);
}

bool TreeDeleteAllItems(HWND window) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return false;
    tree->clear();
    tree->live.clear();
    return true;
}

int TreeGetCount(HWND window) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return 0;
    int count = 0;
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
        ++count;
    return count;
}

HTREEITEM TreeGetNextItem(HWND window, HTREEITEM handle, int relation) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return nullptr;
    if (relation == TVGN_ROOT) return ui::ToHandle(tree->topLevelItem(0));
    if (!ui::Holds(tree, handle)) return nullptr;
    QTreeWidgetItem* item = ui::ToItem(handle);
    switch (relation) {
        case TVGN_CHILD:
            return ui::ToHandle(item->child(0));
        case TVGN_PARENT:
            return ui::ToHandle(item->parent());
        case TVGN_NEXT:
        case TVGN_PREVIOUS: {
            const QModelIndex index = tree->IndexOf(item);
            const QModelIndex sibling =
                index.siblingAtRow(index.row() + (relation == TVGN_NEXT ? 1 : -1));
            return sibling.isValid() ? ui::ToHandle(tree->ItemOf(sibling)) : nullptr;
        }
        default:
            return nullptr;
    }
}

std::uint32_t TreeGetItemState(HWND window, HTREEITEM handle, std::uint32_t mask) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (!ui::Holds(tree, handle)) return 0;
    QTreeWidgetItem* item = ui::ToItem(handle);
    if ((item->flags() & Qt::ItemIsUserCheckable) == 0) return 0;
    const std::uint32_t image = item->checkState(0) == Qt::Checked ? 2 : 1;
    return INDEXTOSTATEIMAGEMASK(image) & mask;
}

bool TreeSetItemState(HWND window, HTREEITEM handle, std::uint32_t state, std::uint32_t mask) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (!ui::Holds(tree, handle)) return false;
    if ((mask & TVIS_STATEIMAGEMASK) != 0)
        ui::ToItem(handle)->setCheckState(0, CheckStateOf(state));
    return true;
}

std::u16string TreeGetItemText(HWND window, HTREEITEM handle) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (!ui::Holds(tree, handle)) return {};
    return ui::FromQString(ui::ToItem(handle)->text(0));
}

bool TreeExpand(HWND window, HTREEITEM handle, bool expand) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (!ui::Holds(tree, handle)) return false;
    ui::ToItem(handle)->setExpanded(expand);
    return true;
}

HTREEITEM TreeHitTest(HWND window, TVHITTESTINFO& info) {
    info.flags = TVHT_NOWHERE;
    info.hItem = nullptr;
    ui::TreeControl* tree = ui::ToTree(window);
    if (tree == nullptr) return nullptr;
    const QPoint p(info.pt.x, info.pt.y);
    QTreeWidgetItem* item = tree->ItemAt(p);
    if (item == nullptr) return nullptr;
    const QRect row = tree->visualItemRect(item);
    if (tree->CheckRect(item).contains(p)) {
        info.flags = TVHT_ONITEMSTATEICON;
    } else if (p.x() < row.left()) {
        info.flags = TVHT_ONITEMINDENT;
    } else if (tree->TextRect(item).contains(p)) {
        info.flags = TVHT_ONITEMLABEL;
    } else {
        info.flags = TVHT_ONITEMRIGHT;
    }
    info.hItem = ui::ToHandle(item);
    return info.hItem;
}

RECT TreeGetCheckBoxRect(HWND window, HTREEITEM handle) {
    ui::TreeControl* tree = ui::ToTree(window);
    if (!ui::Holds(tree, handle)) return {};
    const QRect r = tree->CheckRect(ui::ToItem(handle));
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
