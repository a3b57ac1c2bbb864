#include "platform/phone/fault_switches.h"

#include "platform/phone/phone_db.h"

const std::array<std::string_view, kFaultPointCount> kFaultNames = {
    "sim.open",          "sim.caps",        "sim.status",     "sim.read",        "sim.write",
    "contacts.com",      "contacts.create", "contacts.logon", "contacts.folder", "contacts.items",
    "contacts.item",     "contacts.add",    "contacts.save",  "sms.logon",       "sms.stores",
    "sms.open",          "sms.top",         "sms.folder",     "sms.message",     "sms.createfolder",
    "sms.createmessage", "sms.setprops",    "sms.recipients", "registry.open",   "registry.write",
    "phone.commit",
};

namespace {
// One program run is one process; the counters live exactly as long.
std::array<std::int64_t, kFaultPointCount> gCallCounts{};
}  // namespace

void ResetFaultCounters() {
    gCallCounts = {};
}

std::optional<FaultPoint> FaultPointByName(std::string_view name) {
    for (std::size_t i = 0; i < kFaultPointCount; ++i)
        if (kFaultNames[i] == name) return static_cast<FaultPoint>(i);
    return std::nullopt;
}

std::optional<FaultSet> FaultSet::Load(PhoneDb& db) {
    auto switches = ListFaultSwitches(db);
    if (!switches) return std::nullopt;
    FaultSet set;
    for (const FaultSwitch& s : *switches)
        if (auto point = FaultPointByName(s.name)) set.at_[static_cast<std::size_t>(*point)] = s.at;
    return set;
}

bool FaultSet::Trips(FaultPoint point) {
    auto i = static_cast<std::size_t>(point);
    std::int64_t call = ++gCallCounts[i];
    return at_[i] && (*at_[i] == 0 || *at_[i] == call);
}

bool FaultSet::TripsAt(FaultPoint point, std::int64_t index) const {
    const auto& at = at_[static_cast<std::size_t>(point)];
    return at && (*at == 0 || *at == index);
}

bool SetFaultSwitch(PhoneDb& db, FaultPoint point, std::int64_t at) {
    auto put = db.Prepare("INSERT OR REPLACE INTO faults(name, at) VALUES (?, ?)");
    if (put == nullptr) return false;
    put->Bind(1, kFaultNames[static_cast<std::size_t>(point)]).Bind(2, at);
    put->Step();
    return put->ok();
}

bool ClearFaultSwitch(PhoneDb& db, std::optional<FaultPoint> point) {
    auto clear =
        point ? db.Prepare("DELETE FROM faults WHERE name = ?") : db.Prepare("DELETE FROM faults");
    if (clear == nullptr) return false;
    if (point) clear->Bind(1, kFaultNames[static_cast<std::size_t>(*point)]);
    clear->Step();
    return clear->ok();
}

std::optional<std::vector<FaultSwitch>> ListFaultSwitches(PhoneDb& db) {
    std::vector<FaultSwitch> switches;
    auto list = db.Prepare("SELECT name, at FROM faults ORDER BY name");
    if (list == nullptr) return std::nullopt;
    while (list->Step())
        switches.push_back({list->Text(0), list->Int(1)});
    if (!list->ok()) return std::nullopt;
    return switches;
}
