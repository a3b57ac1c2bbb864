#include <algorithm>

#include "dialog_math/dialog_math.h"

namespace {

// The contacts and SMS dialogs share one column: 10 pixels from each side.
constexpr int kColumnMargin = 10;

ControlPlacement InColumn(int id, int clientWidth, int y, int height) {
    return {id, RectAt(kColumnMargin, y, clientWidth - 2 * kColumnMargin, height)};
}

// The path-choosing column of both file dialogs; only the last control's height differs.
std::array<ControlPlacement, 5> LayOutPathColumn(const std::array<int, 5>& ids, int clientWidth,
                                                 int h, int lastHeight, int offset) {
    return {{
        InColumn(ids[0], clientWidth, offset + 10, h),
        InColumn(ids[1], clientWidth, offset + (h + 10), h),
        InColumn(ids[2], clientWidth, offset + 2 * (h + 10), 2 * h),
        InColumn(ids[3], clientWidth, offset + 4 * (h + 10) - 10, h),
        InColumn(ids[4], clientWidth, offset + 5 * (h + 6), lastHeight),
    }};
}

}  // namespace

int BannerLeft(int clientWidth, int bannerWidth) {
    return clientWidth > bannerWidth ? (clientWidth - bannerWidth) / 2 : 0;
}

int MainPanelContentHeight(int bannerHeight, int textHeight, int buttonHeight) {
    return bannerHeight + 2 * textHeight + 5 * (buttonHeight + textHeight);
}

MainPanelLayout LayOutMainPanel(const ColumnIds& buttonIds, int clientWidth, int clientHeight,
                                int contentHeight, int textHeight, int buttonHeight,
                                const PictureSizes& pictures, int offset) {
    const int w = clientWidth;
    const int c = std::max(contentHeight, clientHeight);
    const int t = textHeight;
    const int b = buttonHeight;
    const int bannerHeight = pictures.bannerHeight;

    MainPanelLayout layout;
    layout.surfaceWidth = w;
    layout.surfaceHeight = c;
    layout.headerFill = RectAt(0, offset, w, pictures.headerFillHeight);
    layout.banner =
        RectAt(BannerLeft(w, pictures.bannerWidth), offset, pictures.bannerWidth, bannerHeight);
    layout.bodyFill = RectAt(0, bannerHeight + offset, w, c - bannerHeight);
    layout.title = {RectAt(0, bannerHeight + offset, w, t), kDrawCenter | kDrawBottom};
    // Stacked upwards from the bottom of the content, so extra height opens above the buttons.
    const int count = static_cast<int>(buttonIds.size());
    for (int k = 0; k < count; ++k) {
        const int fromBottom = count - k;
        layout.buttons[k] = {buttonIds[k],
                             RectAt(t, c - fromBottom * (b + t) + offset, w - 2 * t, b)};
    }
    return layout;
}

AboutBoxLayout LayOutAboutBox(int clientWidth, int clientHeight, int textHeight,
                              const PictureSizes& pictures) {
    const int w = clientWidth;
    const int b = pictures.bannerHeight;
    const int t = textHeight;

    AboutBoxLayout layout;
    layout.surfaceWidth = w;
    layout.surfaceHeight = clientHeight;
    layout.bodyFill = RectAt(0, b, w, clientHeight);
    layout.headerFill = RectAt(0, 0, w, pictures.headerFillHeight);
    layout.banner = RectAt(BannerLeft(w, pictures.bannerWidth), 0, pictures.bannerWidth, b);
    layout.title = {{0, b, w, b + t}, kDrawCenter | kDrawBottom};
    layout.version = {{0, b + 2 * t, w, b + 3 * t}, kDrawCenter | kDrawBottom};
    layout.address = {{0, b + 4 * t, w, b + 7 * t}, kDrawCenter};
    return layout;
}

int ContactsDialogContentHeight(int buttonHeight) {
    return 6 * buttonHeight + 40;
}

std::array<ControlPlacement, 5> LayOutContactsDialog(const ColumnIds& ids, int clientWidth,
                                                     int buttonHeight, int comboHeight,
                                                     int offset) {
    return LayOutPathColumn(ids, clientWidth, buttonHeight, comboHeight, offset);
}

int SmsDialogContentHeight(int textHeight, int buttonHeight) {
    return 5 * (2 * (textHeight + 4) + buttonHeight);
}

std::array<ControlPlacement, 5> LayOutSmsDialog(const ColumnIds& ids, int clientWidth,
                                                int buttonHeight, int textHeight, int offset) {
    return LayOutPathColumn(ids, clientWidth, buttonHeight, 10 * textHeight, offset);
}

int OptionsContentHeight(int lineCount, int textHeight, int aveCharWidth, int sortBoxHeight,
                         int sequenceBoxHeight) {
    return (lineCount + 3) * textHeight + 5 * aveCharWidth + sortBoxHeight + sequenceBoxHeight;
}

OptionsLayout LayOutOptionsDialog(int clientWidth, int textHeight, int aveCharWidth, int lineCount,
                                  int sortBoxHeight, int sequenceBoxHeight, int offset) {
    const int a = aveCharWidth;
    const int t = textHeight;
    const int left = a;
    const int right = clientWidth - a;

    OptionsLayout layout;
    int top = offset + a;
    // One spare line under the explanation.
    layout.explanation = {{left, top, right, top + t * (lineCount + 1)}, kDrawNoPrefix};
    top = layout.explanation.rect.bottom + a;
    layout.sortByHeading = {{left, top, right, top + t}, kDrawBottom};
    top = layout.sortByHeading.rect.bottom + a;
    layout.sortBox = RectAt(left, top, clientWidth - 2 * a, sortBoxHeight);
    top = layout.sortBox.bottom + a;
    layout.sequenceHeading = {{left, top, right, top + t}, kDrawBottom};
    top = layout.sequenceHeading.rect.bottom + a;
    layout.sequenceBox = RectAt(left, top, clientWidth - 2 * a, sequenceBoxHeight);
    return layout;
}
