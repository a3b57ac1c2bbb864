#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "dialog_math/dialog_math.h"

namespace {

// Every character is 10 pixels wide except 'W', which is 60: wider than the test rectangle.
TextWidthFunction FixedWidths() {
    return [](std::u16string_view text) -> std::optional<int> {
        int width = 0;
        for (char16_t c : text)
            width += c == u'W' ? 60 : 10;
        return width;
    };
}

// Fails once a line reaches failFrom characters, as a platform that gives up mid-walk.
TextWidthFunction FailingFrom(std::size_t failFrom) {
    return [failFrom](std::u16string_view text) -> std::optional<int> {
        if (text.size() >= failFrom) return std::nullopt;
        return static_cast<int>(text.size()) * 10;
    };
}

struct WrapCase {
    const char* name;
    std::u16string text;
    DialogRect rect;
    std::u16string wrapped;
    int lines;
};

}  // namespace

TEST(WrapTextToWidth, BreaksJustBeforeTheCharacterThatReachesTheRightEdge) {
    // Five characters reach x = 50 exactly, so a 0..50 rectangle holds four per line.
    const WrapCase cases[] = {
        {"fits", u"ABCD", {0, 0, 50, 20}, u"ABCD", 1},
        {"empty", u"", {0, 0, 50, 20}, u"", 1},
        {"last character overflows", u"ABCDE", {0, 0, 50, 20}, u"ABCD\nE", 2},
        {"inside a word", u"Hello world", {0, 0, 50, 20}, u"Hell\no wo\nrld", 3},
        {"right edge counts from the left", u"ABCDEF", {30, 0, 80, 20}, u"ABCD\nEF", 2},
        {"narrower than a character", u"ABC", {0, 0, 5, 20}, u"A\nB\nC", 3},
        {"no width at all", u"ABC", {40, 0, 40, 20}, u"A\nB\nC", 3},
        {"one glyph too wide", u"aWb", {0, 0, 50, 20}, u"a\nW\nb", 3},
        {"stops at a NUL", std::u16string(u"AB\0CD", 5), {0, 0, 50, 20}, u"AB", 1},
    };
    for (const WrapCase& c : cases) {
        std::u16string text = c.text;
        int lines = -1;
        EXPECT_EQ(WrapTextToWidth(text, c.rect, FixedWidths(), &lines), 0) << c.name;
        EXPECT_EQ(text, c.wrapped) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
    }
    std::u16string text = u"ABCDEFGHIJ";
    EXPECT_EQ(WrapTextToWidth(text, {0, 0, 50, 20}, FixedWidths(), nullptr), 0);
    EXPECT_EQ(text, u"ABCD\nEFGH\nIJ");
}

TEST(WrapTextToWidth, LeavesTheTextAloneWhenItCannotBeMeasured) {
    for (std::size_t failFrom : {0u, 3u, 5u}) {
        std::u16string text = u"ABCDEFGH";
        int lines = 7;
        EXPECT_EQ(WrapTextToWidth(text, {0, 0, 50, 20}, FailingFrom(failFrom), &lines), -1);
        EXPECT_EQ(text, u"ABCDEFGH");
        EXPECT_EQ(lines, 7);
    }
    std::u16string text = u"AB";
    EXPECT_EQ(WrapTextToWidth(text, {0, 0, 50, 20}, TextWidthFunction{}, nullptr), -1);
}

TEST(WrapTextToWidth, KeepsWithinTheBufferAndCountsTheLinesKept) {
    // One character per line doubles the length; the result is cut at the buffer's size.
    std::u16string text(1500, u'A');
    int lines = 0;
    ASSERT_EQ(WrapTextToWidth(text, {0, 0, 5, 20}, FixedWidths(), &lines), 0);
    ASSERT_LE(text.size(), kWrapBufferChars);
    EXPECT_NE(text.back(), u'\n');
    EXPECT_EQ(text.substr(0, 6), u"A\nA\nA\n");
    EXPECT_EQ(lines, 1 + std::count(text.begin(), text.end(), u'\n'));
    EXPECT_EQ(lines, 500);
}

TEST(WrapTextByAverageWidth, SlicesByCharactersPerLineAndRefusesAZeroAverage) {
    // 100 pixels at 10 per character: ten per line.
    const WrapCase cases[] = {
        {"fits", u"0123456789", {0, 0, 100, 0}, u"0123456789", 1},
        {"empty", u"", {0, 0, 100, 0}, u"", 1},
        {"exact multiple", u"0123456789abcdefghij", {0, 0, 100, 0}, u"0123456789\nabcdefghij", 2},
        {"remainder",
         u"0123456789abcdefghijXYZ",
         {0, 0, 100, 0},
         u"0123456789\nabcdefghij\nXYZ",
         3},
        {"narrower than a character", u"abc", {0, 0, 5, 0}, u"a\nb\nc", 3},
        {"negative width", u"abc", {50, 0, 10, 0}, u"a\nb\nc", 3},
    };
    for (const WrapCase& c : cases) {
        std::u16string text = c.text;
        int lines = -1;
        EXPECT_EQ(WrapTextByAverageWidth(text, c.rect, 10, lines), 0) << c.name;
        EXPECT_EQ(text, c.wrapped) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
    }
    std::u16string text = u"some text";
    int lines = 9;
    EXPECT_EQ(WrapTextByAverageWidth(text, {0, 0, 100, 0}, 0, lines), -1);
    EXPECT_EQ(text, u"some text");
    EXPECT_EQ(lines, 1);
}

TEST(WrapOptionsExplanation, MeasuresBetweenTheMarginsAndFallsBackToSlicesNarrowedBy10Chars) {
    const std::u16string explanation =
        u"SMS messages can be exported to files in sequence. Please designate the sequence "
        u"parameters.";
    // 240 wide with A = 5: 5..235 measured holds 22 characters of 10 pixels per line.
    std::u16string measured = explanation;
    EXPECT_EQ(WrapOptionsExplanation(measured, 240, 5, FixedWidths()), 5);
    EXPECT_EQ(measured.substr(0, 23), u"SMS messages can be ex\n");
    // Unmeasurable: 5..185 by 5-pixel averages is 36 characters per line.
    std::u16string sliced = explanation;
    EXPECT_EQ(WrapOptionsExplanation(sliced, 240, 5, FailingFrom(0)), 3);
    EXPECT_EQ(sliced.find(u'\n'), 36u);
}
