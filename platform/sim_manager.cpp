#include "platform/sim_manager.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "platform/phone/phone_db.h"
#include "platform/phone/phone_location.h"

namespace {

struct SimState {
    std::shared_ptr<PhoneConnection> phone;
    DWORD slots = 0;
    DWORD nameMax = 0;
    DWORD numberMax = 0;
};

std::map<HSIM, std::unique_ptr<SimState>> gConnections;
HSIM gLastHandle = 0;

SimState* Find(HSIM sim) {
    auto found = gConnections.find(sim);
    return found == gConnections.end() ? nullptr : found->second.get();
}

bool Terminated(const char16_t* field, std::size_t capacity) {
    return FixedFieldText(field, capacity).size() < capacity;
}

void CopyField(char16_t* field, std::size_t capacity, const std::u16string& text) {
    std::size_t length = std::min(text.size(), capacity - 1);
    std::copy_n(text.begin(), length, field);
    std::fill(field + length, field + capacity, u'\0');
}

}  // namespace

HRESULT SimInitialize(DWORD, SIMCALLBACK, DWORD, HSIM* sim) {
    if (sim == nullptr) return E_POINTER;
    *sim = 0;
    auto phone = ConnectPhone();
    if (!phone || phone->faults.Trips(FaultPoint::SimOpen)) return SIM_E_SIMFAILURE;
    auto info = phone->db->Prepare("SELECT slots, name_max, number_max FROM sim WHERE id = 1");
    if (info == nullptr || !info->Step()) return SIM_E_NOSIM;
    auto state = std::make_unique<SimState>();
    state->slots = static_cast<DWORD>(info->Int(0));
    state->nameMax = static_cast<DWORD>(info->Int(1));
    state->numberMax = static_cast<DWORD>(info->Int(2));
    state->phone = std::move(phone);
    HSIM handle = ++gLastHandle;
    if (handle == 0) handle = ++gLastHandle;
    gConnections[handle] = std::move(state);
    *sim = handle;
    return S_OK;
}

HRESULT SimDeinitialize(HSIM sim) {
    auto found = gConnections.find(sim);
    if (found == gConnections.end()) return E_INVALIDARG;
    const bool committed = CommitPhoneJob(*found->second->phone);
    gConnections.erase(found);
    return committed ? S_OK : E_FAIL;
}

HRESULT SimGetDevCaps(HSIM sim, DWORD capsType, SIMCAPS* caps) {
    SimState* state = Find(sim);
    if (state == nullptr || caps == nullptr) return E_INVALIDARG;
    if (state->phone->faults.Trips(FaultPoint::SimCaps)) return SIM_E_SIMFAILURE;
    if ((capsType & SIM_CAPSTYPE_ALL) == 0) return E_INVALIDARG;
    *caps = SIMCAPS{};
    caps->cbSize = kSimCapsSize;
    caps->dwParams = SIM_PARAM_PBE_ALL;
    caps->dwPBStorages = SIM_PBSTORAGE_SIM;
    caps->dwMinPBIndex = 1;
    caps->dwMaxPBIndex = state->slots;
    caps->dwMaxAddressLength = state->numberMax;
    caps->dwMaxTextLength = state->nameMax;
    return S_OK;
}

HRESULT SimReadPhonebookEntry(HSIM sim, DWORD location, DWORD index, SIMPHONEBOOKENTRY* entry) {
    SimState* state = Find(sim);
    if (state == nullptr || entry == nullptr || location != SIM_PBSTORAGE_SIM) return E_INVALIDARG;
    if (state->phone->faults.TripsAt(FaultPoint::SimRead, index)) return SIM_E_SIMFAILURE;
    if (index < 1 || index > state->slots) return SIM_E_INVALIDINDEX;
    auto read = state->phone->db->Prepare("SELECT name, number FROM sim_entries WHERE slot = ?");
    if (read == nullptr) return SIM_E_SIMFAILURE;
    read->Bind(1, std::int64_t{index});
    if (!read->Step()) return read->ok() ? SIM_E_NOTFOUND : SIM_E_SIMFAILURE;
    *entry = SIMPHONEBOOKENTRY{};
    entry->cbSize = kSimEntrySize;
    entry->dwParams = SIM_PARAM_PBE_ALL;
    CopyField(entry->lpszAddress, MAX_LENGTH_ADDRESS, read->Text16(1));
    entry->dwNumPlan = SIM_NUMPLAN_TELEPHONE;
    CopyField(entry->lpszText, MAX_LENGTH_PHONEBOOKENTRYTEXT, read->Text16(0));
    return S_OK;
}

HRESULT SimGetPhonebookStatus(HSIM sim, DWORD location, DWORD* used, DWORD* total) {
    SimState* state = Find(sim);
    if (state == nullptr || used == nullptr || total == nullptr || location != SIM_PBSTORAGE_SIM)
        return E_INVALIDARG;
    if (state->phone->faults.Trips(FaultPoint::SimStatus)) return SIM_E_SIMFAILURE;
    auto count =
        state->phone->db->Prepare("SELECT COUNT(*) FROM sim_entries WHERE slot BETWEEN 1 AND ?");
    if (count == nullptr) return SIM_E_SIMFAILURE;
    count->Bind(1, std::int64_t{state->slots});
    if (!count->Step()) return SIM_E_SIMFAILURE;
    *used = static_cast<DWORD>(count->Int(0));
    *total = state->slots;
    return S_OK;
}

HRESULT SimWritePhonebookEntry(HSIM sim, DWORD location, DWORD index,
                               const SIMPHONEBOOKENTRY* entry) {
    SimState* state = Find(sim);
    if (state == nullptr || entry == nullptr || location != SIM_PBSTORAGE_SIM) return E_INVALIDARG;
    if (state->phone->faults.Trips(FaultPoint::SimWrite)) return SIM_E_SIMFAILURE;
    if (!Terminated(entry->lpszText, MAX_LENGTH_PHONEBOOKENTRYTEXT)) return SIM_E_TEXTSTRINGTOOLONG;
    if (!Terminated(entry->lpszAddress, MAX_LENGTH_ADDRESS)) return SIM_E_DIALSTRINGTOOLONG;
    std::u16string name(FixedFieldText(entry->lpszText, MAX_LENGTH_PHONEBOOKENTRYTEXT));
    std::u16string number(FixedFieldText(entry->lpszAddress, MAX_LENGTH_ADDRESS));
    if (name.size() > state->nameMax) return SIM_E_TEXTSTRINGTOOLONG;
    if (number.size() > state->numberMax) return SIM_E_DIALSTRINGTOOLONG;

    PhoneDb& db = *state->phone->db;
    Transaction tx(db);
    if (!tx.ok()) return SIM_E_SIMFAILURE;
    std::int64_t slot = index;
    if (index == SIM_PBINDEX_FIRSTAVAILABLE) {
        // Used slots come in order; the first gap in 1, 2, 3, ... is the free one.
        auto used = db.Prepare("SELECT slot FROM sim_entries ORDER BY slot");
        if (used == nullptr) return SIM_E_SIMFAILURE;
        slot = 1;
        while (used->Step() && used->Int(0) == slot)
            ++slot;
        if (!used->ok()) return SIM_E_SIMFAILURE;
        if (slot > state->slots) return SIM_E_MEMORYFULL;
    } else if (index < 1 || index > state->slots) {
        return SIM_E_INVALIDINDEX;
    }
    auto put =
        db.Prepare("INSERT OR REPLACE INTO sim_entries(slot, name, number) VALUES (?, ?, ?)");
    if (put == nullptr) return SIM_E_SIMFAILURE;
    put->Bind(1, slot).Bind(2, std::u16string_view(name)).Bind(3, std::u16string_view(number));
    put->Step();
    return put->ok() && tx.Commit() ? S_OK : SIM_E_SIMFAILURE;
}
