#include <climits>

#include <gtest/gtest.h>

#include "dialog_math/dialog_math.h"

TEST(DecideDialogScrollBar, AddsABarOnlyForContentTallerThanTheWindowAndScrollsBackFirst) {
    struct Case {
        const char* name;
        int content, window;
        bool hasBar;
        int position;
        ScrollBarDecision expected;
    };
    const Case cases[] = {
        {"50 taller", 350, 300, false, 0, {0, true, 150}},
        {"equal", 300, 300, false, 0, {0, false, 0}},
        {"one taller", 301, 300, false, 0, {0, true, 101}},
        {"rotated to fit while scrolled", 350, 400, true, 30, {30, false, 0}},
        {"rotated, still taller, scrolled", 500, 300, true, 30, {30, true, 300}},
        {"bar at the top", 500, 300, true, 0, {0, true, 300}},
        {"no bar, stale position", 200, 300, false, 30, {0, false, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideDialogScrollBar(c.content, c.window, c.hasBar, c.position), c.expected)
            << c.name;
    }
}

TEST(ScrollDialogPosition, MovesByEveryCodeAndClampsToTheScrollableRange) {
    using enum ScrollCode;
    struct Case {
        const char* name;
        ScrollBarInfo bar;
        ScrollCode code;
        int thumb;
        int expected;  // new position; the old one when nothing moves
    };
    // Content 50 pixels taller than the window: maximum 150, page 100, positions 0..50.
    const Case cases[] = {
        {"line down", {150, 100, 0}, LineDown, 0, 10},
        {"line up", {150, 100, 25}, LineUp, 0, 15},
        {"line up at the top", {150, 100, 0}, LineUp, 0, 0},
        {"line down at the bottom", {150, 100, 50}, LineDown, 0, 50},
        {"page down clamps", {150, 100, 0}, PageDown, 0, 50},
        {"page up clamps", {150, 100, 40}, PageUp, 0, 0},
        {"thumb", {150, 100, 0}, ThumbPosition, 30, 30},
        {"thumb track", {150, 100, 0}, ThumbTrack, 45, 45},
        {"thumb above", {150, 100, 10}, ThumbPosition, -5, 0},
        {"thumb below", {150, 100, 10}, ThumbTrack, 80, 50},
        {"top does nothing", {150, 100, 30}, Top, 0, 30},
        {"bottom does nothing", {150, 100, 30}, Bottom, 0, 30},
        {"end scroll does nothing", {150, 100, 30}, EndScroll, 0, 30},
        {"line under five pixels rounds to 0", {104, 100, 2}, LineDown, 0, 2},
        {"range 2000: line is 400", {2100, 100, 0}, LineDown, 0, 400},
        {"negative range goes to 0", {50, 100, 20}, PageDown, 0, 0},
    };
    for (const Case& c : cases) {
        ScrollMove move = ScrollDialogPosition(c.bar, static_cast<int>(c.code), c.thumb, true);
        EXPECT_EQ(move.changed, c.expected != c.bar.position) << c.name;
        if (move.changed) {
            EXPECT_EQ(move.newPosition, c.expected) << c.name;
            EXPECT_EQ(move.scrollBy, c.bar.position - c.expected) << c.name;
        }
    }
    EXPECT_FALSE(ScrollDialogPosition({150, 100, 30}, 99, 0, true).changed);
    // Only the redrawing variant redraws the bar, and only the other erases.
    EXPECT_EQ(ScrollDialogPosition({150, 100, 0}, 1, 0, true),
              (ScrollMove{true, 10, -10, true, false}));
    EXPECT_EQ(ScrollDialogPosition({150, 100, 0}, 1, 0, false),
              (ScrollMove{true, 10, -10, false, true}));
    // Extreme bar values neither overflow nor move backwards.
    ScrollMove move = ScrollDialogPosition({INT_MAX, INT_MIN, 0}, 1, 0, true);
    EXPECT_TRUE(move.changed);
    EXPECT_GE(move.newPosition, 0);
    EXPECT_FALSE(ScrollDialogPosition({INT_MIN, INT_MAX, 0}, 1, 0, true).changed);
}

TEST(ScrollWParam, CodeIsTheLowWordAndThumbTheSignedHighWord) {
    EXPECT_EQ(ScrollCodeOf(0x001E0005u), 5);
    EXPECT_EQ(ThumbPositionOf(0x001E0005u), 30);
    EXPECT_EQ(ThumbPositionOf(0xFFFB0004u), -5);
    EXPECT_EQ(ScrollCodeOf(0xFFFB0004u), 4);
}
