#include "contacts/phone_contacts_writer.h"

#include <functional>
#include <string_view>
#include <unordered_set>

namespace {

struct RecordHash {
    std::size_t operator()(const PhoneContactRecord* record) const {
        std::size_t h = 0;
        for (PhoneContactField field : kPhoneContactFields)
            h = h * 1000003u ^ std::hash<std::u16string_view>{}(record->*field);
        return h;
    }
};

struct RecordEqual {
    bool operator()(const PhoneContactRecord* a, const PhoneContactRecord* b) const {
        return *a == *b;
    }
};

bool HasNameOrCompany(const PhoneContactRecord& record) {
    return !record.firstName.empty() || !record.lastName.empty() || !record.companyName.empty();
}

// A contact is created before the name rule is applied, as the database counts every Add.
enum class SaveOutcome { Saved, Skipped, Failed, NotCreated };

SaveOutcome SaveContact(const PhoneContactStore& store, const PhoneContactRecord& record) {
    ComPtr<IContact> contact;
    if (FAILED(store.items->Add(contact)) || !contact) return SaveOutcome::NotCreated;
    if (!HasNameOrCompany(record)) return SaveOutcome::Skipped;
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        const std::u16string& text = record.*kPhoneContactFields[i];
        if (!text.empty()) contact->SetProperty(kContactProperties[i].SetterSlot(), text);
    }
    return FAILED(contact->Save()) ? SaveOutcome::Failed : SaveOutcome::Saved;
}

}  // namespace

std::int32_t ExcludeExistingPhoneContacts(const ContactList& source, ContactList* out,
                                          const ContactList* existing) {
    if (out == nullptr || existing == nullptr) return -1;
    std::unordered_set<const PhoneContactRecord*, RecordHash, RecordEqual> held;
    held.reserve(existing->phone.size());
    for (const PhoneContactRecord& e : existing->phone)
        held.insert(&e);
    for (const PhoneContactRecord& s : source.phone) {
        if (held.contains(&s)) continue;
        std::int32_t added = AddPhoneContact(*out, TextsOf(s));
        if (added != kContactAdded) return added;
    }
    return 0;
}

std::int32_t WritePhoneContacts(const PhoneContactStore& store, const ContactList* source,
                                std::int32_t& failed, ProgressBar* bar) {
    failed = 0;
    if (source == nullptr) return kPhoneWriteNoList;
    if (source->phone.empty()) return kPhoneWriteDone;

    ContactList current;
    if (ReadPhoneContacts(store, &current, nullptr) < 0) return kPhoneWriteReadFailed;
    ContactList fresh;
    if (ExcludeExistingPhoneContacts(*source, &fresh, &current) < 0) return kPhoneWriteFilterFailed;
    for (const PhoneContactRecord& record : fresh.phone) {
        switch (SaveContact(store, record)) {
            case SaveOutcome::NotCreated:
                ++failed;
                break;
            case SaveOutcome::Skipped:
                break;
            case SaveOutcome::Failed:
                ++failed;
                StepProgress(bar);
                break;
            case SaveOutcome::Saved:
                StepProgress(bar);
                break;
        }
    }
    return failed > 0 ? kPhoneWriteSomeFailed : kPhoneWriteDone;
}
