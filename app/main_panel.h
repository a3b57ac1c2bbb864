#pragma once
// The program's one top-level screen: five stacked buttons under the picture banner, and the
// "Exit" / "Menu" soft keys.

#include <cstdint>

#include "ui/ui_types.h"

LRESULT MainPanelProc(HWND panel, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// The panel's content height once computed (0 before the first panel opened); fixed after that.
int PanelContentHeight();
