#pragma once
// The SMS jobs of kinds 4 to 7, as the dispatcher runs them. Each accepts a null bar.

#include <string_view>

#include "core/operation_summary.h"
#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "sms/sms_csv_export.h"
#include "sms/sms_data_file.h"
#include "sms/sms_folder_export.h"
#include "sms/sms_text_export.h"
#include "sms/sms_tree.h"
#include "sms/sms_xml.h"

// Kind 4's text and CSV exports read the export order from the registry at every run: 0 or 403.
ResultCode ExportSmsText(SmsTree* tree, std::u16string_view path, ProgressBar* bar);
ResultCode ExportSmsCsv(SmsTree* tree, std::u16string_view path, ProgressBar* bar);
// Kind 5: writes the ticked tree into the message store: 0 or 404. The summary gets the restore's
// counts; skipExisting leaves out messages their folder already holds.
ResultCode RestoreSms(SmsTree* tree, ProgressBar* bar, OperationSummary* summary = nullptr,
                      bool skipExisting = false);
// Kind 6: replaces the tree with the message store's SMS, only after a complete read: 0 or 401.
ResultCode ReadSmsFromStore(SmsTree* tree, ProgressBar* bar);
// Kind 7: loads an Android backup XML when the file's content says so (LooksLikeSmsXml), else a
// data file: 0 or 402.
ResultCode LoadSmsBackupFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                             SmsXmlCounts* xmlCounts = nullptr);
