// Keyboard focus is visible: every control the Tab key reaches on the main panel and the
// dialogs looks different while it holds the focus.

// First: the phone's SimSetup has a field that Qt's keywords would rename.
#include "dialog_test_support.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/main_panel.h"
#include "app/program_pictures.h"
#include "app/resource_ids.h"
#include "ui/ui_internal.h"

namespace {

QImage Look(QWidget* w) {
    QApplication::processEvents();
    return w->grab().toImage();
}

// Tabs through the top dialog's controls; for each, what it looks like with and without focus.
// Names the controls whose look did not change; count receives how many were reached.
std::vector<std::string> ControlsWithoutVisibleFocus(const std::string& shotPath, int& count) {
    std::vector<std::string> invisible;
    QWidget* dialog = ui::ToWidget(TopDialog());
    if (dialog == nullptr) return {"no dialog"};
    QWidget* window = dialog->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    std::vector<QWidget*> seen;
    count = 0;
    for (int press = 0; press < 20; ++press) {
        QTest::keyClick(window, Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused == nullptr || !dialog->isAncestorOf(focused)) continue;
        if (std::find(seen.begin(), seen.end(), focused) != seen.end()) break;
        seen.push_back(focused);
        if (seen.size() == 1) GrabScreen(shotPath);
        const QImage withFocus = Look(focused);
        focused->clearFocus();
        const QImage without = Look(focused);
        focused->setFocus(Qt::TabFocusReason);
        ++count;
        if (withFocus == without) {
            invisible.push_back(focused->metaObject()->className() + std::string(" ") +
                                focused->property("ctrlId").toString().toStdString());
        }
    }
    return invisible;
}

// A dialog that reads the phone as it opens runs a progress window first; the action waits for
// the dialog itself.
void WhenOnTop(int templateId, const std::function<void()>& action) {
    RunSteps({[templateId, action] {
        ui::DialogWidget* top = ui::ToDialog(TopDialog());
        if (top != nullptr && top->templateId == templateId) {
            action();
        } else {
            WhenOnTop(templateId, action);
        }
    }});
}

class FocusTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        LoadProgramPictures();
    }
    void Check(int templateId, DialogProc proc, LPARAM mode, const std::string& shot,
               int leastControls) {
        std::vector<std::string> invisible;
        int count = 0;
        WhenOnTop(templateId, [&] {
            invisible = ControlsWithoutVisibleFocus(ScreenshotPath(shot), count);
            EndDialog(TopDialog(), 0);
        });
        DialogBoxParam(templateId, frame_, std::move(proc), mode);
        EXPECT_GE(count, leastControls) << shot;
        EXPECT_TRUE(invisible.empty()) << shot << ": " << ::testing::PrintToString(invisible);
    }
};

TEST_F(FocusTest, EveryControlTheTabKeyReachesShowsItHasTheFocus) {
    Check(kMainPanelTemplate, MainPanelProc, 0, "focus_main_panel.png", 5);
    Check(kOptionsTemplate, OptionsDialogProc, 0, "focus_options.png", 1);
    Check(kContactsTemplate, ContactsDialogProc, 1, "focus_contacts.png", 2);
    SmsTree tree;
    Check(kSmsTemplate, SmsDialogFor(tree), 1, "focus_sms.png", 2);
}

}  // namespace
