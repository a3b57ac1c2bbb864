#include "ui/test_driver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <deque>
#include <memory>

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
    std::deque<std::pair<std::optional<FileDialogAnswer>, std::string>> fileAnswers;
};

TestDriver*& ActiveDriver() {
    static TestDriver* driver = nullptr;
    return driver;
}

DriverQueues& Queues() {
    static DriverQueues queues;
    return queues;
}

using Steps = std::shared_ptr<std::vector<std::function<void()>>>;

// A step waits on the queue as a dialog's posted message does, so a job's painting does not run
// it in the middle of the job.
class StepEvent : public QEvent {
  public:
    StepEvent(Steps steps, std::size_t index)
        : QEvent(ui::DriverStepType()), steps(std::move(steps)), index(index) {}
    StepEvent* clone() const override { return new StepEvent(*this); }
    const Steps steps;
    const std::size_t index;
};

void RunStepAt(const Steps& steps, std::size_t index);

class StepRunner : public QObject {
  protected:
    bool event(QEvent* event) override {
        if (event->type() != ui::DriverStepType()) return QObject::event(event);
        const auto* step = static_cast<StepEvent*>(event);
        RunStepAt(step->steps, step->index);
        return true;
    }
};

void PostStep(const Steps& steps, std::size_t index) {
    QCoreApplication::postEvent(&ui::Immortal<StepRunner>(),
                                std::make_unique<StepEvent>(steps, index).release());
}

void RunStepAt(const Steps& steps, std::size_t index) {
    if (index >= steps->size()) return;
    // The next step is on the queue before this one runs, so a modal dialog this step opens
    // runs it in its own loop.
    PostStep(steps, index + 1);
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

// Shows the box as MessageBox would, without blocking, and writes the screen with the box over
// it; the box is then answered through its own button so it closes as the user would close it.
bool ShootMessageBox(const MessageBoxRecord& record, int answer, const std::string& pngPath) {
    std::unique_ptr<ui::MessageBoxWidget> box = ui::MakeMessageBox(record);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    WaitUntil([&] { return box->windowHandle() != nullptr && box->windowHandle()->isExposed(); });
    ProcessPendingEvents();
    const bool written = GrabScreen(pngPath);

    if (QAbstractButton* pressed = box->Button(answer)) {
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

QEvent::Type DriverStepType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

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
    const FileDialogRecord& record, std::string& screenshotPath) {
    TestDriver* driver = ActiveDriver();
    if (driver == nullptr) return std::nullopt;
    driver->fileDialogs.push_back(record);
    auto& queue = Queues().fileAnswers;
    if (queue.empty()) return std::optional<FileDialogAnswer>();
    auto [answer, shot] = queue.front();
    queue.pop_front();
    if (!shot.empty()) driver->screenshots.push_back(shot);
    screenshotPath = std::move(shot);
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

void TestDriver::QueueFileDialogAnswer(std::optional<FileDialogAnswer> answer,
                                       std::string screenshotPath) {
    Queues().fileAnswers.emplace_back(std::move(answer), std::move(screenshotPath));
}

void RunSteps(std::vector<std::function<void()>> steps) {
    PostStep(std::make_shared<std::vector<std::function<void()>>>(std::move(steps)), 0);
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
    QWidget* screen = ui::Screen();
    const QRect area(screen->mapToGlobal(QPoint(0, 0)), screen->size());
    // On a real display the display's own picture, frames and all.
    if (QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        if (QScreen* display = screen->screen(); display != nullptr) {
            QPixmap shot = display->grabWindow(0, area.x(), area.y(), area.width(), area.height());
            if (!shot.isNull()) return shot.save(QString::fromStdString(pngPath), "PNG");
        }
    }
    // Offscreen nothing composes windows: boxes, then menus and tooltips, are laid over the
    // screen with their own pixels where they stand.
    QPixmap shot = screen->grab();
    QPainter painter(&shot);
    for (const bool popups : {false, true}) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const bool popup = w->windowType() == Qt::ToolTip || w->windowType() == Qt::Popup;
            if (w == screen || !w->isVisible() || popup != popups) continue;
            painter.drawPixmap(screen->mapFromGlobal(w->mapToGlobal(QPoint(0, 0))), w->grab());
        }
    }
    painter.end();
    return shot.save(QString::fromStdString(pngPath), "PNG");
}
