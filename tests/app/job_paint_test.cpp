// A long job holds the GUI thread behind the progress window: the window it covers is still
// painted when asked, but a click or a posted message that arrives meanwhile waits for the end.

// First: the phone's SimSetup has a field that Qt's keywords would rename.
#include "dialog_test_support.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <chrono>
#include <memory>
#include <thread>

#include "app/main_panel.h"
#include "app/program_pictures.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "ui/ui_internal.h"

namespace {

constexpr std::uint32_t kStartJob = WM_APP;
constexpr std::uint32_t kQueuedMessage = WM_APP + 1;

// A click as input that waits on the queue, not one delivered at once.
void PostClick(HWND control) {
    QWidget* button = ui::ToWidget(control);
    ASSERT_NE(button, nullptr);
    const QPointF at(button->width() / 2.0, button->height() / 2.0);
    const QPointF global(button->mapToGlobal(at));
    QCoreApplication::postEvent(
        button, std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                              Qt::LeftButton, Qt::NoModifier)
                    .release());
    QCoreApplication::postEvent(
        button, std::make_unique<QMouseEvent>(QEvent::MouseButtonRelease, at, global,
                                              Qt::LeftButton, Qt::NoButton, Qt::NoModifier)
                    .release());
}

struct Seen {
    int paints = 0;
    int clicks = 0;
    int messages = 0;
};

class JobPaintTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        LoadProgramPictures();
    }
};

TEST_F(JobPaintTest, TheCoveredPanelPaintsButNoQueuedInputOrMessageRunsDuringTheJob) {
    Seen seen, beforeAsking, atJobEnd;
    bool painted = false, jobRan = false;
    auto panel = [&](HWND dlg, std::uint32_t msg, WPARAM w, LPARAM l) -> LRESULT {
        switch (msg) {
            case WM_INITDIALOG:
                PostMessage(dlg, kStartJob, 0, 0);
                break;
            case WM_PAINT:
                ++seen.paints;
                break;
            case WM_COMMAND:
                if (LOWORD(w) == kOptionsButton) {
                    ++seen.clicks;
                    return TRUE;
                }
                break;
            case kQueuedMessage:
                ++seen.messages;
                return TRUE;
            case kStartJob: {
                OperationRequest request;
                request.owner = dlg;
                request.kind = 3;
                RunOperationWith(request, [&](const OperationRequest& r, ProgressBar* bar) {
                    jobRan = true;
                    PostClick(GetDlgItem(r.owner, kOptionsButton));
                    PostMessage(r.owner, kQueuedMessage, 0, 0);
                    beforeAsking = seen;
                    InvalidateRect(r.owner);
                    BeginProgress(bar, 1000);
                    // The job steps its bar and never returns to the event loop.
                    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
                    while (seen.paints == beforeAsking.paints &&
                           std::chrono::steady_clock::now() < until) {
                        StepProgress(bar);
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    }
                    painted = seen.paints > beforeAsking.paints;
                    // Later steps must not let the held input through either.
                    for (int i = 0; i < 60; ++i) {
                        StepProgress(bar);
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    }
                    atJobEnd = seen;
                    return 0;
                });
                WaitUntil([&] { return seen.clicks > 0 && seen.messages > 0; });
                ProcessPendingEvents();
                EndDialog(dlg, 0);
                return TRUE;
            }
        }
        return MainPanelProc(dlg, msg, w, l);
    };
    DialogBoxParam(kMainPanelTemplate, nullptr, panel, 0);
    ASSERT_TRUE(jobRan);
    EXPECT_TRUE(painted) << "the covered panel was not painted during the job";
    EXPECT_EQ(atJobEnd.clicks, 0);
    EXPECT_EQ(atJobEnd.messages, 0);
    // Held, not lost: each ran once after the job.
    EXPECT_EQ(seen.clicks, 1);
    EXPECT_EQ(seen.messages, 1);
}

}  // namespace
