#pragma once
// A backup of the whole message store to a data file, the common case of the command line's
// backup-sms: the file is written by a second thread while the store is still being read, so the
// job takes about as long as the read alone.

#include <string_view>

#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

struct SmsStoreBackupResult {
    ResultCode read = kResultSuccess;     // 0 or 401, as ReadSmsFromStore
    ResultCode written = kResultSuccess;  // 0 or 403, as ExportSmsDataFile, after a complete read
};

// The same tree, file and results as ReadSmsFromStore followed by ExportSmsDataFile. The tree is
// replaced only by a complete read; the file only by a complete file of a complete read. The bar
// follows the read.
SmsStoreBackupResult BackupSmsStoreToDataFile(SmsTree* tree, std::u16string_view path,
                                              ProgressBar* bar);
