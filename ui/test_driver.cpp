#include "ui/test_driver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QWindow>
#include <deque>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/ui_internal.h"

namespace {

struct QueuedMessageBoxAnswer {
    int answer = 0;
    std::string screenshotPath;
};

struct DriverQueues {
    std::deque<QueuedMessageBoxAnswer> messageBoxAnswers;
    std::deque<std::optional<FileDialogAnswer>> fileAnswers;
};

TestDriver*& ActiveDriver() {
    static TestDriver* driver = nullptr;
    return driver;
}

DriverQueues& Queues() {
    static DriverQueues queues;
    return queues;
}

void RunStepAt(std::shared_ptr<std::vector<std::function<void()>>> steps, std::size_t index) {
    if (index >= steps->size()) return;
    // The next step is on the queue before this one runs, so a modal dialog this step opens
    // runs it in its own loop.
    QTimer::singleShot(0, [steps, index] { RunStepAt(steps, index + 1); });
    (*steps)[index]();
}

void SendClick(QWidget* target, const QPoint& at) {
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Nothing frames a window offscreen, yet the caption is part of what the user reads: the style
// draws the title bar a window manager would put over the box, whose contents start at contentAt.
void PaintFramedBox(QPainter& painter, QMessageBox& box, QPoint contentAt) {
    QStyle* style = QApplication::style();
    QStyleOptionTitleBar bar;
    bar.initFrom(&box);
    bar.text = box.windowTitle();
    bar.titleBarFlags = Qt::Dialog | Qt::WindowTitleHint;
    bar.titleBarState = Qt::WindowActive | QStyle::State_Active;
    bar.state |= QStyle::State_Active;
    bar.subControls = QStyle::SC_TitleBarLabel;
    const int barHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &box);
    bar.rect = QRect(contentAt - QPoint(0, barHeight), QSize(box.width(), barHeight));
    const QRect frame = bar.rect.adjusted(-1, -1, 1, box.height() + 1);
    painter.fillRect(frame, box.palette().color(QPalette::Dark));
    style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, &box);
    painter.drawPixmap(contentAt, box.grab());
}

// Shows the box as MessageBox would, without blocking, and writes the screen with the box over
// it; the box is then answered through its own button so it closes as the user would close it.
bool ShootMessageBox(const MessageBoxRecord& record, int answer, const std::string& pngPath) {
    std::unique_ptr<QMessageBox> box = ui::MakeMessageBox(record);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    WaitUntil([&] { return box->windowHandle() != nullptr && box->windowHandle()->isExposed(); });
    ProcessPendingEvents();

    QPixmap shot;
    if (ui::HasScreen()) {
        QWidget* screen = ui::Screen();
        shot = screen->grab();
        QPainter painter(&shot);
        PaintFramedBox(painter, *box, screen->mapFromGlobal(box->mapToGlobal(QPoint(0, 0))));
    } else {
        shot = box->grab();
    }
    const bool written = shot.save(QString::fromStdString(pngPath), "PNG");

    const QMessageBox::StandardButton button = answer == IDYES  ? QMessageBox::Yes
                                               : answer == IDNO ? QMessageBox::No
                                                                : QMessageBox::Ok;
    if (QAbstractButton* pressed = box->button(button)) {
        pressed->click();
    } else {
        box->reject();
    }
    ProcessPendingEvents();
    // Destroying a window before exit makes the toolkit's per-thread context storage go ahead
    // of the layer's exit actions, and releasing the screen then crashes: the closed box stays
    // with the screen, which takes it along when it goes.
    if (box->parent() != nullptr) static_cast<void>(box.release());
    return written;
}

}  // namespace

namespace ui {

std::optional<int> DriverAnswerMessageBox(const MessageBoxRecord& record) {
    TestDriver* driver = ActiveDriver();
    if (driver == nullptr) return std::nullopt;
    driver->messageBoxes.push_back(record);
    auto& queue = Queues().messageBoxAnswers;
    if (queue.empty()) return record.buttons == MB_YESNO ? IDNO : IDOK;
    const QueuedMessageBoxAnswer queued = queue.front();
    queue.pop_front();
    if (!queued.screenshotPath.empty() &&
        ShootMessageBox(record, queued.answer, queued.screenshotPath)) {
        driver->screenshots.push_back(queued.screenshotPath);
    }
    return queued.answer;
}

std::optional<std::optional<FileDialogAnswer>> DriverAnswerFileDialog(
    const FileDialogRecord& record) {
    TestDriver* driver = ActiveDriver();
    if (driver == nullptr) return std::nullopt;
    driver->fileDialogs.push_back(record);
    auto& queue = Queues().fileAnswers;
    if (queue.empty()) return std::optional<FileDialogAnswer>();
    std::optional<FileDialogAnswer> answer = queue.front();
    queue.pop_front();
    return answer;
}

}  // namespace ui

TestDriver::TestDriver() {
    EnsureApplication();
    ActiveDriver() = this;
    Queues() = {};
}

TestDriver::~TestDriver() {
    if (ActiveDriver() == this) ActiveDriver() = nullptr;
    Queues() = {};
}

void TestDriver::QueueMessageBoxAnswer(int answer, std::string screenshotPath) {
    Queues().messageBoxAnswers.push_back({answer, std::move(screenshotPath)});
}

void TestDriver::QueueFileDialogAnswer(std::optional<FileDialogAnswer> answer) {
    Queues().fileAnswers.push_back(std::move(answer));
}

void RunSteps(std::vector<std::function<void()>> steps) {
    auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    QTimer::singleShot(0, [shared] { RunStepAt(shared, 0); });
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void ProcessPendingEvents() {
    QApplication::processEvents(QEventLoop::AllEvents);
    QApplication::sendPostedEvents();
}

HWND TopDialog() {
    return ui::HasScreen() ? ui::ToHwnd(ui::Screen()->Top()) : nullptr;
}

int OpenDialogCount() {
    return ui::HasScreen() ? static_cast<int>(ui::Screen()->dialogs().size()) : 0;
}

bool ClickButton(HWND dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(ui::ToWidget(GetDlgItem(dialog, id)));
    if (button == nullptr || !button->isEnabled() || !button->isVisible()) return false;
    button->click();
    return true;
}

bool ChooseComboItem(HWND window, int index) {
    auto* combo = qobject_cast<QComboBox*>(ui::ToWidget(window));
    if (combo == nullptr || index < 0 || index >= combo->count() || !combo->isEnabled()) {
        return false;
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return true;
}

bool PressSoftKey(int index) {
    if (!ui::HasScreen() || index < 0 || index > 1) return false;
    QPushButton* key = ui::Screen()->SoftKeyButton(index);
    if (!key->isEnabled()) return false;
    key->click();
    return true;
}

std::u16string SoftKeyText(int index) {
    const ui::SoftKey* key = ui::HasScreen() ? ui::Screen()->SoftKeyAt(index) : nullptr;
    return key == nullptr ? std::u16string() : ui::FromQString(key->label);
}

int SoftKeyCount() {
    ui::DialogWidget* owner = ui::HasScreen() ? ui::Screen()->SoftKeyOwner() : nullptr;
    return owner == nullptr ? 0 : static_cast<int>(owner->menuBar->keys.size());
}

bool ChooseMenuItem(int command) {
    if (!ui::HasScreen()) return false;
    ui::ScreenWidget* screen = ui::Screen();
    if (screen->SoftKeyOwner() != screen->Top()) return false;
    for (int i = 0; i < 2; ++i) {
        const ui::SoftKey* key = screen->SoftKeyAt(i);
        if (key == nullptr || !key->menu) continue;
        for (QAction* action : key->menu->actions()) {
            if (!action->isSeparator() && action->data().toInt() == command) {
                key->menu->hide();
                action->trigger();
                return true;
            }
        }
    }
    return false;
}

std::vector<std::u16string> SoftKeyMenuTexts(int index) {
    std::vector<std::u16string> texts;
    const ui::SoftKey* key = ui::HasScreen() ? ui::Screen()->SoftKeyAt(index) : nullptr;
    if (key == nullptr || !key->menu) return texts;
    for (QAction* action : key->menu->actions()) {
        texts.push_back(action->isSeparator() ? std::u16string() : ui::FromQString(action->text()));
    }
    return texts;
}

bool PressDoneButton() {
    if (!ui::HasScreen() || !ui::Screen()->DoneShown()) return false;
    ui::Screen()->PressDone();
    return true;
}

namespace {
bool ClickTreeAt(HWND tree, HTREEITEM item, bool onCheckBox) {
    auto* view = dynamic_cast<QAbstractItemView*>(ui::ToWidget(tree));
    if (view == nullptr || !view->isVisible()) return false;
    QPoint at;
    if (onCheckBox) {
        const RECT box = TreeGetCheckBoxRect(tree, item);
        if (box.Width() <= 0) return false;
        at = QPoint((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    } else {
        const RECT box = TreeGetCheckBoxRect(tree, item);
        if (box.Width() <= 0) return false;
        at = QPoint(box.right + 20, (box.top + box.bottom) / 2);
    }
    SendClick(view->viewport(), at);
    return true;
}
}  // namespace

bool ClickTreeCheckBox(HWND tree, HTREEITEM item) {
    return ClickTreeAt(tree, item, true);
}

bool ClickTreeItemText(HWND tree, HTREEITEM item) {
    return ClickTreeAt(tree, item, false);
}

bool CloseScreenWindow() {
    if (!ui::HasScreen()) return false;
    return !ui::Screen()->close();
}

bool GrabScreen(const std::string& pngPath) {
    if (!ui::HasScreen()) return false;
    ProcessPendingEvents();
    return ui::Screen()->grab().save(QString::fromStdString(pngPath), "PNG");
}
