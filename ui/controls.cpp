#include "ui/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>

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
        // The toolkit's own range stays fixed: its bar repaints at every value it is handed,
        // and an empty range would make it a busy indicator. This control paints its state.
        setRange(0, 1);
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
        // A job blocks the event loop, so the bar paints itself, and lets waiting windows paint,
        // every so often: a million steps must not cost a million paints.
        if (!clock_.Due()) return;
        const long long drawn = DrawnWidth();
        if (isVisible() && drawn != drawnWidth_) repaint();
        PaintWaitingWindows();
    }
    ProgressBarState state{0, 100, 0, 10};

  protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        // An empty range draws an empty bar, as the phone's does.
        const bool filled = state.max > state.min;
        option.minimum = filled ? state.min : 0;
        option.maximum = filled ? state.max : 1;
        option.progress = filled ? state.pos : 0;
        QStylePainter painter(this);
        painter.drawControl(QStyle::CE_ProgressBar, option);
        drawnWidth_ = DrawnWidth();
    }

  private:
    long long DrawnWidth() const {
        if (state.max <= state.min) return 0;
        return static_cast<long long>(state.pos - state.min) * width() / (state.max - state.min);
    }
    long long drawnWidth_ = -1;
    JobPaintClock clock_;
};

QComboBox* ToCombo(HWND window) {
    return dynamic_cast<QComboBox*>(ToWidget(window));
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
        control = MakeTreeControl(dialog, style);
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
