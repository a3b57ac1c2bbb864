#include "platform/phone/phone_check.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/phone/phone_db.h"
#include "platform/phone/phone_location.h"

namespace {

// A write needs the file and, for the journal beside it, its folder.
bool Writable(const std::string& path, PhoneDb& db) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    return access(path.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0 &&
           sqlite3_db_readonly(db.handle(), "main") == 0;
}

}  // namespace

std::string CheckCurrentPhone(PhoneUse use) {
    std::string error;
    std::unique_ptr<PhoneDb> db = OpenCurrentPhone(error);
    std::string path = CurrentPhonePath();
    if (!db) {
        // The phone is opened for writing even to be read (its journal is set up on every
        // open), so a phone without write access cannot be used at all.
        struct stat info {};
        bool foreign = error.ends_with(" is not a Velloro phone");
        if (!foreign && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(path.c_str(), W_OK) != 0) {
            return path + " cannot be written";
        }
        return error.empty() ? path + " is not a Velloro phone" : error;
    }
    if (use == PhoneUse::Write && !Writable(path, *db)) return path + " cannot be written";
    return {};
}
