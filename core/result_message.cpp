#include "core/result_code.h"

#include <string_view>

#include "platform/text.h"

namespace {

struct MessageRow {
    ResultCode code;
    std::u16string_view text;
};

constexpr MessageRow kMessages[] = {
    {1, u"Export failed. The contact type is invalid. Select a valid contact type and try again."},
    {2, u"Export failed. The file path is invalid. Input a valid file path and try again."},
    {3,
     u"Export failed. Cannot initialize SIM card. Please check the SIM card is ready and try "
     u"again."},
    {4,
     u"Export failed. Cannot access SIM card. Please check the SIM card is ready and try again."},
    {5, u"Export failed. Cannot initialize COM object. Please restart device and try again."},
    {6, u"Export failed. Cannot access phone's contacts. Please restart device and try again."},
    {7,
     u"Export failed. Cannot write contacts to file. Please check the file is not a read-only file "
     u"and try again."},
    {101,
     u"Import failed. The contact type is invalid. Select a valid contact type and try again."},
    {102, u"Import failed. The file path is invalid. Input a valid file path and try again."},
    {103,
     u"Import failed. Please check the file is existed and encoding is Unicode little-endian."},
    {104,
     u"Import failed. Cannot initialize SIM card. Please check the SIM card is ready and try "
     u"again."},
    {105,
     u"Import failed. Cannot access SIM card. Please check the SIM card is ready and try again."},
    {106,
     u"Import failed. SIM card has not enough space. Please make sure SIM card has enough space "
     u"and try again."},
    {107,
     u"Import didn't succeed fully. Some SIM contacts may not be imported to SIM card because of "
     u"writing SIM card failure."},
    {108, u"Import failed. Cannot initialize COM object. Please restart device and try again."},
    {109, u"Import failed. Cannot access phone's contacts. Please restart device and try again."},
    {110,
     u"Import didn't succeed fully. Some phone contacts may not be imported to phone because of "
     u"accessing phone's contacts failure."},
    {111,
     u"Import didn't succeed fully. Some of SIM and phone contacts may not be imported to SIM card "
     u"and phone because of accessing SIM card and phone's contacts failure."},
    {201,
     u"Copy failed. Cannot initialize SIM card. Please check the SIM card is ready and try again."},
    {202,
     u"Copy failed. Cannot access SIM card. Please check the SIM card is ready and try again."},
    {203, u"Copy failed. Cannot initialize COM object. Please restart device and try again."},
    {204, u"Copy failed. Cannot access phone's contacts. Please restart device and try again."},
    {205,
     u"Copy didn't succeed fully. Some SIM contacts may not be copied to phone because of "
     u"accessing phone's contacts failure."},
    {401,
     u"Read SMS failed. Please restart device and try again. If the problem still exists, please "
     u"contact your vendor."},
    {402, u"Parse file failed. Please check the file is right and try again."},
    {403, u"Export SMS failed. Please restart device and try again."},
    {404, u"Import SMS failed. Please restart device and try again."},
};

}  // namespace

std::u16string ResultMessage(ResultCode code) {
    std::u16string text;
    for (const MessageRow& row : kMessages) {
        if (row.code == code) {
            text = row.text.substr(0, kResultMessageMaxText);
            break;
        }
    }
    text += u'(';
    text += DecimalText(code);
    text += u')';
    return text;
}
