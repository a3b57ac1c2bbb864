#pragma once
// The one place that turns a request into its operation, for the window and the command line.

#include <string_view>

#include "core/operation_request.h"
#include "sms/sms_store_backup.h"

// Runs the operation the request's kind names, driving bar (which may be null). A kind outside
// 1 to 7 runs nothing and yields 0.
ResultCode DispatchOperation(const OperationRequest& request, ProgressBar* bar);

// Kind 6 and then kind 4 to a data file (save's path), as one job: the file is written while the
// store is still read. Each request's summary gets what its own job would have given it; save
// runs only when the read succeeded.
SmsStoreBackupResult BackupSmsStore(const OperationRequest& read, const OperationRequest& save,
                                    ProgressBar* bar);

// The writer a kind 4 export uses for a path.
enum class SmsExportForm { DataFile, Text, Csv, Xml, Folders };

// By the path's last four characters, case-sensitively; anything else (capitals included, or a
// path shorter than four characters) is a folder for the folder-and-file export.
SmsExportForm SmsExportFormOf(std::u16string_view path);
