#pragma once
// The SMS text export (.txt): a banner per folder with messages, then one block per ticked
// message, in the chosen order.

#include <string_view>

#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "platform/text_writer.h"
#include "sms/sms_tree.h"

// 0, or 403 when the tree or path is absent or the file could not be written completely.
ResultCode ExportSmsText(SmsTree* tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                         int sequence);
// 0, or -2 when the path is empty, the file cannot be written or the tree has no root. An
// existing file is replaced only by a complete new one.
int WriteSmsTextFile(SmsTree& tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                     int sequence);
// Writes the node and everything below it; sorts the messages of every folder it writes.
int WriteSmsTextNode(SmsNode& node, TextWriter& out, ProgressBar* bar, int sortBy, int sequence);
// One message's block, also the body of the folder-and-file export's files.
void WriteSmsMessageLines(const SmsMessageData& message, TextWriter& out);
