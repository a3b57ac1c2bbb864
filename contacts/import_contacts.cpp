#include "contacts/contact_files.h"
#include "contacts/contact_job.h"
#include "contacts/contact_operations.h"
#include "contacts/phone_contacts_writer.h"
#include "contacts/vcard.h"
#include "core/operation_request.h"

namespace {

enum class SimPart { Complete, Partial, Stopped };

// Writes the SIM records; on a stop, result holds the code.
SimPart WriteSimPart(ContactJob& job, ProgressBar* bar, ResultCode& result,
                     StoreRestoreCounts& counts) {
    std::int32_t needed = 0;
    std::int32_t free = 0;
    std::int32_t failed = 0;
    counts.attempted = true;
    if (WriteSimContacts(job.sim, &job.list, needed, free, failed, bar, &counts) >= 0)
        return SimPart::Complete;
    if (needed > free) {
        result = kImportSimFull;
        return SimPart::Stopped;
    }
    if (failed > 0) {
        result = kImportSimPartial;
        return SimPart::Partial;
    }
    result = kImportSimAccessFailed;
    return SimPart::Stopped;
}

// 0, 110 with some contacts failed, 109 when nothing could be attempted.
ResultCode WritePhonePart(ContactJob& job, ProgressBar* bar, StoreRestoreCounts& counts) {
    std::int32_t failed = 0;
    counts.attempted = true;
    if (WritePhoneContacts(job.store, &job.list, failed, bar, &counts) >= 0) return kResultSuccess;
    return failed > 0 ? kImportPhonePartial : kImportContactsAccessFailed;
}

ResultCode WriteChosenStores(ContactJob& job, std::int32_t contactType, ProgressBar* bar,
                             int& total, ContactRestoreCounts& counts) {
    bool sim = contactType != ContactTypeChoice::Phone;
    bool phone = contactType != ContactTypeChoice::Sim;
    if (sim && OpenSimPhonebook(job.sim) != kSimDone) return kImportSimInitFailed;
    if (phone && !OpenPhoneContactStore(job.store)) return kImportComInitFailed;
    if (bar != nullptr) {
        if (sim) total += SimContactCount(job.list);
        if (phone) total += PhoneContactCount(job.list);
        BeginProgress(bar, total);
    }
    ResultCode result = kResultSuccess;
    bool simPartial = false;
    if (sim) {
        SimPart part = WriteSimPart(job, bar, result, counts.sim);
        if (part == SimPart::Stopped || !phone) return result;
        simPartial = part == SimPart::Partial;
    }
    result = WritePhonePart(job, bar, counts.phone);
    if (!simPartial) return result;
    if (result == kResultSuccess) return kImportSimPartial;
    return result == kImportPhonePartial ? kImportSimAndPhonePartial : result;
}

}  // namespace

ResultCode ImportContactsFromFile(std::u16string_view path, std::int32_t contactType,
                                  ProgressBar* bar, OperationSummary* summary) {
    if (NoPath(path)) return kImportInvalidPath;
    if (contactType != ContactTypeChoice::Sim && contactType != ContactTypeChoice::Phone &&
        contactType != ContactTypeChoice::SimAndPhone)
        return kImportInvalidContactType;
    ContactRestoreCounts scratch;
    ContactRestoreCounts& counts = summary != nullptr ? summary->contactRestore : scratch;
    counts = {};
    ContactJob job;
    // The whole file is read before any store is opened, so an unreadable file touches none.
    VcardReadCounts vcard;
    if (ReadContactFileOfAnyForm(job.list, path, &vcard) < 0) return kImportFileUnreadable;
    counts.valuesLeftOut = vcard.valuesLeftOut;
    if (summary != nullptr) summary->part = SummaryPart::ContactRestore;
    counts.sim.read = SimContactCount(job.list);
    counts.phone.read = PhoneContactCount(job.list);
    int total = 0;
    ResultCode result = WriteChosenStores(job, contactType, bar, total, counts);
    if (!CloseContactJobStores(job))
        result = contactType == ContactTypeChoice::Sim ? kImportSimAccessFailed
                                                       : kImportContactsAccessFailed;
    if (result == 0) EndProgress(bar, total);
    return result;
}
