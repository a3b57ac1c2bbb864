#include "cli_commands.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "console_progress.h"
#include "contacts/contact_files.h"
#include "contacts/contact_list.h"
#include "core/operation_summary.h"
#include "core/result_code.h"
#include "operations/dispatch.h"
#include "platform/text.h"
#include "sms/export_order.h"
#include "sms/sms_operations.h"
#include "sms_path.h"

namespace {

void PrintLine(std::FILE* stream, const std::u16string& text) {
    std::string line = Utf16ToUtf8(text) + "\n";
    std::fputs(line.c_str(), stream);
}

// Failures print the message the GUI would show; silent success is for the converters.
int Report(ResultCode code) {
    if (code == 0) return kExitSuccess;
    PrintLine(stderr, ResultMessage(code));
    return kExitFailure;
}

// The result line, then the counts on the same stream.
int ReportWithSummary(ResultCode code, const std::u16string& successText,
                      const OperationSummary& summary, const ReportChoice& report,
                      std::u16string_view emptyWarning = {}) {
    std::FILE* stream = code == 0 ? stdout : stderr;
    PrintLine(stream, code == 0 ? successText : ResultMessage(code));
    if (!report.quiet) {
        std::u16string line = SummaryLine(summary);
        if (!line.empty()) PrintLine(stream, line);
        if (!emptyWarning.empty() && SummaryReadNothing(summary))
            PrintLine(stream, std::u16string(emptyWarning));
    }
    return code == 0 ? kExitSuccess : kExitFailure;
}

constexpr std::u16string_view kNoContactsWarning =
    u"Warning: the file holds no contacts. restore-contacts expects a contact text backup "
    u"written by backup-contacts (a CSV file cannot be restored).";
constexpr std::u16string_view kNoMessagesWarning =
    u"Warning: the file holds no messages. restore-sms expects an SMS data file (.dat) written "
    u"by backup-sms.";

// A bar only where someone watches it.
std::unique_ptr<ConsoleProgressBar> TerminalProgress() {
    if (isatty(fileno(stderr)) == 0) return nullptr;
    return std::make_unique<ConsoleProgressBar>(stderr);
}

ResultCode Run(const OperationRequest& request) {
    auto bar = TerminalProgress();
    return DispatchOperation(request, bar.get());
}

OperationRequest Request(OperationKind kind, OperationSummary& summary,
                         const std::string& path = {}) {
    OperationRequest request;
    request.kind = static_cast<std::uint32_t>(kind);
    request.path = Utf8ToUtf16(path);
    request.summary = &summary;
    return request;
}

// Clears the tick of every named node; false (with a message) when a name matches nothing.
bool Untick(SmsTree& tree, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        SmsNode* node = FindSmsNodeByPath(tree, path);
        if (node == nullptr) {
            std::fprintf(stderr, "velloro-cli: no SMS folder or message named \"%s\"\n",
                         path.c_str());
            return false;
        }
        node->checked = 0;
    }
    return true;
}

// An unreadable setting means date, ascending, as the exports take it.
void ReadOrder(int& sortBy, int& sequence) {
    ExportOrder order = CurrentExportOrder();
    sortBy = static_cast<int>(order.sortBy);
    sequence = static_cast<int>(order.sequence);
}

}  // namespace

int ConvertContacts(const std::string& in, const std::string& out) {
    ContactList list;
    InitContactList(list);
    if (ReadContactFileOfAnyForm(list, Utf8ToUtf16(in), nullptr) < 0)
        return Report(kImportFileUnreadable);
    int written = WriteContactFile(list, Utf8ToUtf16(out));
    ClearContactList(list);
    return Report(written < 0 ? kExportWriteFailed : 0);
}

bool PhoneReady(PhoneUse use) {
    std::string problem = CheckCurrentPhone(use);
    if (problem.empty()) return true;
    std::fprintf(stderr, "velloro-cli: %s\n", problem.c_str());
    return false;
}

bool ConvertSmsReadsOrder(const std::string& out, const SmsOrderChoice& order) {
    SmsExportForm form = SmsExportFormOf(Utf8ToUtf16(out));
    bool ordered = form == SmsExportForm::Text || form == SmsExportForm::Csv;
    return ordered && (!order.sortGiven || !order.sequenceGiven);
}

int ConvertSms(const std::string& in, const std::string& out, const SmsOrderChoice& order) {
    SmsTree tree;
    auto bar = TerminalProgress();
    ResultCode code = LoadSmsBackupFile(&tree, Utf8ToUtf16(in), bar.get());
    if (code != 0) return Report(code);
    int sortBy = order.sortBy;
    int sequence = order.sequence;
    if (ConvertSmsReadsOrder(out, order)) {
        if (!PhoneReady(PhoneUse::Read)) return kExitFailure;
        int storedSort, storedSequence;
        ReadOrder(storedSort, storedSequence);
        if (!order.sortGiven) sortBy = storedSort;
        if (!order.sequenceGiven) sequence = storedSequence;
    }
    std::u16string path = Utf8ToUtf16(out);
    switch (SmsExportFormOf(path)) {
        case SmsExportForm::DataFile:
            code = ExportSmsDataFile(&tree, path, bar.get());
            break;
        case SmsExportForm::Text:
            code = ExportSmsText(&tree, path, bar.get(), sortBy, sequence);
            break;
        case SmsExportForm::Csv:
            code = ExportSmsCsv(&tree, path, bar.get(), sortBy, sequence);
            break;
        case SmsExportForm::Xml:
            code = ExportSmsXml(&tree, path, bar.get());
            break;
        case SmsExportForm::Folders:
            code = ExportSmsFolders(&tree, path, bar.get());
            break;
    }
    return Report(code);
}

int BackupContacts(std::int32_t contactType, const std::string& file, const ReportChoice& report) {
    OperationSummary summary;
    OperationRequest request = Request(OperationKind::ExportContacts, summary, file);
    request.contactType = contactType;
    return ReportWithSummary(Run(request), u"Export succeeded.", summary, report);
}

int RestoreContacts(std::int32_t contactType, const std::string& file, const ReportChoice& report) {
    OperationSummary summary;
    OperationRequest request = Request(OperationKind::ImportContacts, summary, file);
    request.contactType = contactType;
    return ReportWithSummary(Run(request), u"Import succeeded.", summary, report,
                             kNoContactsWarning);
}

int CopySim(const ReportChoice& report) {
    OperationSummary summary;
    return ReportWithSummary(Run(Request(OperationKind::CopySimToPhone, summary)),
                             u"Copy succeeded.", summary, report);
}

int BackupSms(const std::vector<std::string>& untick, const std::string& file,
              const ReportChoice& report) {
    SmsTree tree;
    OperationSummary readSummary;
    OperationRequest read = Request(OperationKind::ReadSmsFromStore, readSummary);
    read.smsTree = &tree;
    OperationSummary summary;
    OperationRequest save = Request(OperationKind::ExportSms, summary, file);
    save.smsTree = &tree;
    // Nothing to untick between the two: the data file is written while the store is read.
    if (untick.empty() && SmsExportFormOf(save.path) == SmsExportForm::DataFile) {
        auto bar = TerminalProgress();
        SmsStoreBackupResult result = BackupSmsStore(read, save, bar.get());
        if (result.read != 0) return ReportWithSummary(result.read, {}, readSummary, report);
        return ReportWithSummary(result.written, u"Export succeeded.", summary, report);
    }
    if (ResultCode code = Run(read); code != 0)
        return ReportWithSummary(code, {}, readSummary, report);
    if (!Untick(tree, untick)) return kExitUsage;
    return ReportWithSummary(Run(save), u"Export succeeded.", summary, report);
}

int RestoreSms(const std::vector<std::string>& untick, const std::string& file, bool skipExisting,
               const ReportChoice& report) {
    SmsTree tree;
    OperationSummary loadSummary;
    OperationRequest load = Request(OperationKind::LoadSmsDataFile, loadSummary, file);
    load.smsTree = &tree;
    if (ResultCode code = Run(load); code != 0)
        return ReportWithSummary(code, {}, loadSummary, report);
    if (!Untick(tree, untick)) return kExitUsage;
    OperationSummary summary;
    OperationRequest restore = Request(OperationKind::RestoreSms, summary);
    restore.smsTree = &tree;
    restore.skipExisting = skipExisting;
    ResultCode code = Run(restore);
    // The restore's counts, then the warning the load's counts call for.
    int exit = ReportWithSummary(code, u"Import succeeded.", summary, report);
    if (!report.quiet && SummaryReadNothing(loadSummary))
        PrintLine(code == 0 ? stdout : stderr, std::u16string(kNoMessagesWarning));
    if (std::u16string skipped = SummarySkippedLine(loadSummary); !report.quiet && !skipped.empty())
        PrintLine(code == 0 ? stdout : stderr, skipped);
    return exit;
}

int ShowOrder() {
    int sortBy, sequence;
    ReadOrder(sortBy, sequence);
    // As the exports read it: any sort but 1 is by name, any sequence but 1 and 2 keeps the order.
    const char* sortWord = sortBy == 1 ? "date" : "name";
    const char* sequenceWord = sequence == 1 ? "asc" : (sequence == 2 ? "desc" : "none");
    std::printf("%s %s\n", sortWord, sequenceWord);
    return kExitSuccess;
}

int StoreOrder(const SmsOrderChoice& order) {
    int sortBy, sequence;
    ReadOrder(sortBy, sequence);
    if (order.sortGiven) sortBy = order.sortBy;
    if (order.sequenceGiven) sequence = order.sequence;
    if (WriteExportOrder(static_cast<std::uint32_t>(sortBy),
                         static_cast<std::uint32_t>(sequence)) != 0) {
        std::fputs("velloro-cli: the export order could not be stored in the phone's registry\n",
                   stderr);
        return kExitFailure;
    }
    return kExitSuccess;
}
