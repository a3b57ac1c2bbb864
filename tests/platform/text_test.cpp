#include "platform/text.h"
#include "platform/csv_cell.h"

#include <gtest/gtest.h>

TEST(Text, AnsiIsWindows1252IncludingTheBytesIconvRefuses) {
    std::string bytes = "A\x80\x81\x8D\x8F\x90\x9D\x9F\xE9\xFF";
    std::u16string expected = {u'A',   0x20AC, 0x0081, 0x008D, 0x008F,
                               0x0090, 0x009D, 0x0178, 0x00E9, 0x00FF};
    EXPECT_EQ(AnsiToUtf16(bytes), expected);
    EXPECT_EQ(AnsiToUtf16(""), u"");
}

TEST(Text, Utf8RoundTripsEveryPlaneAndReplacesWhatIsNotText) {
    std::u16string text = u"Anna \u00e9\u4e2d\U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    // Truncated sequence, overlong form, encoded surrogate, lone surrogate.
    EXPECT_EQ(Utf8ToUtf16("a\xE4\xB8"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xD800) + u"x"), "\xEF\xBF\xBDx");
}

TEST(Text, CaseIsIgnoredOnlyForLettersAndLimitsStopAtNul) {
    EXPECT_TRUE(EqualsIgnoreCase(u"simcontact", u"SIMContact"));
    EXPECT_FALSE(EqualsIgnoreCase(u"Name", u"Name "));
    EXPECT_FALSE(EqualsIgnoreCase(u"[", u"{"));  // 0x5B and 0x7B differ by 32 but are not letters
    EXPECT_EQ(LimitedText(u"abcdef", 4), u"abcd");
    EXPECT_EQ(LimitedText(std::u16string(u"ab\0cd", 5), 4), u"ab");
    EXPECT_EQ(DecimalText(-106), u"-106");
}

// Every cut to a unit limit goes through CutToUnits, so no limit can keep half a character.
TEST(Text, CutsNeverKeepHalfASurrogatePair) {
    const std::u16string smile = u"\U0001F600";  // D83D DE00
    const std::u16string lone = std::u16string(1, 0xD83D);
    struct Case {
        std::u16string text;
        std::size_t limit;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"abcdefghijklm" + smile, 14, u"abcdefghijklm"},  // the SIM name of the fault
        {u"abcdefghijklm" + smile, 15, u"abcdefghijklm" + smile},
        {u"abcdefghijkl" + smile + u"x", 14, u"abcdefghijkl" + smile},
        {smile + smile, 3, smile},
        {smile, 1, u""},
        {u"ab" + lone, 5, u"ab" + lone},  // no cut: the text stays as it is
        {u"abc", 0, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutToUnits(c.text, c.limit), c.expected) << c.limit;
        EXPECT_EQ(LimitedText(c.text, c.limit), c.expected) << c.limit;
    }
}

TEST(Text, CsvCellsDoubleQuotesInsideBrackets) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u"\"[]\""},
        {u"5\" screen", u"\"[5\"\" screen]\""},
        {u"\"\"", u"\"[\"\"\"\"]\""},
        {u"a,b\n\tc", u"\"[a,b\n\tc]\""},
    };
    for (const auto& [text, cell] : cases) {
        std::u16string out = u"x";
        AppendCsvCell(out, text);
        EXPECT_EQ(out, u"x" + cell);
    }
}
