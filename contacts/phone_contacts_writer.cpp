#include "contacts/phone_contacts_writer.h"

#include <functional>
#include <new>
#include <string_view>
#include <unordered_map>
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

std::int32_t FreshPhoneContactIndices(const ContactList& source, const ContactList* existing,
                                      std::vector<std::size_t>& fresh) {
    fresh.clear();
    if (existing == nullptr) return -1;
    try {
        std::unordered_set<const PhoneContactRecord*, RecordHash, RecordEqual> held;
        held.reserve(existing->phone.size());
        for (const PhoneContactRecord& e : existing->phone)
            held.insert(&e);
        fresh.reserve(source.phone.size());
        for (std::size_t i = 0; i < source.phone.size(); ++i)
            if (!held.contains(&source.phone[i])) fresh.push_back(i);
    } catch (const std::bad_alloc&) {
        return kContactRecordNoMemory;
    }
    return 0;
}

std::int32_t FreshPhoneContactIndices(const ContactList& source, const PhoneContactStore& store,
                                      std::vector<std::size_t>& fresh) {
    fresh.clear();
    try {
        // The source's records by content; a stored contact marks every source record it equals.
        std::unordered_multimap<const PhoneContactRecord*, std::size_t, RecordHash, RecordEqual>
            bySource;
        bySource.reserve(source.phone.size());
        for (std::size_t i = 0; i < source.phone.size(); ++i)
            bySource.emplace(&source.phone[i], i);
        std::vector<bool> held(source.phone.size(), false);
        PhoneContactRecord stored;
        std::int32_t code = VisitPhoneContacts(
            store,
            [&](const PhoneContactTexts& texts) {
                for (std::size_t i = 0; i < kContactFieldCount; ++i)
                    stored.*kPhoneContactFields[i] = texts[i];
                auto [from, to] = bySource.equal_range(&stored);
                for (; from != to; ++from)
                    held[from->second] = true;
            },
            nullptr);
        if (code < 0) return kPhoneWriteReadFailed;
        fresh.reserve(source.phone.size());
        for (std::size_t i = 0; i < source.phone.size(); ++i)
            if (!held[i]) fresh.push_back(i);
    } catch (const std::bad_alloc&) {
        return kPhoneWriteFilterFailed;
    }
    return 0;
}

std::int32_t ExcludeExistingPhoneContacts(const ContactList& source, ContactList* out,
                                          const ContactList* existing) {
    if (out == nullptr || existing == nullptr) return -1;
    std::vector<std::size_t> fresh;
    if (std::int32_t code = FreshPhoneContactIndices(source, existing, fresh); code < 0)
        return code;
    for (std::size_t i : fresh) {
        std::int32_t added = AddPhoneContact(*out, TextsOf(source.phone[i]));
        if (added != kContactAdded) return added;
    }
    return 0;
}

std::int32_t WritePhoneContacts(const PhoneContactStore& store, const ContactList* source,
                                std::int32_t& failed, ProgressBar* bar,
                                StoreRestoreCounts* counts) {
    StoreRestoreCounts scratch;
    StoreRestoreCounts& c = counts != nullptr ? *counts : scratch;
    failed = 0;
    if (source == nullptr) return kPhoneWriteNoList;
    if (source->phone.empty()) return kPhoneWriteDone;

    // Only positions are kept, and the store's contacts pass one at a time, so the source is the
    // one copy of contacts held.
    std::vector<std::size_t> fresh;
    if (std::int32_t code = FreshPhoneContactIndices(*source, store, fresh); code < 0) return code;
    c.present = static_cast<SummaryCount>(source->phone.size() - fresh.size());
    for (std::size_t i : fresh) {
        switch (SaveContact(store, source->phone[i])) {
            case SaveOutcome::NotCreated:
                ++failed;
                break;
            case SaveOutcome::Skipped:
                ++c.leftOut;
                break;
            case SaveOutcome::Failed:
                ++failed;
                StepProgress(bar);
                break;
            case SaveOutcome::Saved:
                ++c.added;
                StepProgress(bar);
                break;
        }
    }
    c.refused = failed;
    return failed > 0 ? kPhoneWriteSomeFailed : kPhoneWriteDone;
}
