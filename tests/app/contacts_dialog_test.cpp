// The contacts page as a user walks it, checked against the files and the phone afterwards.

#include "app/resource_ids.h"
#include "contacts/contact_operations.h"
#include "contacts/vcard.h"
#include "dialog_test_support.h"
#include "file_type_shot.h"
#include "ui/help_viewer.h"

namespace {

constexpr LPARAM kBackup = 1, kRestore = 0;

const std::u16string kNoPath = u"Invalid file path. Please set a valid file path.";
const std::u16string kNoType = u"Invalid contact type. Please select a contact type.";

// The path from the file box the driver answers, and a contact type.
void PickPathAndType(int type) {
    HWND dlg = TopDialog();
    ClickButton(dlg, kContactsChangePath);
    ChooseComboItem(GetDlgItem(dlg, kContactsTypeCombo), type);
}

std::vector<std::u16string> Descriptions(const std::vector<FileFilter>& filters) {
    std::vector<std::u16string> out;
    for (const FileFilter& f : filters)
        out.push_back(f.description + u"|" + f.pattern);
    return out;
}

using ContactsDialogTest = DialogTest;

TEST_F(ContactsDialogTest, BackupRefusesInOrderThenWritesEachContactType) {
    const struct {
        const char* file;
        int filterIndex;
        int type;  // combo position
        bool sim;
        bool phone;
        bool csv;
        const char16_t* written;  // the success box's second line
    } cases[] = {
        {"sim", 1, 0, true, false, false, u"20 SIM entries written."},
        {"phone", 1, 1, false, true, false, u"40 phone contacts written."},
        {"both", 1, 2, true, true, false, u"20 SIM entries and 40 phone contacts written."},
        {"both_csv", 2, 2, true, true, true, u"20 SIM entries and 40 phone contacts written."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        driver().messageBoxes.clear();
        driver().QueueFileDialogAnswer(
            FileDialogAnswer{U16((files_ / c.file).string()), c.filterIndex});
        RunSteps({[&] {
                      HWND dlg = TopDialog();
                      ASSERT_TRUE(PressSoftKey(0));  // nothing chosen: the path is reported first
                      ASSERT_TRUE(ClickButton(dlg, kContactsChangePath));
                      ASSERT_TRUE(PressDoneButton());  // a path but no type
                      ASSERT_TRUE(ChooseComboItem(GetDlgItem(dlg, kContactsTypeCombo), c.type));
                  },
                  [&] { ASSERT_TRUE(PressSoftKey(0)); }});
        EXPECT_EQ(Open(kContactsTemplate, ContactsDialogProc, kBackup), kDoneKey);
        ASSERT_EQ(BoxTexts(),
                  (std::vector<std::u16string>{
                      kNoPath, kNoType, u"Export succeeded.\n" + std::u16string(c.written)}));
        EXPECT_EQ(driver().messageBoxes[0].icon, MB_ICONEXCLAMATION);
        EXPECT_EQ(driver().messageBoxes[0].caption, kDefaultMessageBoxCaption);
        EXPECT_EQ(driver().messageBoxes[2].caption, u"Success");
        EXPECT_EQ(driver().messageBoxes[2].icon, MB_ICONINFORMATION);

        const auto written = files_ / (std::string(c.file) + (c.csv ? ".csv" : ".txt"));
        const std::string bytes = ReadBytes(written);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.rfind("\xFF\xFE", 0) == 0, !c.csv);
        const std::u16string text = c.csv ? U16(bytes) : ReadUtf16File(written);
        EXPECT_EQ(text.find(u"Frank Office") != std::u16string::npos, c.sim);
        EXPECT_EQ(text.find(u"Meyer GmbH") != std::u16string::npos, c.phone);
    }
    EXPECT_EQ(OpenDialogCount(), 0);
}

TEST_F(ContactsDialogTest, EachModeShowsItsTextsFileTypesAndHelp) {
    const struct {
        LPARAM mode;
        std::u16string title, target, types, anchor;
        bool save;
        std::vector<std::u16string> filters;
    } modes[] = {
        {kBackup,
         u"Export Contacts",
         u"Export to:",
         u"Contact types to export:",
         u"Export",
         true,
         {u"Text File (*.txt) For restore|*.txt", u"CSV File (*.csv)|*.csv",
          u"vCard File (*.vcf)|*.vcf"}},
        {kRestore,
         u"Import Contacts",
         u"Import from:",
         u"Contact types to import:",
         u"Import",
         false,
         {u"Text File (*.txt)|*.txt", u"vCard File (*.vcf)|*.vcf"}},
    };
    for (const auto& m : modes) {
        driver().fileDialogs.clear();
        driver().QueueFileDialogAnswer(FileDialogAnswer{U16((files_ / "kept.txt").string()), 0});
        driver().QueueFileDialogAnswer(std::nullopt);
        std::vector<std::u16string> seen;
        int count = 0, selected = 0;
        RunSteps({[&] {
            HWND dlg = TopDialog();
            seen = {GetScreenTitle(), Text(dlg, kContactsTargetLabel),
                    Text(dlg, kContactsTypeLabel)};
            count = ComboGetCount(GetDlgItem(dlg, kContactsTypeCombo));
            selected = ComboGetCurSel(GetDlgItem(dlg, kContactsTypeCombo));
            ClickButton(dlg, kContactsChangePath);
            ClickButton(dlg, kContactsChangePath);  // cancelled: the first choice stays
            seen.push_back(Text(dlg, kContactsPathBox));
            ChooseComboItem(GetDlgItem(dlg, kContactsTypeCombo), 2);
            GrabScreen(ScreenshotPath(m.save ? "contacts_backup.png" : "contacts_restore.png"));
            ChooseMenuItem(kDialogHelp);
            ChooseMenuItem(kDialogCancel);
        }});
        EXPECT_EQ(Open(kContactsTemplate, ContactsDialogProc, m.mode), kDialogCancel);
        EXPECT_EQ(seen, (std::vector<std::u16string>{m.title, m.target, m.types,
                                                     U16((files_ / "kept.txt").string())}));
        EXPECT_EQ(count, 3);
        EXPECT_EQ(selected, CB_ERR);
        EXPECT_EQ(GetHelpViewerState().anchor, m.anchor);
        ASSERT_EQ(driver().fileDialogs.size(), 2u);
        const FileDialogRecord& box = driver().fileDialogs[0];
        EXPECT_EQ(box.save, m.save);
        EXPECT_EQ(Descriptions(box.filters), m.filters);
        EXPECT_EQ(box.defExt, u"txt");
        EXPECT_EQ(box.maxFile, 256u);
    }
}

TEST_F(ContactsDialogTest, FailedBackupKeepsThePageWithItsPathAndType) {
    SetFault("sim.open");
    const std::u16string target = U16((files_ / "sim.txt").string());
    driver().QueueFileDialogAnswer(FileDialogAnswer{target, 1});
    std::u16string pathAfter;
    int typeAfter = CB_ERR, openAfter = 0;
    RunSteps({[] { PickPathAndType(0); },
              [&] {
                  HWND dlg = TopDialog();
                  ASSERT_TRUE(PressSoftKey(0));
                  openAfter = OpenDialogCount();
                  pathAfter = Text(dlg, kContactsPathBox);
                  typeAfter = ComboGetCurSel(GetDlgItem(dlg, kContactsTypeCombo));
                  ChooseMenuItem(kDialogCancel);
              }});
    EXPECT_EQ(Open(kContactsTemplate, ContactsDialogProc, kBackup), kDialogCancel);
    EXPECT_EQ(openAfter, 1);
    EXPECT_EQ(pathAfter, target);
    EXPECT_EQ(typeAfter, 0);
    ASSERT_EQ(driver().messageBoxes.size(), 1u);
    EXPECT_TRUE(driver().messageBoxes[0].text.ends_with(u"(3)"));
    EXPECT_EQ(driver().messageBoxes[0].icon, MB_ICONEXCLAMATION);
    EXPECT_FALSE(std::filesystem::exists(files_ / "sim.txt"));
}

TEST_F(ContactsDialogTest, RestoreReportsAMissingFileAndAddsNothingTwice) {
    // A backup of the demo phone, restored into an empty phone.
    const auto backup = files_ / "backup.txt";
    ASSERT_EQ(ExportContactsToFile(U16(backup.string()), SimAndPhone, nullptr), 0);
    MakePhone(false);

    // The dialog's end value tells whether it closed by itself (Done) or stayed until Cancel.
    std::u16string pathAfter;
    auto restore = [&](const std::filesystem::path& file) {
        driver().messageBoxes.clear();
        driver().QueueFileDialogAnswer(FileDialogAnswer{U16(file.string()), 0});
        pathAfter.clear();
        RunSteps({[] { PickPathAndType(2); },
                  [&] {
                      HWND dlg = TopDialog();
                      ASSERT_TRUE(PressSoftKey(0));
                      pathAfter = Text(dlg, kContactsPathBox);
                      // A failure leaves the page open; a success has ended it already.
                      if (driver().messageBoxes.back().icon == MB_ICONEXCLAMATION) {
                          ChooseMenuItem(kDialogCancel);
                      }
                  }});
        return Open(kContactsTemplate, ContactsDialogProc, kRestore);
    };

    const auto missing = files_ / "missing.txt";
    EXPECT_EQ(restore(missing), kDialogCancel);
    EXPECT_EQ(pathAfter, U16(missing.string()));
    ASSERT_EQ(driver().messageBoxes.size(), 1u);
    EXPECT_TRUE(driver().messageBoxes[0].text.ends_with(u"(103)"));

    const auto first = files_ / "after_first.txt";
    const auto second = files_ / "after_second.txt";
    EXPECT_EQ(restore(backup), kDoneKey);
    EXPECT_EQ(BoxTexts(),
              std::vector<std::u16string>{
                  u"Import succeeded.\nPhone: 40 read, 40 added, 0 already present. SIM: "
                  u"20 read, 19 added, 0 already present, 1 left out without a number."});
    ASSERT_EQ(ExportContactsToFile(U16(first.string()), SimAndPhone, nullptr), 0);
    EXPECT_NE(ReadUtf16File(first).find(u"Meyer GmbH"), std::u16string::npos);
    EXPECT_NE(ReadUtf16File(first).find(u"Frank Office"), std::u16string::npos);

    EXPECT_EQ(restore(backup), kDoneKey);
    ASSERT_EQ(ExportContactsToFile(U16(second.string()), SimAndPhone, nullptr), 0);
    EXPECT_EQ(ReadBytes(second), ReadBytes(first));
}

// The vCard type from the save box to the file and from the file back into an empty phone,
// twice, the second time adding nothing.
TEST_F(ContactsDialogTest, VcardTypeBacksUpAndRestoresEndToEnd) {
    const auto chosen = files_ / "contacts";
    const auto written = files_ / "contacts.vcf";
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(chosen.string()), 3, true});
    bool shot = false;
    RunSteps({[] { PickPathAndType(2); },
              [&] {
                  shot = ShootFileTypeList(driver().fileDialogs.back(),
                                           ScreenshotPath("contacts_save_types.png"));
                  ASSERT_TRUE(PressSoftKey(0));
              }});
    EXPECT_EQ(Open(kContactsTemplate, ContactsDialogProc, kBackup), kDoneKey);
    EXPECT_TRUE(shot);
    EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{
                              u"Export succeeded.\n20 SIM entries and 40 phone contacts written."});
    ASSERT_TRUE(FileLooksLikeVcard(U16(written.string())));
    const std::string bytes = ReadBytes(written);
    EXPECT_NE(bytes.find("Frank Office"), std::string::npos);
    EXPECT_NE(bytes.find("Meyer GmbH"), std::string::npos);
    const auto before = files_ / "before.txt";
    ASSERT_EQ(ExportContactsToFile(U16(before.string()), SimAndPhone, nullptr), 0);

    MakePhone(false);
    const std::u16string restored[] = {
        u"Import succeeded.\nPhone: 40 read, 40 added, 0 already present. SIM: 20 read, 19 added, "
        u"0 already present, 1 left out without a number.",
        u"Import succeeded.\nPhone: 40 read, 0 added, 40 already present. SIM: 20 read, 0 added, "
        u"19 already present, 1 left out without a number."};
    for (int run = 0; run < 2; ++run) {
        const char* after = run == 0 ? "after_first.txt" : "after_second.txt";
        driver().messageBoxes.clear();
        driver().QueueFileDialogAnswer(FileDialogAnswer{U16(written.string()), 2, true});
        RunSteps({[] { PickPathAndType(2); }, [] { ASSERT_TRUE(PressSoftKey(0)); }});
        EXPECT_EQ(Open(kContactsTemplate, ContactsDialogProc, kRestore), kDoneKey);
        EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{restored[run]});
        ASSERT_EQ(ExportContactsToFile(U16((files_ / after).string()), SimAndPhone, nullptr), 0);
    }
    // The SIM entry without a number has nothing to restore; the rest is what was backed up.
    EXPECT_NE(ReadUtf16File(files_ / "after_first.txt").find(u"Meyer GmbH"), std::u16string::npos);
    EXPECT_EQ(ReadBytes(files_ / "after_second.txt"), ReadBytes(files_ / "after_first.txt"));
}

}  // namespace
