#pragma once
// The phone's shell around the dialogs: one screen with a title bar (title, Done button) at the
// top and a two-key soft-key bar at the bottom. Full-screen dialogs fill the space between them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui_types.h"

// The bars' heights on the screen; full-screen dialogs get the rest.
constexpr int kTitleBarHeight = 52;
constexpr int kSoftKeyBarHeight = 52;

// SHInitDialog flags.
constexpr std::uint32_t SHIDIF_DONEBUTTON = 0x0001;
constexpr std::uint32_t SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr std::uint32_t SHIDIF_SIPDOWN = 0x0008;
constexpr std::uint32_t SHIDIF_STANDARD = 13;  // full screen, Done button, input panel lowered

// Once at start, before the others.
bool SHInitExtraControls();
// Full screen (the dialog follows the screen's size from now on) and, with SHIDIF_DONEBUTTON, a
// Done button that sends WM_COMMAND 1 while this dialog is on top. The title becomes the dialog's
// caption.
bool SHInitDialog(HWND dialog, std::uint32_t flags);
// The soft-key bar of menu-bar resource menuBarId under the dialog: its keys and menu items send
// WM_COMMAND to the dialog. Returns the bar's handle (for TB_DELETEBUTTON), null on failure.
HWND SHCreateMenuBar(HWND dialog, int menuBarId);
// The title the screen shows; it stays until set again, also after the dialog ends.
bool SHSetNavBarText(HWND dialog, std::u16string_view title);
// The shell's standard handling of WM_ACTIVATE and WM_SETTINGCHANGE; the activation record is
// the caller's three words, zero at start.
struct SHACTIVATEINFO {
    std::uint32_t cbSize = 12;
    std::uint32_t reserved1 = 0;
    std::uint32_t reserved2 = 0;
};
bool SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info,
                        std::uint32_t flags);
bool SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

// The frame window the program owns its first dialog with: the screen itself, titled title.
HWND CreateFrameWindow(std::u16string_view title);
// The program's icon, from image files of several sizes; false when none could be read.
bool SetProgramIcon(const std::vector<std::string>& imageFiles);

// Swaps the screen's width and height and sends WM_SETTINGCHANGE to every open dialog, lowest
// first, after all have their new size. Ctrl+R and the screen's menu do the same.
void RotateScreen();
// The screen's size in pixels (480 x 640 at first).
void SetScreenSize(int width, int height);
RECT GetScreenRect();
// The title bar's text and whether its Done button shows.
std::u16string GetScreenTitle();
bool IsDoneButtonShown();
