#include "platform/registry.h"

#include "phone_fixture.h"

namespace {

constexpr char16_t kKey[] = u"\\SOFTWARE\\Quorvane\\Velloro";

class RegistryTest : public PhoneTest {
  protected:
    std::int64_t Rows(const char* table) {
        auto db = Db();
        std::string sql = std::string("SELECT COUNT(*) FROM ") + table;
        auto count = db->Prepare(sql.c_str());
        EXPECT_TRUE(count && count->Step());
        return count ? count->Int(0) : -1;
    }
};

TEST_F(RegistryTest, ReadingAMissingKeyOrValueCreatesNothing) {
    RegKeyHolder key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, 0, key.Out()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.get(), 0u);
    EXPECT_EQ(Rows("registry_keys"), 0);

    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, 0, nullptr, key.Out(),
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    DWORD value = 1, size = 4;
    EXPECT_EQ(RegQueryValueExW(key.get(), u"Sort", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&value), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(Rows("registry_values"), 0);
}

TEST_F(RegistryTest, ValuesRoundTripWhateverTheKeyIsSpelled) {
    {
        RegKeyHolder key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, 0, nullptr, key.Out(),
                                  nullptr),
                  ERROR_SUCCESS);
        DWORD two = 2;
        ASSERT_EQ(
            RegSetValueExW(key.get(), u"Sequence", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), 4),
            ERROR_SUCCESS);
        EXPECT_EQ(RegFlushKey(key.get()), ERROR_SUCCESS);
    }
    for (const char16_t* spelling :
         {kKey, u"SOFTWARE\\Quorvane\\Velloro", u"\\software\\QUORVANE\\velloro\\"}) {
        RegKeyHolder key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, spelling, 0, 0, key.Out()), ERROR_SUCCESS);
        DWORD type = 0, value = 0, size = 4;
        ASSERT_EQ(RegQueryValueExW(key.get(), u"sequence", nullptr, &type,
                                   reinterpret_cast<BYTE*>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, REG_DWORD);
        EXPECT_EQ(value, 2u);
        BYTE small[2] = {7, 7};
        size = 2;
        EXPECT_EQ(RegQueryValueExW(key.get(), u"Sequence", nullptr, nullptr, small, &size),
                  ERROR_MORE_DATA);
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(small[0], 7);
    }
    // The parents were created with the key.
    RegKeyHolder parent;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE", 0, 0, parent.Out()), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(parent.get()), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(parent.get()), ERROR_INVALID_HANDLE);
    *parent.Out() = 0;
}

}  // namespace
