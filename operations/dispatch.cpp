#include "operations/dispatch.h"

#include "contacts/contact_operations.h"
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

ResultCode ExportSmsByExtension(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
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
    return ExportSmsFolders(tree, path, bar);
}

}  // namespace

ResultCode DispatchOperation(const OperationRequest& request, ProgressBar* bar) {
    std::u16string_view path = request.path;
    switch (static_cast<OperationKind>(request.kind)) {
        case OperationKind::ExportContacts:
            return ExportContactsToFile(path, request.contactType, bar);
        case OperationKind::ImportContacts:
            return ImportContactsFromFile(path, request.contactType, bar);
        case OperationKind::CopySimToPhone:
            return CopySimContactsToPhone(bar);
        case OperationKind::ExportSms:
            return ExportSmsByExtension(request.smsTree, path, bar);
        case OperationKind::RestoreSms:
            return RestoreSms(request.smsTree, bar);
        case OperationKind::ReadSmsFromStore:
            return ReadSmsFromStore(request.smsTree, bar);
        case OperationKind::LoadSmsDataFile:
            return LoadSmsBackupFile(request.smsTree, path, bar);
    }
    return kResultSuccess;
}
