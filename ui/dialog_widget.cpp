#include <QAbstractScrollArea>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QPainter>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "platform/text.h"
#include "ui/application.h"
#include "ui/ui_internal.h"

namespace ui {

namespace {

constexpr int kScrollBarWidth = 24;

class PostedMessage : public QEvent {
  public:
    PostedMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam)
        : QEvent(DialogWidget::PostedType()), message(message), wParam(wParam), lParam(lParam) {}
    // Held back while a job paints (PaintWaitingWindows) and posted again after it.
    PostedMessage* clone() const override { return new PostedMessage(*this); }
    const std::uint32_t message;
    const WPARAM wParam;
    const LPARAM lParam;
};

// Dialog units to pixels, from the template font's average character width and height, as the
// platform converts them.
struct BaseUnits {
    int x;
    int y;
};
BaseUnits TemplateBaseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabet / 26 + 1) / 2, fm.height()};
}

}  // namespace

QEvent::Type DialogWidget::PostedType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

DialogWidget::DialogWidget(QWidget* parent, const DialogTemplate& t, DialogProc proc)
    : QWidget(parent),
      templateId(t.id),
      style(t.style),
      dialogFont(DialogFont(t.fontFace, t.fontPoints)),
      title(ToQString(t.caption)),
      proc_(std::move(proc)) {
    RegisterWindow(this);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFont(dialogFont);
    setWindowTitle(title);

    vbar = new QScrollBar(Qt::Vertical, this);  // owned by the dialog
    vbar->hide();
    connect(vbar, &QAbstractSlider::actionTriggered, this, [this](int a) { OnScrollAction(a); });
    connect(vbar, &QAbstractSlider::sliderReleased, this, [this] {
        Dispatch(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll.nTrackPos), 0);
        Dispatch(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
        SyncScrollBar();
    });

    const BaseUnits units = TemplateBaseUnits(dialogFont);
    resize(t.cx * units.x / 4, t.cy * units.y / 8);
    for (const ControlTemplate& c : t.controls) {
        QWidget* control = MakeControl(this, c.className, ToQString(c.text), c.style, c.id);
        if (control == nullptr) continue;
        MoveWindow(ToHwnd(control), c.x * units.x / 4, c.y * units.y / 8, c.cx * units.x / 4,
                   c.cy * units.y / 8, false);
        control->setVisible((c.style & WS_VISIBLE) != 0);
    }
    SetStyle(style);
}

DialogWidget::~DialogWidget() = default;

LRESULT DialogWidget::Dispatch(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (!proc_) return FALSE;
    // A copy, so a handler may not pull its own function out from under itself.
    DialogProc proc = proc_;
    return proc(ToHwnd(this), message, wParam, lParam);
}

void DialogWidget::End(LRESULT value) {
    if (ended) return;
    ended = true;
    result = value;
    if (loop_ != nullptr) loop_->exit(0);
}

void DialogWidget::RunModal() {
    if (ended) return;
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
}

QRect DialogWidget::ClientRect() const {
    const int barWidth = (style & WS_VSCROLL) != 0 ? kScrollBarWidth : 0;
    return QRect(0, 0, std::max(0, width() - barWidth), height());
}

void DialogWidget::SetStyle(std::uint32_t newStyle) {
    style = newStyle;
    vbar->setVisible((style & WS_VSCROLL) != 0);
    vbar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    vbar->raise();
    update();
}

void DialogWidget::SyncScrollBar() {
    const QSignalBlocker block(vbar);
    const int page = static_cast<int>(scroll.nPage);
    vbar->setRange(scroll.nMin, std::max(scroll.nMin, scroll.nMax - std::max(page, 1) + 1));
    vbar->setPageStep(std::max(page, 1));
    vbar->setSingleStep(std::max(1, (scroll.nMax - page) / 5));
    vbar->setSliderPosition(scroll.nPos);
    vbar->setValue(scroll.nPos);
}

void DialogWidget::OnScrollAction(int action) {
    int code = -1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove:
            code = SB_THUMBTRACK;
            break;
        default:
            break;
    }
    if (code < 0) return;
    if (code == SB_THUMBTRACK) scroll.nTrackPos = vbar->sliderPosition();
    Dispatch(WM_VSCROLL, MAKEWPARAM(code, code == SB_THUMBTRACK ? scroll.nTrackPos : 0), 0);
    // The bar only reports; where it stands is the handler's decision.
    vbar->setSliderPosition(scroll.nPos);
}

void DialogWidget::paintEvent(QPaintEvent*) {
    painting = true;
    Dispatch(WM_PAINT, 0, 0);
    painting = false;
}

void DialogWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    vbar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
}

void DialogWidget::wheelEvent(QWheelEvent* event) {
    // Only a dialog with a scroll bar scrolls; each notch is three lines, as on the desktop.
    if ((style & WS_VSCROLL) == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    for (int i = 0; i < 3 * std::abs(notches); ++i)
        Dispatch(WM_VSCROLL, MAKEWPARAM(notches > 0 ? SB_LINEUP : SB_LINEDOWN, 0), 0);
    if (notches != 0) Dispatch(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    event->accept();
}

bool DialogWidget::event(QEvent* event) {
    if (event->type() == PostedType()) {
        const auto* posted = static_cast<PostedMessage*>(event);
        Dispatch(posted->message, posted->wParam, posted->lParam);
        return true;
    }
    return QWidget::event(event);
}

DialogWidget* ToDialog(HWND window) {
    return dynamic_cast<DialogWidget*>(ToWidget(window));
}

}  // namespace ui

using ui::DialogWidget;
using ui::ToDialog;
using ui::ToWidget;

LRESULT DialogBoxParam(int templateId, HWND owner, DialogProc proc, LPARAM param) {
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (t == nullptr) return -1;
    EnsureApplication();
    ui::ScreenWidget* screen = ui::Screen();
    auto dialog = std::make_unique<DialogWidget>(screen->area(), *t, std::move(proc));
    // A pop-up starts centred over its owner; full-screen dialogs are placed by SHInitDialog.
    QRect ownerRect = screen->AreaRect();
    if (QWidget* o = ToWidget(owner); o != nullptr && o->parentWidget() == screen->area()) {
        ownerRect = o->geometry();
    }
    dialog->move(ownerRect.center() - dialog->rect().center());
    screen->PushDialog(dialog.get());
    dialog->show();
    dialog->raise();
    if (!screen->isVisible()) screen->show();
    dialog->Dispatch(WM_INITDIALOG, 0, param);
    if (!dialog->ended) {
        dialog->Dispatch(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
        dialog->RunModal();
    }
    const LRESULT result = dialog->result;
    dialog->hide();
    screen->PopDialog(dialog.get());
    return result;
}

bool SetWindowData(HWND window, std::unique_ptr<WindowData> data) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr) return false;
    dialog->userData = std::move(data);
    return true;
}

WindowData* GetWindowData(HWND window) {
    DialogWidget* dialog = ToDialog(window);
    return dialog == nullptr ? nullptr : dialog->userData.get();
}

bool EndDialog(HWND window, LRESULT result) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr) return false;
    dialog->End(result);
    return true;
}

bool PostMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr) return false;
    // The event loop owns the event once posted.
    QCoreApplication::postEvent(
        dialog, std::make_unique<ui::PostedMessage>(message, wParam, lParam).release());
    return true;
}

LRESULT SendMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (auto* bar = dynamic_cast<ui::MenuBarWidget*>(ToWidget(window)); bar != nullptr) {
        if (message != TB_DELETEBUTTON || wParam >= bar->keys.size()) return FALSE;
        bar->keys.erase(bar->keys.begin() + static_cast<std::ptrdiff_t>(wParam));
        if (ui::HasScreen()) ui::Screen()->RefreshChrome();
        return TRUE;
    }
    DialogWidget* dialog = ToDialog(window);
    return dialog == nullptr ? 0 : dialog->Dispatch(message, wParam, lParam);
}

HWND GetDlgItem(HWND window, int id) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr) return nullptr;
    for (QObject* child : dialog->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w != nullptr && w->property("ctrlId").isValid() &&
            w->property("ctrlId").toInt() == id) {
            return ui::ToHwnd(w);
        }
    }
    return nullptr;
}

int GetDlgCtrlID(HWND control) {
    QWidget* w = ToWidget(control);
    return w == nullptr ? 0 : w->property("ctrlId").toInt();
}

HWND GetParent(HWND window) {
    QWidget* w = ToWidget(window);
    if (w == nullptr || ToDialog(window) != nullptr) return nullptr;
    return ui::ToHwnd(w->parentWidget());
}

bool IsWindow(HWND window) {
    return ToWidget(window) != nullptr;
}

bool IsWindowEnabled(HWND window) {
    QWidget* w = ToWidget(window);
    return w != nullptr && w->isEnabled();
}

RECT GetClientRect(HWND window) {
    if (DialogWidget* dialog = ToDialog(window); dialog != nullptr) {
        const QRect r = dialog->ClientRect();
        return {0, 0, r.width(), r.height()};
    }
    QWidget* w = ToWidget(window);
    if (w == nullptr) return {};
    return {0, 0, w->width(), w->height()};
}

RECT GetWindowRect(HWND window) {
    QWidget* w = ToWidget(window);
    if (w == nullptr) return {};
    const QPoint topLeft = w->mapToGlobal(QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + w->width(), topLeft.y() + w->height()};
}

bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    QWidget* w = ToWidget(window);
    if (w == nullptr) return false;
    if (DialogWidget* dialog = ToDialog(window); dialog != nullptr) dialog->fullScreen = false;
    // A drop-down list's height is that of its list when open; closed it keeps its own.
    if (qobject_cast<QComboBox*>(w) != nullptr) height = w->sizeHint().height();
    const QRect target(x, y, std::max(0, width), std::max(0, height));
    // An unchanged place asks for no paint, so placing controls at every paint settles at once;
    // the backing store keeps a move from flickering.
    if (w->geometry() != target) w->setGeometry(target);
    if (repaint) w->update();
    return true;
}

POINT ScreenToClient(HWND window, POINT p) {
    QWidget* w = ToWidget(window);
    if (w == nullptr) return p;
    if (auto* view = dynamic_cast<QAbstractScrollArea*>(w); view != nullptr) w = view->viewport();
    const QPoint local = w->mapFromGlobal(QPoint(p.x, p.y));
    return {local.x(), local.y()};
}

POINT ClientToScreen(HWND window, POINT p) {
    QWidget* w = ToWidget(window);
    if (w == nullptr) return p;
    if (auto* view = dynamic_cast<QAbstractScrollArea*>(w); view != nullptr) w = view->viewport();
    const QPoint global = w->mapToGlobal(QPoint(p.x, p.y));
    return {global.x(), global.y()};
}

void UpdateWindow(HWND window) {
    if (QWidget* w = ToWidget(window); w != nullptr && w->isVisible()) w->repaint();
}

void InvalidateRect(HWND window) {
    if (QWidget* w = ToWidget(window); w != nullptr) w->update();
}

std::uint32_t GetWindowStyle(HWND window) {
    DialogWidget* dialog = ToDialog(window);
    return dialog == nullptr ? 0 : dialog->style;
}

void SetWindowStyle(HWND window, std::uint32_t style) {
    if (DialogWidget* dialog = ToDialog(window); dialog != nullptr) dialog->SetStyle(style);
}

bool GetScrollInfo(HWND window, int bar, SCROLLINFO& info) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr || bar != SB_VERT) return false;
    const SCROLLINFO& s = dialog->scroll;
    if ((info.fMask & SIF_RANGE) != 0) {
        info.nMin = s.nMin;
        info.nMax = s.nMax;
    }
    if ((info.fMask & SIF_PAGE) != 0) info.nPage = s.nPage;
    if ((info.fMask & SIF_POS) != 0) info.nPos = s.nPos;
    if ((info.fMask & SIF_TRACKPOS) != 0) info.nTrackPos = s.nTrackPos;
    return true;
}

namespace {
// The platform keeps the page within the range and the position where the page still fits.
void ClampScroll(SCROLLINFO& s) {
    const long long span = static_cast<long long>(s.nMax) - s.nMin + 1;
    if (span <= 0) {
        s.nPage = 0;
    } else if (s.nPage > span) {
        s.nPage = static_cast<std::uint32_t>(span);
    }
    const long long last = static_cast<long long>(s.nMax) - std::max<long long>(s.nPage - 1LL, 0);
    s.nPos =
        static_cast<int>(std::clamp<long long>(s.nPos, s.nMin, std::max<long long>(last, s.nMin)));
}
}  // namespace

int SetScrollInfo(HWND window, int bar, const SCROLLINFO& info, bool redraw) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr || bar != SB_VERT) return 0;
    SCROLLINFO& s = dialog->scroll;
    if ((info.fMask & SIF_RANGE) != 0) {
        s.nMin = info.nMin;
        s.nMax = info.nMax;
    }
    if ((info.fMask & SIF_PAGE) != 0) s.nPage = info.nPage;
    if ((info.fMask & SIF_POS) != 0) s.nPos = info.nPos;
    if ((info.fMask & SIF_TRACKPOS) != 0) s.nTrackPos = info.nTrackPos;
    ClampScroll(s);
    dialog->SyncScrollBar();
    if (redraw) dialog->vbar->repaint();
    return s.nPos;
}

int SetScrollPos(HWND window, int bar, int pos, bool redraw) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr || bar != SB_VERT) return 0;
    const int previous = dialog->scroll.nPos;
    dialog->scroll.nPos = pos;
    ClampScroll(dialog->scroll);
    dialog->SyncScrollBar();
    if (redraw) dialog->vbar->repaint();
    return previous;
}

void ScrollWindowEx(HWND window, int dx, int dy, std::uint32_t flags) {
    DialogWidget* dialog = ToDialog(window);
    if (dialog == nullptr) return;
    if ((flags & SW_SCROLLCHILDREN) != 0) {
        for (QObject* child : dialog->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w != nullptr && w->property("ctrlId").isValid()) w->move(w->pos() + QPoint(dx, dy));
        }
    }
    dialog->update();
}

bool SetForegroundWindow(HWND) {
    if (!ui::HasScreen()) return false;
    ui::ScreenWidget* screen = ui::Screen();
    // A minimized window is shown and raised by the window manager only once it is restored.
    screen->setWindowState((screen->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    screen->show();
    screen->raise();
    screen->activateWindow();
    return true;
}

bool SetWindowText(HWND window, std::u16string_view text) {
    QWidget* w = ToWidget(window);
    if (w == nullptr) return false;
    const QString q = ui::ToQString(text);
    if (DialogWidget* dialog = ToDialog(window); dialog != nullptr) {
        dialog->title = q;
        dialog->setWindowTitle(q);
        return true;
    }
    if (auto* edit = dynamic_cast<QPlainTextEdit*>(w); edit != nullptr) {
        edit->setPlainText(q);
        // A long path shows its end, the file name, rather than its first lines.
        edit->moveCursor(QTextCursor::End);
        edit->ensureCursorVisible();
        return true;
    }
    return w->setProperty("text", q);
}

std::u16string GetWindowText(HWND window, std::size_t maxChars) {
    QWidget* w = ToWidget(window);
    if (w == nullptr) return {};
    QString q;
    if (DialogWidget* dialog = ToDialog(window); dialog != nullptr) {
        q = dialog->title;
    } else if (w->property("plainText").isValid()) {
        q = w->property("plainText").toString();
    } else {
        q = w->property("text").toString();
    }
    return std::u16string(CutToUnits(ui::FromQString(q), maxChars));
}

bool SetDlgItemText(HWND dialog, int id, std::u16string_view text) {
    return SetWindowText(GetDlgItem(dialog, id), text);
}
