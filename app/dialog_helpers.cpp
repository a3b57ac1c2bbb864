#include "app/dialog_helpers.h"

#include <optional>

#include "dialog_math/dialog_math.h"
#include "ui/dialog.h"
#include "ui/help_viewer.h"

namespace {

Font FontFromSystem(int weight) {
    LOGFONT lf = GetSystemLogFont();
    lf.weight = weight;
    return CreateFontIndirect(lf);
}

// A zero height from DrawText is the platform's failure to measure.
TextWidthFunction MeasureIn(DeviceContext& dc, const RECT& rect) {
    return [&dc, rect](std::u16string_view line) -> std::optional<int> {
        RECT measured = rect;
        if (dc.DrawText(line, measured, DT_CALCRECT) == 0) return std::nullopt;
        return measured.Width();
    };
}

}  // namespace

Font CreateNormalFont() {
    return FontFromSystem(GetSystemLogFont().weight);
}

Font CreateBoldFont() {
    return FontFromSystem(FW_BOLD);
}

int WrapTextToWidth(DeviceContext& dc, std::u16string& text, const RECT& rect, int* lineCount) {
    if (!dc.valid()) return -1;
    return WrapTextToWidth(text, rect, MeasureIn(dc, rect), lineCount);
}

int WrapTextByAverageWidth(DeviceContext& dc, std::u16string& text, const RECT& rect,
                           int& lineCount) {
    const int average = dc.valid() ? dc.GetTextMetrics().tmAveCharWidth : 0;
    return WrapTextByAverageWidth(text, rect, average, lineCount);
}

void UpdateDialogScrollBar(HWND dialog, int contentHeight) {
    const bool hasBar = (GetWindowStyle(dialog) & WS_VSCROLL) != 0;
    SCROLLINFO current;
    current.fMask = SIF_POS;
    const int position = hasBar && GetScrollInfo(dialog, SB_VERT, current) ? current.nPos : 0;
    const ScrollBarDecision decision =
        DecideDialogScrollBar(contentHeight, GetWindowRect(dialog).Height(), hasBar, position);

    if (decision.scrollBackBy != 0) {
        SetScrollPos(dialog, SB_VERT, 0, false);
        ScrollWindowEx(dialog, 0, decision.scrollBackBy, SW_SCROLLCHILDREN);
    }
    if (!decision.needsScrollBar) {
        SetWindowStyle(dialog, GetWindowStyle(dialog) & ~WS_VSCROLL);
        return;
    }
    SetWindowStyle(dialog, GetWindowStyle(dialog) | WS_VSCROLL);
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = decision.maximum;
    info.nPage = kScrollPage;
    info.nPos = 0;
    info.nTrackPos = 0;
    SetScrollInfo(dialog, SB_VERT, info, false);
}

void ScrollDialogVertically(HWND dialog, int scrollCode, int thumbPosition, ScrollRedraw variant) {
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(dialog, SB_VERT, info)) return;
    const ScrollBarInfo bar{info.nMax, static_cast<int>(info.nPage), info.nPos};
    const bool redrawing = variant == ScrollRedraw::Redrawing;
    const ScrollMove move = ScrollDialogPosition(bar, scrollCode, thumbPosition, redrawing);
    if (!move.changed) return;
    SetScrollPos(dialog, SB_VERT, move.newPosition, move.redrawBar);
    ScrollWindowEx(dialog, 0, move.scrollBy, SW_INVALIDATE | (move.erase ? SW_ERASE : 0u));
}

int DialogScrollOffset(HWND dialog) {
    if ((GetWindowStyle(dialog) & WS_VSCROLL) == 0) return 0;
    SCROLLINFO info;
    info.fMask = SIF_POS | SIF_TRACKPOS;
    return GetScrollInfo(dialog, SB_VERT, info) ? -info.nPos : 0;
}

void ScrollDialogForMessage(HWND dialog, WPARAM wParam, ScrollRedraw variant) {
    auto packed = static_cast<std::uint32_t>(wParam);
    ScrollDialogVertically(dialog, ScrollCodeOf(packed), ThumbPositionOf(packed), variant);
}

void ShowHelpAt(std::u16string_view anchor) {
    StartHelpViewer(std::u16string(u"\\Windows\\VelloroHelp.htm#") + std::u16string(anchor));
}
