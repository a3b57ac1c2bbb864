#include "sms/sms_csv_export.h"

#include "platform/csv_cell.h"
#include "sms/extract_address.h"
#include "sms/sms_export_file.h"
#include "sms/sms_message_order.h"

namespace {

std::u16string PartyText(std::u16string_view name, std::u16string_view address) {
    std::u16string text = u"\"";
    text.append(name);
    text.append(u"\" <");
    text.append(ExtractAddress(address));
    text.append(u">");
    return text;
}

void WriteMessageRow(TextWriter& out, SmsNode& scratch, const SmsMessageData& message) {
    out.Write("Date&time:,");
    std::u16string when = SmsDateText(message);
    when.push_back(u' ');
    when.append(SmsTimeText(message));
    out.Write(QuoteCsvCell(scratch, when));
    if (!message.senderAddress.empty()) {
        out.Write(",Sender:,");
        out.Write(QuoteCsvCell(scratch, PartyText(message.senderName, message.senderAddress)));
    } else if (!message.recipients.empty() && !message.recipients.front().address.empty()) {
        const SmsRecipient& first = message.recipients.front();
        out.Write(",To:,");
        out.Write(QuoteCsvCell(scratch, PartyText(first.name, first.address)));
    } else {
        out.Write(",,");
    }
    out.Write(",Content:,");
    out.Write(QuoteCsvCell(scratch, message.text));
    out.Write("\n");
}

}  // namespace

const std::u16string& QuoteCsvCell(SmsNode& node, std::u16string_view text) {
    std::u16string& cell = node.formatBuffer;
    cell.clear();
    AppendCsvCell(cell, text);
    return cell;
}

int WriteSmsCsvNode(SmsNode& node, TextWriter& out, ProgressBar* bar, int sortBy, int sequence) {
    // The cells are built in the folder's buffer; the message nodes' own buffers stay untouched.
    SmsNode* currentFolder = &node;
    WalkSortedSmsTree(
        node, bar, sortBy, sequence,
        [&](SmsNode& folder, int) {
            currentFolder = &folder;
            out.Write("\n");
            out.Write(QuoteCsvCell(folder, folder.name));
            out.Write(",,,,,\n");
        },
        [&](const SmsMessageData& message) { WriteMessageRow(out, *currentFolder, message); });
    return 0;
}

int WriteSmsCsvFile(SmsTree& tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                    int sequence) {
    return WriteSmsExportFile(tree, path, bar, [&](SmsNode& root, TextWriter& out) {
        WriteSmsCsvNode(root, out, bar, sortBy, sequence);
    });
}

ResultCode ExportSmsCsv(SmsTree* tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                        int sequence) {
    return RunSmsExport(tree, path, [&](SmsTree& whole) {
        return WriteSmsCsvFile(whole, path, bar, sortBy, sequence);
    });
}
