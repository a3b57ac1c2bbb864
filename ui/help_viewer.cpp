#include "ui/help_viewer.h"

#include <QFile>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

#include "ui/application.h"
#include "ui/ui_internal.h"

namespace {

// The phone's name of the installed help page.
constexpr std::u16string_view kPhoneHelpPath = u"\\Windows\\VelloroHelp.htm";

struct HelpWindow {
    std::unique_ptr<QTextBrowser> browser;
    std::string file;
    std::u16string anchor;
};

HelpWindow& Help() {
    return ui::Immortal<HelpWindow>();
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
    if (!help.browser) {
        help.browser = std::make_unique<QTextBrowser>();
        ui::AtApplicationExit([] { Help().browser.reset(); });
        help.browser->setWindowTitle(QStringLiteral("Help"));
        help.browser->resize(480, 640);
        help.browser->setFont(ui::SystemFont());
    }
    help.browser->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
    help.browser->show();
    help.browser->raise();
    // Layout happens on showing; the anchor's place is known only after it.
    if (!anchor.empty()) help.browser->scrollToAnchor(ui::ToQString(anchor));
    help.file = file;
    help.anchor = anchor;
    return true;
}

HelpViewerState GetHelpViewerState() {
    const HelpWindow& help = Help();
    HelpViewerState state;
    state.shown = help.browser && help.browser->isVisible();
    state.file = help.file;
    state.anchor = help.anchor;
    state.scrollPosition = help.browser ? help.browser->verticalScrollBar()->value() : 0;
    return state;
}

void CloseHelpViewer() {
    if (Help().browser) Help().browser->hide();
}
