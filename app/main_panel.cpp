#include "app/main_panel.h"

#include <memory>
#include <optional>

#include "app/about_box.h"
#include "app/dialog_helpers.h"
#include "app/dialog_procs.h"
#include "app/program_pictures.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "core/operation_summary.h"
#include "dialog_math/dialog_math.h"
#include "platform/text.h"
#include "sms/sms_tree.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/shell.h"

namespace {

constexpr LPARAM kBackupMode = 1;
constexpr LPARAM kRestoreMode = 0;
constexpr std::u16string_view kTitle = u"Velloro";

// The panel's window state; it also holds the program's message tree, which the SMS dialog is
// handed and which ends with the panel, that is with the program.
struct MainPanelState : WindowData {
    int contentHeight = 0;
    SHACTIVATEINFO activation;
    SmsTree smsTree;
};

MainPanelState& State(HWND panel) {
    // Attached first thing at WM_INITDIALOG.
    return *dynamic_cast<MainPanelState*>(GetWindowData(panel));
}

int ButtonHeight(HWND panel) {
    return GetWindowRect(GetDlgItem(panel, kMainPanelButtons[0])).Height();
}

void ComputeContentHeight(HWND panel) {
    const int textHeight = GetDC(panel).GetTextMetrics().tmHeight;
    State(panel).contentHeight =
        MainPanelContentHeight(Pictures().Sizes().bannerHeight, textHeight, ButtonHeight(panel));
}

void PaintPictures(DeviceContext& dc, const MainPanelLayout& layout) {
    const ProgramPictures& pictures = Pictures();
    if (!pictures.AllLoaded()) return;
    DeviceContext surface = CreateCompatibleSurface(dc, layout.surfaceWidth, layout.surfaceHeight);
    if (!surface.valid()) return;
    surface.StretchBlt(layout.headerFill, pictures.headerFill);
    surface.BitBlt(layout.banner.left, layout.banner.top, pictures.banner);
    surface.StretchBlt(layout.bodyFill, pictures.bodyFill);
    const Font bold = CreateBoldFont();
    surface.SelectFont(&bold);
    RECT titleRect = layout.title.rect;
    surface.DrawText(kTitle, titleRect, layout.title.format);
    dc.BitBlt(0, 0, layout.surfaceWidth, layout.surfaceHeight, surface);
}

void Paint(HWND panel) {
    DeviceContext dc = BeginPaint(panel);
    const RECT client = GetClientRect(panel);
    const MainPanelLayout layout =
        LayOutMainPanel(kMainPanelButtons, client.Width(), client.Height(),
                        State(panel).contentHeight, dc.GetTextMetrics().tmHeight,
                        ButtonHeight(panel), Pictures().Sizes(), DialogScrollOffset(panel));
    PaintPictures(dc, layout);
    for (const ControlPlacement& button : layout.buttons) {
        MoveWindow(GetDlgItem(panel, button.id), button.rect.left, button.rect.top,
                   button.rect.Width(), button.rect.Height(), false);
    }
}

void CopySimContacts(HWND panel) {
    if (MessageBox(panel, u"Do you want to copy all SIM contacts to phone memory?", u"Confirm",
                   MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    UpdateWindow(panel);
    OperationRequest request;
    request.owner = panel;
    request.kind = static_cast<std::uint32_t>(OperationKind::CopySimToPhone);
    OperationSummary summary;
    request.summary = &summary;
    const ResultCode result = RunOperation(request);
    if (result == 0) {
        MessageBox(panel, SuccessTextWithSummary(u"Copy succeeded.", summary), u"Success",
                   MB_ICONINFORMATION);
        return;
    }
    const std::u16string text = ResultMessage(result);
    MessageBox(panel, LimitedText(text, kResultMessageMaxText), std::nullopt, MB_ICONEXCLAMATION);
}

// Each child dialog sets its own title; the panel's comes back when it closes.
void OpenChild(HWND panel, int templateId, DialogProc proc, LPARAM param) {
    DialogBoxParam(templateId, panel, std::move(proc), param);
    SHSetNavBarText(panel, kTitle);
}

LRESULT OnCommand(HWND panel, int command) {
    switch (command) {
        case IDOK:
        case kExitCommand:
            EndDialog(panel, 0);
            return TRUE;
        case kBackupContactsButton:
            OpenChild(panel, kContactsTemplate, ContactsDialogProc, kBackupMode);
            break;
        case kRestoreContactsButton:
            OpenChild(panel, kContactsTemplate, ContactsDialogProc, kRestoreMode);
            break;
        case kBackupSmsButton:
            OpenChild(panel, kSmsTemplate, SmsDialogFor(State(panel).smsTree), kBackupMode);
            break;
        case kRestoreSmsButton:
            OpenChild(panel, kSmsTemplate, SmsDialogFor(State(panel).smsTree), kRestoreMode);
            break;
        case kOptionsButton:
            OpenChild(panel, kOptionsTemplate, OptionsDialogProc, 0);
            break;
        case kAboutCommand:
            OpenChild(panel, kAboutBoxTemplate, AboutBoxProc, 0);
            break;
        case kHelpCommand:
            ShowHelpAt(u"Main_Contents");
            break;
        case kCopySimCommand:
            CopySimContacts(panel);
            break;
    }
    return FALSE;
}

}  // namespace

int PanelContentHeight(HWND panel) {
    auto* state = dynamic_cast<MainPanelState*>(GetWindowData(panel));
    return state == nullptr ? 0 : state->contentHeight;
}

LRESULT MainPanelProc(HWND panel, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowData(panel, std::make_unique<MainPanelState>());
            SHInitDialog(panel, SHIDIF_STANDARD);
            SHCreateMenuBar(panel, kMainMenuBar);
            ComputeContentHeight(panel);
            UpdateDialogScrollBar(panel, State(panel).contentHeight);
            return TRUE;
        case WM_ACTIVATE:
            SHHandleWMActivate(panel, wParam, lParam, &State(panel).activation, 0);
            return FALSE;
        case WM_SETTINGCHANGE:
            SHHandleWMSettingChange(panel, wParam, lParam, &State(panel).activation);
            UpdateDialogScrollBar(panel, State(panel).contentHeight);
            return FALSE;
        case WM_PAINT:
            Paint(panel);
            return TRUE;
        case WM_VSCROLL:
            ScrollDialogForMessage(panel, wParam, ScrollRedraw::NonRedrawing);
            return TRUE;
        case WM_CLOSE:
            EndDialog(panel, 0);
            return TRUE;
        case WM_COMMAND:
            return OnCommand(panel, LOWORD(wParam));
    }
    return FALSE;
}
