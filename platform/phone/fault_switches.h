#pragma once
// Fault switches: named failure points stored in the phone file. Each makes one platform call
// fail the way a real phone would. A switch without a position fails every call of its kind; a
// switch "at K" fails only the K-th call of its kind in this process (for sim.read the entry at
// slot K, for contacts.item the item at index K).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class PhoneDb;

enum class FaultPoint : std::size_t {
    SimOpen,
    SimCaps,
    SimStatus,
    SimRead,
    SimWrite,
    ContactsCom,
    ContactsCreate,
    ContactsLogon,
    ContactsFolder,
    ContactsItems,
    ContactsItem,
    ContactsAdd,
    ContactsSave,
    SmsLogon,
    SmsStores,
    SmsOpen,
    SmsTop,
    SmsFolder,
    SmsMessage,
    SmsCreateFolder,
    SmsCreateMessage,
    SmsSetProps,
    SmsRecipients,
    RegistryOpen,
    RegistryWrite,
    PhoneCommit,
};
constexpr std::size_t kFaultPointCount = 26;

// The switch names, in FaultPoint order.
extern const std::array<std::string_view, kFaultPointCount> kFaultNames;
std::optional<FaultPoint> FaultPointByName(std::string_view name);

// The switches of one phone, read once when a connection opens so that a call costs no query.
class FaultSet {
  public:
    FaultSet() = default;
    // Nothing when the switches could not be read.
    static std::optional<FaultSet> Load(PhoneDb& db);
    void Set(FaultPoint point, std::int64_t at) { at_[static_cast<std::size_t>(point)] = at; }
    // Counts this call of its kind and says whether it fails.
    bool Trips(FaultPoint point);
    // For the calls whose position is an index (a SIM slot, a contact item).
    bool TripsAt(FaultPoint point, std::int64_t index) const;

  private:
    // Empty: not set; 0: every call; K: only the K-th.
    std::array<std::optional<std::int64_t>, kFaultPointCount> at_{};
};

// The per-process call counters, restarted so that a test can run "one program" again.
void ResetFaultCounters();

struct FaultSwitch {
    std::string name;
    std::int64_t at = 0;  // 0: every call
};
// Setting, clearing and listing are plain writes to the phone file; false when the write failed.
bool SetFaultSwitch(PhoneDb& db, FaultPoint point, std::int64_t at);
bool ClearFaultSwitch(PhoneDb& db, std::optional<FaultPoint> point);
std::optional<std::vector<FaultSwitch>> ListFaultSwitches(PhoneDb& db);
