#include "contacts/sim_phonebook.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/text.h"

namespace {

using NameAndNumber = std::pair<std::u16string_view, std::u16string_view>;

struct NameAndNumberHash {
    std::size_t operator()(const NameAndNumber& key) const {
        std::size_t h = std::hash<std::u16string_view>{}(key.first);
        return h ^ (std::hash<std::u16string_view>{}(key.second) + 0x9E3779B97F4A7C15ull +
                    (h << 6) + (h >> 2));
    }
};

std::u16string_view CutForCompare(std::u16string_view text, std::int32_t max) {
    if (max >= 0 && max < kSimCompareLimit) return CutToUnits(text, static_cast<std::size_t>(max));
    return text;
}

std::int32_t FieldMax(DWORD reported) {
    return static_cast<std::int32_t>(std::min<DWORD>(reported, kSimFieldMax));
}

void CopyCut(char16_t* field, std::u16string_view text, std::int32_t max) {
    std::u16string_view kept = CutToUnits(text, static_cast<std::size_t>(max));
    std::copy_n(kept.data(), kept.size(), field);
    field[kept.size()] = u'\0';
}

}  // namespace

void InitSimPhonebook(SimPhonebook& phonebook) {
    phonebook.handle = 0;
}

std::int32_t OpenSimPhonebook(SimPhonebook& phonebook) {
    HSIM handle = 0;
    if (SimInitialize(0, nullptr, 0, &handle) != S_OK) return kSimRefused;
    phonebook.handle = handle;
    return kSimDone;
}

std::int32_t CloseSimPhonebook(SimPhonebook& phonebook) {
    if (phonebook.handle == 0) return kSimDone;
    HRESULT hr = SimDeinitialize(phonebook.handle);
    phonebook.handle = 0;
    return hr == S_OK ? kSimDone : kSimRefused;
}

std::int32_t SimUsedEntryCount(const SimPhonebook& phonebook) {
    DWORD used = 0;
    DWORD total = 0;
    if (SimGetPhonebookStatus(phonebook.handle, SIM_PBSTORAGE_SIM, &used, &total) != S_OK)
        return -1;
    return static_cast<std::int32_t>(used);
}

std::int32_t ReadSimContacts(const SimPhonebook& phonebook, ContactList* list, ProgressBar* bar) {
    if (list == nullptr) return kSimNoList;
    SIMCAPS caps;
    if (SimGetDevCaps(phonebook.handle, SIM_CAPSTYPE_ALL, &caps) != S_OK) return kSimCapsFailed;
    DWORD used = 0;
    DWORD total = 0;
    if (SimGetPhonebookStatus(phonebook.handle, SIM_PBSTORAGE_SIM, &used, &total) != S_OK)
        return kSimReadFailed;
    SIMPHONEBOOKENTRY entry;
    DWORD read = 0;
    // The last used slot ends the scan: slots past it are never asked for.
    for (DWORD index = 1; index <= total && read < used; ++index) {
        if (SimReadPhonebookEntry(phonebook.handle, SIM_PBSTORAGE_SIM, index, &entry) != S_OK)
            continue;
        AddSimContact(*list, FixedFieldText(entry.lpszText, MAX_LENGTH_PHONEBOOKENTRYTEXT),
                      FixedFieldText(entry.lpszAddress, MAX_LENGTH_ADDRESS));
        ++read;
        StepProgress(bar);
    }
    return kSimDone;
}

std::int32_t ExcludeExistingSimContacts(const ContactList& source, ContactList* out,
                                        const ContactList* existing, std::int32_t nameMax,
                                        std::int32_t numberMax) {
    if (out == nullptr || existing == nullptr) return kSimNoList;
    std::unordered_set<NameAndNumber, NameAndNumberHash> held;
    held.reserve(existing->sim.size());
    for (const SimContactRecord& e : existing->sim)
        held.emplace(e.name, e.phoneNumber);
    for (const SimContactRecord& s : source.sim) {
        NameAndNumber stored{CutForCompare(s.name, nameMax),
                             CutForCompare(s.phoneNumber, numberMax)};
        if (held.contains(stored)) continue;
        std::int32_t added = AddSimContact(*out, s.name, s.phoneNumber);
        if (added != kContactAdded) return added;
    }
    return kSimDone;
}

std::int32_t WriteSimContacts(const SimPhonebook& phonebook, const ContactList* source,
                              std::int32_t& needed, std::int32_t& free, std::int32_t& failed,
                              ProgressBar* bar, StoreRestoreCounts* counts) {
    StoreRestoreCounts scratch;
    StoreRestoreCounts& c = counts != nullptr ? *counts : scratch;
    needed = 0;
    free = 0;
    failed = 0;
    if (source == nullptr) return kSimNoList;
    if (source->sim.empty()) return kSimDone;

    ContactList current;
    if (ReadSimContacts(phonebook, &current, nullptr) < 0) return kSimReadFailed;
    SIMCAPS caps;
    if (SimGetDevCaps(phonebook.handle, SIM_CAPSTYPE_ALL, &caps) != S_OK) return kSimCapsFailed;
    // Entries are written cut to what the record can hold, so they are compared cut the same
    // way; otherwise a card claiming more than 255 would get every long entry again.
    std::int32_t nameMax = FieldMax(caps.dwMaxTextLength);
    std::int32_t numberMax = FieldMax(caps.dwMaxAddressLength);

    ContactList fresh;
    if (ExcludeExistingSimContacts(*source, &fresh, &current, nameMax, numberMax) < 0)
        return kSimFilterFailed;
    SummaryCount withoutNumber = std::ranges::count_if(
        fresh.sim, [](const SimContactRecord& r) { return r.phoneNumber.empty(); });
    DWORD used = 0;
    DWORD total = 0;
    if (SimGetPhonebookStatus(phonebook.handle, SIM_PBSTORAGE_SIM, &used, &total) != S_OK)
        return kSimStatusFailed;
    std::int64_t room = static_cast<std::int64_t>(total) - static_cast<std::int64_t>(used);
    if (static_cast<std::int64_t>(fresh.sim.size()) > room) {
        needed = SimContactCount(fresh);
        free = static_cast<std::int32_t>(room);
        c.present = static_cast<SummaryCount>(source->sim.size() - fresh.sim.size());
        c.leftOut = withoutNumber;
        c.refused = static_cast<SummaryCount>(fresh.sim.size()) - withoutNumber;
        return kSimNoSpace;
    }

    SIMPHONEBOOKENTRY entry;
    entry.cbSize = kSimEntrySize;
    entry.dwParams = caps.dwParams;
    entry.dwAddressType = 0;
    entry.dwNumPlan = SIM_NUMPLAN_TELEPHONE;
    c.present = static_cast<SummaryCount>(source->sim.size() - fresh.sim.size());
    c.leftOut = withoutNumber;
    for (const SimContactRecord& record : fresh.sim) {
        if (record.phoneNumber.empty()) continue;
        CopyCut(entry.lpszText, record.name, nameMax);
        CopyCut(entry.lpszAddress, record.phoneNumber, numberMax);
        if (SimWritePhonebookEntry(phonebook.handle, SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE,
                                   &entry) != S_OK)
            ++failed;
        else
            ++c.added;
        StepProgress(bar);
    }
    c.refused = failed;
    return failed > 0 ? kSimEntriesRefused : kSimDone;
}
