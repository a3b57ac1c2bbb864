#include "contacts/contact_list.h"

#include <algorithm>
#include <new>

namespace {

bool IsAbsent(std::u16string_view text) {
    return text.data() == nullptr;
}

// Built at its own length and moved in: assigning into an empty string would double the short
// string's capacity first, so a 10-character text took a 48-byte block instead of 32, a fifth
// of a large list's memory.
void Keep(std::u16string& field, std::u16string_view text) {
    field = std::u16string(text);
}

// Appends an empty record and fills it in place; a failure takes it off again.
template <typename Record, typename Fill>
std::int32_t Append(std::vector<Record>& records, Fill fill) {
    try {
        records.emplace_back();
    } catch (const std::bad_alloc&) {
        return kContactRecordNoMemory;
    }
    try {
        fill(records.back());
    } catch (const std::bad_alloc&) {
        records.pop_back();
        return kContactFieldNoMemory;
    }
    return kContactAdded;
}

template <typename Record>
const Record* RecordAt(const std::vector<Record>& records, std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > records.size()) return nullptr;
    return &records[static_cast<std::size_t>(position) - 1];
}

template <typename Record>
void Release(std::vector<Record>& records) {
    std::vector<Record>().swap(records);
}

}  // namespace

void ReservePhoneContactsAhead(ContactList& list, double shareRead) {
    std::vector<PhoneContactRecord>& records = list.phone;
    if (records.size() < records.capacity() || shareRead <= 0) return;
    const auto estimate =
        static_cast<std::size_t>(static_cast<double>(records.size() + 1) / shareRead * 1.1);
    try {
        records.reserve(std::max(estimate, 2 * records.size() + 16));
    } catch (const std::bad_alloc&) {
        // The list then grows as it can.
    }
}

PhoneContactTexts TextsOf(const PhoneContactRecord& record) {
    PhoneContactTexts texts;
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        texts[i] = record.*kPhoneContactFields[i];
    return texts;
}

void InitContactList(ContactList& list) {
    ClearContactList(list);
}

std::int32_t AddSimContact(ContactList& list, std::u16string_view name,
                           std::u16string_view phoneNumber) {
    if (IsAbsent(name) || IsAbsent(phoneNumber)) return kContactArgumentAbsent;
    return Append(list.sim, [&](SimContactRecord& record) {
        Keep(record.name, name);
        Keep(record.phoneNumber, phoneNumber);
    });
}

std::int32_t AddPhoneContact(ContactList& list, const PhoneContactTexts& texts) {
    for (std::u16string_view text : texts) {
        if (IsAbsent(text)) return kContactArgumentAbsent;
    }
    return Append(list.phone, [&](PhoneContactRecord& record) {
        for (std::size_t i = 0; i < kContactFieldCount; ++i)
            Keep(record.*kPhoneContactFields[i], texts[i]);
    });
}

std::int32_t SimContactCount(const ContactList& list) {
    return static_cast<std::int32_t>(list.sim.size());
}

std::int32_t PhoneContactCount(const ContactList& list) {
    return static_cast<std::int32_t>(list.phone.size());
}

const SimContactRecord* SimContactAt(const ContactList& list, std::int32_t position) {
    return RecordAt(list.sim, position);
}

const PhoneContactRecord* PhoneContactAt(const ContactList& list, std::int32_t position) {
    return RecordAt(list.phone, position);
}

void ClearSimContacts(ContactList& list) {
    Release(list.sim);
}

void ClearPhoneContacts(ContactList& list) {
    Release(list.phone);
}

void ClearContactList(ContactList& list) {
    ClearSimContacts(list);
    ClearPhoneContacts(list);
}
