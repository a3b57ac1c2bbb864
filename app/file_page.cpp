#include "app/file_page.h"

#include "app/dialog_helpers.h"
#include "app/resource_ids.h"
#include "ui/file_dialog.h"

FilePageState* FilePageOf(HWND dialog) {
    return dynamic_cast<FilePageState*>(GetWindowData(dialog));
}

std::u16string StartFolderFor(HWND dialog, int pathBoxId) {
    return FolderOfPath(GetWindowText(GetDlgItem(dialog, pathBoxId), 300));
}

void ForgetRefusedPath(HWND dialog, int pathBoxId) {
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) SetDlgItemText(dialog, pathBoxId, u"");
}

void EndFilePage(const FilePageSteps& steps, HWND dialog, LRESULT result) {
    EndDialog(dialog, result);
    if (FilePageState* page = FilePageOf(dialog); page != nullptr) {
        page->bold = Font();
        page->normal = Font();
    }
    if (steps.released != nullptr) steps.released(dialog);
}

namespace {

LRESULT Command(const FilePageSteps& steps, HWND dialog, int id) {
    FilePageState* page = FilePageOf(dialog);
    if (page == nullptr) return FALSE;
    if (id == steps.changePathId) {
        steps.changePath(dialog);
        return TRUE;
    }
    switch (id) {
        case IDOK:
        case kDoneKey:
            steps.done(dialog);
            return TRUE;
        case kDialogHelp:
            ShowHelpAt(page->helpAnchor);
            return TRUE;
        case kDialogCancel:
            EndFilePage(steps, dialog, kDialogCancel);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

LRESULT DispatchFilePage(const FilePageSteps& steps, HWND dialog, std::uint32_t message,
                         WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            steps.initialise(dialog, lParam);
            return TRUE;
        case WM_PAINT:
            steps.paint(dialog);
            return TRUE;
        case WM_SETTINGCHANGE:
            if (FilePageState* page = FilePageOf(dialog); page != nullptr)
                UpdateDialogScrollBar(dialog, page->contentHeight);
            return FALSE;
        case WM_VSCROLL:
            ScrollDialogForMessage(dialog, wParam, ScrollRedraw::Redrawing);
            return TRUE;
        case WM_COMMAND:
            return Command(steps, dialog, LOWORD(wParam));
        case WM_CLOSE:
            EndFilePage(steps, dialog, steps.closedResult);
            return TRUE;
    }
    return FALSE;
}
