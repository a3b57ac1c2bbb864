#include "contacts/copy_sim_contacts.h"

#include <string>

#include "contacts/contact_job.h"
#include "contacts/contact_operations.h"
#include "contacts/phone_contacts_writer.h"
#include "platform/text.h"

std::int32_t ConvertSimToPhoneContacts(ContactList& list) {
    PhoneContactTexts texts;
    texts.fill(u"");
    constexpr std::size_t kFirstName = 1;
    constexpr std::size_t kMobile = 9;
    constexpr std::size_t kCategories = 42;
    static_assert(kContactProperties[kFirstName].field == u"FirstName");
    static_assert(kContactProperties[kMobile].field == u"MobileTelephoneNumber");
    static_assert(kContactProperties[kCategories].field == u"Categories");
    // Appending to the phone list leaves the SIM list where it is.
    std::size_t simCount = list.sim.size();
    list.phone.reserve(list.phone.size() + simCount);
    for (std::size_t i = 0; i < simCount; ++i) {
        const SimContactRecord& entry = list.sim[i];
        if (entry.phoneNumber.empty()) continue;
        std::u16string name = entry.name.empty()
                                  ? u"SIM" + DecimalText(static_cast<std::int64_t>(i + 1))
                                  : entry.name;
        texts[kFirstName] = name;
        texts[kMobile] = entry.phoneNumber;
        texts[kCategories] = u"SIM";
        AddPhoneContact(list, texts);
    }
    return 0;
}

ResultCode CopySimContactsToPhone(ProgressBar* bar, OperationSummary* summary) {
    SimCopyCounts scratch;
    SimCopyCounts& counts = summary != nullptr ? summary->simCopy : scratch;
    counts = {};
    ContactJob job;
    if (OpenSimPhonebook(job.sim) != kSimDone) return kCopySimInitFailed;
    if (!OpenPhoneContactStore(job.store)) return kCopyComInitFailed;
    if (summary != nullptr) summary->part = SummaryPart::SimCopy;
    int total = 0;
    if (bar != nullptr) {
        std::int32_t used = SimUsedEntryCount(job.sim);
        // Each entry moves the bar twice: read, then written.
        if (used > 0) total = 2 * used;
        BeginProgress(bar, total);
    }
    if (ReadSimContacts(job.sim, &job.list, bar) < 0) return kCopySimAccessFailed;
    ConvertSimToPhoneContacts(job.list);
    counts.simEntries = SimContactCount(job.list);
    counts.noNumber = counts.simEntries - PhoneContactCount(job.list);
    std::int32_t failed = 0;
    StoreRestoreCounts written;
    std::int32_t code = WritePhoneContacts(job.store, &job.list, failed, bar, &written);
    counts.copied = written.added;
    counts.present = written.present;
    counts.refused = written.refused;
    if (code < 0) return failed > 0 ? kCopyPartial : kCopyContactsAccessFailed;
    // The last contacts commit as the stores close; a commit refused there lost them.
    if (!CloseContactJobStores(job)) return kCopyContactsAccessFailed;
    EndProgress(bar, total);
    return kResultSuccess;
}
