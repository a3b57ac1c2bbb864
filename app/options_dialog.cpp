// The Options page: the order in which the SMS text and CSV exports write each folder. The
// setting lives only in the registry; the page reads it on opening and writes it on Done.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/dialog_helpers.h"
#include "app/dialog_procs.h"
#include "app/resource_ids.h"
#include "dialog_math/dialog_math.h"
#include "sms/export_order.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/drawing.h"
#include "ui/message_box.h"
#include "ui/shell.h"

namespace {

constexpr std::u16string_view kExplanation =
    u"SMS messages can be exported to files in sequence. Please designate the sequence "
    u"parameters.";

// The page's window state: the shell's own record for it, apart from the main panel's.
struct OptionsDialogState : WindowData {
    SHACTIVATEINFO activation;
};

SHACTIVATEINFO* Activation(HWND dialog) {
    auto* state = dynamic_cast<OptionsDialogState*>(GetWindowData(dialog));
    return state == nullptr ? nullptr : &state->activation;
}

// The explanation wrapped to the current width; the line count drives both the paint and the
// content height, so both wrap the same way.
int WrapExplanation(DeviceContext& dc, std::u16string& text, int clientWidth) {
    const TEXTMETRIC tm = dc.GetTextMetrics();
    return WrapOptionsExplanation(text, clientWidth, tm.tmAveCharWidth,
                                  [&dc](std::u16string_view line) -> std::optional<int> {
                                      RECT r;
                                      if (dc.DrawText(line, r, DT_CALCRECT) == 0) {
                                          return std::nullopt;
                                      }
                                      return r.Width();
                                  });
}

int BoxHeight(HWND dialog, int id) {
    return GetWindowRect(GetDlgItem(dialog, id)).Height();
}

int ContentHeight(HWND dialog) {
    DeviceContext dc = GetDC(dialog);
    const TEXTMETRIC tm = dc.GetTextMetrics();
    std::u16string text(kExplanation);
    const int lines = WrapExplanation(dc, text, GetClientRect(dialog).Width());
    return OptionsContentHeight(lines, tm.tmHeight, tm.tmAveCharWidth, BoxHeight(dialog, kSortBox),
                                BoxHeight(dialog, kSequenceBox));
}

void FillBoxes(HWND dialog) {
    HWND sortBox = GetDlgItem(dialog, kSortBox);
    HWND sequenceBox = GetDlgItem(dialog, kSequenceBox);
    ComboAddString(sortBox, u"Date and time");
    ComboAddString(sortBox, u"Sender/Recipients Name");
    ComboAddString(sequenceBox, u"Ascending");
    ComboAddString(sequenceBox, u"Descending");
    std::uint32_t sortBy = 1;
    std::uint32_t sequence = 1;
    ReadExportOrder(sortBy, sequence);
    // A stored value outside 1 and 2 falls outside the list and leaves no selection.
    ComboSetCurSel(sortBox, static_cast<int>(sortBy - 1));
    ComboSetCurSel(sequenceBox, static_cast<int>(sequence - 1));
}

void Paint(HWND dialog) {
    DeviceContext dc = BeginPaint(dialog);
    const TEXTMETRIC tm = dc.GetTextMetrics();
    const int width = GetClientRect(dialog).Width();
    std::u16string text(kExplanation);
    const int lines = WrapExplanation(dc, text, width);
    const OptionsLayout layout = LayOutOptionsDialog(
        width, tm.tmHeight, tm.tmAveCharWidth, lines, BoxHeight(dialog, kSortBox),
        BoxHeight(dialog, kSequenceBox), DialogScrollOffset(dialog));

    RECT r = layout.explanation.rect;
    dc.DrawText(text, r, layout.explanation.format);
    const Font bold = CreateBoldFont();
    dc.SelectFont(&bold);
    r = layout.sortByHeading.rect;
    dc.DrawText(u"Sort by", r, layout.sortByHeading.format);
    r = layout.sequenceHeading.rect;
    dc.DrawText(u"Sequence", r, layout.sequenceHeading.format);
    dc.SelectFont(nullptr);
    for (const auto& [id, rect] :
         {std::pair{kSortBox, layout.sortBox}, std::pair{kSequenceBox, layout.sequenceBox}}) {
        MoveWindow(GetDlgItem(dialog, id), rect.left, rect.top, rect.Width(), rect.Height(), false);
    }
}

bool Save(HWND dialog) {
    const int sortBy = ComboGetCurSel(GetDlgItem(dialog, kSortBox));
    const int sequence = ComboGetCurSel(GetDlgItem(dialog, kSequenceBox));
    if (sortBy == CB_ERR || sequence == CB_ERR) {
        MessageBox(dialog, u"Please designate the sequence parameters.", std::nullopt,
                   MB_ICONEXCLAMATION);
        return false;
    }
    WriteExportOrder(static_cast<std::uint32_t>(sortBy + 1),
                     static_cast<std::uint32_t>(sequence + 1));
    return true;
}

LRESULT Command(HWND dialog, int id) {
    switch (id) {
        case IDOK:
        case kDoneKey:
            if (Save(dialog)) EndDialog(dialog, 0);
            return TRUE;
        case kDialogHelp:
            ShowHelpAt(u"Options");
            EndDialog(dialog, 0);
            return TRUE;
        case kDialogCancel:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

LRESULT OptionsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowData(dialog, std::make_unique<OptionsDialogState>());
            SHInitDialog(dialog, SHIDIF_STANDARD);
            SHCreateMenuBar(dialog, kDialogMenuBar);
            UpdateDialogScrollBar(dialog, ContentHeight(dialog));
            FillBoxes(dialog);
            return TRUE;
        case WM_ACTIVATE:
            SHHandleWMActivate(dialog, wParam, lParam, Activation(dialog), 0);
            return FALSE;
        case WM_SETTINGCHANGE:
            SHHandleWMSettingChange(dialog, wParam, lParam, Activation(dialog));
            UpdateDialogScrollBar(dialog, ContentHeight(dialog));
            return FALSE;
        case WM_PAINT:
            Paint(dialog);
            return TRUE;
        case WM_VSCROLL:
            ScrollDialogForMessage(dialog, wParam, ScrollRedraw::NonRedrawing);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        case WM_COMMAND:
            return Command(dialog, LOWORD(wParam));
    }
    return FALSE;
}
