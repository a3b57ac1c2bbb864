#include <gtest/gtest.h>

#include "core/result_code.h"
#include "platform/text.h"

TEST(ResultMessage, KnownCodesHaveTheirTextUnknownOnlyTheCode) {
    std::u16string seven = ResultMessage(7);
    EXPECT_EQ(seven.size(), 109u);
    EXPECT_TRUE(seven.ends_with(u"read-only file and try again.(7)"));
    EXPECT_EQ(ResultMessage(106).substr(0, 14), u"Import failed.");
    EXPECT_TRUE(ResultMessage(106).ends_with(u"try again.(106)"));
    EXPECT_EQ(ResultMessage(111).size(), 161u + 5u);  // the longest text
    for (int code : {1,   2,   3,   4,   5,   6,   7,   101, 102, 103, 104, 105, 106, 107,
                     108, 109, 110, 111, 201, 202, 203, 204, 205, 401, 402, 403, 404})
        EXPECT_GT(ResultMessage(code).size(), 40u) << code;
    for (int code : {-1, 0, 8, 112, 999})
        EXPECT_EQ(ResultMessage(code), u"(" + DecimalText(code) + u")");
}
