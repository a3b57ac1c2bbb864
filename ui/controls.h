#pragma once
// The controls of the dialogs, reached by their HWND (GetDlgItem). Every function answers
// failure (false, -1 or null) for a handle that is not a control of the expected kind.

#include <cstdint>
#include <string_view>

#include "platform/progress_bar.h"
#include "ui/ui_types.h"

class Font;

// WM_SETFONT: the control draws with a copy of font from now on.
bool SetWindowFont(HWND control, const Font& font, bool redraw);

// Creates a control at run time (the templates' controls exist already). className is a platform
// class name: "msctls_progress32", "STATIC", "BUTTON", "EDIT", "COMBOBOX" or "SysTreeView32".
HWND CreateControl(HWND dialog, std::u16string_view className, std::u16string_view text,
                   std::uint32_t style, int x, int y, int width, int height, int id);

// A progress bar control as the operations drive it: the four progress messages with their
// platform parameters. The bar repaints at once, so it advances while a job blocks the GUI thread.
// Owned by the control; valid while the control lives.
ProgressBar* ProgressBarOf(HWND control);
struct ProgressBarState {
    int min = 0;
    int max = 0;
    int pos = 0;
    int step = 0;
};
ProgressBarState GetProgressBarState(HWND control);

// Drop-down list combo box. Indexes are 0-based; -1 (CB_ERR) means none or failure. With CBS_SORT
// in its style, an added text goes where it sorts, ignoring letter case.
constexpr int CB_ERR = -1;
int ComboAddString(HWND combo, std::u16string_view text);
// An index outside the list clears the selection and answers CB_ERR.
int ComboSetCurSel(HWND combo, int index);
int ComboGetCurSel(HWND combo);
int ComboGetCount(HWND combo);
std::u16string ComboGetItemText(HWND combo, int index);

// Tree view with check boxes: state image 1 is unticked, 2 ticked. A click on a check box toggles
// it (as on the phone) and the dialog gets WM_NOTIFY NM_CLICK carrying the screen position.
// A null parent is the tree's root.
HTREEITEM TreeInsertItem(HWND tree, HTREEITEM parent, std::u16string_view text, std::uint32_t state,
                         std::uint32_t stateMask);
bool TreeDeleteAllItems(HWND tree);
int TreeGetCount(HWND tree);
// TVGN_ROOT (item ignored), TVGN_NEXT, TVGN_PREVIOUS, TVGN_PARENT, TVGN_CHILD; null when none.
HTREEITEM TreeGetNextItem(HWND tree, HTREEITEM item, int relation);
// The item's state bits within mask (only TVIS_STATEIMAGEMASK is kept); 0 for a bad item.
std::uint32_t TreeGetItemState(HWND tree, HTREEITEM item, std::uint32_t mask);
bool TreeSetItemState(HWND tree, HTREEITEM item, std::uint32_t state, std::uint32_t mask);
std::u16string TreeGetItemText(HWND tree, HTREEITEM item);
bool TreeExpand(HWND tree, HTREEITEM item, bool expand);
// info.pt in the tree's client coordinates; fills flags and hItem (TVHT_ONITEMSTATEICON when
// the point is on the item's check box).
HTREEITEM TreeHitTest(HWND tree, TVHITTESTINFO& info);
// The item's check box in the tree's client coordinates (empty when not visible).
RECT TreeGetCheckBoxRect(HWND tree, HTREEITEM item);
