// The SMS page in backup mode (creation parameter non-zero: read the store, tick, export) and
// restore mode (0: load a data file, tick, write back into the store). Every step that touches
// the store or a file runs behind the progress window; this page owns the list and its ticks.

#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_helpers.h"
#include "app/dialog_procs.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "app/sms_tree_view.h"
#include "core/operation_request.h"
#include "core/result_code.h"
#include "dialog_math/dialog_math.h"
#include "sms/sms_ticks.h"
#include "sms/sms_tree.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/drawing.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"

namespace {

// Posted by the page to itself, so it runs after the list has toggled the clicked box.
constexpr std::uint32_t WM_CHECKCLICKED = WM_USER + 100;
// The file boxes' buffers hold 256 characters with the terminator.
constexpr std::size_t kFileBuffer = 256;
constexpr std::size_t kPathMax = 256;

constexpr std::u16string_view kOperationFailed = u"Operation failed. Please try again.";
constexpr std::u16string_view kLoadFailed = u"Load SMS failed.";

struct SmsDialogState {
    bool backup = true;
    Font bold;
    Font normal;
};
SmsDialogState g_state;
// Computed at the first opening and kept for the program's life, rotations included.
int g_contentHeight = 0;

void Warn(HWND dialog, std::u16string_view text) {
    MessageBox(dialog, text, std::nullopt, MB_ICONEXCLAMATION);
}

ResultCode Run(HWND dialog, OperationKind kind, std::u16string path = {}) {
    OperationRequest request;
    request.owner = dialog;
    request.kind = static_cast<std::uint32_t>(kind);
    request.path = std::move(path);
    request.smsTree = &ProgramSmsTree();
    return RunOperation(request);
}

bool FillList(HWND dialog) {
    TreeViewChecks list(GetDlgItem(dialog, kSmsList));
    return FillSmsTreeView(ProgramSmsTree().root.get(), &list, nullptr);
}

void EndAndRelease(HWND dialog, LRESULT result) {
    EndDialog(dialog, result);
    g_state.bold = Font();
    g_state.normal = Font();
    ClearSmsTree(ProgramSmsTree());
}

void ReadStore(HWND dialog) {
    const ResultCode result = Run(dialog, OperationKind::ReadSmsFromStore);
    if (result != 0) {
        ClearSmsTree(ProgramSmsTree());
        Warn(dialog, ResultMessage(result));
        return;
    }
    if (!FillList(dialog)) {
        ClearSmsTree(ProgramSmsTree());
        Warn(dialog, kLoadFailed);
    }
}

void Initialise(HWND dialog, LPARAM mode) {
    g_state.backup = mode != 0;
    SHInitDialog(dialog, SHIDIF_STANDARD);
    SHCreateMenuBar(dialog, kDialogMenuBar);
    SHSetNavBarText(dialog, g_state.backup ? u"Export SMS" : u"Import SMS");
    SetDlgItemText(dialog, kSmsTargetLabel, g_state.backup ? u"Export to:" : u"Import from:");

    g_state.bold = CreateBoldFont();
    g_state.normal = CreateNormalFont();
    for (int id : {kSmsTargetLabel, kSmsListLabel})
        SetWindowFont(GetDlgItem(dialog, id), g_state.bold, true);
    for (int id : {kSmsChangePath, kSmsPathBox, kSmsList})
        SetWindowFont(GetDlgItem(dialog, id), g_state.normal, true);

    if (g_contentHeight == 0) {
        const int textHeight = GetDC(dialog).GetTextMetrics().tmHeight;
        const int buttonHeight = GetWindowRect(GetDlgItem(dialog, kSmsChangePath)).Height();
        g_contentHeight = SmsDialogContentHeight(textHeight, buttonHeight);
    }
    UpdateDialogScrollBar(dialog, g_contentHeight);
    if (g_state.backup) ReadStore(dialog);
}

void Paint(HWND dialog) {
    DeviceContext dc = BeginPaint(dialog);
    const int buttonHeight = GetWindowRect(GetDlgItem(dialog, kSmsChangePath)).Height();
    for (const ControlPlacement& p :
         LayOutSmsDialog(GetClientRect(dialog).Width(), buttonHeight, dc.GetTextMetrics().tmHeight,
                         DialogScrollOffset(dialog))) {
        MoveWindow(GetDlgItem(dialog, p.id), p.rect.left, p.rect.top, p.rect.Width(),
                   p.rect.Height(), false);
    }
}

void ChooseExportFile(HWND dialog) {
    OPENFILENAME ofn;
    ofn.hwndOwner = dialog;
    ofn.filters = {{u"Data File (*.dat) For restore", u"*.dat"},
                   {u"Text File (*.txt)", u"*.txt"},
                   {u"CSV File (*.csv)", u"*.csv"},
                   {u"Folder and File", u""},
                   {u"Android XML (*.xml)", u"*.xml"}};
    ofn.nMaxFile = kFileBuffer;
    if (!GetSaveFileName(ofn)) return;
    // "Folder and File" has no extension, and the box then leaves a bare dot: the name is
    // the folder to create.
    if (!ofn.file.empty() && ofn.file.back() == u'.') ofn.file.pop_back();
    SetDlgItemText(dialog, kSmsPathBox, ofn.file);
}

void LoadDataFile(HWND dialog) {
    OPENFILENAME ofn;
    ofn.hwndOwner = dialog;
    ofn.filters = {{u"Data File (*.dat)", u"*.dat"}, {u"Android XML (*.xml)", u"*.xml"}};
    ofn.nMaxFile = kFileBuffer;
    ofn.defExt = u"dat";
    if (!GetOpenFileName(ofn)) return;
    if (!TreeDeleteAllItems(GetDlgItem(dialog, kSmsList))) {
        Warn(dialog, kOperationFailed);
        return;
    }
    ClearSmsTree(ProgramSmsTree());
    SetDlgItemText(dialog, kSmsPathBox, ofn.file);
    const ResultCode result = Run(dialog, OperationKind::LoadSmsDataFile, ofn.file);
    if (result != 0) {
        Warn(dialog, ResultMessage(result));
    } else if (!FillList(dialog)) {
        Warn(dialog, kLoadFailed);
    }
}

void Finish(HWND dialog) {
    HWND list = GetDlgItem(dialog, kSmsList);
    std::u16string path;
    if (g_state.backup) {
        path = GetWindowText(GetDlgItem(dialog, kSmsPathBox), kPathMax);
        if (path.empty()) {
            Warn(dialog, u"Invalid file path. Please set a valid file path.");
            return;
        }
    } else if (TreeGetCount(list) == 0) {
        Warn(dialog, u"No SMS. Please firstly load SMS from a file, then try again.");
        return;
    }
    TreeViewChecks checks(list);
    if (!SyncChecksToTree(&checks, &ProgramSmsTree())) {
        Warn(dialog, kOperationFailed);
        return;
    }
    const ResultCode result = g_state.backup ? Run(dialog, OperationKind::ExportSms, path)
                                             : Run(dialog, OperationKind::RestoreSms);
    if (result != 0) {
        Warn(dialog, ResultMessage(result));
        return;
    }
    MessageBox(dialog, g_state.backup ? u"Export succeeded." : u"Import succeeded.", u"Success",
               MB_ICONINFORMATION);
    EndAndRelease(dialog, kDoneKey);
}

LRESULT Command(HWND dialog, int id) {
    switch (id) {
        case kSmsChangePath:
            if (g_state.backup) {
                ChooseExportFile(dialog);
            } else {
                LoadDataFile(dialog);
            }
            return TRUE;
        case IDOK:
        case kDoneKey:
            Finish(dialog);
            return TRUE;
        case kDialogHelp:
            ShowHelpAt(g_state.backup ? u"Backup SMS" : u"Restore SMS");
            return TRUE;
        case kDialogCancel:
            EndAndRelease(dialog, kDialogCancel);
            return TRUE;
    }
    return FALSE;
}

// Only a click on a check box counts; a click on the text changes no tick.
void NoteClick(HWND dialog, const NMHDR& header) {
    if (header.code != NM_CLICK || header.idFrom != static_cast<std::uintptr_t>(kSmsList)) return;
    HWND list = GetDlgItem(dialog, kSmsList);
    TVHITTESTINFO hit;
    hit.pt = ScreenToClient(list, header.ptScreen);
    HTREEITEM item = TreeHitTest(list, hit);
    if (item != nullptr && (hit.flags & TVHT_ONITEMSTATEICON) != 0) {
        PostMessage(dialog, WM_CHECKCLICKED, 0, reinterpret_cast<LPARAM>(item));
    }
}

}  // namespace

LRESULT SmsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Initialise(dialog, lParam);
            return TRUE;
        case WM_PAINT:
            Paint(dialog);
            return TRUE;
        case WM_SETTINGCHANGE:
            UpdateDialogScrollBar(dialog, g_contentHeight);
            return FALSE;
        case WM_VSCROLL:
            ScrollDialogForMessage(dialog, wParam, ScrollRedraw::Redrawing);
            return TRUE;
        case WM_NOTIFY:
            if (lParam != 0) NoteClick(dialog, *reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;
        case WM_CHECKCLICKED: {
            TreeViewChecks checks(GetDlgItem(dialog, kSmsList));
            PropagateCheckClick(checks, reinterpret_cast<CheckItem>(lParam));
            return TRUE;
        }
        case WM_COMMAND:
            return Command(dialog, LOWORD(wParam));
        case WM_CLOSE:
            EndAndRelease(dialog, 0);
            return TRUE;
    }
    return FALSE;
}
