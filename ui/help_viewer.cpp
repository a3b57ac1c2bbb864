#include "ui/help_viewer.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/application.h"
#include "ui/dialog.h"
#include "ui/ui_internal.h"

namespace {

// The phone's name of the installed help page.
constexpr std::u16string_view kPhoneHelpPath = u"\\Windows\\VelloroHelp.htm";

struct HelpWindow {
    // The window holds its Done button and the browser.
    std::unique_ptr<QWidget> window;
    QTextBrowser* browser = nullptr;
    QPushButton* done = nullptr;
    std::string file;
    std::u16string anchor;
};

HelpWindow& Help() {
    return ui::Immortal<HelpWindow>();
}

// Done closes the help and gives the keyboard back to the screen the help was asked from, so
// the help can be left without a window manager.
void MakeHelpWindow(HelpWindow& help) {
    help.window = std::make_unique<QWidget>();
    ui::AtApplicationExit([] { Help().window.reset(); });
    help.window->setWindowTitle(QStringLiteral("Help"));
    help.window->resize(480, 640);
    help.window->setFont(ui::SystemFont());
    // Both are owned by the window.
    help.done = new QPushButton(QStringLiteral("Done"), help.window.get());
    help.browser = new QTextBrowser(help.window.get());
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(help.done);
    auto* layout = new QVBoxLayout(help.window.get());
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(help.browser, 1);
    QObject::connect(help.done, &QPushButton::clicked, help.window.get(), [] {
        Help().window->hide();
        if (ui::HasScreen()) SetForegroundWindow(nullptr);
    });
}

}  // namespace

std::string HelpPagePath() {
    return ResourceDir() + "/help/VelloroHelp.htm";
}

bool StartHelpViewer(std::u16string_view commandLine) {
    EnsureApplication();
    const std::size_t hash = commandLine.find(u'#');
    const std::u16string_view name = commandLine.substr(0, hash);
    const std::u16string anchor = hash == std::u16string_view::npos
                                      ? std::u16string()
                                      : std::u16string(commandLine.substr(hash + 1));
    const std::string file =
        name == kPhoneHelpPath ? HelpPagePath() : ui::ToQString(name).toStdString();
    QFile page(QString::fromStdString(file));
    if (!page.open(QIODevice::ReadOnly)) return false;

    HelpWindow& help = Help();
    if (!help.window) MakeHelpWindow(help);
    help.browser->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
    // Over the phone's screen, as the phone's viewer covers it.
    if (ui::HasScreen()) {
        QWidget* screen = ui::Screen();
        help.window->setGeometry(QRect(screen->mapToGlobal(QPoint(0, 0)), screen->size()));
    }
    help.window->show();
    help.window->raise();
    help.window->activateWindow();
    // Layout happens on showing; the anchor's place is known only after it.
    if (!anchor.empty()) help.browser->scrollToAnchor(ui::ToQString(anchor));
    help.file = file;
    help.anchor = anchor;
    return true;
}

HelpViewerState GetHelpViewerState() {
    const HelpWindow& help = Help();
    HelpViewerState state;
    state.shown = help.window && help.window->isVisible();
    state.file = help.file;
    state.anchor = help.anchor;
    state.scrollPosition = help.browser ? help.browser->verticalScrollBar()->value() : 0;
    return state;
}

void CloseHelpViewer() {
    if (Help().window) Help().window->hide();
}

bool PressHelpDone() {
    HelpWindow& help = Help();
    if (!help.window || !help.window->isVisible()) return false;
    help.done->click();
    return true;
}
