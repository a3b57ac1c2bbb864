#pragma once
// The Qt side of the layer: the widgets behind HWNDs. Included only by platform/ui/*.cpp.

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "ui/dialog.h"
#include "ui/resources.h"
#include "ui/ui_types.h"

class QEventLoop;
class QLabel;
class QAbstractButton;
class QPushButton;
class QToolButton;

namespace ui {

QString ToQString(std::u16string_view text);
std::u16string FromQString(const QString& text);

// Only widgets this layer made are handles; anything else (or a destroyed one) maps to null.
QWidget* ToWidget(HWND window);
HWND ToHwnd(QWidget* widget);
void RegisterWindow(QWidget* widget);

// The phone's fonts: template faces map to the host's sans font at the VGA screen's density.
QFont DialogFont(const std::u16string& face, int points);
QFont SystemFont();

struct SoftKey {
    QString label;
    int command = 0;
    bool enabled = true;
    std::shared_ptr<QMenu> menu;  // the popup it opens, or null
};

// A dialog's soft-key bar: data the screen shows while the dialog is on top. A hidden widget so
// that it has a handle.
class MenuBarWidget : public QWidget {
  public:
    explicit MenuBarWidget(QWidget* dialog) : QWidget(dialog) { hide(); }
    std::vector<SoftKey> keys;
};

class DialogWidget : public QWidget {
  public:
    DialogWidget(QWidget* parent, const DialogTemplate& dialogTemplate, DialogProc proc);
    ~DialogWidget() override;

    LRESULT Dispatch(std::uint32_t message, WPARAM wParam, LPARAM lParam);
    void End(LRESULT result);
    void RunModal();
    QRect ClientRect() const;
    void SetStyle(std::uint32_t style);
    void SyncScrollBar();
    static QEvent::Type PostedType();

    const int templateId;
    std::uint32_t style;
    QFont dialogFont;
    bool fullScreen = false;
    bool doneButton = false;
    bool ended = false;
    bool painting = false;
    LRESULT result = 0;
    QString title;
    MenuBarWidget* menuBar = nullptr;
    SCROLLINFO scroll;
    QScrollBar* vbar = nullptr;
    std::unique_ptr<WindowData> userData;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void OnScrollAction(int action);
    int wheelRest_ = 0;
    DialogProc proc_;
    QEventLoop* loop_ = nullptr;
};

DialogWidget* ToDialog(HWND window);

// The phone's screen: title bar, dialog area, soft-key bar.
class ScreenWidget : public QWidget {
  public:
    ScreenWidget();
    QWidget* area() const { return area_; }
    QRect AreaRect() const { return area_->rect(); }
    void PushDialog(DialogWidget* dialog);
    void PopDialog(DialogWidget* dialog);
    DialogWidget* Top() const { return dialogs_.empty() ? nullptr : dialogs_.back(); }
    const std::vector<DialogWidget*>& dialogs() const { return dialogs_; }
    void SetTitle(const QString& title);
    QString Title() const;
    bool DoneShown() const;
    void RefreshChrome();
    void Rotate();
    void SetScreenSize(int width, int height);
    void PressSoftKey(int index);
    QPushButton* SoftKeyButton(int index) const { return keys_[index]; }
    const SoftKey* SoftKeyAt(int index) const;
    void PressDone();
    // The dialog whose soft keys show: the highest with a bar.
    DialogWidget* SoftKeyOwner() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void LayoutChrome();
    void FitDialogs();
    // Sends WM_SETTINGCHANGE to every open dialog, lowest first, once per new size.
    void NotifySizeChange();
    QSize notifiedSize_;
    QWidget* titleBar_;
    QToolButton* startButton_;
    QLabel* title_;
    QPushButton* done_;
    QWidget* area_;
    QWidget* keyBar_;
    QPushButton* keys_[2];
    std::vector<DialogWidget*> dialogs_;
};

// A process-wide object that is never destroyed: its contents are released by AtApplicationExit
// while the toolkit lives, and static destruction order can then not touch them again.
template <typename T>
T& Immortal() {
    alignas(T) static unsigned char storage[sizeof(T)];
    static T* object = ::new (storage) T();
    return *object;
}

// While a job holds the GUI thread: paints what waits to be painted and runs nothing else.
void PaintWaitingWindows();
// Says when the next PaintWaitingWindows is due: every 50 ms of a job.
class JobPaintClock {
  public:
    bool Due();

  private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};
// The test driver's steps: events that wait while a job runs, like the dialogs' posted messages.
QEvent::Type DriverStepType();

// Runs f when the application object goes, before the toolkit does: every window and socket of
// the layer must die while the toolkit still lives.
void AtApplicationExit(std::function<void()> f);
std::vector<std::function<void()>>& ExitActions();

// The screen, made on first use.
ScreenWidget* Screen();
bool HasScreen();

}  // namespace ui

#include <optional>

#include "ui/test_driver.h"

namespace ui {
// The tree view with check boxes (TVS_CHECKBOXES in style), in tree_control.cpp.
QWidget* MakeTreeControl(DialogWidget* dialog, std::uint32_t style);

// Makes a control of a platform class in the dialog; null for an unknown class.
QWidget* MakeControl(DialogWidget* dialog, const std::u16string& className, const QString& text,
                     std::uint32_t style, int id);
// The box MessageBox shows for record, not yet shown: sized to fit the phone's screen and
// centred on it, its buttons in its text's font.
class MessageBoxWidget : public QDialog {
  public:
    MessageBoxWidget(const MessageBoxRecord& record, QWidget* parent);
    // The button that answers IDOK, IDYES or IDNO; null when the box has none such.
    QAbstractButton* Button(int answer) const;

  private:
    QAbstractButton* ok_ = nullptr;
    QAbstractButton* yes_ = nullptr;
    QAbstractButton* no_ = nullptr;
};
std::unique_ptr<MessageBoxWidget> MakeMessageBox(const MessageBoxRecord& record);
// A test driver's answers, when one is active.
std::optional<int> DriverAnswerMessageBox(const MessageBoxRecord& record);
// screenshotPath receives where the box should be shot before it is answered (empty: not).
std::optional<std::optional<FileDialogAnswer>> DriverAnswerFileDialog(
    const FileDialogRecord& record, std::string& screenshotPath);
}  // namespace ui
