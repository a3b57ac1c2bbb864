#pragma once

#include <cstdint>
#include <string>

// 0 is success; failures are positive and grouped by operation: 1-7 export contacts,
// 101-111 import contacts, 201-205 copy SIM contacts, 401-404 SMS. 107, 110, 111 and 205 mean
// partial success and are shown like failures.
using ResultCode = std::int32_t;

// Their names; the values are what users see in messages and what the tests check.
enum ResultCodes : ResultCode {
    kResultSuccess = 0,

    kExportInvalidContactType = 1,
    kExportInvalidPath = 2,
    kExportSimInitFailed = 3,
    kExportSimAccessFailed = 4,
    kExportComInitFailed = 5,
    kExportContactsAccessFailed = 6,
    kExportWriteFailed = 7,

    kImportInvalidContactType = 101,
    kImportInvalidPath = 102,
    kImportFileUnreadable = 103,
    kImportSimInitFailed = 104,
    kImportSimAccessFailed = 105,
    kImportSimFull = 106,
    kImportSimPartial = 107,
    kImportComInitFailed = 108,
    kImportContactsAccessFailed = 109,
    kImportPhonePartial = 110,
    kImportSimAndPhonePartial = 111,

    kCopySimInitFailed = 201,
    kCopySimAccessFailed = 202,
    kCopyComInitFailed = 203,
    kCopyContactsAccessFailed = 204,
    kCopyPartial = 205,

    kSmsReadFailed = 401,
    kSmsParseFailed = 402,
    kSmsExportFailed = 403,
    kSmsImportFailed = 404,
};

constexpr std::size_t kResultMessageMaxText = 300;

// The text for the code followed by the code in parentheses, "(%d)", with no blank between.
// A code outside the table yields only the parenthesised code.
std::u16string ResultMessage(ResultCode code);
