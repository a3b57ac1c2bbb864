#pragma once
// The handlers of the dialogs the main panel opens, and the message tree they share.

#include <cstdint>

#include "ui/ui_types.h"

struct SmsTree;

// Template 109; the creation parameter is 1 for backup, 0 for restore.
LRESULT ContactsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// The SMS dialog; the creation parameter is 1 for backup, 0 for restore.
LRESULT SmsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT OptionsDialogProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// The program's one message tree: loaded by the SMS dialog, emptied when the program ends.
SmsTree& ProgramSmsTree();
