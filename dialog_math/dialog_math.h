#pragma once
// The numbers behind the full-screen dialogs: text wrapping, the scroll bar and every paint-time
// layout, as plain functions of sizes and text metrics. The dialog code measures, calls these and
// applies the result; nothing here knows a window or a toolkit.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/geometry.h"

// Edges in client pixels: the platform's own rectangle, so layouts apply without conversion.
using DialogRect = RECT;

constexpr DialogRect RectAt(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

// A control moved (without repainting) to rect.
struct ControlPlacement {
    int id = 0;
    DialogRect rect;
    bool operator==(const ControlPlacement&) const = default;
};

// DrawTextW format bits that the painted texts use.
inline constexpr std::uint32_t kDrawCenter = 0x0001;    // DT_CENTER
inline constexpr std::uint32_t kDrawBottom = 0x0008;    // DT_BOTTOM
inline constexpr std::uint32_t kDrawNoPrefix = 0x0800;  // DT_NOPREFIX

// A text painted into rect with DrawTextW's format bits.
struct TextPlacement {
    DialogRect rect;
    std::uint32_t format = 0;
    bool operator==(const TextPlacement&) const = default;
};

// ---------------------------------------------------------------------------------------------
// Text wrapping

// Both wrappers work in buffers of this many characters; a wrapped text that would grow past it
// (line breaks included) is cut there.
inline constexpr std::size_t kWrapBufferChars = 1000;

// Width in pixels of a single line of text in the wrapping font (what DrawTextW with DT_CALCRECT
// reports as right - left), or nullopt when the platform cannot measure.
using TextWidthFunction = std::function<std::optional<int>(std::u16string_view text)>;

// Breaks text between characters, just before the character whose addition makes the line reach
// rect.right (a line fits while rect.left + width < rect.right). Returns 0, or -1 with text
// unchanged when a measurement fails. lineCount, when given, receives the number of lines.
// A character that does not fit even alone takes a line of its own.
int WrapTextToWidth(std::u16string& text, const DialogRect& rect, const TextWidthFunction& width,
                    int* lineCount);

// Slices text every (rect width / average character width) characters. Returns 0; or -1 with
// text unchanged and a count of 1 when the average width is not positive, as nothing can be
// sliced by it. A rectangle narrower than one average character gives one character per line.
int WrapTextByAverageWidth(std::u16string& text, const DialogRect& rect, int aveCharWidth,
                           int& lineCount);

// ---------------------------------------------------------------------------------------------
// Vertical scroll bar

inline constexpr int kScrollPage = 100;

// What UpdateDialogScrollBar does for content height C in a window of height H.
struct ScrollBarDecision {
    // Non-zero: first set the position to 0 without redraw and scroll the content, children
    // included, down by this many pixels (back to the top).
    int scrollBackBy = 0;
    // true: add WS_VSCROLL and set range 0..maximum, page kScrollPage, position and track 0,
    // without redraw. false: remove WS_VSCROLL.
    bool needsScrollBar = false;
    int maximum = 0;
    bool operator==(const ScrollBarDecision&) const = default;
};

ScrollBarDecision DecideDialogScrollBar(int contentHeight, int windowHeight, bool hasScrollBar,
                                        int position);

// WM_VSCROLL's scroll codes (the SB_ values).
enum class ScrollCode : int {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
    EndScroll = 8,
};

struct ScrollBarInfo {
    int maximum = 0;
    int page = 0;
    int position = 0;
};

// What ScrollDialogVertically does. When changed: set the position to newPosition (redrawing the
// bar only in the redrawing variant) and scroll the client area by scrollBy vertically, without
// the child windows, invalidating it (and erasing it in the non-redrawing variant).
struct ScrollMove {
    bool changed = false;
    int newPosition = 0;
    int scrollBy = 0;  // old position - new position
    bool redrawBar = false;
    bool erase = false;
    bool operator==(const ScrollMove&) const = default;
};

ScrollMove ScrollDialogPosition(const ScrollBarInfo& bar, int scrollCode, int thumb,
                                bool redrawingVariant);

// WM_VSCROLL's first parameter: the code in the low word, the thumb as the signed high word.
constexpr int ScrollCodeOf(std::uint32_t wParam) {
    return static_cast<int>(wParam & 0xFFFFu);
}
constexpr int ThumbPositionOf(std::uint32_t wParam) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(wParam >> 16));
}

// ---------------------------------------------------------------------------------------------
// Main panel and About box

// The banner is centred when the client is wider, else drawn from the left edge and cut.
int BannerLeft(int clientWidth, int bannerWidth);

// Sizes of the three pictures as loaded; a banner that did not load counts 0 high.
struct PictureSizes {
    int bannerWidth = 0;
    int bannerHeight = 0;
    int headerFillHeight = 0;
};

// Five controls' ids, top to bottom, as the caller's resources name them.
using ColumnIds = std::array<int, 5>;

// textHeight is the panel's own font; buttonHeight the "Backup Contacts" button's window.
int MainPanelContentHeight(int bannerHeight, int textHeight, int buttonHeight);

struct MainPanelLayout {
    int surfaceWidth = 0;  // the off-screen surface, copied to (0, 0) whole
    int surfaceHeight = 0;
    DialogRect headerFill;                    // the whole header fill stretched here
    DialogRect banner;                        // copied unscaled
    DialogRect bodyFill;                      // the whole body fill stretched here
    TextPlacement title;                      // "Velloro", bold
    std::array<ControlPlacement, 5> buttons;  // in the order of the ids given
};

// offset is 0, or minus the scroll position when the panel has a scroll bar. The pictures are
// drawn only when all three loaded; the buttons are placed regardless.
MainPanelLayout LayOutMainPanel(const ColumnIds& buttonIds, int clientWidth, int clientHeight,
                                int contentHeight, int textHeight, int buttonHeight,
                                const PictureSizes& pictures, int offset);

struct AboutBoxLayout {
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    DialogRect bodyFill;
    DialogRect headerFill;
    DialogRect banner;
    TextPlacement title;    // "Velloro"
    TextPlacement version;  // "Version: 1.2.3"
    TextPlacement address;  // the web address, wrapped to address.rect's width
};

AboutBoxLayout LayOutAboutBox(int clientWidth, int clientHeight, int textHeight,
                              const PictureSizes& pictures);

// ---------------------------------------------------------------------------------------------
// Contacts dialog (template 109) and SMS dialog (template 138)

// buttonHeight is the "Change file path" button's height at the first computation.
int ContactsDialogContentHeight(int buttonHeight);

// Label, button, path box, label, combo box, top to bottom.
std::array<ControlPlacement, 5> LayOutContactsDialog(const ColumnIds& ids, int clientWidth,
                                                     int buttonHeight, int comboHeight, int offset);

int SmsDialogContentHeight(int textHeight, int buttonHeight);

// Label, button, path box, label, tree, top to bottom.
std::array<ControlPlacement, 5> LayOutSmsDialog(const ColumnIds& ids, int clientWidth,
                                                int buttonHeight, int textHeight, int offset);

// ---------------------------------------------------------------------------------------------
// Options dialog (template 139)

// Wraps the explanation between A and W - A; when it cannot be measured, slices it by the average
// width in a rectangle narrowed by 10 average widths. Returns the line count.
int WrapOptionsExplanation(std::u16string& text, int clientWidth, int aveCharWidth,
                           const TextWidthFunction& width);

// lineCount from WrapOptionsExplanation; the heights are the two combo boxes' windows.
int OptionsContentHeight(int lineCount, int textHeight, int aveCharWidth, int sortBoxHeight,
                         int sequenceBoxHeight);

struct OptionsLayout {
    TextPlacement explanation;
    TextPlacement sortByHeading;  // "Sort by", bold
    DialogRect sortBox;
    TextPlacement sequenceHeading;  // "Sequence", bold
    DialogRect sequenceBox;
};

OptionsLayout LayOutOptionsDialog(int clientWidth, int textHeight, int aveCharWidth, int lineCount,
                                  int sortBoxHeight, int sequenceBoxHeight, int offset);
