// The contacts page: backs contacts up to a file (creation parameter 1) or restores them from one
// (0). It only collects a path and a contact type; the job runs behind the progress window.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_helpers.h"
#include "app/dialog_procs.h"
#include "app/file_page.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "core/operation_request.h"
#include "core/operation_summary.h"
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

struct ContactsDialogState : FilePageState {
    const ModeTexts* texts = &kBackupTexts;
};

ContactsDialogState& State(HWND dialog) {
    // Attached first thing at WM_INITDIALOG, and the page gets no command before that.
    return *dynamic_cast<ContactsDialogState*>(GetWindowData(dialog));
}

const ModeTexts& Texts(HWND dialog) {
    return *State(dialog).texts;
}

void Initialise(HWND dialog, LPARAM mode) {
    auto owned = std::make_unique<ContactsDialogState>();
    ContactsDialogState& state = *owned;
    SetWindowData(dialog, std::move(owned));
    state.backup = mode != 0;
    state.texts = state.backup ? &kBackupTexts : &kRestoreTexts;
    state.helpAnchor = state.texts->helpAnchor;
    SHInitDialog(dialog, SHIDIF_STANDARD);
    SHCreateMenuBar(dialog, kDialogMenuBar);
    SHSetNavBarText(dialog, Texts(dialog).title);
    SetDlgItemText(dialog, kContactsTargetLabel, Texts(dialog).targetLabel);
    SetDlgItemText(dialog, kContactsTypeLabel, Texts(dialog).typeLabel);

    HWND combo = GetDlgItem(dialog, kContactsTypeCombo);
    for (std::u16string_view item : {u"SIM", u"Phone", u"SIM + Phone"})
        ComboAddString(combo, item);

    state.bold = CreateBoldFont();
    state.normal = CreateNormalFont();
    for (int id : {kContactsTargetLabel, kContactsTypeLabel})
        SetWindowFont(GetDlgItem(dialog, id), state.bold, true);
    for (int id : {kContactsChangePath, kContactsPathBox, kContactsTypeCombo})
        SetWindowFont(GetDlgItem(dialog, id), state.normal, true);

    state.contentHeight = ContactsDialogContentHeight(
        GetWindowRect(GetDlgItem(dialog, kContactsChangePath)).Height());
    UpdateDialogScrollBar(dialog, state.contentHeight);
}

void Paint(HWND dialog) {
    DeviceContext dc = BeginPaint(dialog);
    const int buttonHeight = GetWindowRect(GetDlgItem(dialog, kContactsChangePath)).Height();
    const int comboHeight = GetWindowRect(GetDlgItem(dialog, kContactsTypeCombo)).Height();
    for (const ControlPlacement& p :
         LayOutContactsDialog(kContactsColumn, GetClientRect(dialog).Width(), buttonHeight,
                              comboHeight, DialogScrollOffset(dialog))) {
        MoveWindow(GetDlgItem(dialog, p.id), p.rect.left, p.rect.top, p.rect.Width(),
                   p.rect.Height(), false);
    }
}

void ChooseFile(HWND dialog) {
    const bool backup = State(dialog).backup;
    OPENFILENAME ofn;
    ofn.hwndOwner = dialog;
    if (backup) {
        ofn.filters = {{u"Text File (*.txt) For restore", u"*.txt"},
                       {u"CSV File (*.csv)", u"*.csv"},
                       {u"vCard File (*.vcf)", u"*.vcf"}};
    } else {
        ofn.filters = {{u"Text File (*.txt)", u"*.txt"}, {u"vCard File (*.vcf)", u"*.vcf"}};
    }
    ofn.nMaxFile = kPathMax;
    ofn.defExt = u"txt";
    ofn.initialDir = StartFolderFor(dialog, kContactsPathBox);
    const bool chosen = backup ? GetSaveFileName(ofn) : GetOpenFileName(ofn);
    if (chosen) {
        SetDlgItemText(dialog, kContactsPathBox, ofn.file);
    } else {
        ForgetRefusedPath(dialog, kContactsPathBox);
    }
}

const FilePageSteps& Steps();

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
    request.kind = static_cast<std::uint32_t>(Texts(dialog).kind);
    request.path = path;
    request.contactType = selected + 1;  // SIM, Phone, SIM + Phone in list order
    OperationSummary summary;
    request.summary = &summary;
    const ResultCode result = RunOperation(request);
    if (result == 0) {
        MessageBox(dialog, SuccessTextWithSummary(Texts(dialog).success, summary), u"Success",
                   MB_ICONINFORMATION);
        EndFilePage(Steps(), dialog, kDoneKey);
        return;
    }
    MessageBox(dialog, ResultMessage(result), std::nullopt, MB_ICONEXCLAMATION);
}

const FilePageSteps& Steps() {
    static constexpr FilePageSteps kSteps{
        Initialise, Paint, ChooseFile, Run, nullptr, kContactsChangePath, kClosedResult};
    return kSteps;
}

}  // namespace

LRESULT ContactsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    return DispatchFilePage(Steps(), dialog, message, wParam, lParam);
}
