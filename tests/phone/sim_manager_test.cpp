#include "platform/sim_manager.h"

#include <string>

#include "phone_fixture.h"
#include "platform/text.h"

namespace {

class SimManagerTest : public PhoneTest {
  protected:
    void Open() { ASSERT_EQ(SimInitialize(0, nullptr, 0, sim_.Out()), S_OK); }

    SIMPHONEBOOKENTRY Entry(std::u16string_view name, std::u16string_view number) {
        SIMPHONEBOOKENTRY e;
        e.cbSize = kSimEntrySize;
        e.dwParams = SIM_PARAM_PBE_ALL;
        e.dwNumPlan = SIM_NUMPLAN_TELEPHONE;
        std::copy(name.begin(), name.end(), e.lpszText);
        std::copy(number.begin(), number.end(), e.lpszAddress);
        return e;
    }

    SimConnectionHolder sim_;
};

TEST_F(SimManagerTest, EmptySimReportsNoEntriesAndEverySlotFails) {
    Open();
    DWORD used = 99, total = 0;
    ASSERT_EQ(SimGetPhonebookStatus(sim_.get(), SIM_PBSTORAGE_SIM, &used, &total), S_OK);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(total, 250u);
    SIMPHONEBOOKENTRY entry;
    EXPECT_EQ(SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, 1, &entry), SIM_E_NOTFOUND);
    EXPECT_EQ(SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, 251, &entry),
              SIM_E_INVALIDINDEX);

    SIMCAPS caps;
    ASSERT_EQ(SimGetDevCaps(sim_.get(), SIM_CAPSTYPE_ALL, &caps), S_OK);
    EXPECT_EQ(caps.dwParams, SIM_PARAM_PBE_ALL);
    EXPECT_EQ(caps.dwMaxTextLength, 14u);
    EXPECT_EQ(caps.dwMaxAddressLength, 40u);

    HSIM handle = sim_.get();
    EXPECT_EQ(SimDeinitialize(handle), S_OK);
    EXPECT_EQ(SimDeinitialize(handle), E_INVALIDARG);
    EXPECT_EQ(SimGetPhonebookStatus(handle, SIM_PBSTORAGE_SIM, &used, &total), E_INVALIDARG);
    *sim_.Out() = 0;
}

TEST_F(SimManagerTest, EntriesAtTheFirstAndLastSlotsReadInIndexOrder) {
    std::string error;
    ASSERT_TRUE(AddSimEntry(*Db(), 250, u"Last", u"999", error)) << error;
    ASSERT_TRUE(AddSimEntry(*Db(), 3, u"Третий", u"+333", error)) << error;
    Open();
    DWORD used = 0, total = 0;
    ASSERT_EQ(SimGetPhonebookStatus(sim_.get(), SIM_PBSTORAGE_SIM, &used, &total), S_OK);
    EXPECT_EQ(used, 2u);
    std::vector<std::pair<DWORD, std::u16string>> read;
    for (DWORD index = 1; index <= total; ++index) {
        SIMPHONEBOOKENTRY e;
        if (SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, index, &e) == S_OK)
            read.push_back({index, std::u16string(e.lpszText) + u"/" + e.lpszAddress});
    }
    EXPECT_EQ(read, (std::vector<std::pair<DWORD, std::u16string>>{{3, u"Третий/+333"},
                                                                   {250, u"Last/999"}}));
}

TEST_F(SimManagerTest, WritesFillTheFirstFreeSlotUntilTheSimIsFull) {
    MakePhone(SimSetup{3, 14, 40});
    std::string error;
    ASSERT_TRUE(AddSimEntry(*Db(), 2, u"Taken", u"2", error));
    Open();
    SIMPHONEBOOKENTRY first = Entry(u"", u"111");
    SIMPHONEBOOKENTRY second = Entry(u"Bo", u"222");
    EXPECT_EQ(
        SimWritePhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &first),
        S_OK);
    EXPECT_EQ(
        SimWritePhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &second),
        S_OK);
    EXPECT_EQ(
        SimWritePhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &second),
        SIM_E_MEMORYFULL);

    SIMPHONEBOOKENTRY e;
    ASSERT_EQ(SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, 1, &e), S_OK);
    EXPECT_EQ(std::u16string(e.lpszText), u"");
    EXPECT_EQ(std::u16string(e.lpszAddress), u"111");
    ASSERT_EQ(SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, 3, &e), S_OK);
    EXPECT_EQ(std::u16string(e.lpszText), u"Bo");
    ASSERT_EQ(SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, 2, &e), S_OK);
    EXPECT_EQ(std::u16string(e.lpszText), u"Taken");
}

TEST_F(SimManagerTest, TheCardRefusesWhatItCannotHoldAndCutsNothing) {
    Open();
    struct Case {
        std::u16string name, number;
        HRESULT expected;
    };
    const Case cases[] = {
        {std::u16string(14, u'n'), std::u16string(40, u'1'), S_OK},
        {std::u16string(15, u'n'), u"1", SIM_E_TEXTSTRINGTOOLONG},
        {u"n", std::u16string(41, u'1'), SIM_E_DIALSTRINGTOOLONG},
    };
    for (const Case& c : cases) {
        SIMPHONEBOOKENTRY e = Entry(c.name, c.number);
        EXPECT_EQ(
            SimWritePhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE, &e),
            c.expected)
            << c.name.size() << "/" << c.number.size();
    }
    SIMPHONEBOOKENTRY unterminated = Entry(u"", u"1");
    std::fill(std::begin(unterminated.lpszText), std::end(unterminated.lpszText), u'x');
    EXPECT_EQ(SimWritePhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE,
                                     &unterminated),
              SIM_E_TEXTSTRINGTOOLONG);

    DWORD used = 0, total = 0;
    ASSERT_EQ(SimGetPhonebookStatus(sim_.get(), SIM_PBSTORAGE_SIM, &used, &total), S_OK);
    EXPECT_EQ(used, 1u);
    SIMPHONEBOOKENTRY e;
    ASSERT_EQ(SimReadPhonebookEntry(sim_.get(), SIM_PBSTORAGE_SIM, 1, &e), S_OK);
    EXPECT_EQ(std::u16string(e.lpszText).size(), 14u);
}

}  // namespace
