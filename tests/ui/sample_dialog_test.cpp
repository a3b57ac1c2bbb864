// A small dialog written the way the program's dialogs are, driven through the test driver.

#include <QImage>

#include "app/resource_ids.h"
#include "gui_test_support.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/drawing.h"

namespace {

struct Sample {
    int paints = 0;
    std::vector<int> heightsAtSettingChange;
    bool activated = false;
    Font bold;
};
Sample* g_sample = nullptr;

void Layout(HWND dlg, DeviceContext& dc) {
    const RECT client = GetClientRect(dlg);
    const int h = GetWindowRect(GetDlgItem(dlg, kContactsChangePath)).Height();
    const int w = client.Width() - 20;
    MoveWindow(GetDlgItem(dlg, kContactsTargetLabel), 10, 10, w, h, false);
    MoveWindow(GetDlgItem(dlg, kContactsChangePath), 10, h + 10, w, h, false);
    MoveWindow(GetDlgItem(dlg, kContactsPathBox), 10, 2 * (h + 10), w, 2 * h, false);
    MoveWindow(GetDlgItem(dlg, kContactsTypeLabel), 10, 4 * (h + 10) - 10, w, h, false);
    MoveWindow(GetDlgItem(dlg, kContactsTypeCombo), 10, 5 * (h + 6), w,
               GetWindowRect(GetDlgItem(dlg, kContactsTypeCombo)).Height(), false);
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
                ComboAddString(GetDlgItem(dlg, kContactsTypeCombo), text);
            }
            LOGFONT lf = GetSystemLogFont();
            lf.weight = FW_BOLD;
            g_sample->bold = CreateFontIndirect(lf);
            SetWindowFont(GetDlgItem(dlg, kContactsTargetLabel), g_sample->bold, true);
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
        case WM_COMMAND:
            if (LOWORD(wParam) != kDialogCancel) return FALSE;
            EndDialog(dlg, kDialogCancel);
            return TRUE;
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

TEST_F(SampleDialogTest, ShellGivesTitleAndSoftKeysAndRotationResizesBeforeTelling) {
    std::u16string title;
    std::vector<std::u16string> keys, menu;
    bool done = false;
    int heightBefore = 0;
    RunSteps({[&] {
        HWND dlg = TopDialog();
        ASSERT_TRUE(WaitUntil([&] { return sample.paints > 0; }));
        title = GetScreenTitle();
        done = IsDoneButtonShown();
        keys = {SoftKeyText(0), SoftKeyText(1)};
        menu = SoftKeyMenuTexts(1);
        heightBefore = GetWindowRect(dlg).Height();
        SetDlgItemText(dlg, kContactsPathBox, u"/media/card/backup.txt");
        ChooseComboItem(GetDlgItem(dlg, kContactsTypeCombo), 2);
        EXPECT_TRUE(GrabScreen(ScreenshotPath("sample_portrait.png")));
        RotateScreen();
        const int paints = sample.paints;
        EXPECT_TRUE(WaitUntil([&] { return sample.paints > paints; }));
        EXPECT_TRUE(GrabScreen(ScreenshotPath("sample_landscape.png")));
        RotateScreen();
        ASSERT_TRUE(ChooseMenuItem(kDialogCancel));
    }});
    EXPECT_EQ(DialogBoxParam(109, nullptr, SampleProc, 1), kDialogCancel);
    EXPECT_EQ(title, u"Export Sample");
    EXPECT_TRUE(done);
    EXPECT_TRUE(sample.activated);
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"Done", u"Menu"}));
    EXPECT_EQ(menu, (std::vector<std::u16string>{u"Help", u"Cancel"}));
    EXPECT_EQ(OpenDialogCount(), 0);
    // The title stays until someone sets it again, as the main panel relies on.
    EXPECT_EQ(GetScreenTitle(), u"Export Sample");
    EXPECT_EQ(heightBefore, 640 - kTitleBarHeight - kSoftKeyBarHeight);
    // Each change already sees the new size.
    EXPECT_EQ(sample.heightsAtSettingChange,
              (std::vector<int>{480 - kTitleBarHeight - kSoftKeyBarHeight, heightBefore}));
    const QImage landscape(QString::fromStdString(ScreenshotPath("sample_landscape.png")));
    EXPECT_EQ(landscape.width(), 640);
    EXPECT_EQ(landscape.height(), 480);
}

}  // namespace
