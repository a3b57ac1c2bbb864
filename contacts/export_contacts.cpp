#include "contacts/contact_files.h"
#include "contacts/contact_job.h"
#include "contacts/contact_operations.h"
#include "core/operation_request.h"

namespace {

int PositiveOrZero(std::int32_t count) {
    return count > 0 ? count : 0;
}

ResultCode ReadChosenStores(ContactJob& job, std::int32_t contactType, ProgressBar* bar,
                            int& total) {
    bool sim =
        contactType == ContactTypeChoice::Sim || contactType == ContactTypeChoice::SimAndPhone;
    bool phone =
        contactType == ContactTypeChoice::Phone || contactType == ContactTypeChoice::SimAndPhone;
    if (!sim && !phone) return kExportInvalidContactType;
    // Every store asked for is opened before anything is read.
    if (sim && OpenSimPhonebook(job.sim) != kSimDone) return kExportSimInitFailed;
    if (phone && !OpenPhoneContactStore(job.store)) return kExportComInitFailed;
    if (bar != nullptr) {
        if (sim) total += PositiveOrZero(SimUsedEntryCount(job.sim));
        if (phone) total += PositiveOrZero(StoredPhoneContactCount(job.store));
        BeginProgress(bar, total);
    }
    if (sim && ReadSimContacts(job.sim, &job.list, bar) < 0) return kExportSimAccessFailed;
    if (phone && ReadPhoneContacts(job.store, &job.list, bar) < 0) return kExportContactsAccessFailed;
    return kResultSuccess;
}

}  // namespace

ResultCode ExportContactsToFile(std::u16string_view path, std::int32_t contactType,
                                ProgressBar* bar) {
    if (NoPath(path)) return kExportInvalidPath;
    ContactJob job;
    int total = 0;
    ResultCode result = ReadChosenStores(job, contactType, bar, total);
    if (result == 0 && WriteContactFile(job.list, path) < 0) result = kExportWriteFailed;
    if (result == 0 || result == kExportInvalidContactType) EndProgress(bar, total);
    return result;
}
