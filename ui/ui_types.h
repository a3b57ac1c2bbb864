#pragma once
// The window system's vocabulary as the program's dialogs speak it: handles, rectangles, message
// numbers and flags keep their platform names and values, so dialog code reads like the phone's.
// Nothing here includes Qt.

#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/hwnd.h"

// A dialog's handler: one function for all its events, as a dialog procedure. It returns TRUE (1)
// when it handled the message; what the value means beyond that is per message, as below.
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr LRESULT TRUE = 1;
constexpr LRESULT FALSE = 0;

constexpr std::uint16_t LOWORD(std::uintptr_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
constexpr std::uint16_t HIWORD(std::uintptr_t v) {
    return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(std::uint32_t low, std::uint32_t high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// Messages a dialog handler receives. wParam and lParam as on the phone:
//  WM_INITDIALOG     lParam = the 32-bit creation parameter.
//  WM_PAINT          call BeginPaint for the paint surface; lay controls out here.
//  WM_COMMAND        LOWORD(wParam) = command or control id, HIWORD = notification code;
//                    lParam = the control's HWND as an integer (0 for menus, soft keys, Done).
//  WM_VSCROLL        LOWORD(wParam) = SB_* code, (int16_t)HIWORD(wParam) = thumb position.
//  WM_SETTINGCHANGE  the screen changed (rotation); window sizes are already the new ones.
//  WM_ACTIVATE       LOWORD(wParam) = WA_ACTIVE or WA_INACTIVE.
//  WM_CLOSE          the user closed the window; nothing happens unless the handler ends it.
//  WM_NOTIFY         wParam = control id, lParam = const NMHDR*.
//  WM_USER.. and WM_APP.. numbers: whatever the dialog posts to itself.
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_SETTINGCHANGE = 0x001A;
constexpr std::uint32_t WM_NOTIFY = 0x004E;
constexpr std::uint32_t WM_INITDIALOG = 0x0110;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_VSCROLL = 0x0115;
constexpr std::uint32_t WM_USER = 0x0400;
constexpr std::uint32_t WM_APP = 0x8000;

constexpr std::uint32_t WA_INACTIVE = 0;
constexpr std::uint32_t WA_ACTIVE = 1;

// Notification codes in HIWORD(wParam) of WM_COMMAND.
constexpr std::uint32_t BN_CLICKED = 0;
constexpr std::uint32_t CBN_SELCHANGE = 1;

// WM_NOTIFY. ptScreen is where the mouse was when the notification's click happened, in
// screen coordinates (what the phone's GetMessagePos gives during the notification).
struct NMHDR {
    HWND hwndFrom = nullptr;
    std::uintptr_t idFrom = 0;
    std::int32_t code = 0;
    POINT ptScreen;
};
constexpr std::int32_t NM_CLICK = -2;

// Window styles read by the layer.
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr std::uint32_t ES_READONLY = 0x0800;
constexpr std::uint32_t CBS_SORT = 0x0100;
constexpr std::uint32_t PBS_SMOOTH = 0x0001;
constexpr std::uint32_t TVS_CHECKBOXES = 0x0100;

// Vertical scroll bar.
constexpr int SB_VERT = 1;
constexpr int SB_LINEUP = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_ENDSCROLL = 8;

constexpr std::uint32_t SIF_RANGE = 0x01;
constexpr std::uint32_t SIF_PAGE = 0x02;
constexpr std::uint32_t SIF_POS = 0x04;
constexpr std::uint32_t SIF_TRACKPOS = 0x10;
constexpr std::uint32_t SIF_ALL = 0x17;

struct SCROLLINFO {
    std::uint32_t fMask = 0;
    int nMin = 0;
    int nMax = 0;
    std::uint32_t nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// ScrollWindowEx flags.
constexpr std::uint32_t SW_SCROLLCHILDREN = 0x0001;
constexpr std::uint32_t SW_INVALIDATE = 0x0002;
constexpr std::uint32_t SW_ERASE = 0x0004;

// Message boxes: flags and answers.
constexpr std::uint32_t MB_OK = 0x00;
constexpr std::uint32_t MB_YESNO = 0x04;
constexpr std::uint32_t MB_ICONERROR = 0x10;
constexpr std::uint32_t MB_ICONQUESTION = 0x20;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
constexpr std::uint32_t MB_TYPEMASK = 0x0F;
constexpr std::uint32_t MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// DrawText flags.
constexpr std::uint32_t DT_CENTER = 0x0001;
constexpr std::uint32_t DT_VCENTER = 0x0004;
constexpr std::uint32_t DT_BOTTOM = 0x0008;
constexpr std::uint32_t DT_SINGLELINE = 0x0020;
constexpr std::uint32_t DT_CALCRECT = 0x0400;
constexpr std::uint32_t DT_NOPREFIX = 0x0800;

// Tree view items, states, relations and hit-test flags.
struct TreeItem__;
using HTREEITEM = TreeItem__*;
constexpr std::uint32_t TVIS_STATEIMAGEMASK = 0xF000;
constexpr std::uint32_t INDEXTOSTATEIMAGEMASK(std::uint32_t index) {
    return index << 12;
}
constexpr std::uint32_t kStateUnticked = INDEXTOSTATEIMAGEMASK(1);
constexpr std::uint32_t kStateTicked = INDEXTOSTATEIMAGEMASK(2);
constexpr int TVGN_ROOT = 0;
constexpr int TVGN_NEXT = 1;
constexpr int TVGN_PREVIOUS = 2;
constexpr int TVGN_PARENT = 3;
constexpr int TVGN_CHILD = 4;
constexpr std::uint32_t TVHT_NOWHERE = 0x0001;
constexpr std::uint32_t TVHT_ONITEMLABEL = 0x0004;
constexpr std::uint32_t TVHT_ONITEMINDENT = 0x0008;
constexpr std::uint32_t TVHT_ONITEMRIGHT = 0x0020;
constexpr std::uint32_t TVHT_ONITEMSTATEICON = 0x0040;

struct TVHITTESTINFO {
    POINT pt;  // in, tree client coordinates
    std::uint32_t flags = 0;
    HTREEITEM hItem = nullptr;
};

// Soft-key bar button removal (sent to the bar a dialog got from SHCreateMenuBar).
constexpr std::uint32_t TB_DELETEBUTTON = 0x0416;
