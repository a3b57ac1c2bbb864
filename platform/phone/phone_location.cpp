#include "platform/phone/phone_location.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"

namespace {
std::string gChosenPath;
// The job in progress in this process, if any.
std::weak_ptr<PhoneConnection> gJob;
}  // namespace

void SetPhonePath(std::string path) {
    gChosenPath = std::move(path);
}

std::string DefaultPhonePath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (dataHome != nullptr && *dataHome == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share";
    }
    return (base / "velloro" / "phone.db").string();
}

bool UsingDefaultPhone() {
    const char* env = std::getenv("VELLORO_PHONE");
    return gChosenPath.empty() && (env == nullptr || *env == '\0');
}

std::string CurrentPhonePath() {
    if (!gChosenPath.empty()) return gChosenPath;
    const char* env = std::getenv("VELLORO_PHONE");
    if (env != nullptr && *env != '\0') return env;
    return DefaultPhonePath();
}

std::unique_ptr<PhoneDb> OpenCurrentPhone(std::string& error) {
    std::string path = CurrentPhonePath();
    struct stat info {};
    if (UsingDefaultPhone() && stat(path.c_str(), &info) != 0) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        // Another process may have made it meanwhile; then its phone is opened below.
        if (!CreatePhoneFile(path, SimSetup{}, true, false, error) &&
            stat(path.c_str(), &info) != 0)
            return nullptr;
    }
    return OpenPhoneDb(path, error);
}

std::shared_ptr<PhoneConnection> ConnectPhone() {
    std::string path = CurrentPhonePath();
    if (auto job = gJob.lock(); job && job->path == path) return job;
    std::string error;
    auto db = OpenCurrentPhone(error);
    if (!db) return nullptr;
    auto connection = std::make_shared<PhoneConnection>();
    if (!connection->lock.Acquire(path)) return nullptr;
    // Read after the lock, so a job sees the switches as the previous job left them.
    auto faults = FaultSet::Load(*db);
    if (!faults) return nullptr;
    connection->faults = *faults;
    db->EnableGrouping();
    connection->db = std::move(db);
    connection->path = std::move(path);
    gJob = connection;
    return connection;
}

bool CommitPhoneJob(PhoneConnection& phone) {
    PhoneDb& db = *phone.db;
    if (db.HoldsItems()) return true;
    if (db.group() == GroupState::Writing && phone.faults.Trips(FaultPoint::PhoneCommit)) {
        db.Abandon();
        return false;
    }
    return db.Flush();
}

bool PhoneFaultTrips(FaultPoint point) {
    std::string path = CurrentPhonePath();
    if (auto job = gJob.lock(); job && job->path == path) return job->faults.Trips(point);
    FaultSet faults;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 10000);
        sqlite3_stmt* stmt = nullptr;
        std::string_view name = kFaultNames[static_cast<std::size_t>(point)];
        if (sqlite3_prepare_v2(db, "SELECT at FROM faults WHERE name = ?", -1, &stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_bind_text(stmt, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC) ==
                SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            faults.Set(point, sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return faults.Trips(point);
}
