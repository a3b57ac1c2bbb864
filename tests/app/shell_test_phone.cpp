#include "shell_test_phone.h"

#include "platform/phone/fault_switches.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"

bool MakeTestPhone(const std::string& path, std::string& error) {
    return CreatePhoneFile(path, SimSetup{}, true, false, error);
}

bool SetTestPhoneFault(const std::string& path, const std::string& faultName) {
    std::string error;
    auto db = OpenPhoneDb(path, error);
    const auto point = FaultPointByName(faultName);
    return db != nullptr && point.has_value() && SetFaultSwitch(*db, *point, 0);
}
