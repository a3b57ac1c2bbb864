#pragma once
// The program's one top-level screen: five stacked buttons under the picture banner, and the
// "Exit" / "Menu" soft keys.

#include <cstdint>

#include "platform/ui/ui_types.h"

constexpr int kMainPanelTemplate = 110;

// Commands of the panel's soft keys and menu.
constexpr int kExitCommand = 40000;
constexpr int kCopySimCommand = 32804;
constexpr int kHelpCommand = 32785;
constexpr int kAboutCommand = 32786;

LRESULT MainPanelProc(HWND panel, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// The panel's content height once computed (0 before the first panel opened); fixed after that.
int PanelContentHeight();
