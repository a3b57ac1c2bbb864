// Every code with its text, so a swapped or mistyped text fails here and not in front of a user.
#include <gtest/gtest.h>

#include "core/result_code.h"
#include "platform/text.h"

namespace {

struct Row {
    ResultCode code;
    std::u16string_view text;
};

constexpr Row kTexts[] = {
    {kExportInvalidContactType,
     u"Export failed. The contact type is invalid. Select a valid contact type and try again."},
    {kExportInvalidPath,
     u"Export failed. The file path is invalid. Input a valid file path and try again."},
    {kExportSimInitFailed,
     u"Export failed. Cannot initialize SIM card. Please check the SIM card is ready and try "
     u"again."},
    {kExportSimAccessFailed,
     u"Export failed. Cannot access SIM card. Please check the SIM card is ready and try again."},
    {kExportComInitFailed,
     u"Export failed. Cannot initialize COM object. Please restart device and try again."},
    {kExportContactsAccessFailed,
     u"Export failed. Cannot access phone's contacts. Please restart device and try again."},
    {kExportWriteFailed,
     u"Export failed. Cannot write contacts to file. Please check the file is not a read-only file "
     u"and try again."},
    {kImportInvalidContactType,
     u"Import failed. The contact type is invalid. Select a valid contact type and try again."},
    {kImportInvalidPath,
     u"Import failed. The file path is invalid. Input a valid file path and try again."},
    {kImportFileUnreadable,
     u"Import failed. Please check the file is existed and encoding is Unicode little-endian."},
    {kImportSimInitFailed,
     u"Import failed. Cannot initialize SIM card. Please check the SIM card is ready and try "
     u"again."},
    {kImportSimAccessFailed,
     u"Import failed. Cannot access SIM card. Please check the SIM card is ready and try again."},
    {kImportSimFull,
     u"Import failed. SIM card has not enough space. Please make sure SIM card has enough space "
     u"and try again."},
    {kImportSimPartial,
     u"Import didn't succeed fully. Some SIM contacts may not be imported to SIM card because of "
     u"writing SIM card failure."},
    {kImportComInitFailed,
     u"Import failed. Cannot initialize COM object. Please restart device and try again."},
    {kImportContactsAccessFailed,
     u"Import failed. Cannot access phone's contacts. Please restart device and try again."},
    {kImportPhonePartial,
     u"Import didn't succeed fully. Some phone contacts may not be imported to phone because of "
     u"accessing phone's contacts failure."},
    {kImportSimAndPhonePartial,
     u"Import didn't succeed fully. Some of SIM and phone contacts may not be imported to SIM card "
     u"and phone because of accessing SIM card and phone's contacts failure."},
    {kCopySimInitFailed,
     u"Copy failed. Cannot initialize SIM card. Please check the SIM card is ready and try again."},
    {kCopySimAccessFailed,
     u"Copy failed. Cannot access SIM card. Please check the SIM card is ready and try again."},
    {kCopyComInitFailed,
     u"Copy failed. Cannot initialize COM object. Please restart device and try again."},
    {kCopyContactsAccessFailed,
     u"Copy failed. Cannot access phone's contacts. Please restart device and try again."},
    {kCopyPartial,
     u"Copy didn't succeed fully. Some SIM contacts may not be copied to phone because of "
     u"accessing phone's contacts failure."},
    {kSmsReadFailed,
     u"Read SMS failed. Please restart device and try again. If the problem still exists, please "
     u"contact your vendor."},
    {kSmsParseFailed, u"Parse file failed. Please check the file is right and try again."},
    {kSmsExportFailed, u"Export SMS failed. Please restart device and try again."},
    {kSmsImportFailed, u"Import SMS failed. Please restart device and try again."},
};

TEST(ResultMessage, EachCodeGivesItsTextFollowedByTheCode) {
    for (const Row& row : kTexts) {
        EXPECT_EQ(ResultMessage(row.code),
                  std::u16string(row.text) + u"(" + DecimalText(row.code) + u")")
            << row.code;
    }
    EXPECT_EQ(ResultMessage(kExportWriteFailed).size(), 109u);
}

TEST(ResultMessage, UnknownCodeGivesOnlyTheCode) {
    for (int code : {-1, 0, 8, 112, 999})
        EXPECT_EQ(ResultMessage(code), u"(" + DecimalText(code) + u")");
}

}  // namespace
