#include "contacts/contact_operations.h"

#include <filesystem>

#include "ops_fixture.h"
#include "platform/text.h"

namespace {

enum Type : std::int32_t { kSim = 1, kPhone = 2, kBoth = 3 };

struct Fault {
    const char* name = nullptr;
    std::int64_t at = 0;
};

class ContactOperationsTest : public OpsTest {
  protected:
    // Two SIM entries and two phone contacts on the phone.
    void FillPhone() {
        AddSim(1, u"Anna", u"111");
        AddSim(2, u"", u"222");
        AddPhone(Person(u"Bo", u"Berg", u"333"));
        AddPhone(EveryField(u"x"));
    }

    void SetFaults(std::initializer_list<Fault> faults) {
        auto db = Db();
        for (const Fault& f : faults) {
            if (f.name == nullptr) continue;
            ASSERT_TRUE(SetFaultSwitch(*db, *FaultPointByName(f.name), f.at));
        }
        ResetFaultCounters();
    }
};

// ---- export

TEST_F(ContactOperationsTest, ExportWritesTheChosenStoresSimFirst) {
    FillPhone();
    ProgressRecorder bar;
    std::u16string path = files_.U16Path("all.txt");
    OperationSummary summary;
    ASSERT_EQ(ExportContactsToFile(path, kBoth, &bar, &summary), 0);
    EXPECT_EQ(bar.messages, Progress(4, 4, 4));
    EXPECT_EQ(SummaryLine(summary), u"2 SIM entries and 2 phone contacts written.");
    ContactList read;
    ASSERT_EQ(ReadContactFile(read, path), kContactFileDone);
    EXPECT_EQ(read.sim, (std::vector<SimContactRecord>{{u"Anna", u"111"}, {u"", u"222"}}));
    EXPECT_EQ(read.phone, PhoneContacts());

    // An empty SIM gives a backup of the mark alone, and the bar no range.
    MakePhone(SimSetup{});
    ProgressRecorder empty;
    ASSERT_EQ(ExportContactsToFile(path, kSim, &empty), 0);
    EXPECT_EQ(ReadBytes(files_ / "all.txt"), "\xFF\xFE");
    EXPECT_EQ(empty.messages, Progress(0, 0, 0));
}

TEST_F(ContactOperationsTest, ExportFailuresWriteNothingAndKeepAnOldFile) {
    struct Case {
        std::int32_t type;
        Fault fault, second;
        ResultCode code;
        std::vector<ProgressMessage> progress;
    };
    const Case cases[] = {
        {0, {}, {}, 1, Progress(0, 0, 0)},
        {4, {}, {}, 1, Progress(0, 0, 0)},
        {kSim, {"sim.open"}, {}, 3, {}},
        // The SIM is tried first: its failure hides a broken database.
        {kBoth, {"sim.open"}, {"contacts.com"}, 3, {}},
        {kSim, {"sim.caps"}, {}, 4, Progress(2, 0, -1)},
        {kBoth, {"sim.status", 2}, {}, 4, Progress(4, 0, -1)},
        {kPhone, {"contacts.com"}, {}, 5, {}},
        {kBoth, {"contacts.logon"}, {}, 5, {}},
        {kPhone, {"contacts.items"}, {}, 5, {}},
    };
    for (const Case& c : cases) {
        MakePhone(SimSetup{});
        FillPhone();
        SetFaults({c.fault, c.second});
        WriteBytes(files_ / "old.txt", "old");
        ProgressRecorder bar;
        OperationSummary summary;
        EXPECT_EQ(ExportContactsToFile(files_.U16Path("old.txt"), c.type, &bar, &summary), c.code)
            << c.type << " " << (c.fault.name ? c.fault.name : "");
        // A failed export leaves no new file, so it wrote nothing.
        EXPECT_EQ(summary.contactBackup.simWritten + summary.contactBackup.phoneWritten, 0);
        EXPECT_EQ(bar.messages, c.progress) << c.code;
        EXPECT_EQ(ReadBytes(files_ / "old.txt"), "old");
    }
}

TEST_F(ContactOperationsTest, ExportPathAndFileFailures) {
    FillPhone();
    SetFaults({{"sim.open"}, {"contacts.com"}});
    ProgressRecorder bar;
    // The path is tested before anything is opened, even before the type.
    EXPECT_EQ(ExportContactsToFile(u"", 0, &bar), 2);
    EXPECT_EQ(ExportContactsToFile(std::u16string_view(), kBoth, &bar), 2);
    EXPECT_TRUE(bar.messages.empty());

    ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    std::filesystem::create_directory(files_ / "folder");
    EXPECT_EQ(ExportContactsToFile(files_.U16Path("folder"), kBoth, &bar), 7);
    EXPECT_EQ(bar.messages, Progress(4, 4, -1));  // no final position after a failure
    EXPECT_EQ(ExportContactsToFile(files_.U16Path("missing/x.txt"), kPhone, nullptr), 7);
    EXPECT_FALSE(std::filesystem::exists(files_ / "missing"));
}

TEST_F(ContactOperationsTest, ExportCountsSkippedPositionsAndSurvivesAFailedCountQuery) {
    FillPhone();
    AddPhone(Person(u"Cy", u""));
    SetFaults({{"contacts.item", 2}, {"sim.status", 1}});
    ProgressRecorder bar;
    std::u16string path = files_.U16Path("out.csv");
    ASSERT_EQ(ExportContactsToFile(path, kBoth, &bar), 0);
    // No SIM count for the range, yet every entry read and every position visited steps.
    EXPECT_EQ(bar.messages, Progress(3, 5, 3));
    std::string csv = ReadBytes(files_ / "out.csv");
    EXPECT_EQ(csv.rfind("SIM Contacts,", 0), 0u);
    EXPECT_NE(csv.find("\"[Cy]\""), std::string::npos);
    EXPECT_EQ(csv.find("x-Title"), std::string::npos);  // the unfetched contact
}

// ---- import

// The backup: three new SIM entries and three new contacts, plus one of each already held.
TEST_F(ContactOperationsTest, EachImportFailurePointReportsItsCodeAndWritesWhatItShould) {
    const SimSetup roomy{}, threeFree{4, 14, 40}, twoFree{3, 14, 40};
    struct Case {
        const char* label;
        std::int32_t type;
        SimSetup sim;
        Fault fault, second;
        ResultCode code;
        std::size_t simAfter, phoneAfter;  // one of each is held beforehand
        const char16_t* summary;
    };
    constexpr const char16_t* kBothDone =
        u"Phone: 4 read, 3 added, 1 already present. SIM: 4 read, 3 added, 1 already present.";
    constexpr const char16_t* kSimDone = u"SIM: 4 read, 3 added, 1 already present.";
    constexpr const char16_t* kNothingYet = u"SIM: 4 read, 0 added, 0 already present.";
    constexpr const char16_t* kSimFull = u"SIM: 4 read, 0 added, 1 already present, 3 refused.";
    constexpr const char16_t* kSimOneRefused =
        u"SIM: 4 read, 2 added, 1 already present, 1 refused.";
    constexpr const char16_t* kPhoneOneRefused =
        u"Phone: 4 read, 2 added, 1 already present, 1 refused.";
    const Case cases[] = {
        {"Both", kBoth, roomy, {}, {}, 0, 4, 4, kBothDone},
        {"SimOnly", kSim, roomy, {}, {}, 0, 4, 1, kSimDone},
        {"PhoneOnly",
         kPhone,
         roomy,
         {},
         {},
         0,
         1,
         4,
         u"Phone: 4 read, 3 added, 1 already present."},
        {"ExactlyEnoughRoom", kBoth, threeFree, {}, {}, 0, 4, 4, kBothDone},
        {"SimRefused", kBoth, roomy, {"sim.open"}, {"contacts.com"}, 104, 1, 1, u""},
        {"SimCaps", kSim, roomy, {"sim.caps"}, {}, 105, 1, 1, kNothingYet},
        {"SimStatusStopsBoth", kBoth, roomy, {"sim.status", 2}, {}, 105, 1, 1, kNothingYet},
        {"SimFull", kSim, twoFree, {}, {}, 106, 1, 1, kSimFull},
        {"SimFullStopsBoth", kBoth, twoFree, {}, {}, 106, 1, 1, kSimFull},
        {"SimEntryRefused", kSim, roomy, {"sim.write", 2}, {}, 107, 3, 1, kSimOneRefused},
        {"SimEntryRefusedPhoneFine",
         kBoth,
         roomy,
         {"sim.write", 1},
         {},
         107,
         3,
         4,
         u"Phone: 4 read, 3 added, 1 already present. SIM: 4 read, 2 added, 1 already present, "
         u"1 refused."},
        {"ComRefused", kPhone, roomy, {"contacts.com"}, {}, 108, 1, 1, u""},
        {"FolderRefusedBoth", kBoth, roomy, {"contacts.folder"}, {}, 108, 1, 1, u""},
        {"ContactNotSaved", kPhone, roomy, {"contacts.save", 2}, {}, 110, 1, 3, kPhoneOneRefused},
        {"ContactNotCreatedBoth",
         kBoth,
         roomy,
         {"contacts.add", 1},
         {},
         110,
         4,
         3,
         u"Phone: 4 read, 2 added, 1 already present, 1 refused. SIM: 4 read, 3 added, 1 already "
         u"present."},
        {"BothPartial",
         kBoth,
         roomy,
         {"sim.write", 3},
         {"contacts.save", 1},
         111,
         3,
         3,
         u"Phone: 4 read, 2 added, 1 already present, 1 refused. SIM: 4 read, 2 added, 1 already "
         u"present, 1 refused."},
    };
    ContactList list;
    AddSimContact(list, u"Held", u"1");
    AddPhoneContact(list, TextsOf(Person(u"Held", u"")));
    for (const char16_t* n : {u"A", u"B", u"C"}) {
        AddSimContact(list, n, u"9");
        AddPhoneContact(list, TextsOf(Person(n, u"")));
    }
    std::u16string path = Backup(list);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MakePhone(c.sim);
        AddSim(1, u"Held", u"1");
        AddPhone(Person(u"Held", u""));
        SetFaults({c.fault, c.second});
        OperationSummary summary;
        EXPECT_EQ(ImportContactsFromFile(path, c.type, nullptr, &summary), c.code);
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
        EXPECT_EQ(SimEntries().size(), c.simAfter);
        EXPECT_EQ(PhoneContacts().size(), c.phoneAfter);
        EXPECT_EQ(Utf16ToUtf8(SummaryLine(summary)), Utf16ToUtf8(c.summary));
        // What the counts call added is what reached the store.
        const ContactRestoreCounts& counts = summary.contactRestore;
        EXPECT_EQ(counts.sim.added, static_cast<SummaryCount>(c.simAfter) - 1);
        EXPECT_EQ(counts.phone.added, static_cast<SummaryCount>(c.phoneAfter) - 1);
    }
}

// The last writes commit as the stores close. A commit refused there (a full disk) lost them:
// the job fails, and the stores never hold the whole restore.
TEST_F(ContactOperationsTest, ALastCommitRefusedFailsTheJob) {
    ContactList list;
    for (const char16_t* n : {u"A", u"B", u"C"}) {
        AddSimContact(list, n, u"9");
        AddPhoneContact(list, TextsOf(Person(n, u"")));
    }
    std::u16string path = Backup(list);
    struct Case {
        std::int32_t type;
        ResultCode code;
    };
    for (const Case& c :
         {Case{kSim, kImportSimAccessFailed}, Case{kPhone, kImportContactsAccessFailed},
          Case{kBoth, kImportContactsAccessFailed}}) {
        MakePhone(SimSetup{});
        SetFaults({{"phone.commit"}});
        EXPECT_EQ(ImportContactsFromFile(path, c.type, nullptr, nullptr), c.code) << c.type;
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
        EXPECT_LT(SimEntries().size() + PhoneContacts().size(), c.type == kBoth ? 6u : 3u);
        EXPECT_EQ(ImportContactsFromFile(path, c.type, nullptr, nullptr), kResultSuccess);
    }

    MakePhone(SimSetup{});
    AddSim(1, u"A", u"1");
    SetFaults({{"phone.commit"}});
    EXPECT_EQ(CopySimContactsToPhone(nullptr), kCopyContactsAccessFailed);
    ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    EXPECT_TRUE(PhoneContacts().empty());
}

TEST_F(ContactOperationsTest, ImportArgumentAndFileFailuresTouchNoStore) {
    AddSim(1, u"Held", u"1");
    // Switches that would fail any store access show that none is made.
    SetFaults({{"sim.open"}, {"contacts.com"}});
    ProgressRecorder bar;
    EXPECT_EQ(ImportContactsFromFile(u"", 9, &bar), 102);
    EXPECT_EQ(ImportContactsFromFile(files_.U16Path("b.txt"), 0, &bar), 101);
    EXPECT_EQ(ImportContactsFromFile(files_.U16Path("b.txt"), 4, &bar), 101);
    EXPECT_EQ(ImportContactsFromFile(files_.U16Path("missing.txt"), kBoth, &bar), 103);
    std::filesystem::create_directory(files_ / "dir");
    EXPECT_EQ(ImportContactsFromFile(files_.U16Path("dir"), kSim, &bar), 103);
    EXPECT_TRUE(bar.messages.empty());
}

TEST_F(ContactOperationsTest, ImportingTwiceAddsNothingTheSecondTime) {
    ContactList list;
    AddSimContact(list, u"Anna", u"111");
    AddSimContact(list, u"Name only", u"");
    AddPhoneContact(list, TextsOf(EveryField(u"a")));
    AddPhoneContact(list, TextsOf(Person(u"", u"", u"555")));  // no name: never written
    std::u16string path = Backup(list);

    ProgressRecorder first, second;
    OperationSummary firstCounts, secondCounts;
    ASSERT_EQ(ImportContactsFromFile(path, kBoth, &first, &firstCounts), 0);
    ASSERT_EQ(ImportContactsFromFile(path, kBoth, &second, &secondCounts), 0);
    EXPECT_EQ(SummaryLine(firstCounts),
              u"Phone: 2 read, 1 added, 0 already present, 1 left out without a name or company. "
              u"SIM: 2 read, 1 added, 0 already present, 1 left out without a number.");
    EXPECT_EQ(SummaryLine(secondCounts),
              u"Phone: 2 read, 0 added, 1 already present, 1 left out without a name or company. "
              u"SIM: 2 read, 0 added, 1 already present, 1 left out without a number.");
    // The range counts the file's records; the writers step once per record they try.
    EXPECT_EQ(first.messages, Progress(4, 2, 4));
    EXPECT_EQ(second.messages, Progress(4, 0, 4));
    EXPECT_EQ(SimEntries(), (std::vector<SimEntry>{{u"Anna", u"111"}}));
    EXPECT_EQ(PhoneContacts(), (std::vector<PhoneContactRecord>{EveryField(u"a")}));
}

TEST_F(ContactOperationsTest, ImportProgressOnFailureAndForEmptyKinds) {
    ContactList list;
    AddPhoneContact(list, TextsOf(Person(u"A", u"")));
    std::u16string path = Backup(list);
    // A file of phone contacts into the SIM: nothing to write, no range, position 0.
    ProgressRecorder simOnly;
    EXPECT_EQ(ImportContactsFromFile(path, kSim, &simOnly), 0);
    EXPECT_EQ(simOnly.messages, Progress(0, 0, 0));
    EXPECT_TRUE(SimEntries().empty());

    SetFaults({{"contacts.save"}});
    ProgressRecorder failed;
    EXPECT_EQ(ImportContactsFromFile(path, kPhone, &failed), 110);
    EXPECT_EQ(failed.messages, Progress(1, 1, -1));
}

// ---- copy SIM to phone

TEST_F(ContactOperationsTest, CopyingTwiceAddsTheContactsOnce) {
    AddSim(1, u"Ann Marie Berg", u"111");
    AddSim(5, u"", u"555");
    AddSim(6, u"No number", u"");
    ProgressRecorder first, second;
    OperationSummary firstCounts, secondCounts;
    ASSERT_EQ(CopySimContactsToPhone(&first, &firstCounts), 0);
    ASSERT_EQ(CopySimContactsToPhone(&second, &secondCounts), 0);
    EXPECT_EQ(SummaryLine(firstCounts),
              u"3 SIM entries: 2 copied, 0 already present, 1 without a number.");
    EXPECT_EQ(SummaryLine(secondCounts),
              u"3 SIM entries: 0 copied, 2 already present, 1 without a number.");
    EXPECT_EQ(first.messages, Progress(6, 5, 6));
    EXPECT_EQ(second.messages, Progress(6, 3, 6));
    // The name is never split; a nameless entry is named by its position among the entries.
    PhoneContactRecord whole = Person(u"Ann Marie Berg", u"", u"111");
    PhoneContactRecord nameless = Person(u"SIM2", u"", u"555");
    whole.categories = nameless.categories = u"SIM";
    EXPECT_EQ(PhoneContacts(), (std::vector<PhoneContactRecord>{whole, nameless}));
    EXPECT_EQ(SimEntries().size(), 3u);  // the SIM is only read

    MakePhone(SimSetup{});
    ProgressRecorder empty;
    EXPECT_EQ(CopySimContactsToPhone(&empty), 0);
    EXPECT_EQ(empty.messages, Progress(0, 0, 0));
    EXPECT_TRUE(PhoneContacts().empty());
}

TEST_F(ContactOperationsTest, CopyFailuresReportTheirCodes) {
    struct Case {
        Fault fault, second;
        ResultCode code;
        std::size_t phoneAfter;
        SimCopyCounts counts;
    };
    const Case cases[] = {
        {{"sim.open"}, {"contacts.com"}, 201, 0, {}},
        {{"sim.caps"}, {}, 202, 0, {}},
        {{"contacts.com"}, {}, 203, 0, {}},
        {{"contacts.items"}, {}, 203, 0, {}},
        // A refused contact midway: the others are copied, and the counts add up.
        {{"contacts.save", 2}, {}, 205, 2, {3, 2, 0, 0, 1}},
        {{"contacts.add", 3}, {}, 205, 2, {3, 2, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        MakePhone(SimSetup{});
        AddSim(1, u"A", u"1");
        AddSim(2, u"B", u"2");
        AddSim(3, u"C", u"3");
        SetFaults({c.fault, c.second});
        ProgressRecorder bar;
        OperationSummary summary;
        EXPECT_EQ(CopySimContactsToPhone(&bar, &summary), c.code) << c.fault.name;
        EXPECT_EQ(bar.Count(PBM_SETPOS), 0) << c.fault.name;
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
        EXPECT_EQ(PhoneContacts().size(), c.phoneAfter) << c.fault.name;
        const SimCopyCounts& got = summary.simCopy;
        // No counts at all when the SIM or the database could not be opened.
        bool opened = c.code != kCopySimInitFailed && c.code != kCopyComInitFailed;
        EXPECT_EQ(summary.part, opened ? SummaryPart::SimCopy : SummaryPart::None);
        EXPECT_EQ((std::vector<SummaryCount>{got.simEntries, got.copied, got.present, got.noNumber,
                                             got.refused}),
                  (std::vector<SummaryCount>{c.counts.simEntries, c.counts.copied, c.counts.present,
                                             c.counts.noNumber, c.counts.refused}))
            << c.fault.name;
    }
}

// ---- round trip

TEST_F(ContactOperationsTest, BackupThenRestoreIntoAnEmptyPhoneReproducesEverything) {
    AddSim(2, u"Ånna Ödmark", u"+46 70 111");
    AddSim(9, u"", u"*100#");
    AddSim(10, u"No number", u"");
    AddPhone(EveryField(u"één"));
    PhoneContactRecord partial = Person(u"Zoë", u"Ng", u"+1 555");
    partial.categories = u"Friends; Work";
    partial.homeAddressStreet = u"1 \"Quoted\" Road, Flat = 2";
    AddPhone(partial);
    std::u16string path = files_.U16Path("full.txt");
    ASSERT_EQ(ExportContactsToFile(path, kBoth, nullptr), 0);
    std::vector<SimEntry> sim = SimEntries();
    std::vector<PhoneContactRecord> phone = PhoneContacts();

    MakePhone(SimSetup{});
    ASSERT_EQ(ImportContactsFromFile(path, kBoth, nullptr), 0);
    // The numberless entry has nothing to restore; the rest come back in order.
    sim.pop_back();
    EXPECT_EQ(SimEntries(), sim);
    EXPECT_EQ(PhoneContacts(), phone);
}

}  // namespace
