// A small dialog written the way the program's dialogs are, driven through the test driver.

#include <QImage>

#include "gui_test_support.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/drawing.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int kLabel = 1004, kChange = 1010, kPath = 1012, kTypeLabel = 1006, kType = 1007;
constexpr int kDoneKey = 40002, kCancel = 32808;

struct Sample {
    int paints = 0;
    std::vector<int> heightsAtSettingChange;
    bool activated = false;
    Font bold;
};
Sample* g_sample = nullptr;

void Layout(HWND dlg, DeviceContext& dc) {
    const RECT client = GetClientRect(dlg);
    const int h = GetWindowRect(GetDlgItem(dlg, kChange)).Height();
    const int w = client.Width() - 20;
    MoveWindow(GetDlgItem(dlg, kLabel), 10, 10, w, h, false);
    MoveWindow(GetDlgItem(dlg, kChange), 10, h + 10, w, h, false);
    MoveWindow(GetDlgItem(dlg, kPath), 10, 2 * (h + 10), w, 2 * h, false);
    MoveWindow(GetDlgItem(dlg, kTypeLabel), 10, 4 * (h + 10) - 10, w, h, false);
    MoveWindow(GetDlgItem(dlg, kType), 10, 5 * (h + 6), w,
               GetWindowRect(GetDlgItem(dlg, kType)).Height(), false);
    dc.SelectFont(&g_sample->bold);
    RECT heading{0, client.bottom - 60, client.right, client.bottom};
    dc.DrawText(u"Sample & more", heading, DT_CENTER | DT_BOTTOM | DT_NOPREFIX);
    dc.SelectFont(nullptr);
}

LRESULT SampleProc(HWND dlg, std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG: {
            SHInitDialog(dlg, SHIDIF_STANDARD);
            SHCreateMenuBar(dlg, 137);
            SHSetNavBarText(dlg, lParam == 1 ? u"Export Sample" : u"Import Sample");
            for (auto text : {u"SIM", u"Phone", u"SIM + Phone"}) {
                ComboAddString(GetDlgItem(dlg, kType), text);
            }
            LOGFONT lf = GetSystemLogFont();
            lf.weight = FW_BOLD;
            g_sample->bold = CreateFontIndirect(lf);
            SetWindowFont(GetDlgItem(dlg, kLabel), g_sample->bold, true);
            return TRUE;
        }
        case WM_PAINT: {
            ++g_sample->paints;
            DeviceContext dc = BeginPaint(dlg);
            Layout(dlg, dc);
            return TRUE;
        }
        case WM_ACTIVATE:
            g_sample->activated = LOWORD(wParam) == WA_ACTIVE;
            return FALSE;
        case WM_SETTINGCHANGE:
            g_sample->heightsAtSettingChange.push_back(GetWindowRect(dlg).Height());
            return FALSE;
        case WM_CLOSE:
            EndDialog(dlg, 16);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kChange: {
                    OPENFILENAME ofn;
                    ofn.hwndOwner = dlg;
                    ofn.filters = {{u"Text File (*.txt) For restore", u"*.txt"},
                                   {u"CSV File (*.csv)", u"*.csv"}};
                    ofn.nMaxFile = 256;
                    ofn.defExt = u"txt";
                    if (GetSaveFileName(ofn)) SetDlgItemText(dlg, kPath, ofn.file);
                    return TRUE;
                }
                case 1:
                case kDoneKey:
                    if (GetWindowText(GetDlgItem(dlg, kPath), 256).empty()) {
                        MessageBox(dlg, u"Invalid file path. Please set a valid file path.",
                                   std::nullopt, MB_ICONEXCLAMATION);
                        return TRUE;
                    }
                    EndDialog(dlg, 100 + ComboGetCurSel(GetDlgItem(dlg, kType)));
                    return TRUE;
                case kCancel:
                    EndDialog(dlg, kCancel);
                    return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

class SampleDialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        g_sample = &sample;
    }
    void TearDown() override {
        g_sample = nullptr;
        GuiTest::TearDown();
    }
    Sample sample;
};

TEST_F(SampleDialogTest, ShellGivesTitleDoneAndSoftKeysFromTheResources) {
    std::u16string title;
    std::vector<std::u16string> keys, menu;
    bool done = false;
    RunSteps({[&] {
        ASSERT_TRUE(WaitUntil([&] { return sample.paints > 0; }));
        title = GetScreenTitle();
        done = IsDoneButtonShown();
        keys = {SoftKeyText(0), SoftKeyText(1)};
        menu = SoftKeyMenuTexts(1);
        ASSERT_TRUE(ChooseMenuItem(kCancel));
    }});
    EXPECT_EQ(DialogBoxParam(109, nullptr, SampleProc, 1), kCancel);
    EXPECT_EQ(title, u"Export Sample");
    EXPECT_TRUE(done);
    EXPECT_TRUE(sample.activated);
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Done", u"Menu"}));
    EXPECT_EQ(menu, (std::vector<std::u16string>{u"Help", u"Cancel"}));
    EXPECT_EQ(OpenDialogCount(), 0);
    // The title stays until someone sets it again, as the main panel relies on.
    EXPECT_EQ(GetScreenTitle(), u"Export Sample");
}

TEST_F(SampleDialogTest, DoneChecksThePathThenEndsWithTheChosenType) {
    driver().QueueFileDialogAnswer(std::nullopt);  // cancelled: path box unchanged
    driver().QueueFileDialogAnswer(FileDialogAnswer{u"/tmp/contacts", 2});
    std::u16string pathAfterCancel, path;
    RunSteps({[&] {
                  HWND dlg = TopDialog();
                  PressDoneButton();  // empty path: refused, dialog stays
                  ASSERT_TRUE(ClickButton(dlg, kChange));
                  pathAfterCancel = GetWindowText(GetDlgItem(dlg, kPath), 256);
                  ASSERT_TRUE(ClickButton(dlg, kChange));
                  path = GetWindowText(GetDlgItem(dlg, kPath), 256);
                  ASSERT_TRUE(ChooseComboItem(GetDlgItem(dlg, kType), 2));
              },
              [&] { ASSERT_TRUE(PressSoftKey(0)); }});
    EXPECT_EQ(DialogBoxParam(109, nullptr, SampleProc, 1), 102);
    EXPECT_EQ(pathAfterCancel, u"");
    EXPECT_EQ(path, u"/tmp/contacts.csv");
    ASSERT_EQ(driver().messageBoxes.size(), 1u);
    EXPECT_EQ(driver().messageBoxes[0].text, u"Invalid file path. Please set a valid file path.");
    EXPECT_EQ(driver().messageBoxes[0].caption, u"Error");
    EXPECT_EQ(driver().messageBoxes[0].icon, MB_ICONEXCLAMATION);
    ASSERT_EQ(driver().fileDialogs.size(), 2u);
    EXPECT_TRUE(driver().fileDialogs[0].save);
    EXPECT_EQ(driver().fileDialogs[0].filters.size(), 2u);
    EXPECT_EQ(driver().fileDialogs[0].defExt, u"txt");
    EXPECT_EQ(driver().fileDialogs[0].maxFile, 256u);
}

TEST_F(SampleDialogTest, RotationResizesBeforeTellingAndScreenshotsShowBothOrientations) {
    int heightBefore = 0;
    RunSteps({[&] {
        HWND dlg = TopDialog();
        ASSERT_TRUE(WaitUntil([&] { return sample.paints > 0; }));
        heightBefore = GetWindowRect(dlg).Height();
        ASSERT_TRUE(ClickButton(dlg, kChange));  // nothing queued: cancelled
        SetDlgItemText(dlg, kPath, u"/media/card/backup.txt");
        EXPECT_TRUE(GrabScreen(ScreenshotPath("sample_portrait.png")));
        RotateScreen();
        const int paints = sample.paints;
        EXPECT_TRUE(WaitUntil([&] { return sample.paints > paints; }));
        EXPECT_TRUE(GrabScreen(ScreenshotPath("sample_landscape.png")));
        RotateScreen();
        EndDialog(dlg, 0);
    }});
    DialogBoxParam(109, nullptr, SampleProc, 1);
    EXPECT_EQ(heightBefore, 640 - kTitleBarHeight - kSoftKeyBarHeight);
    // Each change already sees the new size.
    EXPECT_EQ(sample.heightsAtSettingChange,
              (std::vector<int>{480 - kTitleBarHeight - kSoftKeyBarHeight, heightBefore}));
    const QImage landscape(QString::fromStdString(ScreenshotPath("sample_landscape.png")));
    EXPECT_EQ(landscape.width(), 640);
    EXPECT_EQ(landscape.height(), 480);
}

}  // namespace
