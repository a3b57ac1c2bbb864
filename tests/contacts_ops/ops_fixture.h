#pragma once
// A phone per test, filled through the phone's own editor, and read back through the platform
// calls, so the operations are checked against what really reached the stores.

#include <string>
#include <utility>
#include <vector>

#include "../phone/phone_fixture.h"
#include "contacts/contact_files.h"
#include "contacts/contact_list.h"
#include "contacts/phone_contact_store.h"
#include "platform/sim_manager.h"

using SimEntry = std::pair<std::u16string, std::u16string>;  // name, number

class OpsTest : public PhoneTest {
  protected:
    void AddSim(int slot, std::u16string_view name, std::u16string_view number) {
        std::string error;
        ASSERT_TRUE(AddSimEntry(*Db(), slot, name, number, error)) << error;
    }

    void AddPhone(const PhoneContactRecord& record) {
        ContactFields fields;
        for (std::size_t i = 0; i < kContactFieldCount; ++i)
            if (!(record.*kPhoneContactFields[i]).empty())
                fields[i] = record.*kPhoneContactFields[i];
        std::string error;
        ASSERT_TRUE(AddContact(*Db(), fields, error)) << error;
    }

    // Every used slot, in slot order.
    std::vector<SimEntry> SimEntries() {
        SimConnectionHolder sim;
        EXPECT_EQ(SimInitialize(0, nullptr, 0, sim.Out()), S_OK);
        DWORD used = 0, total = 0;
        EXPECT_EQ(SimGetPhonebookStatus(sim.get(), SIM_PBSTORAGE_SIM, &used, &total), S_OK);
        std::vector<SimEntry> entries;
        for (DWORD slot = 1; slot <= total; ++slot) {
            SIMPHONEBOOKENTRY e;
            if (SimReadPhonebookEntry(sim.get(), SIM_PBSTORAGE_SIM, slot, &e) == S_OK)
                entries.emplace_back(e.lpszText, e.lpszAddress);
        }
        return entries;
    }

    std::vector<PhoneContactRecord> PhoneContacts() {
        ContactList list;
        PhoneContactStore store;
        EXPECT_TRUE(OpenPhoneContactStore(store));
        EXPECT_EQ(ReadPhoneContacts(store, &list, nullptr), 0);
        ClosePhoneContactStore(store);
        return list.phone;
    }

    std::u16string Backup(const ContactList& list, const std::string& name = "backup.txt") {
        std::u16string path = files_.U16Path(name);
        EXPECT_EQ(WriteContactFile(list, path), kContactFileDone);
        return path;
    }

    TempDir files_;
};

inline PhoneContactRecord Person(std::u16string first, std::u16string last,
                                 std::u16string mobile = u"") {
    PhoneContactRecord r;
    r.firstName = std::move(first);
    r.lastName = std::move(last);
    r.mobileTelephoneNumber = std::move(mobile);
    return r;
}

// A contact with all 43 fields set, each to a text of its own.
inline PhoneContactRecord EveryField(const std::u16string& tag) {
    PhoneContactRecord r;
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        r.*kPhoneContactFields[i] = tag + u"-" + std::u16string(kContactProperties[i].field);
    return r;
}

// Range and step (none for a total of 0), n steps, the final position (none if negative).
inline std::vector<ProgressMessage> Progress(int total, int steps, int pos) {
    std::vector<ProgressMessage> m;
    if (total > 0) m = {{PBM_SETRANGE, 0, ProgressRangeParam(total)}, {PBM_SETSTEP, 1, 0}};
    m.insert(m.end(), static_cast<std::size_t>(steps), ProgressMessage{PBM_STEPIT, 0, 0});
    if (pos >= 0) m.push_back({PBM_SETPOS, static_cast<std::uintptr_t>(pos), 0});
    return m;
}
