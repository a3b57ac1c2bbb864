#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <cstdlib>
#include <unordered_set>

#include "ui/application.h"
#include "ui/ui_internal.h"

#ifndef VELLORO_SOURCE_RESOURCE_DIR
#define VELLORO_SOURCE_RESOURCE_DIR ""
#endif

namespace ui {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

std::u16string FromQString(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

namespace {
std::unordered_set<QWidget*>& Windows() {
    static std::unordered_set<QWidget*> windows;
    return windows;
}
}  // namespace

void RegisterWindow(QWidget* widget) {
    Windows().insert(widget);
    QObject::connect(widget, &QObject::destroyed, [widget] { Windows().erase(widget); });
}

QWidget* ToWidget(HWND window) {
    // A handle is only ever looked up, never dereferenced, until it is known to be ours.
    auto* widget = reinterpret_cast<QWidget*>(window);
    return Windows().count(widget) != 0 ? widget : nullptr;
}

HWND ToHwnd(QWidget* widget) {
    return reinterpret_cast<HWND>(widget);
}

namespace {
// The phone's VGA screen: 192 dots per inch, so 8 points are 21 pixels.
constexpr int kScreenDpi = 192;
const char* kSansFamily = "DejaVu Sans";
}  // namespace

QFont DialogFont(const std::u16string&, int points) {
    QFont font(kSansFamily);
    font.setPixelSize(std::max(1, points * kScreenDpi / 72));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont SystemFont() {
    QFont font(kSansFamily);
    font.setPixelSize(20);
    return font;
}

std::vector<std::function<void()>>& ExitActions() {
    return Immortal<std::vector<std::function<void()>>>();
}

void AtApplicationExit(std::function<void()> f) {
    ExitActions().push_back(std::move(f));
}

}  // namespace ui

struct UiApplication::Data {
    std::unique_ptr<QApplication> app;
};

UiApplication::UiApplication(int& argc, char** argv) : data_(std::make_unique<Data>()) {
    if (QCoreApplication::instance() == nullptr) {
        data_->app = std::make_unique<QApplication>(argc, argv);
    }
}

namespace {
void RunExitActions() {
    auto& actions = ui::ExitActions();
    while (!actions.empty()) {
        auto action = std::move(actions.back());
        actions.pop_back();
        action();
    }
}
}  // namespace

UiApplication::~UiApplication() {
    if (data_->app) RunExitActions();
}

void EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "velloro";
    static char* argv[] = {name, nullptr};
    // The toolkit cannot be torn down after main has returned (its thread storage is gone by
    // then), so this one lives to the end; only the layer's own windows are released at exit.
    ui::Immortal<std::unique_ptr<QApplication>>() = std::make_unique<QApplication>(argc, argv);
    std::atexit(RunExitActions);
}

std::string ResourceDir() {
    if (const char* env = std::getenv("VELLORO_RESOURCE_DIR"); env != nullptr && *env != '\0') {
        return env;
    }
    if (QCoreApplication::instance() != nullptr) {
        const QString installed =
            QDir(QCoreApplication::applicationDirPath()).filePath("../share/velloro");
        if (QFileInfo(installed).isDir()) return QDir::cleanPath(installed).toStdString();
    }
    return VELLORO_SOURCE_RESOURCE_DIR;
}
