#pragma once
// The three contact jobs, as the dispatcher runs them. Each accepts a null bar and fills the
// summary when one is given.

#include <cstdint>
#include <string_view>

#include "core/operation_summary.h"
#include "core/result_code.h"
#include "platform/progress_bar.h"

// 0, or 1 to 7.
ResultCode ExportContactsToFile(std::u16string_view path, std::int32_t contactType,
                                ProgressBar* bar, OperationSummary* summary = nullptr);
// 0, or 101 to 111.
ResultCode ImportContactsFromFile(std::u16string_view path, std::int32_t contactType,
                                  ProgressBar* bar, OperationSummary* summary = nullptr);
// 0, or 201 to 205.
ResultCode CopySimContactsToPhone(ProgressBar* bar, OperationSummary* summary = nullptr);
