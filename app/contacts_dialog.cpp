// The contacts page: backs contacts up to a file (creation parameter 1) or restores them from one
// (0). It only collects a path and a contact type; the job runs behind the progress window.

#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_helpers.h"
#include "app/dialog_procs.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "core/operation_request.h"
#include "core/result_code.h"
#include "dialog_math/dialog_math.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/drawing.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"

namespace {

constexpr LRESULT kClosedResult = 16;
// The path box's buffer holds 257 characters with its terminator.
constexpr std::size_t kPathMax = 256;

struct ModeTexts {
    std::u16string_view title;
    std::u16string_view targetLabel;
    std::u16string_view typeLabel;
    std::u16string_view success;
    std::u16string_view helpAnchor;
    OperationKind kind;
};

constexpr ModeTexts kBackupTexts{
    u"Export Contacts",   u"Export to:", u"Contact types to export:",
    u"Export succeeded.", u"Export",     OperationKind::ExportContacts};
constexpr ModeTexts kRestoreTexts{
    u"Import Contacts",   u"Import from:", u"Contact types to import:",
    u"Import succeeded.", u"Import",       OperationKind::ImportContacts};

// The dialog is modal and never open twice, so one state serves every opening.
struct ContactsDialogState {
    bool backup = true;
    Font bold;
    Font normal;
};
ContactsDialogState g_state;
// Measured once, at the first opening, and kept: the button's height does not change later.
int g_contentHeight = 0;

const ModeTexts& Texts() {
    return g_state.backup ? kBackupTexts : kRestoreTexts;
}

void EndAndRelease(HWND dialog, LRESULT result) {
    EndDialog(dialog, result);
    g_state.bold = Font();
    g_state.normal = Font();
}

void Initialise(HWND dialog, LPARAM mode) {
    g_state.backup = mode != 0;
    SHInitDialog(dialog, SHIDIF_STANDARD);
    SHCreateMenuBar(dialog, kDialogMenuBar);
    SHSetNavBarText(dialog, Texts().title);
    SetDlgItemText(dialog, kContactsTargetLabel, Texts().targetLabel);
    SetDlgItemText(dialog, kContactsTypeLabel, Texts().typeLabel);

    HWND combo = GetDlgItem(dialog, kContactsTypeCombo);
    for (std::u16string_view item : {u"SIM", u"Phone", u"SIM + Phone"})
        ComboAddString(combo, item);

    g_state.bold = CreateBoldFont();
    g_state.normal = CreateNormalFont();
    for (int id : {kContactsTargetLabel, kContactsTypeLabel})
        SetWindowFont(GetDlgItem(dialog, id), g_state.bold, true);
    for (int id : {kContactsChangePath, kContactsPathBox, kContactsTypeCombo})
        SetWindowFont(GetDlgItem(dialog, id), g_state.normal, true);

    if (g_contentHeight == 0) {
        g_contentHeight = ContactsDialogContentHeight(
            GetWindowRect(GetDlgItem(dialog, kContactsChangePath)).Height());
    }
    UpdateDialogScrollBar(dialog, g_contentHeight);
}

void Paint(HWND dialog) {
    DeviceContext dc = BeginPaint(dialog);
    const int buttonHeight = GetWindowRect(GetDlgItem(dialog, kContactsChangePath)).Height();
    const int comboHeight = GetWindowRect(GetDlgItem(dialog, kContactsTypeCombo)).Height();
    for (const ControlPlacement& p :
         LayOutContactsDialog(GetClientRect(dialog).Width(), buttonHeight, comboHeight,
                              DialogScrollOffset(dialog))) {
        MoveWindow(GetDlgItem(dialog, p.id), p.rect.left, p.rect.top, p.rect.Width(),
                   p.rect.Height(), false);
    }
}

void ChooseFile(HWND dialog) {
    OPENFILENAME ofn;
    ofn.hwndOwner = dialog;
    if (g_state.backup) {
        ofn.filters = {{u"Text File (*.txt) For restore", u"*.txt"},
                       {u"CSV File (*.csv)", u"*.csv"},
                       {u"vCard File (*.vcf)", u"*.vcf"}};
    } else {
        ofn.filters = {{u"Text File (*.txt)", u"*.txt"}, {u"vCard File (*.vcf)", u"*.vcf"}};
    }
    ofn.nMaxFile = kPathMax;
    ofn.defExt = u"txt";
    const bool chosen = g_state.backup ? GetSaveFileName(ofn) : GetOpenFileName(ofn);
    if (chosen) SetDlgItemText(dialog, kContactsPathBox, ofn.file);
}

void Run(HWND dialog) {
    const std::u16string path = GetWindowText(GetDlgItem(dialog, kContactsPathBox), kPathMax);
    if (path.empty()) {
        MessageBox(dialog, u"Invalid file path. Please set a valid file path.", std::nullopt,
                   MB_ICONEXCLAMATION);
        return;
    }
    const int selected = ComboGetCurSel(GetDlgItem(dialog, kContactsTypeCombo));
    if (selected < 0) {
        MessageBox(dialog, u"Invalid contact type. Please select a contact type.", std::nullopt,
                   MB_ICONEXCLAMATION);
        return;
    }
    OperationRequest request;
    request.owner = dialog;
    request.kind = static_cast<std::uint32_t>(Texts().kind);
    request.path = path;
    request.contactType = selected + 1;  // SIM, Phone, SIM + Phone in list order
    const ResultCode result = RunOperation(request);
    if (result == 0) {
        MessageBox(dialog, Texts().success, u"Success", MB_ICONINFORMATION);
        EndAndRelease(dialog, kDoneKey);
        return;
    }
    MessageBox(dialog, ResultMessage(result), std::nullopt, MB_ICONEXCLAMATION);
}

LRESULT Command(HWND dialog, int id) {
    switch (id) {
        case kContactsChangePath:
            ChooseFile(dialog);
            return TRUE;
        case kDialogHelp:
            ShowHelpAt(Texts().helpAnchor);
            return TRUE;
        case kDialogCancel:
            EndAndRelease(dialog, kDialogCancel);
            return TRUE;
        case kDoneKey:
        case IDOK:
            Run(dialog);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

LRESULT ContactsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
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
        case WM_COMMAND:
            return Command(dialog, LOWORD(wParam));
        case WM_CLOSE:
            EndAndRelease(dialog, kClosedResult);
            return TRUE;
    }
    return FALSE;
}
