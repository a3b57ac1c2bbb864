#pragma once
// Modal dialogs from templates, and the windows they hold.
//
// A dialog is a template (resources/dialogs.json, found by number) plus a DialogProc. Opening one
// with DialogBoxParam shows it on the phone's screen and runs a nested event loop until the
// handler calls EndDialog; everything happens on the one GUI thread, so a dialog may open another
// from inside its own handler. Controls are windows too (HWND) and are reached by id.
//
//   LRESULT SampleProc(HWND dlg, uint32_t msg, WPARAM wParam, LPARAM lParam) {
//       switch (msg) {
//       case WM_INITDIALOG: SHInitDialog(dlg, SHIDIF_STANDARD); return TRUE;
//       case WM_COMMAND: if (LOWORD(wParam) == 1) { EndDialog(dlg, 1); return TRUE; } break;
//       }
//       return FALSE;
//   }
//   DialogBoxParam(109, owner, SampleProc, 1);

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ui/ui_types.h"

using DialogProc = std::function<LRESULT(HWND, std::uint32_t, WPARAM, LPARAM)>;

// Runs the dialog of template templateId modally over owner (null: the screen) and returns the
// value given to EndDialog, or -1 when the template is unknown or no screen can be made.
// Messages the handler does not handle get the platform's default: none of them ends the dialog.
LRESULT DialogBoxParam(int templateId, HWND owner, DialogProc proc, LPARAM param);
// Ends the dialog once its handler returns; later calls keep the first result.
bool EndDialog(HWND dialog, LRESULT result);

// Delivers the message to the dialog's handler after the current one returns and the queue has
// drained what was already in it. False when the window is gone.
bool PostMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// Calls the dialog's handler now (also accepts TB_DELETEBUTTON on a soft-key bar).
LRESULT SendMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);
HWND GetParent(HWND window);
bool IsWindow(HWND window);
bool IsWindowEnabled(HWND window);

// The text of a dialog (its caption), a static, a button or an edit box. GetWindowText keeps at
// most maxChars characters, as a buffer of maxChars + 1 with its terminator would.
bool SetWindowText(HWND window, std::u16string_view text);
std::u16string GetWindowText(HWND window, std::size_t maxChars);
bool SetDlgItemText(HWND dialog, int id, std::u16string_view text);

// Geometry. A control's rectangles are in its dialog's client coordinates for MoveWindow; a
// dialog's MoveWindow is in the coordinates of the screen's dialog area (between title bar and
// soft keys). GetWindowRect is in screen coordinates. The client area excludes the vertical scroll
// bar while the dialog has one.
RECT GetClientRect(HWND window);
RECT GetWindowRect(HWND window);
bool MoveWindow(HWND window, int x, int y, int width, int height, bool repaint);
POINT ScreenToClient(HWND window, POINT screenPoint);
POINT ClientToScreen(HWND window, POINT clientPoint);

// Repaints now (the handler's WM_PAINT runs before this returns), or later.
void UpdateWindow(HWND window);
void InvalidateRect(HWND window);

// The dialog's style word; WS_VSCROLL shows or hides its vertical scroll bar at once.
std::uint32_t GetWindowStyle(HWND window);
void SetWindowStyle(HWND window, std::uint32_t style);

// The dialog's own vertical scroll bar (bar must be SB_VERT). Positions are those the handler
// sets: user actions on the bar arrive as WM_VSCROLL and move nothing by themselves.
bool GetScrollInfo(HWND window, int bar, SCROLLINFO& info);
int SetScrollInfo(HWND window, int bar, const SCROLLINFO& info, bool redraw);
int SetScrollPos(HWND window, int bar, int pos, bool redraw);
// Scrolls the client area by dy; with SW_SCROLLCHILDREN the controls move with it, otherwise
// only the painted content is invalidated and the next paint places the controls.
void ScrollWindowEx(HWND window, int dx, int dy, std::uint32_t flags);

// Brings the screen (with whatever dialog it shows) to the front.
bool SetForegroundWindow(HWND window);
