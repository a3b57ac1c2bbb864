#include "ui/file_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <optional>

#include "platform/text.h"
#include "ui/message_box.h"
#include "ui/test_driver.h"

#include "ui/application.h"
#include "ui/held_events.h"
#include "ui/ui_internal.h"

namespace {

std::u16string PatternExtension(const std::u16string& pattern) {
    return pattern.size() > 2 && pattern.starts_with(u"*.") ? pattern.substr(2) : std::u16string();
}

bool HasExtension(const std::u16string& name) {
    const std::size_t slash = name.find_last_of(u'/');
    const std::size_t dot = name.find_last_of(u'.');
    return dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash);
}

std::uint32_t& LastError() {
    static std::uint32_t error = 0;
    return error;
}

QString StartFolder(const OPENFILENAME& ofn) {
    if (!ofn.initialDir.empty()) return ui::ToQString(ofn.initialDir);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

void RefuseLongPath(std::size_t maxChars) {
    LastError() = FNERR_BUFFERTOOSMALL;
    MessageBox(nullptr,
               u"The chosen path is too long. Please choose a path of at most " +
                   DecimalText(static_cast<std::int64_t>(maxChars)) + u" characters.",
               std::nullopt, MB_ICONEXCLAMATION);
}

// The description already names its pattern; the toolkit's own copy of it is hidden.
QString QtFilter(const FileFilter& filter) {
    const QString pattern =
        filter.pattern.empty() ? QStringLiteral("*") : ui::ToQString(filter.pattern);
    return ui::ToQString(filter.description) + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

// The box as the user gets it: over the phone's screen, in the start folder, each type named
// once, the given type preselected.
std::unique_ptr<QFileDialog> MakeFileDialog(const OPENFILENAME& ofn, bool save, int index,
                                            const QString& startFolder,
                                            const QStringList& filters) {
    auto dialog = std::make_unique<QFileDialog>(ui::HasScreen() ? ui::Screen() : nullptr);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The phone's box asks nothing when the name exists; the program decides.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setDirectory(startFolder);
    if (ui::HasScreen()) {
        QWidget* screen = ui::Screen();
        dialog->setGeometry(QRect(screen->mapToGlobal(QPoint(0, 0)), screen->size()));
    }
    dialog->setNameFilters(filters);
    if (!filters.isEmpty()) dialog->selectNameFilter(filters[index - 1]);
    if (!ofn.file.empty()) dialog->selectFile(ui::ToQString(ofn.file));
    return dialog;
}

// For a driver's answer that asks for a screenshot: the real box with its type list open.
void ShootFileDialog(QFileDialog& dialog, const std::string& pngPath) {
    dialog.show();
    WaitUntil(
        [&] { return dialog.windowHandle() != nullptr && dialog.windowHandle()->isExposed(); });
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        types->showPopup();
    GrabScreen(pngPath);
    dialog.reject();
    ProcessPendingEvents();
}

// The type the user left chosen, 1-based; 0 when the box names none of ours. With details
// hidden, this toolkit version names the type by its shown text, without the pattern.
int ChosenType(const QFileDialog& dialog, const std::vector<FileFilter>& filters) {
    const QString chosen = dialog.selectedNameFilter();
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (chosen == QtFilter(filters[i]) || chosen == ui::ToQString(filters[i].description))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// Shows the box until the user accepts or cancels it; the name as the box completed it and the
// type left chosen (index when the box names none of ours).
std::optional<FileDialogAnswer> AskInBox(QFileDialog& dialog,
                                         const std::vector<FileFilter>& filters, int index) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const int chosen = ChosenType(dialog, filters);
    return FileDialogAnswer{ui::FromQString(dialog.selectedFiles().front()),
                            chosen > 0 ? chosen : index};
}

// For a driver's answer typed into the box: picks the type in its list and types the name, as the
// user does, then presses Save or Open. A name the box does not take (a folder it opens instead)
// leaves it open; it is then cancelled rather than left waiting.
void TypeIntoBox(QFileDialog& dialog, const FileDialogAnswer& answer) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (name == nullptr || buttons == nullptr) return dialog.reject();
    const QStringList types = dialog.nameFilters();
    if (answer.filterIndex >= 1 && answer.filterIndex <= types.size())
        dialog.selectNameFilter(types[answer.filterIndex - 1]);
    QPushButton* press =
        buttons->button(dialog.acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                       : QDialogButtonBox::Open);
    if (press == nullptr) return dialog.reject();
    // The box lists the folder in the background and takes a file to open only once it is
    // listed; the name is typed again until the box would take it, as a user waits for the list.
    const QString typed = ui::ToQString(answer.name);
    WaitUntil(
        [&] {
            name->clear();
            name->setText(typed);
            return press->isEnabled();
        },
        2000);
    press->click();
    if (dialog.isVisible()) dialog.reject();
}

bool RunFileDialog(OPENFILENAME& ofn, bool save) {
    EnsureApplication();
    const int count = static_cast<int>(ofn.filters.size());
    int index = (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= count) ? ofn.nFilterIndex : 1;

    LastError() = 0;
    const QString startFolder = StartFolder(ofn);
    QStringList filters;
    for (const FileFilter& f : ofn.filters)
        filters << QtFilter(f);
    FileDialogRecord record{save,       ofn.filters,  ofn.nFilterIndex,
                            ofn.defExt, ofn.nMaxFile, ui::FromQString(startFolder)};
    std::optional<FileDialogAnswer> answer;
    std::string screenshotPath;
    if (auto scripted = ui::DriverAnswerFileDialog(record, screenshotPath)) {
        answer = *scripted;
        if (!screenshotPath.empty()) {
            ShootFileDialog(*MakeFileDialog(ofn, save, index, startFolder, filters),
                            screenshotPath);
        }
        if (answer && answer->typedInBox) {
            // The driver's next step runs once this box is done, as after a queued answer.
            const ui::HeldEvents steps([](QEvent::Type type) {
                return type == ui::DriverStepType() ? ui::HeldEvents::Fate::Hold
                                                    : ui::HeldEvents::Fate::Deliver;
            });
            const auto dialog = MakeFileDialog(ofn, save, index, startFolder, filters);
            const FileDialogAnswer typed = *answer;
            QTimer::singleShot(0, dialog.get(),
                               [&dialog = *dialog, typed] { TypeIntoBox(dialog, typed); });
            answer = AskInBox(*dialog, ofn.filters, index);
        }
    } else {
        answer =
            AskInBox(*MakeFileDialog(ofn, save, index, startFolder, filters), ofn.filters, index);
    }
    if (answer && answer->filterIndex >= 1 && answer->filterIndex <= count) {
        index = answer->filterIndex;
    }
    if (!answer || answer->name.empty()) return false;
    std::u16string path = CompleteFileName(answer->name, ofn.filters, index, ofn.defExt);
    // A name the caller's buffer cannot hold is refused, not cut into another file's name.
    if (ofn.nMaxFile == 0 || path.size() > ofn.nMaxFile - 1) {
        RefuseLongPath(ofn.nMaxFile == 0 ? 0 : ofn.nMaxFile - 1);
        return false;
    }
    ofn.file = std::move(path);
    ofn.nFilterIndex = index;
    return true;
}

}  // namespace

std::uint32_t CommDlgExtendedError() {
    return LastError();
}

std::u16string FolderOfPath(const std::u16string& path) {
    const std::size_t slash = path.find_last_of(u'/');
    if (slash == std::u16string::npos) return {};
    return slash == 0 ? std::u16string(u"/") : path.substr(0, slash);
}

std::u16string CompleteFileName(const std::u16string& name, const std::vector<FileFilter>& filters,
                                int filterIndex, const std::u16string& defExt) {
    if (HasExtension(name)) return name;
    std::u16string extension = defExt;
    bool emptyPattern = false;
    const int count = static_cast<int>(filters.size());
    if (count > 0) {
        const int index = (filterIndex >= 1 && filterIndex <= count) ? filterIndex : 1;
        const std::u16string& pattern = filters[static_cast<std::size_t>(index - 1)].pattern;
        if (!PatternExtension(pattern).empty()) extension = PatternExtension(pattern);
        emptyPattern = pattern.empty();
    }
    if (!extension.empty()) return name + u"." + extension;
    return emptyPattern ? name + u"." : name;
}

bool GetSaveFileName(OPENFILENAME& ofn) {
    return RunFileDialog(ofn, true);
}

bool GetOpenFileName(OPENFILENAME& ofn) {
    return RunFileDialog(ofn, false);
}
