#pragma once
// The SIM manager: six calls over a connection handle, each returning S_OK (0) or a failure.
// The SIM keeps slots 1..total; nothing here cuts a text: an entry longer than the card's
// maxima is refused, as a real card refuses it, and the caller does the cutting.
//
// Phonebook entry record (SIMPHONEBOOKENTRY), 1040 bytes, 32-bit fields little-endian:
//   0    4  cbSize          1040
//   4    4  dwParams        field-validity mask
//   8  512  lpszAddress     256 UTF-16 units, NUL-terminated: the number
//   520  4  dwAddressType   0 = not given
//   524  4  dwNumPlan       1 = telephone plan
//   528 512 lpszText        256 UTF-16 units, NUL-terminated: the name
// Capability record (SIMCAPS), 124 bytes of 32-bit fields; the ones with meaning here are
// dwParams (offset 4), dwMaxAddressLength (offset 20) and dwMaxTextLength (offset 24).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

constexpr std::size_t kSimEntrySize = 1040;
constexpr std::size_t kSimCapsSize = 124;
constexpr std::size_t MAX_LENGTH_ADDRESS = 256;
constexpr std::size_t MAX_LENGTH_PHONEBOOKENTRYTEXT = 256;

constexpr DWORD SIM_PBSTORAGE_SIM = 16;
constexpr DWORD SIM_CAPSTYPE_ALL = 63;
constexpr DWORD SIM_PBINDEX_FIRSTAVAILABLE = 0xFFFFFFFFu;  // -1
constexpr DWORD SIM_NUMPLAN_TELEPHONE = 1;
// Which fields of an entry are valid: the mask the capability query hands out.
constexpr DWORD SIM_PARAM_PBE_ADDRESS = 0x1;
constexpr DWORD SIM_PARAM_PBE_ADDRESS_TYPE = 0x2;
constexpr DWORD SIM_PARAM_PBE_NUMPLAN = 0x4;
constexpr DWORD SIM_PARAM_PBE_TEXT = 0x8;
constexpr DWORD SIM_PARAM_PBE_ALL = 0xF;

constexpr HRESULT SIM_E_NOTFOUND = static_cast<HRESULT>(0x88000081u);
constexpr HRESULT SIM_E_SIMFAILURE = static_cast<HRESULT>(0x88000002u);
constexpr HRESULT SIM_E_MEMORYFULL = static_cast<HRESULT>(0x8800007Du);
constexpr HRESULT SIM_E_INVALIDINDEX = static_cast<HRESULT>(0x8800007Eu);
constexpr HRESULT SIM_E_TEXTSTRINGTOOLONG = static_cast<HRESULT>(0x88000080u);
constexpr HRESULT SIM_E_DIALSTRINGTOOLONG = static_cast<HRESULT>(0x88000082u);
constexpr HRESULT SIM_E_NOSIM = static_cast<HRESULT>(0x8800000Bu);

struct SIMPHONEBOOKENTRY {
    DWORD cbSize = 0;
    DWORD dwParams = 0;
    char16_t lpszAddress[MAX_LENGTH_ADDRESS] = {};
    DWORD dwAddressType = 0;
    DWORD dwNumPlan = 0;
    char16_t lpszText[MAX_LENGTH_PHONEBOOKENTRYTEXT] = {};
};
static_assert(sizeof(SIMPHONEBOOKENTRY) == kSimEntrySize);

// The text of a fixed-size field: up to its first NUL, or the whole field when a card filled it
// to the last unit.
inline std::u16string_view FixedFieldText(const char16_t* field, std::size_t capacity) {
    std::u16string_view whole(field, capacity);
    return whole.substr(0, whole.find(u'\0'));
}

struct SIMCAPS {
    DWORD cbSize = 0;
    DWORD dwParams = 0;
    DWORD dwPBStorages = 0;
    DWORD dwMinPBIndex = 0;
    DWORD dwMaxPBIndex = 0;
    DWORD dwMaxAddressLength = 0;
    DWORD dwMaxTextLength = 0;
    DWORD dwOtherFields[24] = {};  // the rest of the 124 bytes; never used here
};
static_assert(sizeof(SIMCAPS) == kSimCapsSize);

// A connection handle; 0 is no connection. Handles are per process.
using HSIM = DWORD;
using SIMCALLBACK = void (*)(DWORD notifyCode, const void* data, DWORD dataSize, DWORD param);

// Opens a connection to the current phone's SIM.
HRESULT SimInitialize(DWORD flags, SIMCALLBACK callback, DWORD param, HSIM* sim);
// Commits what the connection wrote; E_FAIL when that commit failed.
HRESULT SimDeinitialize(HSIM sim);
HRESULT SimGetDevCaps(HSIM sim, DWORD capsType, SIMCAPS* caps);
// index is 1-based; an empty slot fails with SIM_E_NOTFOUND.
HRESULT SimReadPhonebookEntry(HSIM sim, DWORD location, DWORD index, SIMPHONEBOOKENTRY* entry);
HRESULT SimGetPhonebookStatus(HSIM sim, DWORD location, DWORD* used, DWORD* total);
// index SIM_PBINDEX_FIRSTAVAILABLE takes the first free slot (SIM_E_MEMORYFULL when none);
// any other index writes that slot. A name or number longer than the card's maxima, or one that
// does not fit its field with a terminator, is refused.
HRESULT SimWritePhonebookEntry(HSIM sim, DWORD location, DWORD index,
                               const SIMPHONEBOOKENTRY* entry);

// Deinitialises on scope exit, for callers that hold a connection across early returns.
class SimConnectionHolder {
  public:
    SimConnectionHolder() = default;
    ~SimConnectionHolder() { Reset(); }
    SimConnectionHolder(const SimConnectionHolder&) = delete;
    SimConnectionHolder& operator=(const SimConnectionHolder&) = delete;
    HSIM* Out() { return &sim_; }
    HSIM get() const { return sim_; }
    void Reset() {
        if (sim_ != 0) SimDeinitialize(sim_);
        sim_ = 0;
    }

  private:
    HSIM sim_ = 0;
};
