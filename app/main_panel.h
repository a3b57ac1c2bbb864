#pragma once
// The program's one top-level screen: five stacked buttons under the picture banner, and the
// "Exit" / "Menu" soft keys.

#include <cstdint>

#include "ui/ui_types.h"

LRESULT MainPanelProc(HWND panel, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// The open panel's content height, measured when it opened; 0 for a window that is no panel.
int PanelContentHeight(HWND panel);
