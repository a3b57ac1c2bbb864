#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

#include "ui/application.h"
#include "ui/resources.h"
#include "ui/shell.h"
#include "ui/ui_internal.h"

namespace ui {

namespace {

constexpr int kDefaultWidth = 480;
constexpr int kDefaultHeight = 640;

std::unique_ptr<ScreenWidget>& ScreenHolder() {
    return Immortal<std::unique_ptr<ScreenWidget>>();
}

const char* kScreenStyle = R"(
#titleBar { background: #1d2733; }
#title { color: white; font-weight: bold; }
#start { color: white; border: none; font-size: 26px; padding: 0 10px; }
#start::menu-indicator { image: none; }
#done { color: white; background: transparent; border: 2px solid white; border-radius: 17px;
        font-weight: bold; min-width: 52px; min-height: 30px; max-height: 34px; }
#done:pressed { background: #3d5a7a; }
#keyBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a4756, stop:1 #1d2733); }
#keyBar QPushButton { color: white; background: transparent; border: none; font-size: 22px; }
#keyBar QPushButton:pressed { background: #3d5a7a; }
#keyBar QPushButton:disabled { color: #7d8794; }
/* The control holding the keyboard focus wears a 2-pixel frame: the toolkit's own hint, a
   faint one-pixel tint, is lost on the phone's screen (a read-only box shows none at all).
   Buttons are then drawn by these rules whole; combo boxes keep the toolkit's look. */
QPushButton { color: black; border: 1px solid #a3a9b0; border-radius: 3px; padding: 2px 6px;
              background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd, stop:1 #e8eaed); }
QPushButton:pressed { background: #d3d9e0; }
QPushButton:disabled { color: #a8adb3; }
QLineEdit, QPlainTextEdit, QTreeView { border: 1px solid #a3a9b0; background: white; }
QPushButton:focus, QLineEdit:focus, QPlainTextEdit:focus, QTreeView:focus {
    border: 2px solid #1f6fd0; }
)";

}  // namespace

ScreenWidget* Screen() {
    auto& holder = ScreenHolder();
    if (!holder) {
        EnsureApplication();
        holder = std::make_unique<ScreenWidget>();
        AtApplicationExit([] { ScreenHolder().reset(); });
    }
    return holder.get();
}

bool HasScreen() {
    return ScreenHolder() != nullptr;
}

ScreenWidget::ScreenWidget() {
    RegisterWindow(this);
    setObjectName("screen");
    setStyleSheet(kScreenStyle);
    const QFont system = SystemFont();
    // Children below are owned by the screen through the toolkit's parent chain.
    titleBar_ = new QWidget(this);
    titleBar_->setObjectName("titleBar");
    titleBar_->setAttribute(Qt::WA_StyledBackground);
    startButton_ = new QToolButton(titleBar_);
    startButton_->setObjectName("start");
    startButton_->setText(QStringLiteral("\u2261"));
    startButton_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(startButton_);
    // The key is bound once, by the shortcut below; the menu only names it, since a second
    // binding makes every press ambiguous and none of them rotates.
    QAction* rotate = menu->addAction(QStringLiteral("Rotate screen\tCtrl+R"));
    connect(rotate, &QAction::triggered, this, [this] { Rotate(); });
    startButton_->setMenu(menu);
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+R")), this);
    connect(shortcut, &QShortcut::activated, this, [this] { Rotate(); });
    title_ = new QLabel(titleBar_);
    title_->setObjectName("title");
    QFont titleFont = system;
    titleFont.setPixelSize(22);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    done_ = new QPushButton(QStringLiteral("ok"), titleBar_);
    done_->setObjectName("done");
    done_->setFont(titleFont);
    connect(done_, &QPushButton::clicked, this, [this] { PressDone(); });
    auto* titleLayout = new QHBoxLayout(titleBar_);
    titleLayout->setContentsMargins(0, 0, 10, 0);
    titleLayout->addWidget(startButton_);
    titleLayout->addWidget(title_, 1);
    titleLayout->addWidget(done_);

    area_ = new QWidget(this);
    area_->setObjectName("area");

    keyBar_ = new QWidget(this);
    keyBar_->setObjectName("keyBar");
    keyBar_->setAttribute(Qt::WA_StyledBackground);
    auto* keyLayout = new QHBoxLayout(keyBar_);
    keyLayout->setContentsMargins(0, 0, 0, 0);
    keyLayout->setSpacing(0);
    for (int i = 0; i < 2; ++i) {
        keys_[i] = new QPushButton(keyBar_);
        keys_[i]->setFont(system);
        keys_[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(keys_[i], &QPushButton::clicked, this, [this, i] { PressSoftKey(i); });
        keyLayout->addWidget(keys_[i], 1);
    }
    setWindowTitle(QStringLiteral("Velloro"));
    resize(kDefaultWidth, kDefaultHeight);
    LayoutChrome();
    notifiedSize_ = area_->size();
    RefreshChrome();
}

void ScreenWidget::LayoutChrome() {
    titleBar_->setGeometry(0, 0, width(), kTitleBarHeight);
    keyBar_->setGeometry(0, height() - kSoftKeyBarHeight, width(), kSoftKeyBarHeight);
    area_->setGeometry(0, kTitleBarHeight, width(),
                       std::max(0, height() - kTitleBarHeight - kSoftKeyBarHeight));
    FitDialogs();
}

void ScreenWidget::FitDialogs() {
    for (DialogWidget* dialog : dialogs_) {
        if (dialog->fullScreen) dialog->setGeometry(area_->rect());
    }
}

void ScreenWidget::resizeEvent(QResizeEvent*) {
    LayoutChrome();
    // A resize by the user is a change of screen as a rotation is: the dialogs re-decide their
    // layout and scroll bars.
    NotifySizeChange();
}

void ScreenWidget::NotifySizeChange() {
    if (area_->size() == notifiedSize_) return;
    notifiedSize_ = area_->size();
    const std::vector<DialogWidget*> open = dialogs_;
    for (DialogWidget* dialog : open)
        dialog->Dispatch(WM_SETTINGCHANGE, 0, 0);
}

void ScreenWidget::closeEvent(QCloseEvent* event) {
    // The window's close button closes the dialog on top, as the phone's close does.
    if (DialogWidget* top = Top(); top != nullptr) {
        event->ignore();
        top->Dispatch(WM_CLOSE, 0, 0);
        return;
    }
    event->accept();
}

void ScreenWidget::PushDialog(DialogWidget* dialog) {
    if (DialogWidget* below = Top(); below != nullptr) {
        below->Dispatch(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
        below->setEnabled(false);
    }
    dialogs_.push_back(dialog);
    RefreshChrome();
}

void ScreenWidget::PopDialog(DialogWidget* dialog) {
    std::erase(dialogs_, dialog);
    if (DialogWidget* top = Top(); top != nullptr) {
        top->setEnabled(true);
        top->raise();
        top->Dispatch(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    }
    RefreshChrome();
}

void ScreenWidget::SetTitle(const QString& title) {
    title_->setText(title);
}

QString ScreenWidget::Title() const {
    return title_->text();
}

bool ScreenWidget::DoneShown() const {
    return !done_->isHidden();
}

DialogWidget* ScreenWidget::SoftKeyOwner() const {
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
        if ((*it)->menuBar != nullptr) return *it;
    }
    return nullptr;
}

const SoftKey* ScreenWidget::SoftKeyAt(int index) const {
    DialogWidget* owner = SoftKeyOwner();
    if (owner == nullptr || index < 0 || index >= static_cast<int>(owner->menuBar->keys.size())) {
        return nullptr;
    }
    return &owner->menuBar->keys[static_cast<std::size_t>(index)];
}

void ScreenWidget::RefreshChrome() {
    DialogWidget* top = Top();
    done_->setVisible(top != nullptr && top->doneButton);
    DialogWidget* owner = SoftKeyOwner();
    for (int i = 0; i < 2; ++i) {
        const SoftKey* key = SoftKeyAt(i);
        keys_[i]->setText(key == nullptr ? QString() : key->label);
        keys_[i]->setEnabled(key != nullptr && key->enabled && owner == top);
    }
}

void ScreenWidget::PressSoftKey(int index) {
    const SoftKey* key = SoftKeyAt(index);
    DialogWidget* owner = SoftKeyOwner();
    if (key == nullptr || !key->enabled || owner != Top()) return;
    if (key->menu) {
        QPushButton* button = keys_[index];
        const QSize size = key->menu->sizeHint();
        // The menu opens upward from its key, kept on the screen.
        QPoint at = button->mapToGlobal(QPoint(index == 0 ? 0 : button->width() - size.width(), 0));
        at.ry() -= size.height();
        key->menu->popup(at);
        return;
    }
    owner->Dispatch(WM_COMMAND, MAKEWPARAM(key->command, 0), 0);
}

void ScreenWidget::PressDone() {
    DialogWidget* top = Top();
    if (top != nullptr && top->doneButton) top->Dispatch(WM_COMMAND, MAKEWPARAM(1, 0), 0);
}

void ScreenWidget::SetScreenSize(int w, int h) {
    resize(w, h);
    // Sizes must be final before any dialog hears of the change.
    LayoutChrome();
}

void ScreenWidget::Rotate() {
    SetScreenSize(height(), width());
    NotifySizeChange();
}

}  // namespace ui

using ui::DialogWidget;

bool SHInitExtraControls() {
    EnsureApplication();
    return true;
}

bool SHInitDialog(HWND window, std::uint32_t flags) {
    DialogWidget* dialog = ui::ToDialog(window);
    if (dialog == nullptr) return false;
    ui::ScreenWidget* screen = ui::Screen();
    if ((flags & SHIDIF_SIZEDLGFULLSCREEN) != 0) {
        dialog->fullScreen = true;
        dialog->setGeometry(screen->area()->rect());
    }
    dialog->doneButton = (flags & SHIDIF_DONEBUTTON) != 0;
    screen->SetTitle(dialog->title);
    screen->RefreshChrome();
    return true;
}

HWND SHCreateMenuBar(HWND window, int menuBarId) {
    DialogWidget* dialog = ui::ToDialog(window);
    const MenuBarResource* resource = FindMenuBar(menuBarId);
    if (dialog == nullptr || resource == nullptr) return nullptr;
    const MenuResource* menu = FindMenu(resource->menu);
    if (dialog->menuBar == nullptr) {
        dialog->menuBar = new ui::MenuBarWidget(dialog);  // owned by the dialog
        ui::RegisterWindow(dialog->menuBar);
    }
    dialog->menuBar->keys.clear();  // a second bar replaces the first
    for (const SoftKeyButton& button : resource->buttons) {
        ui::SoftKey key;
        key.label = ui::ToQString(LoadString(button.labelString, 99));
        key.command = button.command;
        key.enabled = (button.state & 4) != 0;
        if (button.popup >= 0 && menu != nullptr &&
            button.popup < static_cast<int>(menu->popups.size())) {
            key.menu = std::make_shared<QMenu>();
            key.menu->setFont(ui::SystemFont());
            QPointer<DialogWidget> target(dialog);
            for (const MenuItem& item :
                 menu->popups[static_cast<std::size_t>(button.popup)].items) {
                if (item.command == 0 && item.text.empty()) {
                    key.menu->addSeparator();
                    continue;
                }
                QAction* action = key.menu->addAction(ui::ToQString(item.text));
                action->setData(item.command);
                const int command = item.command;
                QObject::connect(action, &QAction::triggered, dialog, [target, command] {
                    if (target) target->Dispatch(WM_COMMAND, MAKEWPARAM(command, 0), 0);
                });
            }
        }
        dialog->menuBar->keys.push_back(std::move(key));
    }
    ui::Screen()->RefreshChrome();
    return ui::ToHwnd(dialog->menuBar);
}

bool SHSetNavBarText(HWND window, std::u16string_view title) {
    if (ui::ToWidget(window) == nullptr) return false;
    ui::Screen()->SetTitle(ui::ToQString(title));
    return true;
}

bool SHHandleWMActivate(HWND window, WPARAM, LPARAM, SHACTIVATEINFO* info, std::uint32_t) {
    return ui::ToWidget(window) != nullptr && info != nullptr;
}

bool SHHandleWMSettingChange(HWND window, WPARAM, LPARAM, SHACTIVATEINFO* info) {
    // The screen has already fitted full-screen dialogs to the new size.
    return ui::ToWidget(window) != nullptr && info != nullptr;
}

HWND CreateFrameWindow(std::u16string_view title) {
    ui::ScreenWidget* screen = ui::Screen();
    screen->setWindowTitle(ui::ToQString(title));
    screen->show();
    return ui::ToHwnd(screen);
}

bool SetProgramIcon(const std::vector<std::string>& imageFiles) {
    QIcon icon;
    for (const std::string& file : imageFiles) {
        const QPixmap image(QString::fromStdString(file));
        if (!image.isNull()) icon.addPixmap(image);
    }
    if (icon.isNull()) return false;
    QApplication::setWindowIcon(icon);
    ui::Screen()->setWindowIcon(icon);
    return true;
}

void RotateScreen() {
    ui::Screen()->Rotate();
}

void SetScreenSize(int width, int height) {
    ui::Screen()->SetScreenSize(width, height);
}

RECT GetScreenRect() {
    ui::ScreenWidget* screen = ui::Screen();
    return {0, 0, screen->width(), screen->height()};
}

std::u16string GetScreenTitle() {
    return ui::FromQString(ui::Screen()->Title());
}

bool IsDoneButtonShown() {
    return ui::Screen()->DoneShown();
}
