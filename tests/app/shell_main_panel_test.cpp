// The main panel as the user meets it: its buttons, soft keys and menu, rotation, the copy flow,
// help, About, the ways out, and a second start.

#include <QProcess>
#include <QStringList>
#include <filesystem>

#include "gui_test_support.h"
#include "platform/ui/dialog.h"
#include "platform/ui/drawing.h"
#include "platform/ui/single_instance.h"
#include "shell/about_box.h"
#include "shell/main_panel.h"
#include "shell/program_pictures.h"
#include "shell_test_phone.h"

namespace {

const std::vector<std::u16string> kButtonTexts = {u"Backup Contacts", u"Restore Contacts",
                                                  u"Backup SMS", u"Restore SMS", u"Options"};
constexpr std::array<int, 5> kButtonIds = {1013, 1014, 1015, 1016, 1017};
int g_paints = 0;

class ShellMainPanelTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        phonePath_ = (phoneDir_.path() / "phone.db").string();
        std::string error;
        ASSERT_TRUE(MakeTestPhone(phonePath_, error)) << error;
        ::setenv("VELLORO_PHONE", phonePath_.c_str(), 1);
        LoadProgramPictures();
        ASSERT_TRUE(Pictures().AllLoaded());
    }
    void TearDown() override {
        ::unsetenv("VELLORO_PHONE");
        GuiTest::TearDown();
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
    static std::vector<RECT> ButtonRects(HWND panel) {
        std::vector<RECT> rects;
        for (int id : kButtonIds) {
            RECT r = GetWindowRect(GetDlgItem(panel, id));
            const POINT origin = ClientToScreen(panel, {0, 0});
            rects.push_back(
                {r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y});
        }
        return rects;
    }

    TempDir phoneDir_;
    std::string phonePath_;
};

TEST_F(ShellMainPanelTest, StartsWithFiveButtonsStackedAtTheBottomUnderTitleAndSoftKeys) {
    std::vector<std::u16string> texts, keys, menu;
    std::vector<RECT> rects;
    RECT client;
    int t = 0;
    std::u16string title;
    bool hasScrollBar = true;
    const LRESULT result = RunPanel({[&] {
        HWND panel = Panel();
        for (int id : kButtonIds)
            texts.push_back(GetWindowText(GetDlgItem(panel, id), 100));
        rects = ButtonRects(panel);
        client = GetClientRect(panel);
        t = GetDC(panel).GetTextMetrics().tmHeight;
        title = GetScreenTitle();
        keys = {SoftKeyText(0), SoftKeyText(1)};
        menu = SoftKeyMenuTexts(1);
        hasScrollBar = (GetWindowStyle(panel) & WS_VSCROLL) != 0;
        EXPECT_TRUE(GrabScreen(ScreenshotPath("main_panel_portrait.png")));
        ASSERT_TRUE(PressSoftKey(0));
    }});
    EXPECT_EQ(result, 0);
    EXPECT_EQ(texts, kButtonTexts);
    EXPECT_EQ(title, u"Velloro");
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Exit", u"Menu"}));
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0], u"Copy SIM contacts to phone");
    EXPECT_EQ(menu[2], u"Help");
    EXPECT_EQ(menu[3], u"About");
    EXPECT_FALSE(hasScrollBar);
    ASSERT_EQ(rects.size(), 5u);
    const int b = rects[0].Height();
    EXPECT_EQ(rects[4].bottom, client.bottom - t) << "lowest button one text height up";
    for (std::size_t i = 0; i < rects.size(); ++i) {
        EXPECT_EQ(rects[i].left, t);
        EXPECT_EQ(rects[i].Width(), client.Width() - 2 * t);
        if (i > 0) {
            EXPECT_EQ(rects[i].top - rects[i - 1].top, b + t);
        }
    }
}

TEST_F(ShellMainPanelTest, LandscapeAddsTheScrollBarAndPortraitRemovesItFromTheTop) {
    struct Seen {
        bool bar = false;
        SCROLLINFO info;
        int windowHeight = 0;
        int positionAfterPageDown = 0;
        bool barAfterReturn = true;
        RECT topButtonBefore, topButtonAfter;
    } seen;
    RunPanel({[&] {
        HWND panel = Panel();
        seen.topButtonBefore = ButtonRects(panel)[0];
        RotateScreen();
        ProcessPendingEvents();
        seen.bar = (GetWindowStyle(panel) & WS_VSCROLL) != 0;
        seen.info.fMask = SIF_ALL;
        GetScrollInfo(panel, SB_VERT, seen.info);
        seen.windowHeight = GetWindowRect(panel).Height();
        EXPECT_TRUE(GrabScreen(ScreenshotPath("main_panel_landscape.png")));
        SendMessage(panel, WM_VSCROLL, SB_PAGEDOWN, 0);
        SCROLLINFO after;
        after.fMask = SIF_POS;
        GetScrollInfo(panel, SB_VERT, after);
        seen.positionAfterPageDown = after.nPos;
        RotateScreen();
        ProcessPendingEvents();
        seen.barAfterReturn = (GetWindowStyle(panel) & WS_VSCROLL) != 0;
        InvalidateRect(panel);
        UpdateWindow(panel);
        seen.topButtonAfter = ButtonRects(panel)[0];
        EndDialog(panel, 0);
    }});
    ASSERT_GT(PanelContentHeight(), seen.windowHeight) << "landscape must be too short";
    EXPECT_TRUE(seen.bar);
    EXPECT_EQ(seen.info.nMin, 0);
    EXPECT_EQ(seen.info.nMax, PanelContentHeight() - seen.windowHeight + 100);
    EXPECT_EQ(seen.info.nPage, 100u);
    EXPECT_EQ(seen.info.nPos, 0);
    EXPECT_GT(seen.positionAfterPageDown, 0);
    EXPECT_FALSE(seen.barAfterReturn);
    EXPECT_EQ(seen.topButtonAfter, seen.topButtonBefore);
}

TEST_F(ShellMainPanelTest, CopyAsksFirstAndANoDoesNothingMore) {
    const std::string screenshot = ScreenshotPath("copy_confirmation.png");
    driver().QueueMessageBoxAnswer(IDNO, screenshot);
    int dialogsAfter = 0;
    RunPanel({[&] {
        HWND panel = Panel();
        ASSERT_TRUE(ChooseMenuItem(kCopySimCommand));
        dialogsAfter = OpenDialogCount();
        EndDialog(panel, 0);
    }});
    ASSERT_EQ(driver().messageBoxes.size(), 1u);
    const MessageBoxRecord& box = driver().messageBoxes[0];
    EXPECT_EQ(box.text, u"Do you want to copy all SIM contacts to phone memory?");
    EXPECT_EQ(box.caption, u"Confirm");
    EXPECT_EQ(box.icon, MB_ICONQUESTION);
    EXPECT_EQ(box.buttons, static_cast<std::uint32_t>(MB_YESNO));
    EXPECT_EQ(dialogsAfter, 1);
    EXPECT_EQ(driver().screenshots, std::vector<std::string>{screenshot});
}

TEST_F(ShellMainPanelTest, CopyRunsBehindTheProgressWindowAndReportsItsOutcome) {
    struct Case {
        bool simFails;
        std::u16string caption;
        std::uint32_t icon;
        std::string screenshot;
    };
    const Case cases[] = {
        {false, u"Success", MB_ICONINFORMATION, ""},
        {true, u"Error", MB_ICONEXCLAMATION, "copy_failure_box.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.simFails ? "SIM refuses to open" : "SIM opens");
        if (c.simFails) {
            ASSERT_TRUE(SetTestPhoneFault(phonePath_, "sim.open"));
        }
        driver().messageBoxes.clear();
        driver().QueueMessageBoxAnswer(IDYES);
        if (!c.screenshot.empty()) {
            driver().QueueMessageBoxAnswer(IDOK, ScreenshotPath(c.screenshot));
        }
        RunPanel({[&] {
            HWND panel = Panel();
            ASSERT_TRUE(ChooseMenuItem(kCopySimCommand));
            EndDialog(panel, 0);
        }});
        ASSERT_EQ(driver().messageBoxes.size(), 2u);
        const MessageBoxRecord& outcome = driver().messageBoxes[1];
        EXPECT_EQ(outcome.caption, c.caption);
        EXPECT_EQ(outcome.icon, c.icon);
        if (c.simFails) {
            EXPECT_NE(outcome.text.find(u"(20"), std::u16string::npos) << "a copy code 201-205";
            EXPECT_EQ(driver().screenshots, std::vector<std::string>{ScreenshotPath(c.screenshot)});
        } else {
            EXPECT_EQ(outcome.text, u"Copy succeeded.");
        }
    }
}

TEST_F(ShellMainPanelTest, HelpOpensAtTheMainContents) {
    RunPanel({[&] {
        HWND panel = Panel();
        ASSERT_TRUE(ChooseMenuItem(kHelpCommand));
        EndDialog(panel, 0);
    }});
    const HelpViewerState help = GetHelpViewerState();
    EXPECT_TRUE(help.shown);
    EXPECT_EQ(help.anchor, u"Main_Contents");
}

TEST_F(ShellMainPanelTest, AboutOffersOnlyDoneAndGivesThePanelItsTitleBack) {
    struct Seen {
        std::u16string title, titleAfter;
        int keys = 0;
        std::u16string key;
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

}  // namespace
