#include <string_view>

#include "contacts/contact_operations.h"
#include "core/operation_request.h"
#include "sms/sms_operations.h"

namespace {

// Kind 4 picks its writer by the path's last four characters, case-sensitively; anything else,
// capitals included, is a folder for the folder-and-file export.
ResultCode ExportSmsByExtension(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    std::u16string_view extension = path.size() >= 4 ? path.substr(path.size() - 4) : u"";
    if (extension == u".dat") return ExportSmsDataFile(tree, path, bar);
    if (extension == u".txt") return ExportSmsText(tree, path, bar);
    if (extension == u".csv") return ExportSmsCsv(tree, path, bar);
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
            return LoadSmsDataFile(request.smsTree, path, bar);
    }
    return 0;
}
