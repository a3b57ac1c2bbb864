// The SMS page in both modes, walked as a user walks it, checked against the written files and
// the phone's message store afterwards.

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/resource_ids.h"
#include "dialog_test_support.h"
#include "file_type_shot.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include "sms/sms_data_file.h"
#include "sms/sms_operations.h"
#include "sms/sms_xml.h"

namespace {

constexpr LPARAM kBackup = 1, kRestore = 0;

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM item) {
    std::vector<HTREEITEM> out;
    for (HTREEITEM c = TreeGetNextItem(tree, item, TVGN_CHILD); c != nullptr;
         c = TreeGetNextItem(tree, c, TVGN_NEXT)) {
        out.push_back(c);
    }
    return out;
}

void CollectTexts(const SmsNode& node, std::vector<std::u16string>& texts) {
    if (const SmsMessageData* m = SmsNodeMessage(node)) texts.push_back(m->text);
    for (int i = 0; i < SmsChildCount(node); ++i)
        CollectTexts(SmsChildAt(node, i), texts);
}

std::vector<std::u16string> TextsInDataFile(const std::filesystem::path& file) {
    std::unique_ptr<SmsNode> root;
    std::vector<std::u16string> texts;
    EXPECT_EQ(ReadSmsDataFile(U16(file.string()), root, nullptr), 0);
    if (root) CollectTexts(*root, texts);
    return texts;
}

std::vector<std::u16string> TextsInStore() {
    SmsTree tree;
    std::vector<std::u16string> texts;
    EXPECT_EQ(ReadSmsFromStore(&tree, nullptr), 0);
    if (tree.root) CollectTexts(*tree.root, texts);
    std::sort(texts.begin(), texts.end());
    return texts;
}

// Clicks an item's check box and waits for the page's posted tick rules to run.
void ClickBox(HWND tree, HTREEITEM item, HTREEITEM watch, bool watchTicked) {
    ASSERT_TRUE(ClickTreeCheckBox(tree, item));
    ASSERT_TRUE(WaitUntil([&] { return Ticked(tree, watch) == watchTicked; }));
    ProcessPendingEvents();
}

// Backup mode reads the store behind the progress window while it opens. A step that waited
// for the read would sit inside the progress window's loop and keep it from ever ending, so the
// action is tried again from the queue until the page is on top and ready.
void WhenPageReady(std::function<bool(HWND)> ready, std::function<void(HWND)> action,
                   int triesLeft = 20000) {
    RunSteps({[=] {
        HWND top = TopDialog();
        if (top != nullptr && GetDlgItem(top, kSmsList) != nullptr && ready(top)) {
            action(top);
        } else if (triesLeft > 0) {
            WhenPageReady(ready, action, triesLeft - 1);
        } else {
            ADD_FAILURE() << "the SMS page never became ready";
            if (top != nullptr) EndDialog(top, -1);
        }
    }});
}

bool ListFilled(HWND page) {
    return TreeGetCount(GetDlgItem(page, kSmsList)) > 0;
}

using SmsDialogTest = DialogTest;

TEST_F(SmsDialogTest, BackupShowsTheStoreAndTicksFollowTheRules) {
    const auto target = files_ / "picked";
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(target.string()), 1});
    std::vector<std::u16string> folderLabels;
    std::u16string draftLabel, deletedLabel, keptText;
    bool allTicked = true, textClickKept = false;
    std::string ticksAfterClimb, ticksAfterTick;
    WhenPageReady(ListFilled, [&](HWND dlg) {
        HWND tree = GetDlgItem(dlg, kSmsList);
        HTREEITEM top = TreeGetNextItem(tree, nullptr, TVGN_ROOT);
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(TreeGetNextItem(tree, top, TVGN_NEXT), nullptr);
        std::vector<HTREEITEM> walk{top};
        for (std::size_t i = 0; i < walk.size(); ++i) {
            allTicked = allTicked && Ticked(tree, walk[i]);
            for (HTREEITEM c : Children(tree, walk[i]))
                walk.push_back(c);
        }
        const std::vector<HTREEITEM> folders = Children(tree, top);
        for (HTREEITEM f : folders)
            folderLabels.push_back(TreeGetItemText(tree, f));
        ASSERT_EQ(folders.size(), 5u);
        HTREEITEM drafts = folders[2], deleted = folders[4];
        TreeExpand(tree, top, true);
        TreeExpand(tree, drafts, true);
        TreeExpand(tree, deleted, true);
        ProcessPendingEvents();
        HTREEITEM draft = Children(tree, drafts).at(0);
        draftLabel = TreeGetItemText(tree, draft);
        deletedLabel = TreeGetItemText(tree, Children(tree, deleted).at(0));

        // The only message of Drafts: the folder follows, its ticked siblings keep
        // the top ticked.
        ClickBox(tree, draft, drafts, false);
        EXPECT_TRUE(Ticked(tree, top));
        ASSERT_TRUE(ClickTreeItemText(tree, folders[0]));
        ProcessPendingEvents();
        textClickKept = Ticked(tree, folders[0]);
        for (HTREEITEM f : {folders[0], folders[1], folders[3], folders[4]})
            ClickBox(tree, f, f, false);
        for (HTREEITEM item : {top, folders[0], folders[1], drafts, folders[3], deleted})
            ticksAfterClimb += Ticked(tree, item) ? '1' : '0';

        // One message of an unticked folder: ancestors, not siblings.
        const std::vector<HTREEITEM> gone = Children(tree, deleted);
        ClickBox(tree, gone.at(1), deleted, true);
        keptText = TreeGetItemText(tree, gone.at(1));
        for (HTREEITEM item : {top, deleted, gone.at(0), gone.at(1), gone.at(2), drafts})
            ticksAfterTick += Ticked(tree, item) ? '1' : '0';
        GrabScreen(ScreenshotPath("sms_backup.png"));
        ASSERT_TRUE(ClickButton(dlg, kSmsChangePath));
        ASSERT_TRUE(PressSoftKey(0));
    });
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kBackup), kDoneKey);

    EXPECT_TRUE(allTicked);
    EXPECT_EQ(folderLabels,
              (std::vector<std::u16string>{u"Inbox (96)", u"Sent Items (50)", u"Drafts (1)",
                                           u"Outbox (0)", u"Deleted Items (3)"}));
    EXPECT_TRUE(draftLabel.starts_with(u"[To:\"\" <+15550199>]")) << Utf16ToUtf8(draftLabel);
    EXPECT_TRUE(deletedLabel.starts_with(u"[From:\"Anna Berg\" <+46701234567>]"))
        << Utf16ToUtf8(deletedLabel);
    EXPECT_TRUE(textClickKept);
    EXPECT_EQ(ticksAfterClimb, "000000");
    EXPECT_EQ(ticksAfterTick, "110100");
    EXPECT_EQ(BoxTexts(),
              std::vector<std::u16string>{
                  u"Export succeeded.\n1 folder and 1 message written, 149 unticked left out."});
    EXPECT_EQ(driver().messageBoxes.back().caption, u"Success");
    // Only the ticked message was written, with the label's text after its prefix.
    const std::vector<std::u16string> texts = TextsInDataFile(files_ / "picked.dat");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(keptText.ends_with(texts[0]));
    EXPECT_EQ(smsTree_.root, nullptr);
}

TEST_F(SmsDialogTest, BackupWritesEachOfTheFourForms) {
    const struct {
        const char* name;
        int filterIndex;
        const char* written;
        const char16_t* counts;  // the text forms count only folders that hold messages
    } forms[] = {{"all", 1, "all.dat", u"5 folders and 150 messages written."},
                 {"all", 2, "all.txt", u"4 folders and 150 messages written."},
                 {"all", 3, "all.csv", u"4 folders and 150 messages written."},
                 {"backup", 4, "backup", u"5 folders and 150 messages written."},
                 {"phone", 5, "phone.xml", u"5 folders and 150 messages written."}};
    for (const auto& f : forms) {
        SCOPED_TRACE(f.written);
        driver().messageBoxes.clear();
        driver().QueueFileDialogAnswer(
            FileDialogAnswer{U16((files_ / f.name).string()), f.filterIndex, true},
            f.filterIndex == 1 ? ScreenshotPath("sms_save_dialog.png") : std::string());
        std::u16string path;
        WhenPageReady(ListFilled, [&](HWND dlg) {
            ASSERT_TRUE(ClickButton(dlg, kSmsChangePath));
            path = Text(dlg, kSmsPathBox);
            ASSERT_TRUE(PressSoftKey(0));
        });
        EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kBackup), kDoneKey);
        const auto written = files_ / f.written;
        EXPECT_EQ(path, U16(written.string()));
        EXPECT_EQ(BoxTexts(),
                  std::vector<std::u16string>{u"Export succeeded.\n" + std::u16string(f.counts)});
        if (f.filterIndex == 1) {
            EXPECT_EQ(TextsInDataFile(written).size(), 150u);
        } else if (f.filterIndex == 5) {
            SmsXmlCounts counts;
            SmsTree loaded;
            EXPECT_EQ(LoadSmsXmlFile(&loaded, U16(written.string()), nullptr, &counts), 0);
            EXPECT_EQ(counts.messages, 150);
        } else if (f.filterIndex == 4) {
            ASSERT_TRUE(std::filesystem::is_directory(written));
            int files = 0;
            for (const auto& e : std::filesystem::recursive_directory_iterator(written))
                files += e.is_regular_file() ? 1 : 0;
            EXPECT_EQ(files, 150);
        } else {
            EXPECT_NE(ReadBytes(written).find("Ticket: 4411, gate B12, seat 17C"),
                      std::string::npos);
        }
    }
    ASSERT_EQ(driver().fileDialogs.size(), 5u);
    const FileDialogRecord& box = driver().fileDialogs[0];
    EXPECT_TRUE(box.save);
    ASSERT_EQ(box.filters.size(), 5u);
    EXPECT_EQ(box.filters[0].description, u"Data File (*.dat) For restore");
    EXPECT_EQ(box.filters[3].description, u"Folder and File");
    EXPECT_EQ(box.filters[3].pattern, u"");
    EXPECT_EQ(box.filters[4].description, u"Android XML (*.xml)");
    EXPECT_EQ(box.filters[4].pattern, u"*.xml");
    EXPECT_EQ(box.defExt, u"");
    EXPECT_EQ(box.maxFile, 256u);
}

TEST_F(SmsDialogTest, AStoreThatCannotBeReadLeavesAnEmptyListThatCannotBeExported) {
    SetFault("sms.logon");
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16((files_ / "x").string()), 1});
    int items = -1;
    WhenPageReady([&](HWND) { return !driver().messageBoxes.empty(); },
                  [&](HWND dlg) {
                      items = TreeGetCount(GetDlgItem(dlg, kSmsList));
                      ClickButton(dlg, kSmsChangePath);
                      ASSERT_TRUE(PressSoftKey(0));
                      ChooseMenuItem(kDialogCancel);
                  });
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kBackup), kDialogCancel);
    EXPECT_EQ(items, 0);
    ASSERT_EQ(driver().messageBoxes.size(), 2u);
    EXPECT_TRUE(driver().messageBoxes[0].text.ends_with(u"(401)"));
    EXPECT_EQ(driver().messageBoxes[1].text, u"Operation failed. Please try again.");
    EXPECT_FALSE(std::filesystem::exists(files_ / "x.dat"));
}

TEST_F(SmsDialogTest, SpaceOnAFolderPropagatesAndTheListShowsFullLabelsInTooltips) {
    bool childrenUnticked = false, childrenTicked = false;
    QString tip;
    std::u16string label;
    WhenPageReady(ListFilled, [&](HWND dlg) {
        HWND list = GetDlgItem(dlg, kSmsList);
        HTREEITEM top = TreeGetNextItem(list, nullptr, TVGN_ROOT);
        HTREEITEM inbox = TreeGetNextItem(list, top, TVGN_CHILD);
        TreeExpand(list, top, true);
        TreeExpand(list, inbox, true);
        ProcessPendingEvents();
        ASSERT_TRUE(TreeSelectItem(list, inbox));
        QWidget* tree = nullptr;
        for (QWidget* w : ScreenWidget()->findChildren<QWidget*>()) {
            if (w->inherits("QTreeView") && w->isVisible()) tree = w;
        }
        ASSERT_NE(tree, nullptr);
        auto all = [&](bool ticked) {
            for (HTREEITEM c = TreeGetNextItem(list, inbox, TVGN_CHILD); c != nullptr;
                 c = TreeGetNextItem(list, c, TVGN_NEXT)) {
                if (Ticked(list, c) != ticked) return false;
            }
            return Ticked(list, inbox) == ticked;
        };
        QTest::keyClick(tree, Qt::Key_Space);
        childrenUnticked = WaitUntil([&] { return all(false); });
        QTest::keyClick(tree, Qt::Key_Space);
        childrenTicked = WaitUntil([&] { return all(true); });

        // The tooltip of the first message: its whole label.
        HTREEITEM first = TreeGetNextItem(list, inbox, TVGN_CHILD);
        label = TreeGetItemText(list, first);
        const RECT box = TreeGetCheckBoxRect(list, first);
        auto* viewport = tree->findChild<QWidget*>(QStringLiteral("qt_scrollarea_viewport"));
        ASSERT_NE(viewport, nullptr);
        const QPoint at(box.right + 40, (box.top + box.bottom) / 2);
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        WaitUntil([] { return QToolTip::isVisible(); }, 2000);
        tip = QToolTip::text();
        GrabScreen(ScreenshotPath("sms_list_tooltip.png"));
        ChooseMenuItem(kDialogCancel);
    });
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), 1), kDialogCancel);
    EXPECT_TRUE(childrenUnticked);
    EXPECT_TRUE(childrenTicked);
    EXPECT_FALSE(label.empty());
    EXPECT_EQ(tip.toStdU16String(), label);
}

class SmsRestoreTest : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        MakePhone(false);
        std::string error;
        auto db = OpenPhoneDb(phonePath_, error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(SmsTopFolder(*db, error)) << error;
        // Inbox with two messages, Sent with one.
        SmsTree tree;
        tree.root = CreateSmsNode(kSmsFolderKind);
        ReserveSmsChildren(*tree.root, 2);
        for (const auto& [name, texts] : {std::pair{u"Inbox", std::vector{u"one", u"two"}},
                                          std::pair{u"Sent", std::vector{u"three"}}}) {
            auto folder = CreateSmsNode(kSmsFolderKind);
            SetSmsNodeName(*folder, name);
            ReserveSmsChildren(*folder, static_cast<std::uint32_t>(texts.size()));
            for (const char16_t* text : texts)
                AppendSmsChild(*folder, MessageNode(text, u""));
            AppendSmsChild(*tree.root, std::move(folder));
        }
        dataFile_ = files_ / "backup.dat";
        ASSERT_EQ(WriteSmsDataFile(tree, U16(dataFile_.string()), nullptr), 0);
    }
    std::filesystem::path dataFile_;
};

TEST_F(SmsRestoreTest, RefusesDoneBeforeLoadingAndABrokenFileThenRestoresTheTickedMessages) {
    const std::string bytes = ReadBytes(dataFile_);
    const auto cut = files_ / "cut.dat";
    WriteBytes(cut, bytes.substr(0, bytes.size() - 100));
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(cut.string()), 0});
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(dataFile_.string()), 0});
    std::u16string title;
    int itemsAfterCut = -1;
    RunSteps({[&] {
        HWND dlg = TopDialog();
        title = GetScreenTitle();
        ASSERT_TRUE(PressSoftKey(0));
        ClickButton(dlg, kSmsChangePath);
        HWND tree = GetDlgItem(dlg, kSmsList);
        itemsAfterCut = TreeGetCount(tree);
        ClickButton(dlg, kSmsChangePath);
        HTREEITEM top = TreeGetNextItem(tree, nullptr, TVGN_ROOT);
        ASSERT_NE(top, nullptr);
        HTREEITEM inbox = Children(tree, top).at(0);
        TreeExpand(tree, top, true);
        TreeExpand(tree, inbox, true);
        ProcessPendingEvents();
        HTREEITEM two = Children(tree, inbox).at(1);
        ASSERT_TRUE(ClickTreeCheckBox(tree, two));
        ASSERT_TRUE(WaitUntil([&] { return !Ticked(tree, two); }));
        ProcessPendingEvents();
        GrabScreen(ScreenshotPath("sms_restore.png"));
        ASSERT_TRUE(PressDoneButton());
    }});
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kRestore), kDoneKey);
    EXPECT_EQ(title, u"Import SMS");
    ASSERT_EQ(driver().messageBoxes.size(), 3u);
    EXPECT_EQ(driver().messageBoxes[0].text,
              u"No SMS. Please firstly load SMS from a file, then try again.");
    EXPECT_TRUE(driver().messageBoxes[1].text.ends_with(u"(402)"));
    EXPECT_EQ(driver().messageBoxes[2].text,
              u"Import succeeded.\n2 folders created, 0 opened; 2 messages created, 1 unticked "
              u"left out.");
    EXPECT_EQ(itemsAfterCut, 0);
    ASSERT_EQ(driver().fileDialogs.size(), 2u);
    EXPECT_FALSE(driver().fileDialogs[0].save);
    EXPECT_EQ(driver().fileDialogs[0].defExt, u"dat");
    EXPECT_EQ(TextsInStore(), (std::vector<std::u16string>{u"one", u"three"}));
}

// The XML type end to end: saved from the save box with the phone's messages, then loaded by the
// restore page as it loads a data file, shown, and its ticked part restored into an empty phone.
TEST_F(SmsDialogTest, AndroidXmlTypeSavesAndRestoresEndToEnd) {
    const auto written = files_ / "android.xml";
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16((files_ / "android").string()), 5, true});
    bool shot = false;
    WhenPageReady(ListFilled, [&](HWND dlg) {
        ASSERT_TRUE(ClickButton(dlg, kSmsChangePath));
        shot = ShootFileTypeList(driver().fileDialogs.back(), ScreenshotPath("sms_save_types.png"));
        ASSERT_TRUE(PressSoftKey(0));
    });
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kBackup), kDoneKey);
    EXPECT_TRUE(shot);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_TRUE(BoxTexts()[0].starts_with(u"Export succeeded.\n"));
    ASSERT_TRUE(FileLooksLikeSmsXml(U16(written.string())));
    const std::vector<std::u16string> saved = TextsInStore();

    MakePhone(false);
    {
        std::string error;
        auto db = OpenPhoneDb(phonePath_, error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(SmsTopFolder(*db, error)) << error;
    }
    driver().messageBoxes.clear();
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(written.string()), 2, true});
    int items = 0;
    RunSteps({[&] {
        HWND dlg = TopDialog();
        ASSERT_TRUE(ClickButton(dlg, kSmsChangePath));
        items = TreeGetCount(GetDlgItem(dlg, kSmsList));
        ASSERT_TRUE(PressDoneButton());
    }});
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kRestore), kDoneKey);
    EXPECT_GT(items, 150);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_TRUE(BoxTexts()[0].starts_with(u"Import succeeded.\n"));
    const FileDialogRecord& open = driver().fileDialogs.back();
    EXPECT_FALSE(open.save);
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(open.filters[1].description, u"Android XML (*.xml)");
    EXPECT_EQ(TextsInStore(), saved);
}

// What an Android XML held that is no message is said in the restore's box, as velloro-cli says it.
TEST_F(SmsDialogTest, RestoreBoxSaysWhatTheXmlHeldBesideMessages) {
    const auto file = files_ / "other.xml";
    WriteBytes(file,
               "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"1\">\n"
               "<sms address=\"+111\" date=\"1700000000000\" type=\"1\" body=\"Hi\" />\n"
               "<mms date=\"1\" />\n</smses>\n");
    driver().messageBoxes.clear();
    driver().QueueFileDialogAnswer(FileDialogAnswer{U16(file.string()), 2});
    RunSteps({[&] {
        HWND dlg = TopDialog();
        ASSERT_TRUE(ClickButton(dlg, kSmsChangePath));
        ASSERT_TRUE(PressDoneButton());
    }});
    EXPECT_EQ(Open(kSmsTemplate, SmsDialogFor(smsTree_), kRestore), kDoneKey);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0],
              u"Import succeeded.\n0 folders created, 1 opened; 1 message created.\nSkipped in the "
              u"file: 1 element that is no SMS (MMS, calls, incomplete messages).");
}

}  // namespace
