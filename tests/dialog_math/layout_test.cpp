#include <gtest/gtest.h>

#include "dialog_math/dialog_math.h"

namespace {

const PictureSizes kPictures = {217, 57, 57};
// Any five ids: the arithmetic only carries them to its placements.
constexpr ColumnIds kIds = {11, 12, 13, 14, 15};

}  // namespace

TEST(MainPanel, StacksTheButtonsUpFromTheBottomOfTheContentOrTheScreen) {
    struct Case {
        const char* name;
        int width, height, textHeight, buttonHeight, offset;
        int contentHeight;
        int bannerLeft;
        int topButtonY;  // "Backup Contacts"
    };
    const Case cases[] = {
        // Screen taller than the content: the buttons sit at the bottom of the client area.
        {"portrait 480x640", 480, 588, 16, 26, 0, 57 + 32 + 5 * 42, 131, 588 - 5 * 42},
        {"portrait 240x320", 240, 268, 13, 21, 0, 57 + 26 + 5 * 34, 11, 268 - 5 * 34},
        // Content taller than the screen: stacked from the content's bottom, shifted by scrolling.
        {"landscape 320x240 scrolled", 320, 188, 13, 21, -30, 253, 51, 253 - 5 * 34 - 30},
        {"narrower than the banner", 200, 400, 13, 21, 0, 253, 0, 400 - 5 * 34},
    };
    for (const Case& c : cases) {
        const int content = MainPanelContentHeight(57, c.textHeight, c.buttonHeight);
        EXPECT_EQ(content, c.contentHeight) << c.name;
        const MainPanelLayout l = LayOutMainPanel(kIds, c.width, c.height, content, c.textHeight,
                                                  c.buttonHeight, kPictures, c.offset);
        const int surface = std::max(content, c.height);
        EXPECT_EQ(l.surfaceHeight, surface) << c.name;
        EXPECT_EQ(l.surfaceWidth, c.width) << c.name;
        EXPECT_EQ(l.banner, RectAt(c.bannerLeft, c.offset, 217, 57)) << c.name;
        EXPECT_EQ(l.headerFill, RectAt(0, c.offset, c.width, 57)) << c.name;
        EXPECT_EQ(l.bodyFill, RectAt(0, 57 + c.offset, c.width, surface - 57)) << c.name;
        EXPECT_EQ(l.title.rect, RectAt(0, 57 + c.offset, c.width, c.textHeight)) << c.name;
        EXPECT_EQ(l.title.format, kDrawCenter | kDrawBottom) << c.name;
        EXPECT_EQ(l.buttons[0].rect.top, c.topButtonY) << c.name;
        for (std::size_t k = 0; k < l.buttons.size(); ++k) {
            const ControlPlacement& b = l.buttons[k];
            EXPECT_EQ(b.id, kIds[k]) << c.name;
            EXPECT_EQ(b.rect.left, c.textHeight) << c.name;
            EXPECT_EQ(b.rect.Width(), c.width - 2 * c.textHeight) << c.name;
            EXPECT_EQ(b.rect.Height(), c.buttonHeight) << c.name;
            if (k > 0) {  // one text height apart
                EXPECT_EQ(b.rect.top - l.buttons[k - 1].rect.bottom, c.textHeight) << c.name;
            }
        }
        // The lowest button ends one text height above the bottom of the content.
        EXPECT_EQ(l.buttons[4].rect.bottom, surface - c.textHeight + c.offset) << c.name;
    }
    EXPECT_EQ(MainPanelContentHeight(0, 13, 21), 26 + 5 * 34);  // no banner
}

TEST(AboutBox, PlacesTitleVersionAndAThreeLineAddressUnderTheBanner) {
    const AboutBoxLayout l = LayOutAboutBox(240, 268, 13, kPictures);
    EXPECT_EQ(l.banner, RectAt(11, 0, 217, 57));
    EXPECT_EQ(l.bodyFill, RectAt(0, 57, 240, 268));
    EXPECT_EQ(l.headerFill, RectAt(0, 0, 240, 57));
    EXPECT_EQ(l.title, (TextPlacement{{0, 57, 240, 70}, kDrawCenter | kDrawBottom}));
    EXPECT_EQ(l.version, (TextPlacement{{0, 83, 240, 96}, kDrawCenter | kDrawBottom}));
    EXPECT_EQ(l.address, (TextPlacement{{0, 109, 240, 148}, kDrawCenter}));
    EXPECT_EQ(LayOutAboutBox(200, 268, 13, kPictures).banner.left, 0);
}

TEST(FileDialogs, ContactsAndSmsColumnsFollowTheButtonHeight) {
    const std::array<ControlPlacement, 5> contacts = LayOutContactsDialog(kIds, 240, 21, 24, -20);
    const std::array<ControlPlacement, 5> expectedContacts = {{
        {kIds[0], RectAt(10, -10, 220, 21)},
        {kIds[1], RectAt(10, 11, 220, 21)},
        {kIds[2], RectAt(10, 42, 220, 42)},
        {kIds[3], RectAt(10, 94, 220, 21)},
        {kIds[4], RectAt(10, 115, 220, 24)},
    }};
    EXPECT_EQ(contacts, expectedContacts);
    EXPECT_EQ(ContactsDialogContentHeight(21), 166);

    const std::array<ControlPlacement, 5> sms = LayOutSmsDialog(kIds, 480, 26, 16, 0);
    const std::array<ControlPlacement, 5> expectedSms = {{
        {kIds[0], RectAt(10, 10, 460, 26)},
        {kIds[1], RectAt(10, 36, 460, 26)},
        {kIds[2], RectAt(10, 72, 460, 52)},
        {kIds[3], RectAt(10, 134, 460, 26)},
        {kIds[4], RectAt(10, 160, 460, 160)},
    }};
    EXPECT_EQ(sms, expectedSms);
    EXPECT_EQ(SmsDialogContentHeight(16, 26), 5 * (40 + 26));
}

TEST(OptionsDialog, ContentHeightIsTheBottomOfTheSequenceBox) {
    struct Case {
        int width, textHeight, aveChar, lines, box1, box2, offset;
    };
    const Case cases[] = {
        {240, 13, 5, 5, 21, 21, 0},
        {480, 16, 7, 2, 26, 30, -40},
        {320, 13, 5, 1, 21, 21, 0},
    };
    for (const Case& c : cases) {
        const OptionsLayout l = LayOutOptionsDialog(c.width, c.textHeight, c.aveChar, c.lines,
                                                    c.box1, c.box2, c.offset);
        EXPECT_EQ(OptionsContentHeight(c.lines, c.textHeight, c.aveChar, c.box1, c.box2),
                  l.sequenceBox.bottom - c.offset);
        EXPECT_EQ(l.sortBox.Height(), c.box1);
        EXPECT_EQ(l.sequenceBox.left, c.aveChar);
        EXPECT_EQ(l.sequenceBox.right, c.width - c.aveChar);
    }
    const OptionsLayout l = LayOutOptionsDialog(240, 13, 5, 3, 21, 21, 0);
    EXPECT_EQ(l.explanation, (TextPlacement{{5, 5, 235, 57}, kDrawNoPrefix}));
    EXPECT_EQ(l.sortByHeading, (TextPlacement{{5, 62, 235, 75}, kDrawBottom}));
    EXPECT_EQ(l.sortBox, RectAt(5, 80, 230, 21));
    EXPECT_EQ(l.sequenceHeading, (TextPlacement{{5, 106, 235, 119}, kDrawBottom}));
    EXPECT_EQ(l.sequenceBox, RectAt(5, 124, 230, 21));
}
