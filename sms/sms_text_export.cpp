#include "sms/sms_text_export.h"

#include "platform/text.h"
#include "sms/extract_address.h"
#include "sms/sms_export_file.h"
#include "sms/sms_message_order.h"

namespace {

void WriteParty(TextWriter& out, std::u16string_view name, std::u16string_view address) {
    out.Write("\"");
    out.Write(name);
    out.Write("\" <");
    out.Write(ExtractAddress(address));
    out.Write(">");
}

void WriteBanner(TextWriter& out, const SmsNode& folder, int messages) {
    out.Write("********************\nFolder:");
    out.Write(folder.name);
    out.Write("\tTotal:");
    out.Write(DecimalText(messages));
    out.Write("\n********************\n");
}

}  // namespace

void WriteSmsMessageLines(const SmsMessageData& message, TextWriter& out) {
    out.Write("Date&time:");
    out.Write(SmsDateText(message));
    out.Write(" ");
    out.Write(SmsTimeText(message));
    out.Write("\n");
    if (!message.senderAddress.empty()) {
        out.Write("Sender:");
        WriteParty(out, message.senderName, message.senderAddress);
    } else {
        out.Write("To:");
        for (std::size_t i = 0; i < message.recipients.size(); ++i) {
            if (i > 0) out.Write(";");
            WriteParty(out, message.recipients[i].name, message.recipients[i].address);
        }
    }
    out.Write("\nContent:\n");
    out.Write(message.text);
    out.Write("\n");
}

int WriteSmsTextNode(SmsNode& node, TextWriter& out, ProgressBar* bar, int sortBy, int sequence) {
    WalkSortedSmsTree(
        node, bar, sortBy, sequence,
        [&](const SmsNode& folder, int messages) { WriteBanner(out, folder, messages); },
        [&](const SmsMessageData& message) {
            WriteSmsMessageLines(message, out);
            out.Write("\n");
        });
    return 0;
}

int WriteSmsTextFile(SmsTree& tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                     int sequence) {
    return WriteSmsExportFile(tree, path, bar, [&](SmsNode& root, TextWriter& out) {
        WriteSmsTextNode(root, out, bar, sortBy, sequence);
    });
}

ResultCode ExportSmsText(SmsTree* tree, std::u16string_view path, ProgressBar* bar, int sortBy,
                         int sequence) {
    return RunSmsExport(tree, path, [&](SmsTree& whole) {
        return WriteSmsTextFile(whole, path, bar, sortBy, sequence);
    });
}
