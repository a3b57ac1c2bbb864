#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "ui/application.h"
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

QString QtFilter(const FileFilter& filter) {
    const QString pattern =
        filter.pattern.empty() ? QStringLiteral("*") : ui::ToQString(filter.pattern);
    return ui::ToQString(filter.description) + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

bool RunFileDialog(OPENFILENAME& ofn, bool save) {
    EnsureApplication();
    const int count = static_cast<int>(ofn.filters.size());
    int index = (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= count) ? ofn.nFilterIndex : 1;

    FileDialogRecord record{save, ofn.filters, ofn.nFilterIndex, ofn.defExt, ofn.nMaxFile};
    std::optional<FileDialogAnswer> answer;
    if (auto scripted = ui::DriverAnswerFileDialog(record)) {
        answer = *scripted;
        if (answer && answer->filterIndex >= 1 && answer->filterIndex <= count) {
            index = answer->filterIndex;
        }
    } else {
        QStringList filters;
        for (const FileFilter& f : ofn.filters)
            filters << QtFilter(f);
        QFileDialog dialog(ui::HasScreen() ? ui::Screen() : nullptr);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The phone's box asks nothing when the name exists; the program decides.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilters(filters);
        if (count > 0) dialog.selectNameFilter(filters[index - 1]);
        if (!ofn.file.empty()) dialog.selectFile(ui::ToQString(ofn.file));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
        if (chosen >= 0) index = chosen + 1;
        answer = FileDialogAnswer{ui::FromQString(dialog.selectedFiles().front()), index};
    }
    if (!answer || answer->name.empty()) return false;
    std::u16string path = CompleteFileName(answer->name, ofn.filters, index, ofn.defExt);
    // A name the caller's buffer cannot hold is refused, not cut into another file's name.
    if (ofn.nMaxFile == 0 || path.size() > ofn.nMaxFile - 1) return false;
    ofn.file = std::move(path);
    ofn.nFilterIndex = index;
    return true;
}

}  // namespace

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
