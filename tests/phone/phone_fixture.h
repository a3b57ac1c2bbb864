#pragma once
// Every test gets its own phone file in a temporary folder, chosen as the current phone, and a
// fresh set of fault counters, as if it were a new run of a program.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/phone/fault_switches.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"
#include "test_support.h"

class PhoneTest : public testing::Test {
  protected:
    void SetUp() override {
        // Whatever a test forgets to choose, the user's own phone is never reached.
        setenv("XDG_DATA_HOME", (dir_ / "xdg").c_str(), 1);
        unsetenv("VELLORO_PHONE");
        MakePhone(SimSetup{});
    }
    void TearDown() override { SetPhonePath(""); }

    void MakePhone(const SimSetup& sim, bool demo = false) {
        path_ = (dir_ / ("phone" + std::to_string(++phones_) + ".db")).string();
        std::string error;
        ASSERT_TRUE(CreatePhoneFile(path_, sim, demo, false, error)) << error;
        SetPhonePath(path_);
        ResetFaultCounters();
    }

    std::unique_ptr<PhoneDb> Db() {
        std::string error;
        auto db = OpenPhoneDb(path_, error);
        EXPECT_TRUE(db) << error;
        return db;
    }

    void SetFault(std::string_view name, std::int64_t at = 0) {
        auto point = FaultPointByName(name);
        ASSERT_TRUE(point) << name;
        ASSERT_TRUE(SetFaultSwitch(*Db(), *point, at));
        ResetFaultCounters();
    }

    TempDir dir_;
    std::string path_;
    int phones_ = 0;
};
