#pragma once
// What every full-screen dialog shares: its two fonts, text wrapping for painted paragraphs, and
// the vertical scroll bar that appears when the content is taller than the window. The numbers
// come from shell/dialog_math.h; these apply them to real windows.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/drawing.h"
#include "ui/ui_types.h"

// The stock system font, as is or bold. The caller keeps the font as long as it draws with it.
Font CreateNormalFont();
Font CreateBoldFont();

// Breaks text in place into lines that fit rect's width in dc's selected font (between
// characters, not at words). Returns 0, or -1 with text unchanged when dc cannot measure.
// lineCount, when not null, receives the number of lines.
int WrapTextToWidth(DeviceContext& dc, std::u16string& text, const RECT& rect, int* lineCount);

// Slices text in place every (rect width / dc's average character width) characters. Returns 0,
// or -1 with text unchanged and one line when dc gives no usable average width.
int WrapTextByAverageWidth(DeviceContext& dc, std::u16string& text, const RECT& rect,
                           int& lineCount);

// Gives the dialog a vertical scroll bar when contentHeight exceeds its window's height, removes
// it otherwise; the content is first scrolled back to the top. Call at initialisation and on
// every WM_SETTINGCHANGE.
void UpdateDialogScrollBar(HWND dialog, int contentHeight);

enum class ScrollRedraw {
    Redrawing,     // the bar redraws at once; the content is invalidated
    NonRedrawing,  // the bar redraws later; the content is invalidated and erased
};

// WM_VSCROLL: moves the bar's position by the scroll code (SB_*) and scrolls the painted content;
// the controls are left for the next paint to place.
void ScrollDialogVertically(HWND dialog, int scrollCode, int thumbPosition, ScrollRedraw variant);

// The same, straight from WM_VSCROLL's wParam (the code in its low word, the thumb in its high).
void ScrollDialogForMessage(HWND dialog, WPARAM wParam, ScrollRedraw variant);

// Starts the help viewer on the program's help page at the anchor, as every screen's Help does.
void ShowHelpAt(std::u16string_view anchor);

// The vertical offset a paint applies to everything: 0, or minus the scroll position while the
// dialog has a scroll bar.
int DialogScrollOffset(HWND dialog);
