// The Options page: what it shows from the registry, what Done stores, and what the exports do
// with it afterwards.

#include "app/resource_ids.h"
#include "dialog_test_support.h"
#include "sms/export_order.h"
#include "sms/sms_operations.h"
#include "ui/help_viewer.h"

namespace {

const std::u16string kDesignate = u"Please designate the sequence parameters.";

class OptionsDialogTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        MakePhone(false);  // the registry starts empty, as on first start
    }
    void Store(std::u16string_view name, std::uint32_t value) {
        std::string error;
        auto db = OpenPhoneDb(phonePath_, error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(SetRegistryDword(*db, kVelloroRegistryKey, name, value, error)) << error;
    }
    static std::u16string Shown(HWND dialog, int id) {
        HWND box = GetDlgItem(dialog, id);
        const int at = ComboGetCurSel(box);
        return at == CB_ERR ? u"(none)" : ComboGetItemText(box, at);
    }
    static ExportOrder Stored() {
        ExportOrder order{0, 0};
        EXPECT_EQ(ReadExportOrder(order.sortBy, order.sequence), 0);
        return order;
    }
};

TEST_F(OptionsDialogTest, FirstStartShowsDefaultsHelpLeavesThemAndDoneStoresThem) {
    std::vector<std::u16string> shown;
    auto look = [&] {
        HWND dlg = TopDialog();
        shown.push_back(Shown(dlg, kSortBox));
        shown.push_back(Shown(dlg, kSequenceBox));
    };
    RunSteps({look, [&] {
                  ChooseComboItem(GetDlgItem(TopDialog(), kSortBox), 1);
                  ASSERT_TRUE(ChooseMenuItem(kDialogHelp));
              }});
    EXPECT_EQ(Open(kOptionsTemplate, OptionsDialogProc, 0), 0);
    EXPECT_EQ(GetHelpViewerState().anchor, u"Options");
    RunSteps({look, [&] { ASSERT_TRUE(PressSoftKey(0)); }});
    EXPECT_EQ(Open(kOptionsTemplate, OptionsDialogProc, 0), 0);
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"Date and time", u"Ascending", u"Date and time",
                                                  u"Ascending"}));
    EXPECT_TRUE(driver().messageBoxes.empty());
    EXPECT_EQ(Stored().sortBy, 1u);
    EXPECT_EQ(Stored().sequence, 1u);
}

TEST_F(OptionsDialogTest, NameDescendingIsStoredAndTheNextTextExportFollowsIt) {
    RunSteps({[&] {
                  HWND dlg = TopDialog();
                  ChooseComboItem(GetDlgItem(dlg, kSortBox), 1);
                  ChooseComboItem(GetDlgItem(dlg, kSequenceBox), 1);
              },
              [&] { ASSERT_TRUE(PressDoneButton()); }});
    EXPECT_EQ(Open(kOptionsTemplate, OptionsDialogProc, 0), 0);
    EXPECT_EQ(Stored().sortBy, 2u);
    EXPECT_EQ(Stored().sequence, 2u);

    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    ReserveSmsChildren(*tree.root, 3);
    const char16_t* names[] = {u"Bob", u"Anna", u"Cy"};
    for (int i = 0; i < 3; ++i) {
        AppendSmsChild(*tree.root, MessageNode(std::u16string(u"text of ") + names[i], names[i],
                                               133806528000000000ull + i));
    }
    const auto out = files_ / "order.txt";
    ASSERT_EQ(ExportSmsText(&tree, U16(out.string()), nullptr), 0);
    const std::string text = ReadBytes(out);
    const auto cy = text.find("text of Cy"), bob = text.find("text of Bob"),
               anna = text.find("text of Anna");
    ASSERT_NE(anna, std::string::npos);
    EXPECT_LT(cy, bob);
    EXPECT_LT(bob, anna);
}

TEST_F(OptionsDialogTest, AStoredValueOutsideTheListRefusesDoneUntilChosen) {
    Store(kSortValueName, 5);
    Store(kSequenceValueName, 2);
    std::u16string sortBy, sequence;
    int openAfterRefusal = 0;
    RunSteps({[&] {
                  HWND dlg = TopDialog();
                  sortBy = Shown(dlg, kSortBox);
                  sequence = Shown(dlg, kSequenceBox);
              },
              [&] {
                  ASSERT_TRUE(PressSoftKey(0));
                  openAfterRefusal = OpenDialogCount();
                  ChooseComboItem(GetDlgItem(TopDialog(), kSortBox), 0);
              },
              [&] { ASSERT_TRUE(PressSoftKey(0)); }});
    EXPECT_EQ(Open(kOptionsTemplate, OptionsDialogProc, 0), 0);
    EXPECT_EQ(sortBy, u"(none)");
    EXPECT_EQ(sequence, u"Descending");
    EXPECT_EQ(openAfterRefusal, 1);
    ASSERT_EQ(driver().messageBoxes.size(), 1u);
    EXPECT_EQ(driver().messageBoxes[0].text, kDesignate);
    EXPECT_EQ(driver().messageBoxes[0].icon, MB_ICONEXCLAMATION);
    EXPECT_EQ(Stored().sortBy, 1u);
    EXPECT_EQ(Stored().sequence, 2u);
}

TEST_F(OptionsDialogTest, TheExplanationWrapsToTheWidthAndTheBoxesFollow) {
    int portraitTop = 0, landscapeTop = 0, paintedWidth = 0;
    RunSteps({[&] {
        HWND dlg = TopDialog();
        HWND box = GetDlgItem(dlg, kSequenceBox);
        ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(box).Width() > 300; }));
        portraitTop = GetWindowRect(box).top;
        paintedWidth = GetWindowRect(box).Width();
        GrabScreen(ScreenshotPath("options_portrait.png"));
        RotateScreen();
        ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(box).Width() > paintedWidth; }));
        landscapeTop = GetWindowRect(box).top;
        GrabScreen(ScreenshotPath("options_landscape.png"));
        RotateScreen();
        EndDialog(dlg, 0);
    }});
    Open(kOptionsTemplate, OptionsDialogProc, 0);
    // The wide screen needs fewer explanation lines, so the boxes sit higher.
    EXPECT_LT(landscapeTop, portraitTop);
}

}  // namespace
