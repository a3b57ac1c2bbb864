// The SMS page in backup mode (creation parameter non-zero: read the store, tick, export) and
// restore mode (0: load a data file, tick, write back into the store). Every step that touches
// the store or a file runs behind the progress window; this page owns the list and its ticks.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_helpers.h"
#include "app/dialog_procs.h"
#include "app/file_page.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "app/sms_tree_view.h"
#include "core/operation_request.h"
#include "core/operation_summary.h"
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

struct SmsDialogState : FilePageState {
    SmsTree* tree = nullptr;
    // What the loaded file held that is no message (an Android XML's MMS, calls, unknown
    // attributes), said again when its messages are restored.
    std::u16string skippedInFile;
};

SmsDialogState& State(HWND dialog) {
    // Attached first thing at WM_INITDIALOG; nothing reaches the page before that.
    return *dynamic_cast<SmsDialogState*>(GetWindowData(dialog));
}

SmsTree& Tree(HWND dialog) {
    return *State(dialog).tree;
}

void Warn(HWND dialog, std::u16string_view text) {
    MessageBox(dialog, text, std::nullopt, MB_ICONEXCLAMATION);
}

ResultCode Run(HWND dialog, OperationKind kind, std::u16string path = {},
               OperationSummary* summary = nullptr) {
    OperationRequest request;
    request.owner = dialog;
    request.kind = static_cast<std::uint32_t>(kind);
    request.path = std::move(path);
    request.smsTree = &Tree(dialog);
    request.summary = summary;
    return RunOperation(request);
}

bool FillList(HWND dialog) {
    HWND list = GetDlgItem(dialog, kSmsList);
    TreeViewChecks checks(list);
    TreeSetRedraw(list, false);
    const bool filled = FillSmsTreeView(Tree(dialog).root.get(), &checks, nullptr);
    TreeSetRedraw(list, true);
    return filled;
}

// The list draws its labels from the tree's nodes, so the two are emptied together.
void ClearListAndTree(HWND dialog) {
    TreeDeleteAllItems(GetDlgItem(dialog, kSmsList));
    ClearSmsTree(Tree(dialog));
}

void ReadStore(HWND dialog) {
    const ResultCode result = Run(dialog, OperationKind::ReadSmsFromStore);
    if (result != 0) {
        ClearSmsTree(Tree(dialog));
        Warn(dialog, ResultMessage(result));
        return;
    }
    if (!FillList(dialog)) {
        ClearListAndTree(dialog);
        Warn(dialog, kLoadFailed);
    }
}

void Initialise(HWND dialog, LPARAM mode, SmsTree& tree) {
    auto owned = std::make_unique<SmsDialogState>();
    SmsDialogState& state = *owned;
    SetWindowData(dialog, std::move(owned));
    state.tree = &tree;
    state.backup = mode != 0;
    state.helpAnchor = state.backup ? u"Backup SMS" : u"Restore SMS";
    SHInitDialog(dialog, SHIDIF_STANDARD);
    SHCreateMenuBar(dialog, kDialogMenuBar);
    SHSetNavBarText(dialog, state.backup ? u"Export SMS" : u"Import SMS");
    SetDlgItemText(dialog, kSmsTargetLabel, state.backup ? u"Export to:" : u"Import from:");

    state.bold = CreateBoldFont();
    state.normal = CreateNormalFont();
    for (int id : {kSmsTargetLabel, kSmsListLabel})
        SetWindowFont(GetDlgItem(dialog, id), state.bold, true);
    for (int id : {kSmsChangePath, kSmsPathBox, kSmsList})
        SetWindowFont(GetDlgItem(dialog, id), state.normal, true);

    const int textHeight = GetDC(dialog).GetTextMetrics().tmHeight;
    const int buttonHeight = GetWindowRect(GetDlgItem(dialog, kSmsChangePath)).Height();
    state.contentHeight = SmsDialogContentHeight(textHeight, buttonHeight);
    UpdateDialogScrollBar(dialog, state.contentHeight);
    if (state.backup) ReadStore(dialog);
}

void Paint(HWND dialog) {
    DeviceContext dc = BeginPaint(dialog);
    const int buttonHeight = GetWindowRect(GetDlgItem(dialog, kSmsChangePath)).Height();
    for (const ControlPlacement& p :
         LayOutSmsDialog(kSmsColumn, GetClientRect(dialog).Width(), buttonHeight,
                         dc.GetTextMetrics().tmHeight, DialogScrollOffset(dialog))) {
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
    ofn.initialDir = StartFolderFor(dialog, kSmsPathBox);
    if (!GetSaveFileName(ofn)) {
        ForgetRefusedPath(dialog, kSmsPathBox);
        return;
    }
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
    ofn.initialDir = StartFolderFor(dialog, kSmsPathBox);
    if (!GetOpenFileName(ofn)) {
        ForgetRefusedPath(dialog, kSmsPathBox);
        return;
    }
    if (!TreeDeleteAllItems(GetDlgItem(dialog, kSmsList))) {
        Warn(dialog, kOperationFailed);
        return;
    }
    ClearSmsTree(Tree(dialog));
    State(dialog).skippedInFile.clear();
    SetDlgItemText(dialog, kSmsPathBox, ofn.file);
    OperationSummary loaded;
    const ResultCode result = Run(dialog, OperationKind::LoadSmsDataFile, ofn.file, &loaded);
    if (result == 0) State(dialog).skippedInFile = SummarySkippedLine(loaded);
    if (result != 0) {
        Warn(dialog, ResultMessage(result));
    } else if (!FillList(dialog)) {
        Warn(dialog, kLoadFailed);
    }
}

const FilePageSteps& Steps();

void Finish(HWND dialog) {
    HWND list = GetDlgItem(dialog, kSmsList);
    const bool backup = State(dialog).backup;
    std::u16string path;
    if (backup) {
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
    if (!SyncChecksToTree(&checks, &Tree(dialog))) {
        Warn(dialog, kOperationFailed);
        return;
    }
    OperationSummary summary;
    const ResultCode result = backup ? Run(dialog, OperationKind::ExportSms, path, &summary)
                                     : Run(dialog, OperationKind::RestoreSms, {}, &summary);
    if (result != 0) {
        Warn(dialog, ResultMessage(result));
        return;
    }
    std::u16string text =
        SuccessTextWithSummary(backup ? u"Export succeeded." : u"Import succeeded.", summary);
    if (!backup && !State(dialog).skippedInFile.empty())
        text += u"\n" + State(dialog).skippedInFile;
    MessageBox(dialog, text, u"Success", MB_ICONINFORMATION);
    EndFilePage(Steps(), dialog, kDoneKey);
}

void ChangePath(HWND dialog) {
    if (State(dialog).backup) {
        ChooseExportFile(dialog);
    } else {
        LoadDataFile(dialog);
    }
}

// WM_INITDIALOG needs the tree the page was handed, so SmsDialogProc handles it itself.
void InitialiseUnused(HWND, LPARAM) {}

const FilePageSteps& Steps() {
    static constexpr FilePageSteps kSteps{InitialiseUnused, Paint,          ChangePath, Finish,
                                          ClearListAndTree, kSmsChangePath, 0};
    return kSteps;
}

// Only a click on a check box counts; a click on the text changes no tick.
void NoteClick(HWND dialog, const NMHDR& header) {
    HWND list = GetDlgItem(dialog, kSmsList);
    TVHITTESTINFO hit;
    hit.pt = ScreenToClient(list, header.ptScreen);
    HTREEITEM item = TreeHitTest(list, hit);
    if (item != nullptr && (hit.flags & TVHT_ONITEMSTATEICON) != 0) {
        PostMessage(dialog, WM_CHECKCLICKED, 0, reinterpret_cast<LPARAM>(item));
    }
}

LRESULT Notify(HWND dialog, NMHDR& header) {
    if (header.idFrom != static_cast<std::uintptr_t>(kSmsList)) return FALSE;
    switch (header.code) {
        case NM_CLICK:
            NoteClick(dialog, header);
            break;
        case TVN_KEYDOWN:
            // Space toggles the current item's box; it then propagates as a click does.
            if (reinterpret_cast<NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
                HTREEITEM item = TreeGetNextItem(GetDlgItem(dialog, kSmsList), nullptr, TVGN_CARET);
                if (item != nullptr)
                    PostMessage(dialog, WM_CHECKCLICKED, 0, reinterpret_cast<LPARAM>(item));
            }
            break;
        case TVN_GETDISPINFO: {
            auto& info = reinterpret_cast<NMTVDISPINFO&>(header);
            if (info.lParam != 0 && info.text != nullptr)
                *info.text = SmsItemLabel(*reinterpret_cast<const SmsNode*>(info.lParam));
            break;
        }
    }
    return FALSE;
}

}  // namespace

LRESULT SmsDialogProc(SmsTree& tree, HWND dialog, std::uint32_t message, WPARAM wParam,
                      LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Initialise(dialog, lParam, tree);
            return TRUE;
        case WM_NOTIFY:
            if (lParam != 0) return Notify(dialog, *reinterpret_cast<NMHDR*>(lParam));
            return FALSE;
        case WM_CHECKCLICKED: {
            HWND list = GetDlgItem(dialog, kSmsList);
            TreeViewChecks checks(list);
            // Every tick of the propagation reaches the view at once, in one repaint.
            TreeSetRedraw(list, false);
            PropagateCheckClick(checks, reinterpret_cast<CheckItem>(lParam));
            TreeSetRedraw(list, true);
            return TRUE;
        }
    }
    return DispatchFilePage(Steps(), dialog, message, wParam, lParam);
}

DialogProc SmsDialogFor(SmsTree& tree) {
    return [&tree](HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
        return SmsDialogProc(tree, dialog, message, wParam, lParam);
    };
}
