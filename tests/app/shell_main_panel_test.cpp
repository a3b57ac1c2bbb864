// The main panel as the user meets it: its buttons, soft keys and menu, rotation, the copy flow
// behind the progress window, help, About, the ways out, and a second start.

#include "dialog_test_support.h"  // first: the phone's names clash with Qt's keywords

#include <QProcess>
#include <QStringList>
#include <filesystem>

#include "app/main_panel.h"
#include "app/program_pictures.h"
#include "app/progress_window.h"
#include "app/resource_ids.h"
#include "core/result_code.h"
#include "ui/single_instance.h"

namespace {

constexpr std::array<int, 5> kButtonIds = {kBackupContactsButton, kRestoreContactsButton,
                                           kBackupSmsButton, kRestoreSmsButton, kOptionsButton};
int g_paints = 0;

class ShellMainPanelTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        LoadProgramPictures();
        ASSERT_TRUE(Pictures().AllLoaded());
    }

    // Runs the panel with steps scheduled inside it; returns its result.
    static LRESULT RunPanel(std::vector<std::function<void()>> steps) {
        RunSteps(std::move(steps));
        g_paints = 0;
        return DialogBoxParam(
            kMainPanelTemplate, nullptr,
            [](HWND panel, std::uint32_t message, WPARAM w, LPARAM l) {
                if (message == WM_PAINT) ++g_paints;
                return MainPanelProc(panel, message, w, l);
            },
            0);
    }
    // The panel once it has painted, which is when its buttons are placed.
    static HWND Panel() {
        EXPECT_TRUE(WaitUntil([] { return g_paints > 0; }));
        return TopDialog();
    }
    static bool HasScrollBar(HWND panel) { return (GetWindowStyle(panel) & WS_VSCROLL) != 0; }
};

TEST_F(ShellMainPanelTest, StartsWithItsButtonsAtTheBottomAndRotatesWithAScrollBar) {
    std::vector<std::u16string> texts, keys, menu;
    std::vector<RECT> rects;
    RECT client, topAfterReturn;
    int t = 0, landscapeHeight = 0, posAfterPageDown = 0;
    std::u16string title;
    bool portraitBar = true, landscapeBar = false, barAfterReturn = true;
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    RunPanel({[&] {
        HWND panel = Panel();
        for (int id : kButtonIds) {
            texts.push_back(GetWindowText(GetDlgItem(panel, id), 100));
            rects.push_back(InClient(panel, GetDlgItem(panel, id)));
        }
        client = GetClientRect(panel);
        t = GetDC(panel).GetTextMetrics().tmHeight;
        title = GetScreenTitle();
        keys = {SoftKeyText(0), SoftKeyText(1)};
        menu = SoftKeyMenuTexts(1);
        portraitBar = HasScrollBar(panel);
        EXPECT_TRUE(GrabScreen(ScreenshotPath("main_panel_portrait.png")));

        RotateScreen();
        ProcessPendingEvents();
        landscapeBar = HasScrollBar(panel);
        GetScrollInfo(panel, SB_VERT, info);
        landscapeHeight = GetWindowRect(panel).Height();
        EXPECT_TRUE(GrabScreen(ScreenshotPath("main_panel_landscape.png")));
        SendMessage(panel, WM_VSCROLL, SB_PAGEDOWN, 0);
        SCROLLINFO after;
        after.fMask = SIF_POS;
        GetScrollInfo(panel, SB_VERT, after);
        posAfterPageDown = after.nPos;
        RotateScreen();
        ProcessPendingEvents();
        barAfterReturn = HasScrollBar(panel);
        InvalidateRect(panel);
        UpdateWindow(panel);
        topAfterReturn = InClient(panel, GetDlgItem(panel, kButtonIds[0]));
        ASSERT_TRUE(ChooseMenuItem(kHelpCommand));
        EndDialog(panel, 0);
    }});
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"Backup Contacts", u"Restore Contacts",
                                                  u"Backup SMS", u"Restore SMS", u"Options"}));
    EXPECT_EQ(title, u"Velloro");
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Exit", u"Menu"}));
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0], u"Copy SIM contacts to phone");
    EXPECT_EQ(menu[2], u"Help");
    EXPECT_EQ(menu[3], u"About");
    EXPECT_EQ(GetHelpViewerState().anchor, u"Main_Contents");
    EXPECT_FALSE(portraitBar);
    ASSERT_EQ(rects.size(), 5u);
    EXPECT_EQ(rects[4].bottom, client.bottom - t) << "lowest button one text height up";
    for (std::size_t i = 0; i < rects.size(); ++i) {
        EXPECT_EQ(rects[i].left, t);
        EXPECT_EQ(rects[i].Width(), client.Width() - 2 * t);
        if (i > 0) {
            EXPECT_EQ(rects[i].top - rects[i - 1].top, rects[0].Height() + t);
        }
    }

    ASSERT_GT(PanelContentHeight(), landscapeHeight) << "landscape must be too short";
    EXPECT_TRUE(landscapeBar);
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, PanelContentHeight() - landscapeHeight + 100);
    EXPECT_EQ(info.nPage, 100u);
    EXPECT_EQ(info.nPos, 0);
    EXPECT_GT(posAfterPageDown, 0);
    EXPECT_FALSE(barAfterReturn);
    EXPECT_EQ(topAfterReturn, rects[0]) << "back at the top";
}

TEST_F(ShellMainPanelTest, CopyAsksFirstAndReportsTheOutcome) {
    const struct {
        const char* name;
        int answer;
        bool simFails;
        std::u16string caption;  // of the outcome; empty when the question is all
        std::string screenshot;  // of the last box
    } cases[] = {
        {"no", IDNO, false, u"", "copy_confirmation.png"},
        {"yes", IDYES, false, u"Success", ""},
        {"yes, SIM refuses to open", IDYES, true, u"Error", "copy_failure_box.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.simFails) SetFault("sim.open");
        driver().messageBoxes.clear();
        driver().screenshots.clear();
        const std::string shot = c.screenshot.empty() ? "" : ScreenshotPath(c.screenshot);
        driver().QueueMessageBoxAnswer(c.answer, c.caption.empty() ? shot : "");
        if (!c.caption.empty()) driver().QueueMessageBoxAnswer(IDOK, shot);
        int dialogsAfter = 0;
        RunPanel({[&] {
            HWND panel = Panel();
            ASSERT_TRUE(ChooseMenuItem(kCopySimCommand));
            dialogsAfter = OpenDialogCount();
            EndDialog(panel, 0);
        }});
        EXPECT_EQ(dialogsAfter, 1);
        ASSERT_EQ(driver().messageBoxes.size(), c.caption.empty() ? 1u : 2u);
        const MessageBoxRecord& question = driver().messageBoxes[0];
        EXPECT_EQ(question.text, u"Do you want to copy all SIM contacts to phone memory?");
        EXPECT_EQ(question.caption, u"Confirm");
        EXPECT_EQ(question.icon, MB_ICONQUESTION);
        EXPECT_EQ(question.buttons, static_cast<std::uint32_t>(MB_YESNO));
        EXPECT_EQ(driver().screenshots,
                  shot.empty() ? std::vector<std::string>{} : std::vector<std::string>{shot});
        if (c.caption.empty()) continue;
        const MessageBoxRecord& outcome = driver().messageBoxes[1];
        EXPECT_EQ(outcome.caption, c.caption);
        EXPECT_EQ(outcome.icon, c.simFails ? MB_ICONEXCLAMATION : MB_ICONINFORMATION);
        EXPECT_EQ(outcome.text, c.simFails ? ResultMessage(201) : u"Copy succeeded.");
    }
}

TEST_F(ShellMainPanelTest, AboutOffersOnlyDoneAndGivesThePanelItsTitleBack) {
    struct Seen {
        std::u16string title, titleAfter, key;
        int keys = 0;
        bool onTop = false;
    } seen;
    RunPanel({[&] {
                  HWND panel = Panel();
                  RunSteps({[&] {
                      ASSERT_TRUE(WaitUntil([&] { return TopDialog() != panel; }));
                      seen.onTop = OpenDialogCount() == 2;
                      seen.title = GetScreenTitle();
                      seen.keys = SoftKeyCount();
                      seen.key = SoftKeyText(0);
                      EXPECT_TRUE(GrabScreen(ScreenshotPath("about_box.png")));
                      ASSERT_TRUE(PressSoftKey(0));
                  }});
                  ASSERT_TRUE(ChooseMenuItem(kAboutCommand));
              },
              [&] {
                  seen.titleAfter = GetScreenTitle();
                  EndDialog(TopDialog(), 0);
              }});
    EXPECT_TRUE(seen.onTop);
    EXPECT_EQ(seen.title, u"About");
    EXPECT_EQ(seen.keys, 1);
    EXPECT_EQ(seen.key, u"Done");
    EXPECT_EQ(seen.titleAfter, u"Velloro");
}

TEST_F(ShellMainPanelTest, EveryWayOutEndsThePanelWithZero) {
    const std::vector<std::pair<const char*, std::function<bool()>>> exits = {
        {"Exit soft key", [] { return PressSoftKey(0); }},
        {"Done button", [] { return PressDoneButton(); }},
        {"window closed", [] { return CloseScreenWindow(); }},
    };
    for (const auto& [name, leave] : exits) {
        // clang 14 cannot capture a structured binding itself.
        EXPECT_EQ(RunPanel({[&leave = leave] {
                      Panel();
                      ASSERT_TRUE(leave());
                  }}),
                  0)
            << name;
    }
}

// The program sits next to the test programs' folder in the build tree.
std::filesystem::path ProgramPath() {
    std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (int up = 0; up < 4; ++up, dir = dir.parent_path()) {
        if (std::filesystem::exists(dir / "velloro")) return dir / "velloro";
    }
    return {};
}

TEST_F(ShellMainPanelTest, ASecondStartRaisesTheFirstAndEndsWithZero) {
    const std::filesystem::path program = ProgramPath();
    ASSERT_FALSE(program.empty()) << "velloro is built with the tests";
    ASSERT_EQ(ClaimSingleInstance(u"VELLORO"), InstanceClaim::First);
    const int requestsBefore = ForegroundRequestCount();
    QProcess second;
    second.start(QString::fromStdString(program.string()), QStringList{});
    ASSERT_TRUE(second.waitForStarted());
    // The first copy answers from its event loop, so wait while processing it.
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(ForegroundRequestCount(), requestsBefore + 1);
}

// Opens the main panel as the asking window and runs one operation from it; returns the runner's
// code.
ResultCode RunFromPanel(std::uint32_t kind, const OperationJob& job) {
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

TEST_F(ShellMainPanelTest, ProgressWindowSitsAcrossThePanelAndAdvancesDuringTheJob) {
    bool ran = false, onTop = false, ownerDisabled = false;
    RECT placed, ownerClient;
    ProgressBarState afterSteps, atEnd;
    const ResultCode result =
        RunFromPanel(3, [&](const OperationRequest& request, ProgressBar* bar) {
            ran = true;
            HWND window = TopDialog();
            onTop = window != request.owner && OpenDialogCount() == 2;
            ownerDisabled = !IsWindowEnabled(request.owner);
            ownerClient = GetClientRect(request.owner);
            placed = InClient(request.owner, window);
            BeginProgress(bar, 4);
            for (int i = 0; i < 3; ++i)
                StepProgress(bar);
            afterSteps = GetProgressBarState(GetDlgItem(window, 0));
            EXPECT_TRUE(GrabScreen(ScreenshotPath("progress_window.png")));
            EndProgress(bar, 4);
            atEnd = GetProgressBarState(GetDlgItem(window, 0));
            return 205;
        });
    EXPECT_EQ(result, 205);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(ownerDisabled);
    const int w = ownerClient.Width(), h = ownerClient.Height();
    EXPECT_EQ(placed, (RECT{5, (h - 30) / 2, 5 + w - 10, (h - 30) / 2 + 30}));
    EXPECT_EQ(afterSteps.max, 4);
    EXPECT_EQ(afterSteps.pos, 3);
    EXPECT_EQ(atEnd.pos, 4);
    EXPECT_EQ(OpenDialogCount(), 0);

    for (ResultCode code : {0, 1, 111, 403, -1}) {
        EXPECT_EQ(RunFromPanel(1, [code](const OperationRequest&, ProgressBar*) { return code; }),
                  code);
    }
    OperationRequest ownerless;
    ownerless.kind = 3;
    ran = false;
    EXPECT_EQ(RunOperationWith(ownerless,
                               [&](const OperationRequest&, ProgressBar*) {
                                   ran = true;
                                   return 0;
                               }),
              -1);
    EXPECT_FALSE(ran) << "a null owner runs nothing";
}

}  // namespace
