// What a desktop user touches first: the rotation key, resizing and the wheel, long paths.

// First: the phone's SimSetup has a field that Qt's keywords would rename.
#include "dialog_test_support.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>

#include "app/main_panel.h"
#include "app/program_pictures.h"
#include "app/resource_ids.h"

namespace {

constexpr int kButtonIds[] = {kBackupContactsButton, kRestoreContactsButton, kBackupSmsButton,
                              kRestoreSmsButton, kOptionsButton};

QWidget* ButtonWidget(const QString& text) {
    for (QPushButton* b : ScreenWidget()->findChildren<QPushButton*>()) {
        if (b->text() == text && b->isVisible()) return b;
    }
    return nullptr;
}

// Turns the wheel over the widget by notches (negative: towards the user, scrolling down).
void TurnWheel(QWidget* over, int notches) {
    const QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent wheel(at, over->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &wheel);
}

class WindowTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        LoadProgramPictures();
    }
    void TearDown() override {
        ScreenWidget()->resize(480, 640);
        DialogTest::TearDown();
    }
    // Runs the panel with steps scheduled inside it; the steps see paints counted in paints_.
    LRESULT RunPanel(std::vector<std::function<void()>> steps) {
        RunSteps(std::move(steps));
        return DialogBoxParam(
            kMainPanelTemplate, nullptr,
            [this](HWND panel, std::uint32_t message, WPARAM w, LPARAM l) {
                if (message == WM_PAINT) ++paints_;
                return MainPanelProc(panel, message, w, l);
            },
            0);
    }
    // The buttons are placed when the panel paints.
    bool PaintedOnce() {
        return WaitUntil([this] { return paints_ > 0; });
    }
    int paints_ = 0;
};

TEST_F(WindowTest, CtrlRRotatesAndRotatesBack) {
    std::vector<RECT> sizes;
    RunPanel({[&] {
        HWND panel = TopDialog();
        QWidget* screen = ScreenWidget();
        screen->activateWindow();
        ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == screen; }));
        sizes.push_back(GetScreenRect());
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(ScreenWidget(), Qt::Key_R, Qt::ControlModifier);
            ProcessPendingEvents();
            sizes.push_back(GetScreenRect());
        }
        EndDialog(panel, 0);
    }});
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[1].Width(), sizes[0].Height());
    EXPECT_EQ(sizes[1].Height(), sizes[0].Width());
    EXPECT_EQ(sizes[2], sizes[0]);
}

// After each resize every button can be brought fully into the panel with the wheel, and the
// original size brings the original layout back without a scroll bar.
TEST_F(WindowTest, ResizingRedecidesTheLayoutAndTheWheelReachesEveryButton) {
    struct Seen {
        int width = 0, height = 0;
        bool scrollBar = false, lastReachable = false;
    };
    std::vector<Seen> seen;
    RECT firstBefore{}, firstAfter{};
    bool barAtEnd = true;
    RunPanel({[&] {
        HWND panel = TopDialog();
        ASSERT_TRUE(PaintedOnce());
        firstBefore = InClient(panel, GetDlgItem(panel, kButtonIds[0]));
        for (const auto& [w, h] : {std::pair{700, 500}, std::pair{300, 400}}) {
            ScreenWidget()->resize(w, h);
            ProcessPendingEvents();
            Seen s;
            s.width = w;
            s.height = h;
            s.scrollBar = (GetWindowStyle(panel) & WS_VSCROLL) != 0;
            TurnWheel(ButtonWidget(QStringLiteral("Options"))->parentWidget(), -50);
            ProcessPendingEvents();
            UpdateWindow(panel);
            const RECT last = InClient(panel, GetDlgItem(panel, kButtonIds[4]));
            s.lastReachable = last.top >= 0 && last.bottom <= GetClientRect(panel).bottom;
            if (w == 300) GrabScreen(ScreenshotPath("main_panel_300x400_bottom.png"));
            seen.push_back(s);
        }
        ScreenWidget()->resize(480, 640);
        ProcessPendingEvents();
        barAtEnd = (GetWindowStyle(panel) & WS_VSCROLL) != 0;
        UpdateWindow(panel);
        firstAfter = InClient(panel, GetDlgItem(panel, kButtonIds[0]));
        EndDialog(panel, 0);
    }});
    ASSERT_EQ(seen.size(), 2u);
    for (const Seen& s : seen) {
        SCOPED_TRACE(s.width);
        EXPECT_TRUE(s.scrollBar) << "the panel is taller than " << s.height;
        EXPECT_TRUE(s.lastReachable);
    }
    EXPECT_FALSE(barAtEnd);
    EXPECT_EQ(firstAfter, firstBefore);
}

TEST_F(WindowTest, APathLongerThanTheBoxIsRefusedAndTheOldOneForgotten) {
    const auto old = files_ / "old.txt";
    const std::u16string tooLong = U16((files_ / std::string(300, 'n')).string()) + u".txt";
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(old.string()), 1});
    driver().QueueFileDialogAnswer(FileDialogAnswer{tooLong, 1});
    std::u16string pathAfterRefusal;
    RunSteps({[&] {
        HWND dlg = TopDialog();
        ClickButton(dlg, kContactsChangePath);
        ClickButton(dlg, kContactsChangePath);
        pathAfterRefusal = Text(dlg, kContactsPathBox);
        ChooseComboItem(GetDlgItem(dlg, kContactsTypeCombo), 1);
        ASSERT_TRUE(PressSoftKey(0));
        ChooseMenuItem(kDialogCancel);
    }});
    EXPECT_EQ(Open(kContactsTemplate, ContactsDialogProc, 1), kDialogCancel);
    EXPECT_EQ(pathAfterRefusal, u"");
    ASSERT_EQ(driver().messageBoxes.size(), 2u);
    EXPECT_TRUE(driver().messageBoxes[0].text.starts_with(u"The chosen path is too long."));
    EXPECT_EQ(driver().messageBoxes[1].text, u"Invalid file path. Please set a valid file path.");
    EXPECT_FALSE(std::filesystem::exists(old));
    // The second box started in the folder of the first path.
    ASSERT_EQ(driver().fileDialogs.size(), 2u);
    EXPECT_EQ(driver().fileDialogs[1].initialDir, U16(files_.path().string()));
}

}  // namespace
