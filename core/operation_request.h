#pragma once
// One long job of the program, as the asking window describes it.

#include <cstdint>
#include <string>

#include "core/result_code.h"
#include "platform/hwnd.h"
#include "platform/progress_bar.h"

struct SmsTree;

enum class OperationKind : std::uint32_t {
    ExportContacts = 1,
    ImportContacts = 2,
    CopySimToPhone = 3,
    ExportSms = 4,
    RestoreSms = 5,
    ReadSmsFromStore = 6,
    LoadSmsDataFile = 7,
};

enum ContactTypeChoice : std::int32_t { Sim = 1, Phone = 2, SimAndPhone = 3 };

// The path box gives at most 256 characters; the request's buffer holds 258 with its NUL.
constexpr std::size_t kRequestPathMax = 257;

struct OperationRequest {
    HWND owner = nullptr;
    std::uint32_t kind = 0;
    std::u16string path;           // empty for kinds 3, 5 and 6
    std::int32_t contactType = 0;  // kinds 1 and 2
    SmsTree* smsTree = nullptr;    // kinds 4 to 7; not owned
};
