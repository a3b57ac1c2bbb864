#include "platform/file_time.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(FileTime, OrderConversionsAndShortTexts) {
    FILETIME a = FileTimeFromUint64(0x0000000100000000ull);
    FILETIME b = FileTimeFromUint64(0x00000000FFFFFFFFull);
    EXPECT_EQ(CompareFileTime(a, b), 1);  // the high word decides
    EXPECT_EQ(CompareFileTime(b, a), -1);
    EXPECT_EQ(CompareFileTime(a, a), 0);

    auto parsed = ParseFileTimeText("2026-12-06T17:51:03Z");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(FileTimeToIso8601(*parsed), "2026-12-06T17:51:03Z");
    EXPECT_EQ(FileTimeToUnixSeconds(*parsed), 1796579463);
    EXPECT_EQ(FileTimeToUint64(*ParseFileTimeText("133000000000000000")), 133000000000000000ull);
    EXPECT_FALSE(ParseFileTimeText("2026-02-30T00:00:00Z"));
    EXPECT_FALSE(ParseFileTimeText("2026-12-06 17:51:03"));
    EXPECT_FALSE(ParseFileTimeText(""));

    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(ShortDateText(*parsed), u"12/06/26");
    EXPECT_EQ(ShortTimeText(*parsed), u"17:51:03");
    // Beyond what the platform converts: the texts stay empty.
    EXPECT_EQ(ShortDateText(FileTimeFromUint64(0xFFFFFFFFFFFFFFFFull)), u"");
}
