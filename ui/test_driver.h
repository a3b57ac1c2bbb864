#pragma once
// Drives the GUI from tests: message boxes and file dialogs are answered from queues and recorded
// instead of shown, controls are pressed, tree check boxes clicked where they are on screen, the
// screen rotated and grabbed. Steps that must run inside a modal dialog are scheduled before it
// opens (RunSteps) and wait on conditions, never on fixed sleeps.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/file_dialog.h"
#include "ui/ui_types.h"

struct MessageBoxRecord {
    std::u16string text;
    std::u16string caption;     // as shown: the default caption when none was given
    std::uint32_t icon = 0;     // MB_ICON* bits
    std::uint32_t buttons = 0;  // MB_OK or MB_YESNO
};

struct FileDialogRecord {
    bool save = false;
    std::vector<FileFilter> filters;
    int filterIndex = 0;
    std::u16string defExt;
    std::size_t maxFile = 0;
    std::u16string initialDir;  // as the box starts: the documents folder when none was given
};

// What the user does in a file box: types name and picks the type filterIndex (1-based, 0 keeps
// the box's own). typedInBox does it in the real box, which then completes the name and tells the
// chosen type as it does for the user; the box must take the name (a file to save, or one that
// exists to open), or it counts as cancelled.
struct FileDialogAnswer {
    std::u16string name;
    int filterIndex = 0;
    bool typedInBox = false;
};

// While a driver lives, no message box or file dialog is shown, except a box whose answer asks
// for a screenshot: that box is shown for as long as it takes to paint and write the screen with
// it to screenshotPath (PNG), then answered. A box with no queued answer gets IDOK for OK boxes
// and IDNO for Yes/No boxes; a file dialog with none is cancelled.
class TestDriver {
  public:
    TestDriver();
    ~TestDriver();
    TestDriver(const TestDriver&) = delete;
    TestDriver& operator=(const TestDriver&) = delete;

    void QueueMessageBoxAnswer(int answer, std::string screenshotPath = {});
    // With a screenshotPath, the real box is first shown with its type list open and the screen
    // written there.
    void QueueFileDialogAnswer(std::optional<FileDialogAnswer> answer,
                               std::string screenshotPath = {});
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<FileDialogRecord> fileDialogs;
    std::vector<std::string> screenshots;  // the paths written, in order
};

// Runs the steps in order from the event loop. Each next step is scheduled before the current one
// runs, so a step that opens a modal dialog sees the following steps run inside it.
void RunSteps(std::vector<std::function<void()>> steps);
// Processes events until condition holds or timeoutMs passes; answers the condition.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
void ProcessPendingEvents();

// The dialog on top of the screen (null when none).
HWND TopDialog();
int OpenDialogCount();
// Clicks the push button with that id in dialog, as the user would.
bool ClickButton(HWND dialog, int id);
// Picks item index of the combo box as the user would (sends CBN_SELCHANGE).
bool ChooseComboItem(HWND combo, int index);
// The soft key 0 (left) or 1 (right); a key with a menu opens it (see ChooseMenuItem).
bool PressSoftKey(int index);
std::u16string SoftKeyText(int index);
int SoftKeyCount();
// Triggers the item with that command in the top dialog's soft-key menu.
bool ChooseMenuItem(int command);
std::vector<std::u16string> SoftKeyMenuTexts(int index);
bool PressDoneButton();
// Presses and releases the mouse on the item's check box at its real position on screen.
bool ClickTreeCheckBox(HWND tree, HTREEITEM item);
// Presses and releases the mouse on the item's text.
bool ClickTreeItemText(HWND tree, HTREEITEM item);
// Sends the dialog the user's close (the screen window's close button).
bool CloseScreenWindow();
// The screen as it shows now, written as PNG.
bool GrabScreen(const std::string& pngPath);

struct HelpViewerState {
    bool shown = false;
    std::string file;
    std::u16string anchor;
    int scrollPosition = 0;
};
HelpViewerState GetHelpViewerState();
void CloseHelpViewer();
// Presses the help window's own Done; false when no help is shown.
bool PressHelpDone();
