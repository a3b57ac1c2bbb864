#include "operations/dispatch.h"

#include "contacts/contact_operations.h"
#include "core/operation_summary.h"
#include "sms/sms_counts.h"
#include "sms/sms_operations.h"

SmsExportForm SmsExportFormOf(std::u16string_view path) {
    std::u16string_view extension = path.size() >= 4 ? path.substr(path.size() - 4) : u"";
    if (extension == u".dat") return SmsExportForm::DataFile;
    if (extension == u".txt") return SmsExportForm::Text;
    if (extension == u".csv") return SmsExportForm::Csv;
    if (extension == u".xml") return SmsExportForm::Xml;
    return SmsExportForm::Folders;
}

namespace {

// The folder tree counts what it writes, since a failure there keeps everything else.
ResultCode ExportSmsByExtension(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                                SmsBackupCounts* folderCounts) {
    switch (SmsExportFormOf(path)) {
        case SmsExportForm::DataFile:
            return ExportSmsDataFile(tree, path, bar);
        case SmsExportForm::Text:
            return ExportSmsText(tree, path, bar);
        case SmsExportForm::Csv:
            return ExportSmsCsv(tree, path, bar);
        case SmsExportForm::Xml:
            return ExportSmsXml(tree, path, bar);
        case SmsExportForm::Folders:
            break;
    }
    return ExportSmsFolders(tree, path, bar, folderCounts);
}

// The export's counts: what the file or folder now holds. A failed export to one file leaves
// the target as it was, so it wrote nothing; the folder tree brings its own counts of what it
// wrote before and after a failure.
void CountExport(const OperationRequest& request, ResultCode result,
                 const SmsBackupCounts& folderCounts) {
    OperationSummary* summary = request.summary;
    if (summary == nullptr || request.smsTree == nullptr || request.path.empty()) return;
    SmsExportForm form = SmsExportFormOf(request.path);
    summary->part = SummaryPart::SmsBackup;
    summary->smsBackup = {};
    const SmsNode* root = request.smsTree->root.get();
    if (root == nullptr) return;
    bool byBanner = form == SmsExportForm::Text || form == SmsExportForm::Csv;
    SmsBackupCounts walked =
        CountSmsBackup(*root, byBanner ? SmsBackupFolders::WithMessages : SmsBackupFolders::Ticked,
                       form != SmsExportForm::Folders, form == SmsExportForm::DataFile);
    if (form == SmsExportForm::Folders) {
        summary->smsBackup = folderCounts;
        summary->smsBackup.unticked = walked.unticked;
    } else if (result == kResultSuccess) {
        summary->smsBackup = walked;
    }
}

// A read or load replaces the tree only when it succeeded; a failure brought nothing in.
void CountLoad(const OperationRequest& request, ResultCode result) {
    OperationSummary* summary = request.summary;
    if (summary == nullptr || request.smsTree == nullptr || result != kResultSuccess ||
        !request.smsTree->root)
        return;
    summary->part = SummaryPart::SmsLoad;
    summary->smsLoad = CountSmsTree(*request.smsTree->root);
}

}  // namespace

SmsStoreBackupResult BackupSmsStore(const OperationRequest& read, const OperationRequest& save,
                                    ProgressBar* bar) {
    SmsStoreBackupResult result = BackupSmsStoreToDataFile(read.smsTree, save.path, bar);
    CountLoad(read, result.read);
    if (result.read == kResultSuccess) CountExport(save, result.written, {});
    return result;
}

ResultCode DispatchOperation(const OperationRequest& request, ProgressBar* bar) {
    std::u16string_view path = request.path;
    OperationSummary* summary = request.summary;
    ResultCode result = kResultSuccess;
    switch (static_cast<OperationKind>(request.kind)) {
        case OperationKind::ExportContacts:
            return ExportContactsToFile(path, request.contactType, bar, summary);
        case OperationKind::ImportContacts:
            return ImportContactsFromFile(path, request.contactType, bar, summary);
        case OperationKind::CopySimToPhone:
            return CopySimContactsToPhone(bar, summary);
        case OperationKind::ExportSms: {
            SmsBackupCounts folderCounts;
            result = ExportSmsByExtension(request.smsTree, path, bar, &folderCounts);
            CountExport(request, result, folderCounts);
            return result;
        }
        case OperationKind::RestoreSms:
            return RestoreSms(request.smsTree, bar, summary, request.skipExisting);
        case OperationKind::ReadSmsFromStore:
            result = ReadSmsFromStore(request.smsTree, bar);
            CountLoad(request, result);
            return result;
        case OperationKind::LoadSmsDataFile: {
            SmsXmlCounts xml;
            result = LoadSmsBackupFile(request.smsTree, path, bar, &xml);
            CountLoad(request, result);
            if (summary != nullptr && summary->part == SummaryPart::SmsLoad) {
                summary->smsLoad.skippedElements = xml.skippedElements;
                summary->smsLoad.skippedAttributes = xml.skippedAttributes;
            }
            return result;
        }
    }
    return kResultSuccess;
}
