#include "contacts/phone_contacts_writer.h"
#include "contacts/sim_phonebook.h"
#include "ops_fixture.h"
#include "platform/text.h"

namespace {

class SimPhonebookTest : public OpsTest {
  protected:
    void SetUp() override {
        OpsTest::SetUp();
        InitSimPhonebook(sim_);
    }
    void TearDown() override {
        CloseSimPhonebook(sim_);
        OpsTest::TearDown();
    }
    SimPhonebook sim_;
};

TEST_F(SimPhonebookTest, ReadsUsedSlotsInOrderAndStopsAtTheLastUsedOne) {
    AddSim(250, u"Last", u"999");
    AddSim(3, u"", u"333");
    ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
    EXPECT_EQ(SimUsedEntryCount(sim_), 2);
    ContactList list;
    ProgressRecorder bar;
    ASSERT_EQ(ReadSimContacts(sim_, &list, &bar), kSimDone);
    EXPECT_EQ(list.sim, (std::vector<SimContactRecord>{{u"", u"333"}, {u"Last", u"999"}}));
    EXPECT_EQ(bar.messages, Progress(0, 2, -1));
    EXPECT_EQ(ReadSimContacts(sim_, nullptr, nullptr), kSimNoList);

    EXPECT_EQ(CloseSimPhonebook(sim_), kSimDone);
    EXPECT_EQ(CloseSimPhonebook(sim_), kSimDone);
}

TEST_F(SimPhonebookTest, ReadFailuresAndSkippedSlots) {
    AddSim(1, u"A", u"1");
    AddSim(2, u"B", u"2");
    AddSim(3, u"C", u"3");
    SetFault("sim.read", 2);
    ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
    ContactList list;
    ASSERT_EQ(ReadSimContacts(sim_, &list, nullptr), kSimDone);
    EXPECT_EQ(list.sim, (std::vector<SimContactRecord>{{u"A", u"1"}, {u"C", u"3"}}));

    CloseSimPhonebook(sim_);
    for (auto [fault, code] :
         {std::pair{"sim.caps", kSimCapsFailed}, {"sim.status", kSimReadFailed}}) {
        SetFault(fault);
        ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
        ContactList none;
        EXPECT_EQ(ReadSimContacts(sim_, &none, nullptr), code) << fault;
        EXPECT_TRUE(none.sim.empty());
        CloseSimPhonebook(sim_);
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    }
}

TEST(ExcludeExistingSimContacts, ComparesAsTheSimStoresAndKeepsTheSourceWhole) {
    ContactList existing;
    AddSimContact(existing, u"Fourteen chars", u"123");
    AddSimContact(existing, u"", u"555");
    AddSimContact(existing, u"Bo", u"777");

    ContactList source;
    AddSimContact(source, u"Fourteen chars and more", u"123");  // equal once cut to 14
    AddSimContact(source, u"", u"555");                         // absent matches absent
    AddSimContact(source, u"Named", u"555");                    // a name vs none: new
    AddSimContact(source, u"Bo", u"778");                       // another number: new
    AddSimContact(source, u"bo", u"777");                       // letter case counts
    AddSimContact(source, u"Cy", u"1");
    AddSimContact(source, u"Cy", u"1");  // the source's own duplicates stay

    ContactList out;
    ASSERT_EQ(ExcludeExistingSimContacts(source, &out, &existing, 14, 40), 0);
    EXPECT_EQ(
        out.sim,
        (std::vector<SimContactRecord>{
            {u"Named", u"555"}, {u"Bo", u"778"}, {u"bo", u"777"}, {u"Cy", u"1"}, {u"Cy", u"1"}}));

    // The number is cut by its own maximum, and the kept record is the uncut one.
    ContactList longNumber, kept;
    AddSimContact(longNumber, u"Bo", u"7779");
    ASSERT_EQ(ExcludeExistingSimContacts(longNumber, &kept, &existing, 14, 3), 0);
    EXPECT_TRUE(kept.sim.empty());
    ASSERT_EQ(ExcludeExistingSimContacts(longNumber, &kept, &existing, 14, 4), 0);
    EXPECT_EQ(kept.sim, (std::vector<SimContactRecord>{{u"Bo", u"7779"}}));

    EXPECT_EQ(ExcludeExistingSimContacts(source, nullptr, &existing, 14, 40), -1);
    EXPECT_EQ(ExcludeExistingSimContacts(source, &out, nullptr, 14, 40), -1);
}

TEST_F(SimPhonebookTest, WritingAddsOnlyNewEntriesCutToTheCardsMaxima) {
    AddSim(1, u"Anna", u"111");
    ContactList source;
    AddSimContact(source, u"Anna", u"111");                   // already there
    AddSimContact(source, u"A name longer than 14", u"222");  // cut to 14
    AddSimContact(source, u"No number", u"");                 // never written
    AddSimContact(source, u"", u"333");                       // written nameless
    ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
    std::int32_t needed = -1, free = -1, failed = -1;
    ProgressRecorder bar;
    ASSERT_EQ(WriteSimContacts(sim_, &source, needed, free, failed, &bar), kSimDone);
    EXPECT_EQ(std::tie(needed, free, failed), std::tuple(0, 0, 0));
    EXPECT_EQ(bar.messages, Progress(0, 2, -1));
    EXPECT_EQ(SimEntries(), (std::vector<SimEntry>{
                                {u"Anna", u"111"}, {u"A name longer ", u"222"}, {u"", u"333"}}));
    EXPECT_EQ(WriteSimContacts(sim_, nullptr, needed, free, failed, nullptr), kSimNoList);
}

TEST_F(SimPhonebookTest, TooFewFreeSlotsWritesNothingAndCountsNumberlessRecords) {
    MakePhone(SimSetup{10, 14, 40});
    AddSim(1, u"Held", u"1");
    ContactList source;
    for (int i = 0; i < 9; ++i)
        AddSimContact(source, u"N" + DecimalText(i), u"5" + DecimalText(i));
    AddSimContact(source, u"No number", u"");  // still needs a slot in the check
    ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
    std::int32_t needed = 0, free = 0, failed = 0;
    EXPECT_EQ(WriteSimContacts(sim_, &source, needed, free, failed, nullptr), kSimNoSpace);
    EXPECT_EQ(std::tie(needed, free), std::tuple(10, 9));
    EXPECT_EQ(SimEntries().size(), 1u);
}

TEST_F(SimPhonebookTest, EachFailurePointOfWritingHasItsCode) {
    ContactList source;
    AddSimContact(source, u"A", u"10");
    AddSimContact(source, u"B", u"20");
    AddSimContact(source, u"C", u"30");
    struct Case {
        const char* fault;
        std::int64_t at;
        std::int32_t code;
        std::size_t entriesAfter;
    };
    // The write's own calls: caps 1 and status 1 read the current entries, then caps 2 and
    // status 2.
    const Case cases[] = {
        {"sim.caps", 1, kSimReadFailed, 1},      {"sim.status", 1, kSimReadFailed, 1},
        {"sim.caps", 2, kSimCapsFailed, 1},      {"sim.status", 2, kSimStatusFailed, 1},
        {"sim.write", 2, kSimEntriesRefused, 3},
    };
    for (const Case& c : cases) {
        MakePhone(SimSetup{});
        AddSim(1, u"Held", u"1");
        SetFault(c.fault, c.at);
        InitSimPhonebook(sim_);
        ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
        std::int32_t needed = 0, free = 0, failed = 0;
        EXPECT_EQ(WriteSimContacts(sim_, &source, needed, free, failed, nullptr), c.code)
            << c.fault << c.at;
        EXPECT_EQ(failed, c.code == kSimEntriesRefused ? 1 : 0);
        EXPECT_EQ(SimEntries().size(), c.entriesAfter) << c.fault << c.at;
        CloseSimPhonebook(sim_);
    }
}

TEST_F(SimPhonebookTest, ACardClaimingLongerTextsGetsThemCutTo255AndOnlyOnce) {
    MakePhone(SimSetup{250, 300, 300});
    ContactList source;
    AddSimContact(source, std::u16string(280, u'n'), std::u16string(270, u'1'));
    ASSERT_EQ(OpenSimPhonebook(sim_), kSimDone);
    std::int32_t needed = 0, free = 0, failed = 0;
    for (int run = 0; run < 2; ++run)
        ASSERT_EQ(WriteSimContacts(sim_, &source, needed, free, failed, nullptr), kSimDone);
    EXPECT_EQ(SimEntries(),
              (std::vector<SimEntry>{{std::u16string(255, u'n'), std::u16string(255, u'1')}}));
}

class PhoneStoreTest : public OpsTest {
  protected:
    void TearDown() override {
        ClosePhoneContactStore(store_);
        OpsTest::TearDown();
    }
    PhoneContactStore store_;
};

TEST_F(PhoneStoreTest, ReadsEveryFieldAndSkipsContactsThatCannotBeFetched) {
    AddPhone(EveryField(u"a"));
    AddPhone(Person(u"Bo", u""));
    AddPhone(PhoneContactRecord{});  // no field at all is still a contact
    SetFault("contacts.item", 2);
    EXPECT_EQ(StoredPhoneContactCount(store_), -1);
    ASSERT_TRUE(OpenPhoneContactStore(store_));
    EXPECT_EQ(StoredPhoneContactCount(store_), 3);
    ContactList list;
    ProgressRecorder bar;
    ASSERT_EQ(ReadPhoneContacts(store_, &list, &bar), 0);
    EXPECT_EQ(list.phone, (std::vector<PhoneContactRecord>{EveryField(u"a"), {}}));
    EXPECT_EQ(bar.messages, Progress(0, 3, -1));
    EXPECT_EQ(ReadPhoneContacts(store_, nullptr, nullptr), -1);

    ClosePhoneContactStore(store_);
    EXPECT_EQ(ReadPhoneContacts(store_, &list, nullptr), -1);
    ClosePhoneContactStore(store_);  // twice is harmless
}

TEST_F(PhoneStoreTest, EveryFailedOpeningStepLeavesAStoreThatClosesCleanly) {
    for (const char* fault : {"contacts.com", "contacts.create", "contacts.logon",
                              "contacts.folder", "contacts.items"}) {
        SetFault(fault);
        InitPhoneContactStore(store_);
        EXPECT_FALSE(OpenPhoneContactStore(store_)) << fault;
        ClosePhoneContactStore(store_);
        EXPECT_FALSE(store_.app || store_.contactsFolder || store_.items || store_.comStarted);
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    }
    // COM was balanced every time: a fresh open starts it anew.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

TEST_F(PhoneStoreTest, WritingAddsWhatDiffersInAnyFieldAndNeedsANameOrCompany) {
    PhoneContactRecord held = EveryField(u"h");
    AddPhone(held);
    PhoneContactRecord extraMail = held;
    extraMail.email3Address.clear();
    PhoneContactRecord stored = held;
    stored.email3Address.clear();
    AddPhone(stored);
    extraMail.email3Address = u"more@x";  // one field more than the second held contact

    PhoneContactRecord noName;
    noName.mobileTelephoneNumber = u"1";
    noName.email1Address = u"n@x";
    PhoneContactRecord companyOnly;
    companyOnly.companyName = u"Firm";
    PhoneContactRecord upper = held;
    upper.firstName = u"H-FIRSTNAME";

    ContactList source;
    for (const PhoneContactRecord& r : {held, stored, extraMail, noName, companyOnly, upper,
                                        Person(u"Twin", u""), Person(u"Twin", u"")})
        AddPhoneContact(source, TextsOf(r));

    ASSERT_TRUE(OpenPhoneContactStore(store_));
    std::int32_t failed = -1;
    ProgressRecorder bar;
    ASSERT_EQ(WritePhoneContacts(store_, &source, failed, &bar), kPhoneWriteDone);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(bar.messages, Progress(0, 5, -1));
    ClosePhoneContactStore(store_);
    EXPECT_EQ(PhoneContacts(),
              (std::vector<PhoneContactRecord>{held, stored, extraMail, companyOnly, upper,
                                               Person(u"Twin", u""), Person(u"Twin", u"")}));

    // Everything is held now; a second run adds nothing.
    ASSERT_TRUE(OpenPhoneContactStore(store_));
    ASSERT_EQ(WritePhoneContacts(store_, &source, failed, nullptr), kPhoneWriteDone);
    ClosePhoneContactStore(store_);
    EXPECT_EQ(PhoneContacts().size(), 7u);
}

// A filter that skipped any one of the 43 fields would drop a contact that differs only there.
TEST(ExcludeExistingPhoneContacts, EveryFieldTakesPartInTheComparison) {
    const PhoneContactRecord held = EveryField(u"h");
    ContactList existing;
    AddPhoneContact(existing, TextsOf(held));
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        PhoneContactRecord changed = held, cleared = held;
        (changed.*kPhoneContactFields[i]) += u"+";
        (cleared.*kPhoneContactFields[i]).clear();
        ContactList source, out;
        for (const PhoneContactRecord& r : {held, changed, cleared})
            AddPhoneContact(source, TextsOf(r));
        ASSERT_EQ(ExcludeExistingPhoneContacts(source, &out, &existing), 0);
        EXPECT_EQ(out.phone, (std::vector<PhoneContactRecord>{changed, cleared}))
            << "field " << i;
    }
}

TEST_F(PhoneStoreTest, FailedCreationsAndSavesAreCountedAndTheRestWritten) {
    ContactList source;
    for (const char16_t* name : {u"A", u"B", u"C", u"D"})
        AddPhoneContact(source, TextsOf(Person(name, u"")));
    SetFault("contacts.add", 1);
    SetFault("contacts.save", 2);
    ASSERT_TRUE(OpenPhoneContactStore(store_));
    std::int32_t failed = 0;
    ProgressRecorder bar;
    EXPECT_EQ(WritePhoneContacts(store_, &source, failed, &bar), kPhoneWriteSomeFailed);
    EXPECT_EQ(failed, 2);
    EXPECT_EQ(bar.messages, Progress(0, 3, -1));  // a failed save steps, a failed creation does not
    ClosePhoneContactStore(store_);
    EXPECT_EQ(PhoneContacts(),
              (std::vector<PhoneContactRecord>{Person(u"B", u""), Person(u"D", u"")}));
}

TEST_F(PhoneStoreTest, WriterCodesWithoutItemsOrSource) {
    ContactList source;
    AddPhoneContact(source, TextsOf(Person(u"A", u"")));
    std::int32_t failed = 0;
    // What the import and the copy report as 109 and 204: the current contacts cannot be read.
    EXPECT_EQ(WritePhoneContacts(store_, &source, failed, nullptr), kPhoneWriteReadFailed);
    EXPECT_EQ(WritePhoneContacts(store_, nullptr, failed, nullptr), kPhoneWriteNoList);
    ContactList simOnly;
    AddSimContact(simOnly, u"A", u"1");
    EXPECT_EQ(WritePhoneContacts(store_, &simOnly, failed, nullptr), kPhoneWriteDone);
}

}  // namespace
