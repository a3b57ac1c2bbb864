// The progress window: where it sits over the asking window, that it shows before the job runs,
// that the bar follows the job, and that the job's code comes back unchanged.

#include "core/progress_window.h"
#include "gui_test_support.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/shell.h"
#include "shell/main_panel.h"
#include "shell/program_pictures.h"

namespace {

struct JobView {
    bool ran = false;
    bool windowOnTop = false;
    RECT windowRect, ownerClient;
    ProgressBarState afterSteps;
};

// Opens the main panel as the asking window and runs one operation from it; returns the runner's
// code.
ResultCode RunFromOwner(std::uint32_t kind, const OperationJob& job) {
    ResultCode result = -100;
    auto owner = [&](HWND dlg, std::uint32_t msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_INITDIALOG) PostMessage(dlg, WM_APP, 0, 0);
        if (msg == WM_APP) {
            OperationRequest request;
            request.owner = dlg;
            request.kind = kind;
            result = RunOperationWith(request, job);
            EndDialog(dlg, 0);
            return TRUE;
        }
        return MainPanelProc(dlg, msg, w, l);
    };
    DialogBoxParam(kMainPanelTemplate, nullptr, owner, 0);
    return result;
}

class ShellProgressWindowTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        LoadProgramPictures();
    }
};

TEST_F(ShellProgressWindowTest, SitsAcrossTheOwnerShowsFirstAndAdvancesDuringTheJob) {
    JobView view;
    const ResultCode result =
        RunFromOwner(3, [&](const OperationRequest& request, ProgressBar* bar) {
            view.ran = true;
            HWND window = TopDialog();
            view.windowOnTop = window != request.owner && OpenDialogCount() == 2;
            view.ownerClient = GetClientRect(request.owner);
            view.windowRect = GetWindowRect(window);
            const POINT ownerOrigin = ClientToScreen(request.owner, {0, 0});
            view.windowRect.left -= ownerOrigin.x;
            view.windowRect.right -= ownerOrigin.x;
            view.windowRect.top -= ownerOrigin.y;
            view.windowRect.bottom -= ownerOrigin.y;
            BeginProgress(bar, 4);
            for (int i = 0; i < 3; ++i)
                StepProgress(bar);
            view.afterSteps = GetProgressBarState(GetDlgItem(window, 0));
            EXPECT_TRUE(GrabScreen(ScreenshotPath("progress_window.png")));
            EndProgress(bar, 4);
            return 205;
        });
    EXPECT_EQ(result, 205);
    ASSERT_TRUE(view.ran);
    EXPECT_TRUE(view.windowOnTop);
    const int w = view.ownerClient.Width(), h = view.ownerClient.Height();
    EXPECT_EQ(view.windowRect, (RECT{5, (h - 30) / 2, 5 + w - 10, (h - 30) / 2 + 30}));
    EXPECT_EQ(view.afterSteps.max, 4);
    EXPECT_EQ(view.afterSteps.pos, 3);
    EXPECT_EQ(OpenDialogCount(), 0);
}

TEST_F(ShellProgressWindowTest, CodesComeBackUnchangedAndANullOwnerRunsNothing) {
    for (ResultCode code : {0, 1, 111, 403, -1}) {
        EXPECT_EQ(RunFromOwner(1, [code](const OperationRequest&, ProgressBar*) { return code; }),
                  code);
    }
    bool ran = false;
    OperationRequest ownerless;
    ownerless.kind = 3;
    EXPECT_EQ(RunOperationWith(ownerless,
                               [&](const OperationRequest&, ProgressBar*) {
                                   ran = true;
                                   return 0;
                               }),
              -1);
    EXPECT_FALSE(ran);
    EXPECT_EQ(OpenDialogCount(), 0);
}

}  // namespace
