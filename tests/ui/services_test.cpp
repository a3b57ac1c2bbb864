// The platform services around the dialogs: resources as data, message boxes, file names, help,
// one running copy, and drawing.

#include <QApplication>
#include <QImage>
#include <filesystem>
#include <fstream>

#include "app/resource_ids.h"
#include "gui_test_support.h"
#include "platform/text.h"
#include "ui/dialog.h"
#include "ui/drawing.h"
#include "ui/file_dialog.h"
#include "ui/help_viewer.h"
#include "ui/message_box.h"
#include "ui/resources.h"
#include "ui/single_instance.h"

namespace {

using Services = GuiTest;

TEST_F(Services, TemplatesHoldTheControlsOfEveryDialog) {
    struct Expected {
        int dialog, control;
        std::u16string className, text;
        std::uint32_t style;
    } cases[] = {
        {kContactsTemplate, kContactsTargetLabel, u"STATIC", u"Export to:", 0x50020000},
        {kContactsTemplate, kContactsPathBox, u"EDIT", u"", 0x50010844},
        {kContactsTemplate, kContactsTypeCombo, u"COMBOBOX", u"", 0x50210043},
        {kMainPanelTemplate, kBackupContactsButton, u"BUTTON", u"Backup Contacts", 0x50010000},
        {kMainPanelTemplate, kOptionsButton, u"BUTTON", u"Options", 0x50010000},
        {kSmsTemplate, kSmsTargetLabel, u"STATIC", u"Export to:", 0x50020000},
        {kSmsTemplate, kSmsList, u"SysTreeView32", u"", 0x50810117},
        {kOptionsTemplate, kSequenceBox, u"COMBOBOX", u"", 0x50210103},
    };
    for (const Expected& e : cases) {
        const DialogTemplate* t = FindDialogTemplate(e.dialog);
        ASSERT_NE(t, nullptr) << e.dialog;
        auto c = std::find_if(t->controls.begin(), t->controls.end(),
                              [&](const ControlTemplate& ct) { return ct.id == e.control; });
        ASSERT_NE(c, t->controls.end()) << e.dialog << "/" << e.control;
        EXPECT_EQ(c->className, e.className) << e.control;
        EXPECT_EQ(c->text, e.text) << e.control;
        EXPECT_EQ(c->style, e.style) << e.control;
    }
    EXPECT_EQ(FindDialogTemplate(kProgressTemplate)->controls.size(), 0u);
    EXPECT_EQ(FindDialogTemplate(kAboutBoxTemplate)->caption, u"About");
    EXPECT_EQ(FindDialogTemplate(kOptionsTemplate)->style, 0x80C80048u);
    EXPECT_EQ(FindDialogTemplate(105), nullptr);

    const MenuBarResource* bar = FindMenuBar(kMainMenuBar);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->buttons.size(), 2u);
    EXPECT_EQ(bar->buttons[0].command, kExitCommand);
    EXPECT_EQ(LoadString(bar->buttons[0].labelString, 99), u"Exit");
    EXPECT_EQ(bar->buttons[1].style, 24);
    EXPECT_EQ(FindMenu(kMainMenuBar)->popups[0].items.size(), 4u);
    EXPECT_EQ(FindMenu(kMainMenuBar)->popups[0].items[1].command, 0) << "separator";
    EXPECT_EQ(LoadString(1, 100), u"Velloro");
    EXPECT_EQ(LoadString(2, 3), u"VEL");
    EXPECT_FALSE(LoadResourceJson(R"({"dialogs":[{"id":5,"style":"zz"}]})"));
    EXPECT_FALSE(LoadResourceJson("{"));
    EXPECT_EQ(DialogBoxParam(4242, nullptr, nullptr, 0), -1);
    EXPECT_EQ(OpenDialogCount(), 0);
}

TEST_F(Services, MessageBoxesAreAnsweredFromTheQueueRecordedAndPhotographed) {
    const TempDir shots;
    const std::string plain = (shots.path() / "plain.png").string();
    const std::string question = (shots.path() / "question.png").string();
    const std::string failure = (shots.path() / "failure.png").string();
    ASSERT_TRUE(GrabScreen(plain));
    driver().QueueMessageBoxAnswer(IDYES, question);
    driver().QueueMessageBoxAnswer(IDOK, failure);
    driver().QueueMessageBoxAnswer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Copy all?", u"Confirm", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Load SMS failed.", std::nullopt, MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(MessageBox(nullptr, u"Again?", u"Confirm", MB_YESNO | MB_ICONQUESTION), IDYES)
        << "an answer without a screenshot is unchanged";
    EXPECT_EQ(MessageBox(nullptr, u"Copy succeeded.", u"Success", MB_ICONINFORMATION), IDOK);
    // With nothing queued a question is not taken as a yes.
    EXPECT_EQ(MessageBox(nullptr, u"Again?", u"Confirm", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBox(nullptr, u"Empty caption", u"", MB_OK), IDOK);

    const auto& boxes = driver().messageBoxes;
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0].caption, u"Confirm");
    EXPECT_EQ(boxes[0].icon, MB_ICONQUESTION);
    EXPECT_EQ(boxes[0].buttons, MB_YESNO);
    EXPECT_EQ(boxes[1].caption, u"Error");
    EXPECT_EQ(boxes[1].icon, MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[3].icon, MB_ICONINFORMATION);
    EXPECT_EQ(boxes[3].buttons, MB_OK);
    EXPECT_EQ(boxes[5].caption, u"") << "an empty caption of its own is not a missing one";
    EXPECT_EQ(driver().screenshots, (std::vector<std::string>{question, failure}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the shown box is gone";

    const QImage before(QString::fromStdString(plain));
    for (const std::string& path : {question, failure}) {
        SCOPED_TRACE(path);
        const QImage shot(QString::fromStdString(path));
        ASSERT_FALSE(shot.isNull());
        ASSERT_EQ(shot.size(), before.size()) << "the whole screen, not the box alone";
        QRect changed;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (shot.pixel(x, y) != before.pixel(x, y)) changed |= QRect(x, y, 1, 1);
            }
        }
        ASSERT_GT(changed.width(), 100) << "the box is on the picture";
        EXPECT_GT(changed.height(), 50);
        EXPECT_LE(std::abs(changed.center().x() - shot.width() / 2), 2)
            << "the box is centred over the screen";
    }
}

TEST(FileNames, TypedNamesGetTheChosenTypesExtension) {
    const std::vector<FileFilter> sms = {{u"Data File (*.dat) For restore", u"*.dat"},
                                         {u"Text File (*.txt)", u"*.txt"},
                                         {u"CSV File (*.csv)", u"*.csv"},
                                         {u"Folder and File", u""}};
    struct Case {
        std::u16string name;
        int index;
        std::u16string defExt, expected;
    } cases[] = {
        {u"/card/sms", 0, u"", u"/card/sms.dat"},
        {u"/card/sms", 3, u"", u"/card/sms.csv"},
        {u"/card/backup", 4, u"", u"/card/backup."},
        {u"/card/backup", 4, u"dat", u"/card/backup.dat"},
        {u"/card/sms.TXT", 1, u"", u"/card/sms.TXT"},
        {u"/card.d/sms", 2, u"", u"/card.d/sms.txt"},
        {u"/card/sms", 9, u"", u"/card/sms.dat"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompleteFileName(c.name, sms, c.index, c.defExt), c.expected)
            << Utf16ToUtf8(c.name) << " " << c.index;
    }
    EXPECT_EQ(CompleteFileName(u"/x/contacts", {}, 0, u"txt"), u"/x/contacts.txt");
}

TEST_F(Services, FileDialogRefusesAPathItsBufferCannotHold) {
    OPENFILENAME ofn;
    ofn.filters = {{u"Data File (*.dat)", u"*.dat"}};
    ofn.defExt = u"dat";
    ofn.nMaxFile = 12;
    driver().QueueFileDialogAnswer(FileDialogAnswer{u"/a/bcdefg", 0});  // 13 with ".dat"
    driver().QueueFileDialogAnswer(FileDialogAnswer{u"/a/bcd", 0});     // 10 with ".dat"
    EXPECT_FALSE(GetOpenFileName(ofn));
    EXPECT_EQ(ofn.file, u"");
    ASSERT_TRUE(GetOpenFileName(ofn));
    EXPECT_EQ(ofn.file, u"/a/bcd.dat");
    EXPECT_EQ(ofn.nFilterIndex, 1);
    ASSERT_EQ(driver().fileDialogs.size(), 2u);
    EXPECT_FALSE(driver().fileDialogs[0].save);
}

// In the real box: the type picked in its list decides the extension of a bare name, whichever
// type the box opened with, and is the type the caller is told.
TEST_F(Services, TheTypePickedInTheBoxCompletesTheName) {
    const TempDir folder;
    const std::u16string bare = folder.U16Path("sms");
    OPENFILENAME ofn;
    ofn.filters = {{u"Data File (*.dat) For restore", u"*.dat"},
                   {u"Text File (*.txt)", u"*.txt"},
                   {u"CSV File (*.csv)", u"*.csv"},
                   {u"Folder and File", u""},
                   {u"Android XML (*.xml)", u"*.xml"}};
    ofn.nMaxFile = 256;
    ofn.initialDir = folder.U16Path("");
    const std::u16string endings[] = {u".dat", u".txt", u".csv", u".", u".xml"};
    for (int type : {5, 2, 4, 1, 3}) {
        ofn.nFilterIndex = type == 1 ? 3 : 1;
        driver().QueueFileDialogAnswer(FileDialogAnswer{bare, type, true});
        ASSERT_TRUE(GetSaveFileName(ofn)) << type;
        EXPECT_EQ(ofn.file, bare + endings[type - 1]) << type;
        EXPECT_EQ(ofn.nFilterIndex, type);
    }
    WriteBytes(folder / "old.xml", "<smses/>");
    OPENFILENAME open;
    open.filters = {{u"Data File (*.dat)", u"*.dat"}, {u"Android XML (*.xml)", u"*.xml"}};
    open.nMaxFile = 256;
    open.defExt = u"dat";
    open.initialDir = ofn.initialDir;
    driver().QueueFileDialogAnswer(FileDialogAnswer{folder.U16Path("old.xml"), 2, true});
    ASSERT_TRUE(GetOpenFileName(open));
    EXPECT_EQ(open.file, folder.U16Path("old.xml"));
    EXPECT_EQ(open.nFilterIndex, 2);
}

TEST_F(Services, HelpOpensTheInstalledPageAtTheAnchor) {
    TempDir resources;
    std::filesystem::create_directories(resources.path() / "help");
    std::ofstream page(resources.path() / "help" / "VelloroHelp.htm");
    page << "<html><body>";
    for (const char* anchor :
         {"Main_Contents", "Export", "Import", "Backup SMS", "Restore SMS", "Options"}) {
        page << "<h2><a name=\"" << anchor << "\">" << anchor << "</a></h2>";
        for (int i = 0; i < 40; ++i)
            page << "<p>Line " << i << " of " << anchor << "</p>";
    }
    page << "</body></html>";
    page.close();
    ::setenv("VELLORO_RESOURCE_DIR", resources.path().c_str(), 1);

    ASSERT_TRUE(StartHelpViewer(u"\\Windows\\VelloroHelp.htm#Main_Contents"));
    HelpViewerState top = GetHelpViewerState();
    EXPECT_TRUE(top.shown);
    EXPECT_EQ(top.file, (resources.path() / "help" / "VelloroHelp.htm").string());
    EXPECT_EQ(top.anchor, u"Main_Contents");
    int previous = top.scrollPosition;
    for (const char16_t* anchor : {u"Import", u"Restore SMS", u"Options"}) {
        ASSERT_TRUE(StartHelpViewer(std::u16string(u"\\Windows\\VelloroHelp.htm#") + anchor));
        const HelpViewerState state = GetHelpViewerState();
        EXPECT_GT(state.scrollPosition, previous) << Utf16ToUtf8(anchor);
        previous = state.scrollPosition;
    }
    ::setenv("VELLORO_RESOURCE_DIR", (resources.path() / "missing").c_str(), 1);
    EXPECT_FALSE(StartHelpViewer(u"\\Windows\\VelloroHelp.htm#Export"));
    ::unsetenv("VELLORO_RESOURCE_DIR");
}

TEST_F(Services, ALaterStartAsksTheRunningCopyToComeForward) {
    // A socket file left by a copy that died does not count as a running copy.
    const auto stale = runtime_.path() / "velloro-test.sock";
    WriteBytes(stale, "");
    ASSERT_EQ(ClaimSingleInstance(u"velloro-test"), InstanceClaim::First);
    const int before = ForegroundRequestCount();
    // The running copy was minimized: the later start must bring it back, not only raise it.
    QWidget* screen = ScreenWidget();
    ASSERT_NE(screen, nullptr);
    screen->showMinimized();
    ProcessPendingEvents();
    ASSERT_TRUE(screen->isMinimized());
    EXPECT_EQ(ClaimSingleInstance(u"velloro-test"), InstanceClaim::AlreadyRunning);
    EXPECT_TRUE(WaitUntil([&] { return ForegroundRequestCount() == before + 1; }));
    EXPECT_FALSE(screen->isMinimized());
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(Services, MessageBoxesFitThePhoneScreenAndAreShotAsShown) {
    const std::u16string longText =
        u"Import failed. SIM card has not enough space. Please make sure SIM card has enough "
        u"space and try again.(106) " +
        std::u16string(200, u'x');
    for (const RECT size : {RECT{0, 0, 480, 640}, RECT{0, 0, 300, 400}}) {
        SetScreenSize(size.Width(), size.Height());
        QWidget* screen = ScreenWidget();
        ASSERT_NE(screen, nullptr);
        screen->show();
        const std::string shot =
            ScreenshotPath("message_box_" + std::to_string(size.Width()) + ".png");
        driver().QueueMessageBoxAnswer(IDOK, shot);
        EXPECT_EQ(MessageBox(nullptr, longText, std::nullopt, MB_ICONEXCLAMATION), IDOK);
        ASSERT_EQ(driver().screenshots.size(), size.Width() == 480 ? 1u : 2u);
        // The shot is the screen with the box inside it, not a bigger picture around both.
        const QImage image(QString::fromStdString(shot));
        EXPECT_EQ(image.width(), size.Width());
        EXPECT_EQ(image.height(), size.Height());
    }
    // The box itself, as MessageBox makes it: narrower than the screen, centred on it.
    SetScreenSize(300, 400);
    bool checked = false;
    RunSteps({[&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->windowTitle() == QStringLiteral("Error")) {
                const QRect screen(ScreenWidget()->mapToGlobal(QPoint(0, 0)),
                                   ScreenWidget()->size());
                EXPECT_LE(w->width(), screen.width() - 2 * 12);
                EXPECT_LE(std::abs(w->geometry().center().x() - screen.center().x()), 1);
                checked = true;
                w->close();
            }
        }
    }});
    WithoutDriver([&] { MessageBox(nullptr, longText, std::nullopt, MB_ICONEXCLAMATION); });
    EXPECT_TRUE(checked);
    SetScreenSize(480, 640);
}

TEST_F(Services, OffScreenDrawingReachesTheWindow) {
    const std::string banner = (runtime_.path() / "banner.png").string();
    QImage red(40, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(banner)));
    TEXTMETRIC normal, bold;
    int calcHeight = 0, calcWidthTwoLines = 0, calcWidthOneLine = 0;
    int prefixed = 0, unprefixed = 0, doubled = 0, bare = 0;
    bool surfaceRefused = false;
    auto proc = [&](HWND dlg, std::uint32_t msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_INITDIALOG) {
            SHInitDialog(dlg, SHIDIF_STANDARD);
            return TRUE;
        }
        if (msg != WM_PAINT) return FALSE;
        DeviceContext dc = BeginPaint(dlg);
        const RECT client = GetClientRect(dlg);
        DeviceContext surface = CreateCompatibleSurface(dc, client.Width(), client.Height());
        surfaceRefused = !CreateCompatibleSurface(dc, 0, 10).valid();
        Bitmap bitmap = LoadBitmapFile(Utf8ToUtf16(banner));
        surface.StretchBlt({0, 0, client.Width(), 20}, bitmap);
        surface.BitBlt(client.Width() - 20, 100, bitmap);  // cut on the right
        LOGFONT lf = GetSystemLogFont();
        Font plain = CreateFontIndirect(lf);
        lf.weight = FW_BOLD;
        Font heavy = CreateFontIndirect(lf);
        surface.SelectFont(&plain);
        normal = surface.GetTextMetrics();
        RECT r{0, 0, 400, 0};
        calcHeight = surface.DrawText(u"one\ntwo", r, DT_CALCRECT);
        calcWidthTwoLines = r.Width();
        RECT one{0, 0, 400, 0};
        surface.DrawText(u"one", one, DT_CALCRECT);
        calcWidthOneLine = one.Width();
        auto width = [&](std::u16string_view text, std::uint32_t format) {
            RECT r{};
            surface.DrawText(text, r, DT_CALCRECT | format);
            return r.Width();
        };
        prefixed = width(u"&Help", 0);
        unprefixed = width(u"&Help", DT_NOPREFIX);
        bare = width(u"Help", 0);
        doubled = width(u"H&&elp", 0);
        surface.SelectFont(&heavy);
        bold = surface.GetTextMetrics();
        dc.BitBlt(0, 0, client.Width(), client.Height(), surface);
        return TRUE;
    };
    RunSteps({[&] {
        ASSERT_TRUE(WaitUntil([&] { return calcHeight > 0; }));
        ASSERT_TRUE(GrabScreen(ScreenshotPath("drawing.png")));
        EndDialog(TopDialog(), 0);
    }});
    DialogBoxParam(107, nullptr, proc, 0);

    EXPECT_TRUE(surfaceRefused);
    EXPECT_GT(normal.tmHeight, 0);
    EXPECT_GT(normal.tmAveCharWidth, 0);
    EXPECT_GE(bold.tmAveCharWidth, normal.tmAveCharWidth);
    EXPECT_EQ(calcHeight, 2 * normal.tmHeight);
    EXPECT_EQ(calcWidthTwoLines, calcWidthOneLine);
    EXPECT_EQ(prefixed, bare) << "the mark is hidden";
    EXPECT_GT(unprefixed, bare);
    EXPECT_GT(doubled, bare);
    const QImage shot(QString::fromStdString(ScreenshotPath("drawing.png")));
    const int y0 = kTitleBarHeight;
    EXPECT_EQ(shot.pixelColor(240, y0 + 10), QColor(Qt::red)) << "stretched over the width";
    EXPECT_EQ(shot.pixelColor(470, y0 + 105), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(200, y0 + 105), QColor(Qt::white));
}

}  // namespace
