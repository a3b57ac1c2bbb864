#pragma once
// What the contacts and SMS pages share: a full-screen page that picks a file, runs one job on
// Done and keeps its state in one struct per open window (the window's user data).

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/dialog.h"
#include "ui/drawing.h"
#include "ui/ui_types.h"

struct FilePageState : WindowData {
    bool backup = true;
    Font bold;
    Font normal;
    // Measured at opening from the button's height, which no rotation changes.
    int contentHeight = 0;
    std::u16string_view helpAnchor;
};

// The page's own steps; the state is the one WM_INITDIALOG attached.
struct FilePageSteps {
    void (*initialise)(HWND dialog, LPARAM mode);
    void (*paint)(HWND dialog);
    void (*changePath)(HWND dialog);
    void (*done)(HWND dialog);
    // After the page ended and its fonts were deleted; may be null.
    void (*released)(HWND dialog);
    int changePathId;
    // What the user's close (WM_CLOSE) ends the page with.
    LRESULT closedResult;
};

FilePageState* FilePageOf(HWND dialog);

// The folder a file box should start in: that of the path the box pathBoxId shows.
std::u16string StartFolderFor(HWND dialog, int pathBoxId);
// After a file box gave no name: when it refused a path too long for the box (and said so), the
// path box is emptied, so that Done cannot go on with a file the user did not pick.
void ForgetRefusedPath(HWND dialog, int pathBoxId);

// Ends the page with result, then deletes its fonts and runs steps.released.
void EndFilePage(const FilePageSteps& steps, HWND dialog, LRESULT result);

// Initialisation, paint, setting change, scrolling, the commands Change path, Done, Help and
// Cancel, and the user's close; FALSE for anything else.
LRESULT DispatchFilePage(const FilePageSteps& steps, HWND dialog, std::uint32_t message,
                         WPARAM wParam, LPARAM lParam);
