#pragma once
// The SMS CSV export (.csv): a row per folder with messages and a row per ticked message, six
// columns each, walked and sorted as the text export.

#include <string>
#include <string_view>

#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "platform/text_writer.h"
#include "sms/sms_tree.h"

// 0, or 403 when the tree or path is absent or the file could not be written completely.
ResultCode ExportSmsCsv(SmsTree* tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                        int sequence);
int WriteSmsCsvFile(SmsTree& tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                    int sequence);
int WriteSmsCsvNode(SmsNode& node, TextWriter& out, ProgressBar* bar, int sortBy, int sequence);
// "[text]" in quotation marks with every quotation mark of text doubled, built in the node's
// formatting buffer, whole however long the text.
const std::u16string& QuoteCsvCell(SmsNode& node, std::u16string_view text);
