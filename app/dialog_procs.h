#pragma once
// The handlers of the dialogs the main panel opens.

#include <cstdint>

#include "ui/dialog.h"
#include "ui/ui_types.h"

struct SmsTree;

// Template 109; the creation parameter is 1 for backup, 0 for restore.
LRESULT ContactsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// The SMS dialog over the message tree it is handed, which it fills, ticks and empties when it
// ends; the creation parameter is 1 for backup, 0 for restore.
LRESULT SmsDialogProc(SmsTree& tree, HWND dialog, std::uint32_t message, WPARAM wParam,
                      LPARAM lParam);
DialogProc SmsDialogFor(SmsTree& tree);
LRESULT OptionsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam);
