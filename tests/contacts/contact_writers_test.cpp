#include <gtest/gtest.h>
#include <sys/stat.h>

#include "contact_fixtures.h"
#include "contacts/contact_files.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

ContactList SampleList(std::u16string_view department) {
    ContactList list;
    InitContactList(list);
    AddSimContact(list, u"Anna", u"5550100");
    AddRecord(list, PhoneRecord({{u"FirstName", u"Bo"}, {u"Department", department}}));
    return list;
}

// CSV rows as a spreadsheet splits them: line ends and commas inside quotation marks belong to
// their cell.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        char c = csv[i];
        if (c == '"') quoted = !quoted;
        if (!quoted && c == ',') {
            rows.back().emplace_back();
        } else if (!quoted && c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
            rows.emplace_back(1);
            ++i;
        } else {
            rows.back().back() += c;
        }
    }
    rows.pop_back();  // after the last row end
    return rows;
}

}  // namespace

TEST(ContactFileWriters, WriteTheGoldenFiles) {
    struct Golden {
        ContactList list;
        const char* path;
        const char* golden;
    } goldens[] = {
        {SampleList(u"Sales"), "sample.txt", "sample_backup.txt"},
        {EveryFieldList(), "every", "every_field_backup.txt"},
        {SampleList(u"5\" Sales"), "sample.csv", "sample.csv"},
        {EveryFieldList(), "every.csv", "every_field.csv"},
    };
    TempDir dir;
    for (const Golden& g : goldens) {
        ASSERT_EQ(WriteContactFile(g.list, dir.U16Path(g.path)), kContactFileDone) << g.path;
        EXPECT_EQ(ReadBytes(dir / g.path), ReadTestData(std::string("contacts/") + g.golden))
            << g.path;
    }
}

// Numbering across both lists and the golden layout are covered by the golden files.
TEST(ContactBackupWriter, EmptyRecordsKeepTheirSectionAndValuesAreWrittenUnchanged) {
    TempDir dir;
    ContactList list;
    InitContactList(list);
    AddSimContact(list, u"", u"");
    AddSimContact(list, u" [x] = y\r\nz\t", u"\U0001F600");
    AddRecord(list, PhoneRecord({{u"Title", u"Dr"}}));
    const std::string phone = "ContactType = PhoneContact\r\nTitle = Dr\r\n\r\n";
    ASSERT_EQ(WriteContactFile(list, dir.U16Path("b.txt")), kContactFileDone);
    EXPECT_EQ(ReadBytes(dir / "b.txt"),
              BackupBytes("[1]\r\nContactType = SIMContact\r\n\r\n"
                          "[2]\r\nContactType = SIMContact\r\nName =  [x] = y\r\nz\t\r\n"
                          "PhoneNumber = \U0001F600\r\n\r\n[3]\r\n" +
                          phone));

    ClearSimContacts(list);
    ASSERT_EQ(WriteContactFile(list, dir.U16Path("b.txt")), kContactFileDone);
    EXPECT_EQ(ReadBytes(dir / "b.txt"), BackupBytes("[1]\r\n" + phone));
}

TEST(ContactBackupWriter, OnlyALowerCaseCsvExtensionGetsTheCsvFile) {
    TempDir dir;
    ContactList list = SampleList(u"Sales");
    for (const char* name : {"a.CSV", "a.Csv", "a.csv.txt", "csv", ".cs"}) {
        ASSERT_EQ(WriteContactFile(list, dir.U16Path(name)), kContactFileDone) << name;
        EXPECT_TRUE(ReadBytes(dir / name).starts_with("\xFF\xFE")) << name;
    }
    ASSERT_EQ(WriteContactFile(list, dir.U16Path("a.csv")), kContactFileDone);
    EXPECT_TRUE(ReadBytes(dir / "a.csv").starts_with("SIM Contacts,"));
}

TEST(ContactCsvWriter, EveryRowHas86ColumnsWhateverTheCellsHold) {
    TempDir dir;
    ContactList list = EveryFieldList();
    AddSimContact(list, u"", u"a,b\r\nc");
    // Cells are built without a length cut; a lone quotation mark makes six characters.
    const std::u16string longNumber(5000, u'\u00e9');
    AddSimContact(list, std::u16string(600, u'"'), longNumber);
    AddSimContact(list, u"\"", u"");
    AddRecord(list, PhoneRecord({}));
    AddRecord(list, PhoneRecord({{u"Spouse", u"\"Al\", \"Bo\"\r\n"}, {u"Categories", u","}}));
    ASSERT_EQ(
        WriteContactCsv(list, dir.U16Path("e.csv"), SimContactCount(list), PhoneContactCount(list)),
        kContactFileDone);
    auto rows = CsvRows(ReadBytes(dir / "e.csv"));
    ASSERT_EQ(rows.size(), 2u + 6u + 4u);
    for (const auto& row : rows)
        EXPECT_EQ(row.size(), 86u) << row[0];
    std::vector<std::string> simRow(86);
    simRow[0] = "Name";
    simRow[2] = "PhoneNumber";
    simRow[3] = "\"[a,b\r\nc]\"";
    EXPECT_EQ(rows[4], simRow);
    EXPECT_EQ(rows[5][1], "\"[" + std::string(1200, '"') + "]\"");
    EXPECT_EQ(Utf8ToUtf16(rows[5][3]), u"\"[" + longNumber + u"]\"");
    EXPECT_EQ(rows[6][1], "\"[\"\"]\"");
    EXPECT_EQ(rows[11][51], "\"[\"\"Al\"\", \"\"Bo\"\"\r\n]\"");
}

TEST(ContactCsvWriter, WritesOnlyTheBlocksItIsGiven) {
    TempDir dir;
    ContactList list = EveryFieldList();
    ASSERT_EQ(WriteContactCsv(list, dir.U16Path("p.csv"), 0, 1), kContactFileDone);
    auto rows = CsvRows(ReadBytes(dir / "p.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "Phone Contacts");
    EXPECT_EQ(rows[1][1], "\"[01 title]\"");

    ASSERT_EQ(WriteContactCsv(list, dir.U16Path("s.csv"), 2, 0), kContactFileDone);
    rows = CsvRows(ReadBytes(dir / "s.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "SIM Contacts");

    ClearContactList(list);
    ASSERT_EQ(WriteContactFile(list, dir.U16Path("n.csv")), kContactFileDone);
    EXPECT_EQ(ReadBytes(dir / "n.csv"), "");
}

// Both writers, every way a target can refuse or fail: the code, and the file left as it was.
TEST(ContactFileWriters, FailuresLeaveAnExistingFileAlone) {
    ContactList big;
    InitContactList(big);
    for (int i = 0; i < 2000; ++i)
        AddSimContact(big, u"A name of some length", u"+1 555 0100 0000");

    for (const char* name : {"target.txt", "target.csv"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        std::u16string path = dir.U16Path(name);
        EXPECT_EQ(WriteContactFile(big, std::u16string_view()), kContactFileFailed);
        EXPECT_EQ(WriteContactFile(big, dir.U16Path("")), kContactFileUnusable);
        EXPECT_EQ(WriteContactFile(big, dir.U16Path(std::string("missing/") + name)),
                  kContactFileUnusable);

        WriteBytes(dir / name, "old contents");
        {
            FileSizeLimit full(16 * 1024);
            EXPECT_EQ(WriteContactFile(big, path), kContactFileFailed);
        }
        EXPECT_EQ(ReadBytes(dir / name), "old contents");

        chmod((dir / name).c_str(), 0444);
        EXPECT_EQ(WriteContactFile(big, path), kContactFileUnusable);
        EXPECT_EQ(ReadBytes(dir / name), "old contents");

        chmod((dir / name).c_str(), 0644);
        ContactList small = SampleList(u"Sales");
        EXPECT_EQ(WriteContactFile(small, path), kContactFileDone);
        EXPECT_FALSE(ReadBytes(dir / name).starts_with("old"));  // replaced, not appended to

        int entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
            ++entries;
        EXPECT_EQ(entries, 1) << "a temporary file was left behind";
    }
}
