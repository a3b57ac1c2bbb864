#include <gtest/gtest.h>

#include "contact_fixtures.h"
#include "contacts/contact_files.h"
#include "contacts/section_file.h"
#include "platform/text.h"
#include "test_support.h"

using namespace std::string_literals;

namespace {

std::string Repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

const std::string kSimType = "ContactType = SIMContact\r\n";

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::vector<SimContactRecord> sim;
    std::vector<PhoneContactRecord> phone;
};

// clang-format off
const ReaderCase kReaderCases[] = {
    {"KeysAndTypesInAnyLetterCase",
     BackupBytes("[7]\r\ncontacttype = simcontact\r\nNAME=Anna\r\n"), {{u"Anna", u""}}, {}},
    {"HeaderTextIsNotRead",
     BackupBytes("[x]\r\n" + kSimType + "Name=A\r\n[1]\r\n" + kSimType + "[ ]\r\n" + kSimType),
     {{u"A", u""}, {}, {}}, {}},
    {"BlanksTabsAndCarriageReturnsAroundLines",
     BackupBytes("  [1] \t\r\n\tContactType\t=\tSIMContact \r\n   Name =  Anna B  \t\r\r\n"),
     {{u"Anna B", u""}}, {}},
    {"CarriageReturnAloneIsNoLineEnd",
     BackupBytes("[1]\r\n" + kSimType + "Name = a\rb\r\n"), {{u"a\rb", u""}}, {}},
    {"FirstEntryWins",
     BackupBytes("[1]\r\n" + kSimType + "Name = A\r\nname = B\r\nContactType = PhoneContact\r\n"),
     {{u"A", u""}}, {}},
    {"LinesBeforeTheFirstHeaderAreIgnored",
     BackupBytes("Name = Z\r\nContactType = SIMContact\r\n[1]\r\n" + kSimType), {{}}, {}},
    {"LinesWithoutValueOrKeyAreIgnored",
     BackupBytes("[1]\r\n" + kSimType + "Name =\r\n= x\r\nName = = \r\nPhoneNumber\r\nName=B\r\n"),
     {{u"B", u""}}, {}},
    {"ValueRunsFromTheFirstEqualsSign",
     BackupBytes("[1]\r\nContactType = PhoneContact\r\nCategories = a = b\r\n"), {},
     {PhoneRecord({{u"Categories", u"a = b"}})}},
    {"HeaderTestComesBeforeKeyTest",
     BackupBytes("[1]\r\n" + kSimType + "Name = A\r\n[Name = B]\r\n" + kSimType),
     {{u"A", u""}, {}}, {}},
    {"SectionsOfOtherOrNoTypeAreSkipped",
     BackupBytes("[1]\r\nContactType = Other\r\nName = A\r\n[2]\r\nName = B\r\n"
                 "[3]\r\nContactType = PhoneContact\r\n"),
     {}, {PhoneRecord({})}},
    {"EachTypeReadsOnlyItsOwnKeys",
     BackupBytes("[1]\r\nContactType = PhoneContact\r\nName = A\r\nPhoneNumber = 1\r\n"
                 "firstname = Bo\r\nDepartment= Sales\r\nJobTitle = Boss\r\n"
                 "[2]\r\n" + kSimType + "FirstName = X\r\nPhoneNumber = 2\r\n"),
     {{u"", u"2"}},
     {PhoneRecord({{u"FirstName", u"Bo"}, {u"Department", u"Sales"}, {u"JobTitle", u"Boss"}})}},
    {"NulEndsTheLineText",
     BackupBytes("[1]\r\n" + kSimType + "Name = An\0na\r\n"s),
     {{u"An", u""}}, {}},
    {"EmbeddedLineFeedEndsTheValue",
     BackupBytes("[1]\r\n" + kSimType + "Name = Anna \nPhoneNumber=1\r\nmore text\r\n"),
     {{u"Anna", u"1"}}, {}},
    {"OddLastByteIsIgnored",
     BackupBytes("[1]\r\n" + kSimType + "Name = A") + "B", {{u"A", u""}}, {}},
    {"LongLineKeeps2045Characters",
     BackupBytes("[1]\r\n" + kSimType + "Name=" + std::string(3000, 'n') + "\r\nPhoneNumber=" +
                 std::string(1012, ' ') + std::string(100, '5') + "\r\n"),
     {{std::u16string(1022, u'n'), u"5555555555"}}, {}},
    {"ValueCutKeepsNoHalfCharacter",
     BackupBytes("[1]\r\n" + kSimType + "Name=" + std::string(1021, 'n') + "\xF0\x9F\x98\x80\r\n"),
     {{std::u16string(1021, u'n'), u""}}, {}},
    {"LineCutKeepsNoHalfCharacter",
     BackupBytes("[1]\r\n" + kSimType + "Name" + std::string(1100, ' ') + "=" +
                 std::string(939, 'n') + "\xF0\x9F\x98\x80\r\n"),
     {{std::u16string(939, u'n'), u""}}, {}},
    {"ValueStartingWith1022BlanksIsEmpty",
     BackupBytes("[1]\r\n" + kSimType + "Name=" + std::string(1022, ' ') + "x\r\nName = B\r\n"),
     {{}}, {}},
    {"HeaderOf2045CharactersIsAHeader",
     BackupBytes("[" + std::string(2043, 'h') + "]\r\n" + kSimType + "Name = A\r\n"),
     {{u"A", u""}}, {}},
    {"HeaderCutBelowItsBracketIsNoHeader",
     BackupBytes("[1]\r\n" + kSimType + "Name = A\r\n[" + std::string(2044, 'h') + "]\r\n" +
                 kSimType + "Name = B\r\n"),
     {{u"A", u""}}, {}},
    {"Utf8MarkIsReadAsUtf8",
     "\xEF\xBB\xBF[1]\r\n" + kSimType + "Name = Jos\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80\r\n",
     {{u"Jos\u00e9 \u4e2d \U0001F600", u""}}, {}},
    {"Utf8LineIsCutInCharacters",
     "\xEF\xBB\xBF[" + Repeat("\xE4\xB8\xAD", 2043) + "]\r\n" + kSimType + "Name = A\n",
     {{u"A", u""}}, {}},
    {"AnsiAboveAsciiIsWindows1252",
     "[1]\nContactType=SIMContact\nName=Jos\xE9 \x80\x81\x9F\r\nPhoneNumber=1",
     {{u"Jos\u00e9 \u20ac\u0081\u0178", u"1"}}, {}},
    {"AnsiNulEndsTheLineText",
     "[1]\r\n" + kSimType + "Name = A\0B\r\n"s, {{u"A", u""}}, {}},
    {"AnsiHeaderOf2044BytesIsAHeader",
     "[" + std::string(2042, 'h') + "]\r\n" + kSimType + "Name = A\r\n", {{u"A", u""}}, {}},
    {"AnsiHeaderOf2045BytesIsNoHeader",
     "[" + std::string(2043, 'h') + "]\r\n" + kSimType + "Name = A\r\n", {}, {}},
    {"Utf16WithoutMarkGivesNothing",
     Utf16LeBytes("[1]\r\n" + kSimType + "Name = A\r\n"), {}, {}},
    {"BigEndianMarkGivesNothing",
     "\xFE\xFF" + "\0[\0001\0]\0\r\0\n"s, {}, {}},
    {"EmptyFile", "", {}, {}},
    {"OneByte", "\xFF", {}, {}},
    {"OnlyTheMark", "\xFF\xFE", {}, {}},
};
// clang-format on

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

class ContactReaderCases : public testing::TestWithParam<ReaderCase> {};

}  // namespace

TEST_P(ContactReaderCases, ReadsTheExpectedRecords) {
    const ReaderCase& c = GetParam();
    TempDir dir;
    WriteBytes(dir / "backup.txt", c.bytes);
    ContactList list;
    InitContactList(list);
    ASSERT_EQ(ReadContactFile(list, dir.U16Path("backup.txt")), kContactFileDone);
    EXPECT_EQ(list.sim, c.sim);
    EXPECT_EQ(list.phone, c.phone);
}

INSTANTIATE_TEST_SUITE_P(, ContactReaderCases, testing::ValuesIn(kReaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ContactReader, ReadsBackTheGoldenFiles) {
    ContactList list;
    InitContactList(list);
    ASSERT_EQ(
        ReadContactFile(list, Utf8ToUtf16(TestDataPath("contacts/sample_backup.txt").string())),
        kContactFileDone);
    EXPECT_EQ(list.sim, (std::vector<SimContactRecord>{{u"Anna", u"5550100"}}));
    EXPECT_EQ(list.phone, (std::vector<PhoneContactRecord>{
                              PhoneRecord({{u"FirstName", u"Bo"}, {u"Department", u"Sales"}})}));

    // Records are appended to what the list holds.
    ASSERT_EQ(ReadContactFile(
                  list, Utf8ToUtf16(TestDataPath("contacts/every_field_backup.txt").string())),
              kContactFileDone);
    ContactList every = EveryFieldList();
    EXPECT_EQ(SimContactCount(list), 1 + SimContactCount(every));
    EXPECT_EQ(std::vector(list.sim.begin() + 1, list.sim.end()), every.sim);
    EXPECT_EQ(std::vector(list.phone.begin() + 1, list.phone.end()), every.phone);
}

TEST(ContactReader, FileThatCannotBeReadLeavesTheListAlone) {
    TempDir dir;
    ContactList list;
    InitContactList(list);
    AddSimContact(list, u"Kept", u"1");
    EXPECT_EQ(ReadContactFile(list, std::u16string_view()), kContactFileFailed);
    EXPECT_EQ(ReadContactFile(list, dir.U16Path("missing.txt")), kContactFileUnusable);
    EXPECT_EQ(ReadContactFile(list, dir.U16Path("")), kContactFileUnusable);  // a folder
    EXPECT_EQ(ReadContactFile(list, u""), kContactFileUnusable);
    EXPECT_EQ(list.sim, (std::vector<SimContactRecord>{{u"Kept", u"1"}}));
    EXPECT_TRUE(list.phone.empty());
}

// Many contacts, so lines cross the reader's buffer boundaries, in each encoding it reads.
TEST(ContactReader, RoundTripsEveryFieldInEveryEncoding) {
    TempDir dir;
    ContactList written;
    InitContactList(written);
    for (int i = 0; i < 1500; ++i) {
        std::u16string n = DecimalText(i);
        AddSimContact(written, u"Sim " + n, n);
        PhoneContactRecord record;
        for (std::size_t f = 0; f < kContactFieldCount; ++f)
            record.*kPhoneContactFields[f] = n + u" " + std::u16string(kContactProperties[f].field);
        AddRecord(written, record);
    }

    ASSERT_EQ(WriteContactFile(written, dir.U16Path("b.txt")), kContactFileDone);
    std::string utf16 = ReadBytes(dir / "b.txt");
    std::string text = Utf16ToUtf8(DecodeUtf16Le(utf16).substr(1));
    ASSERT_GT(utf16.size(), 3u << 20);
    WriteBytes(dir / "b.utf8", "\xEF\xBB\xBF" + text);
    WriteBytes(dir / "b.ansi", text);

    for (const char* name : {"b.txt", "b.utf8", "b.ansi"}) {
        ContactList read;
        InitContactList(read);
        ASSERT_EQ(ReadContactFile(read, dir.U16Path(name)), kContactFileDone) << name;
        EXPECT_TRUE(read.sim == written.sim) << name;
        EXPECT_TRUE(read.phone == written.phone) << name;
    }
}

// What the contact reader cannot show: keys over 1,022 characters, "[]", duplicate keys kept in
// order, and a second file's leading entry.
TEST(SectionFile, KeepsSectionsAndEntriesInFileOrder) {
    TempDir dir;
    WriteBytes(dir / "s.ini",
               BackupBytes("k=before\r\n[ first ]\r\nA = 1\r\na=2\r\n[]\r\n[ ]\r\n[" +
                           std::string(1100, 'n') + "]\r\n" + std::string(1030, 'k') + "=" +
                           std::string(1014, 'v')));
    SectionList sections;
    ASSERT_EQ(LoadSectionFile(sections, dir.U16Path("s.ini")), kSectionFileLoaded);
    ASSERT_EQ(sections.sections.size(), 3u);
    EXPECT_EQ(SectionAt(sections, 0), nullptr);
    EXPECT_EQ(SectionAt(sections, 4), nullptr);
    const Section& first = *SectionAt(sections, 1);
    EXPECT_EQ(first.name, u"first");
    ASSERT_EQ(first.entries.size(), 2u);
    EXPECT_EQ(FindEntry(first, u"a")->value, u"1");
    EXPECT_EQ(first.entries[1].key, u"a");
    EXPECT_EQ(FindEntry(first, u"k"), nullptr);
    EXPECT_EQ(SectionAt(sections, 2)->name, u"");
    EXPECT_TRUE(SectionAt(sections, 2)->entries.empty());
    const Section& cut = *SectionAt(sections, 3);
    EXPECT_EQ(cut.name, std::u16string(1022, u'n'));
    ASSERT_EQ(cut.entries.size(), 1u);
    EXPECT_EQ(cut.entries[0].key, std::u16string(1022, u'k'));
    EXPECT_EQ(cut.entries[0].value, std::u16string(1014, u'v'));

    WriteBytes(dir / "t.ini", BackupBytes("orphan = 1\r\n[t]\r\nA = 1\r\n"));
    ASSERT_EQ(LoadSectionFile(sections, dir.U16Path("t.ini")), kSectionFileLoaded);
    ASSERT_EQ(sections.sections.size(), 4u);
    EXPECT_EQ(SectionAt(sections, 1)->name, u"first");
    EXPECT_EQ(SectionAt(sections, 3)->entries.size(), 1u);
    EXPECT_EQ(SectionAt(sections, 4)->entries.size(), 1u);

    ClearSectionList(sections);
    EXPECT_TRUE(sections.sections.empty());
    EXPECT_EQ(LoadSectionFile(sections, std::u16string_view()), kSectionFileNoPath);
    EXPECT_EQ(LoadSectionFile(sections, dir.U16Path("none")), kSectionFileUnreadable);
    EXPECT_EQ(LoadSectionFile(sections, dir.U16Path("")), kSectionFileUnreadable);
}

// The one-section-at-a-time reader the restore uses sees what the whole-file loader keeps.
TEST(SectionFile, VisitingSeesWhatLoadingKeeps) {
    TempDir dir;
    WriteBytes(
        dir / "s.ini",
        BackupBytes("k=before\r\n[ first ]\r\nA = 1\r\na=2\r\n[]\r\n[ ]\r\n[" +
                    std::string(1100, 'n') + "]\r\nx=" + std::string(3000, 'v') + "\r\n[last]"));
    auto flat = [](const Section& section) {
        std::u16string out = u"[" + std::u16string(section.name) + u"]";
        for (const SectionEntry& e : section.entries)
            out += std::u16string(e.key) + u"=" + std::u16string(e.value) + u";";
        return out;
    };
    for (const std::filesystem::path& file :
         {dir / "s.ini", TestDataPath("contacts/every_field_backup.txt"),
          TestDataPath("contacts/sample_backup.txt"), TestDataPath("contacts/sample.csv")}) {
        SectionList sections;
        ASSERT_EQ(LoadSectionFile(sections, Utf8ToUtf16(file.string())), kSectionFileLoaded);
        std::vector<std::u16string> loaded, visited;
        for (const Section& section : sections.sections)
            loaded.push_back(flat(section));
        ASSERT_EQ(
            VisitSectionFile(Utf8ToUtf16(file.string()),
                             [&](const Section& section) { visited.push_back(flat(section)); }),
            kSectionFileLoaded);
        EXPECT_EQ(visited, loaded) << file;
    }
    auto never = [](const Section&) { ADD_FAILURE(); };
    EXPECT_EQ(VisitSectionFile(std::u16string_view(), never), kSectionFileNoPath);
    EXPECT_EQ(VisitSectionFile(dir.U16Path("none"), never), kSectionFileUnreadable);
}
