#include <gtest/gtest.h>

#include <algorithm>

#include "contact_fixtures.h"
#include "contacts/contact_files.h"
#include "contacts/vcard.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

// The golden list: the backup's every-field list, and a contact whose texts test the escapes,
// the folding and the line breaks.
ContactList GoldenVcardList() {
    ContactList list = EveryFieldList();
    AddRecord(list, PhoneRecord(
                        {{u"FirstName", u"\u0410\u043d\u043d\u0430-\u041c\u0430\u0440\u0438\u044f"},
                         {u"LastName", u"O'Neil; Smith, Jr. \\ Sr."},
                         {u"CompanyName", u"Acme, Inc.; Holding"},
                         {u"JobTitle",
                          u"\u00dcber-\u00c4rztin \u65e5\u672c\u8a9e "
                          u"\u00e9\u00e8\u00ea\u00eb \u00e9\u00e8\u00ea\u00eb "
                          u"\u00e9\u00e8\u00ea\u00eb \u00e9\u00e8\u00ea\u00eb "
                          u"\u00e9\u00e8\u00ea\u00eb \u00e9\u00e8\u00ea\u00eb"},
                         {u"Work2TelephoneNumber", u"+1 555 0102"},
                         {u"Email3Address", u"third@example.com"},
                         {u"WebPage", u"http://example.com/a,b;c\\d"},
                         {u"HomeAddressStreet", u"Main Street 1\nBuilding B\nFloor 3"},
                         {u"HomeAddressCity", u"Springfield"},
                         {u"OtherAddressCountry", u"Norway"},
                         {u"Categories", u"Friends, Family; Golf\\Club"}}));
    return list;
}

ContactList ReadVcardBytes(const std::string& bytes, VcardReadCounts* counts = nullptr,
                           std::int32_t* result = nullptr) {
    TempDir dir;
    WriteBytes(dir / "in.vcf", bytes);
    ContactList list;
    InitContactList(list);
    std::int32_t code = ReadVcardFile(list, dir.U16Path("in.vcf"), counts);
    if (result != nullptr) *result = code;
    EXPECT_EQ(code, kContactFileDone);
    return list;
}

std::string WriteVcardBytes(const ContactList& list) {
    TempDir dir;
    EXPECT_EQ(WriteVcardFile(list, dir.U16Path("out.vcf")), kContactFileDone);
    return ReadBytes(dir / "out.vcf");
}

void ExpectSameLists(const ContactList& actual, const ContactList& expected) {
    EXPECT_EQ(actual.sim, expected.sim);
    ASSERT_EQ(actual.phone.size(), expected.phone.size());
    for (std::size_t i = 0; i < expected.phone.size(); ++i)
        EXPECT_EQ(actual.phone[i], expected.phone[i]) << "phone record " << i;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string Card(const std::string& lines) {
    return "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n";
}

}  // namespace

TEST(VcardWriterTest, WritesTheGoldenFile) {
    const std::string bytes = WriteVcardBytes(GoldenVcardList());
    EXPECT_EQ(bytes, ReadTestData("contacts/every_field.vcf"));
    // The rules the golden file was checked against, line by line.
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        std::string_view line(bytes.data() + start, end - start);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        // A folded line never begins inside a UTF-8 sequence.
        if (line.starts_with(" ") && line.size() > 1) {
            EXPECT_NE(static_cast<unsigned char>(line[1]) & 0xC0, 0x80) << line;
        }
        start = end + 2;
    }
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF"));
}

TEST(VcardWriterTest, FormattedNameFallsBackToCompanyThenNumberThenAddress) {
    struct Case {
        PhoneContactRecord record;
        std::string fn;
    };
    const Case cases[] = {
        {PhoneRecord({{u"Suffix", u"Jr."}, {u"Title", u"Dr."}, {u"CompanyName", u"Acme"}}),
         "FN:Dr. Jr.\r\n"},
        {PhoneRecord({{u"CompanyName", u"Acme"}, {u"HomeFaxNumber", u"9"}}), "FN:Acme\r\n"},
        {PhoneRecord({{u"Email1Address", u"a@b"}, {u"HomeFaxNumber", u"9"}}), "FN:9\r\n"},
        {PhoneRecord({{u"Email2Address", u"a@b"}}), "FN:a@b\r\n"},
        {PhoneRecord({{u"Children", u"Kim"}}), "FN:\r\n"},
    };
    for (const Case& c : cases) {
        ContactList list;
        AddRecord(list, c.record);
        std::string bytes = WriteVcardBytes(list);
        EXPECT_NE(bytes.find("\r\nN:"), std::string::npos);
        EXPECT_NE(bytes.find("\r\n" + c.fn), std::string::npos) << bytes;
        // The formatted name alone never becomes a name on the way back.
        ExpectSameLists(ReadVcardBytes(bytes), list);
    }
}

TEST(VcardWriterTest, FoldsOnlyPastSeventyFiveOctetsAndNeverInsideACharacterOrEscape) {
    const std::u16string a68(68, u'a');
    const std::string title = "\r\nTITLE:" + std::string(68, 'a');
    struct Case {
        std::u16string jobTitle;
        std::string lines;
    };
    const Case cases[] = {
        {a68 + u"a", title + "a\r\n"},
        {a68 + u"aa", title + "a\r\n a\r\n"},
        // The cut at 75 would fall inside the character, or between the escape's two bytes.
        {a68 + u"\u00e9", title + "\r\n \xC3\xA9\r\n"},
        {a68 + u"\U0001F600", title + "\r\n \xF0\x9F\x98\x80\r\n"},
        {a68 + u",", title + "\r\n \\,\r\n"},
        {a68 + u"a\u00e9", title + "a\r\n \xC3\xA9\r\n"},
        // 34 two-byte characters fit the first line, 37 each continuation line.
        {std::u16string(100, u'\u00e9'), "\r\nTITLE:" + Repeat("\xC3\xA9", 34) + "\r\n " +
                                             Repeat("\xC3\xA9", 37) + "\r\n " +
                                             Repeat("\xC3\xA9", 29) + "\r\n"},
    };
    for (const Case& c : cases) {
        ContactList list;
        AddRecord(list, PhoneRecord({{u"FirstName", u"F"}, {u"JobTitle", c.jobTitle}}));
        std::string bytes = WriteVcardBytes(list);
        EXPECT_NE(bytes.find(c.lines), std::string::npos) << bytes;
        ExpectSameLists(ReadVcardBytes(bytes), list);
    }
}

TEST(VcardWriterTest, UnwritableTargetIsRefused) {
    TempDir dir;
    EXPECT_EQ(WriteVcardFile(GoldenVcardList(), dir.U16Path("missing/x.vcf")),
              kContactFileUnusable);
    EXPECT_EQ(WriteVcardFile(GoldenVcardList(), std::u16string_view()), kContactFileFailed);
}

TEST(VcardRoundTripTest, GoldenListComesBackFieldForField) {
    ContactList expected = GoldenVcardList();
    ContactList read = ReadVcardBytes(WriteVcardBytes(expected));
    ExpectSameLists(read, expected);
}

TEST(VcardRoundTripTest, TextBackupToVcardToTextBackupKeepsEveryByte) {
    TempDir dir;
    WriteBytes(dir / "in.txt", ReadTestData("contacts/every_field_backup.txt"));
    ContactList fromBackup;
    InitContactList(fromBackup);
    ASSERT_EQ(ReadContactFile(fromBackup, dir.U16Path("in.txt")), kContactFileDone);
    ASSERT_EQ(fromBackup.phone.size(), 2u);
    ContactList fromVcard = ReadVcardBytes(WriteVcardBytes(fromBackup));
    ExpectSameLists(fromVcard, fromBackup);
    ASSERT_EQ(WriteContactFile(fromVcard, dir.U16Path("out.txt")), kContactFileDone);
    EXPECT_EQ(ReadBytes(dir / "out.txt"), ReadTestData("contacts/every_field_backup.txt"));
}

// Each field alone, so a marked field comes back to its place while the first of its kind is
// empty, and with awkward texts that escapes and folds must carry.
TEST(VcardRoundTripTest, EachFieldAloneComesBackToItsPlace) {
    const std::u16string values[] = {
        u"x",
        u"a,b;c\\d\\n:e",
        u"  leading and trailing  ",
        u"line one\nline two",
        std::u16string(kVcardFieldMax - 1, u'\u00e9') + u"z",
        std::u16string(kVcardFieldMax / 2, u'\u00e9') + u"\\" + std::u16string(70, u'\\'),
        u"http\\://not a scheme",
    };
    for (std::size_t field = 0; field < kContactFieldCount; ++field) {
        for (const std::u16string& value : values) {
            ContactList list;
            PhoneContactRecord record;
            record.*kPhoneContactFields[field] = value;
            AddRecord(list, record);
            ContactList read = ReadVcardBytes(WriteVcardBytes(list));
            ASSERT_EQ(read.phone.size(), 1u);
            EXPECT_EQ(read.phone[0], record)
                << Utf16ToUtf8(kContactProperties[field].field) << " = " << Utf16ToUtf8(value);
        }
    }
}

// A backslash before a raw line break escapes nothing: the break is read as every other break,
// so what was read comes back the same through the writer (found by fuzzing).
TEST(VcardRoundTripTest, BackslashBeforeARawLineBreakKeepsTheBreak) {
    ContactList first = ReadVcardBytes("BEGIN:VCARD\nN:;Bo\nCATEGORIES:\\\rc\nEND:VCARD\n");
    ASSERT_EQ(first.phone.size(), 1u);
    EXPECT_EQ(first.phone[0].categories, u"\\\nc");
    EXPECT_EQ(ReadVcardBytes(WriteVcardBytes(first)).phone, first.phone);
}

TEST(VcardRoundTripTest, SimEntriesComeBackToTheSimNamedFromN) {
    ContactList list;
    AddSimContact(list, u"Anna; Ann, \\A", u"+46 70,555");
    AddSimContact(list, u"", u"112");
    AddSimContact(list, u"No number", u"");
    AddSimContact(list, u"", u"");
    // A phone contact that looks like a SIM entry stays a phone contact.
    AddRecord(list, PhoneRecord({{u"FirstName", u"Anna"}, {u"MobileTelephoneNumber", u"1"}}));
    std::string bytes = WriteVcardBytes(list);
    EXPECT_NE(bytes.find("N:;Anna\\; Ann\\, \\\\A;;;\r\nFN:Anna\\; Ann\\, \\\\A\r\n"
                         "TEL;TYPE=CELL:+46 70\\,555\r\nX-VELLORO-SIM:TRUE\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("N:;;;;\r\nFN:112\r\n"), std::string::npos);
    ExpectSameLists(ReadVcardBytes(bytes), list);
}

TEST(VcardReaderTest, TruncatedFileKeepsTheCompleteCardsAtEveryCut) {
    const std::string bytes = ReadTestData("contacts/every_field.vcf");
    const ContactList whole = ReadVcardBytes(bytes);
    std::vector<std::size_t> ends;
    for (std::size_t at = bytes.find("END:VCARD"); at != std::string::npos;
         at = bytes.find("END:VCARD", at + 1))
        ends.push_back(at + 9);
    ASSERT_EQ(ends.size(), whole.sim.size() + whole.phone.size());
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        auto complete = static_cast<std::size_t>(
            std::ranges::count_if(ends, [&](std::size_t end) { return end <= cut; }));
        ContactList part = ReadVcardBytes(bytes.substr(0, cut));
        std::size_t sims = std::min(complete, whole.sim.size());
        ASSERT_EQ(part.sim.size(), sims) << "cut at " << cut;
        ASSERT_EQ(part.phone.size(), complete - sims) << "cut at " << cut;
        for (std::size_t i = 0; i < part.sim.size(); ++i)
            ASSERT_EQ(part.sim[i], whole.sim[i]) << "cut at " << cut;
        for (std::size_t i = 0; i < part.phone.size(); ++i)
            ASSERT_EQ(part.phone[i], whole.phone[i]) << "cut at " << cut;
    }
}

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::vector<SimContactRecord> sim;
    std::vector<PhoneContactRecord> phone;
    std::int32_t leftOut = 0;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

std::string LargePhoto() {
    std::string photo = "PHOTO;ENCODING=b;TYPE=JPEG:";
    for (int line = 0; line < 20000; ++line)
        photo += std::string(line == 0 ? 48 : 74, 'Q') + "\r\n ";
    return photo + "QQ==\r\n";
}

// clang-format off
const ReaderCase kReaderCases[] = {
    {"Android21QuotedPrintableUtf8WithSoftBreaks",
     Card("VERSION:2.1\r\n"
          "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=96berg;=C3=85sa;;;\r\n"
          "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85sa =C3=96berg\r\n"
          "TEL;CELL;PREF:+46705550100\r\nTEL;HOME:+4685550100\r\nTEL;WORK;FAX:+468555\r\n"
          "EMAIL;INTERNET:asa@example.se\r\n"
          "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Storgatan 1=0D=0AV=C3=A5=\r\n"
          "ning 2;Stockholm;;111 22;Sverige\r\n"
          "NOTE;ENCODING=QUOTED-PRINTABLE:long=\r\nnote=\r\nBEGIN:VCARD\r\n"
          "X-ANDROID-CUSTOM:vnd.android.cursor.item/relation;Erik;14;;;;;;;;;;;;;\r\n"
          "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Ace;1;;;;;;;;;;;;;\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"\u00d6berg"}, {u"FirstName", u"\u00c5sa"},
                   {u"MobileTelephoneNumber", u"+46705550100"},
                   {u"HomeTelephoneNumber", u"+4685550100"}, {u"WorkFaxNumber", u"+468555"},
                   {u"Email1Address", u"asa@example.se"},
                   {u"HomeAddressStreet", u"Storgatan 1\nV\u00e5ning 2"},
                   {u"HomeAddressCity", u"Stockholm"}, {u"HomeAddressPostalCode", u"111 22"},
                   {u"HomeAddressCountry", u"Sverige"}, {u"Spouse", u"Erik"}})}},
    {"Apple30ItemGroupsLabelsAndALargePhoto",
     "\xEF\xBB\xBF" + Card("VERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\n"
          "N:Appleseed;Johnny;;;\r\nFN:Johnny Appleseed\r\nORG:Apple Inc.;Retail;Stores;\r\n"
          "item1.TEL;type=pref:+1 408 555 0101\r\nitem1.X-ABLabel:_$!<Mobile>!$_\r\n"
          "item2.TEL:+1 408 555 0103\r\nitem2.X-ABLabel:Radio\r\n"
          "TEL;type=IPHONE;type=CELL;type=VOICE:+1 408 555 0102\r\n"
          "item3.TEL:+1 408 555 0104\r\nitem3.X-ABLabel:_$!<HomeFAX>!$_\r\n"
          "item4.X-ABRELATEDNAMES:Jane\r\nitem4.X-ABLabel:_$!<Spouse>!$_\r\n"
          "item5.X-ABRELATEDNAMES:Tim\r\nitem5.X-ABLabel:_$!<Assistant>!$_\r\n"
          "item6.URL;type=pref:http\\://www.apple.com\r\nitem6.X-ABLabel:_$!<HomePage>!$_\r\n"
          "item7.ADR;type=WORK;type=pref:;;1 Infinite Loop;Cupertino;CA;95014;USA\r\n"
          "item7.X-ABADR:us\r\nEMAIL;type=INTERNET;type=HOME;type=pref:j@icloud.com\r\n"
          "EMAIL;type=INTERNET;type=WORK:j@apple.com\r\n" + LargePhoto() +
          "CATEGORIES:Friends,Work\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"Appleseed"}, {u"FirstName", u"Johnny"},
                   {u"CompanyName", u"Apple Inc."}, {u"Department", u"Retail, Stores"},
                   {u"MobileTelephoneNumber", u"+1 408 555 0101"},
                   {u"RadioTelephoneNumber", u"+1 408 555 0103"},
                   {u"CarTelephoneNumber", u"+1 408 555 0102"},
                   {u"HomeFaxNumber", u"+1 408 555 0104"}, {u"Spouse", u"Jane"},
                   {u"AssistantName", u"Tim"}, {u"WebPage", u"http://www.apple.com"},
                   {u"WorkAddressStreet", u"1 Infinite Loop"}, {u"WorkAddressCity", u"Cupertino"},
                   {u"WorkAddressState", u"CA"}, {u"WorkAddressPostalCode", u"95014"},
                   {u"WorkAddressCountry", u"USA"}, {u"Email1Address", u"j@icloud.com"},
                   {u"Email2Address", u"j@apple.com"}, {u"Categories", u"Friends, Work"}})}},
    {"Version40TelUrisQuotedTypesAndRelated",
     Card("VERSION:4.0\r\nFN:Simon Perreault\r\nN:Perreault;Simon;;;ing. jr,M.Sc.\r\n"
          "TEL;VALUE=uri;PREF=1;TYPE=\"voice,home\":tel:+1-555-555-5555;ext=5555\r\n"
          "TEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418-656-9254\r\n"
          "TEL;VALUE=uri;TYPE=\"work,fax\":tel:+1-418-262-6501\r\n"
          "TEL;VALUE=uri;TYPE=cell,text:TEL:+1-418-555-0100\r\n"
          "EMAIL;TYPE=work:simon.perreault@viagenie.ca\r\n"
          "RELATED;TYPE=spouse;VALUE=text:Marie\r\nRELATED;TYPE=child;VALUE=text:Luc\r\n"
          "RELATED;TYPE=child;VALUE=text:L\u00e9a\r\n"
          "ADR;TYPE=work:;Suite D2-630;2875 Laurier;Quebec;QC;G1V 2M2;Canada\r\n"
          "URL;TYPE=home:http://nomis80.org\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"Perreault"}, {u"FirstName", u"Simon"},
                   {u"Suffix", u"ing. jr,M.Sc."},
                   {u"HomeTelephoneNumber", u"+1-555-555-5555;ext=5555"},
                   {u"WorkTelephoneNumber", u"+1-418-656-9254"},
                   {u"WorkFaxNumber", u"+1-418-262-6501"},
                   {u"MobileTelephoneNumber", u"+1-418-555-0100"},
                   {u"Email1Address", u"simon.perreault@viagenie.ca"}, {u"Spouse", u"Marie"},
                   {u"Children", u"Luc, L\u00e9a"},
                   {u"WorkAddressStreet", u"Suite D2-630\n2875 Laurier"},
                   {u"WorkAddressCity", u"Quebec"}, {u"WorkAddressState", u"QC"},
                   {u"WorkAddressPostalCode", u"G1V 2M2"}, {u"WorkAddressCountry", u"Canada"},
                   {u"WebPage", u"http://nomis80.org"}})}},
    {"Windows1252Version21",
     Card("VERSION:2.1\r\nN;CHARSET=WINDOWS-1252:M\xFCller;J\xFCrgen\r\n"
          "ORG:Caf\xE9 \x80 GmbH\r\n"
          "TITLE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Gesch=E4ftsf=FChrer\r\n"
          "TEL;WORK;VOICE:+49 30 555\r\nTEL;VOICE:+49 30 556\r\n"
          "LABEL;WORK;ENCODING=QUOTED-PRINTABLE:Stra=DFe 1\r\n"
          "X-MS-SPOUSE:Anna\r\nX-MS-ASSISTANT:Bernd\r\nX-MS-CHILD:Carl\r\nX-MS-CHILD:Dora\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"M\u00fcller"}, {u"FirstName", u"J\u00fcrgen"},
                   {u"CompanyName", u"Caf\u00e9 \u20ac GmbH"},
                   {u"JobTitle", u"Gesch\u00e4ftsf\u00fchrer"},
                   {u"WorkTelephoneNumber", u"+49 30 555"},
                   {u"MobileTelephoneNumber", u"+49 30 556"}, {u"Spouse", u"Anna"},
                   {u"AssistantName", u"Bernd"}, {u"Children", u"Carl, Dora"}})}},
    {"EvolutionNamesAndTypes",
     Card("VERSION:3.0\r\nN:Doe;John;;;\r\nTEL;TYPE=X-EVOLUTION-RADIO:1\r\n"
          "TEL;TYPE=X-EVOLUTION-ASSISTANT:2\r\nX-EVOLUTION-SPOUSE:Maria\r\n"
          "X-EVOLUTION-ASSISTANT:Little Red\r\nX-EVOLUTION-OFFICE:B-12\r\nTEL;TYPE=PAGER:3\r\n"
          "TEL;TYPE=CAR:4\r\nTEL;TYPE=HOME:5\r\nTEL;TYPE=HOME:6\r\nTEL;TYPE=HOME:7\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"Doe"}, {u"FirstName", u"John"},
                   {u"RadioTelephoneNumber", u"1"}, {u"AssistantTelephoneNumber", u"2"},
                   {u"Spouse", u"Maria"}, {u"AssistantName", u"Little Red"},
                   {u"OfficeLocation", u"B-12"}, {u"PagerNumber", u"3"},
                   {u"CarTelephoneNumber", u"4"}, {u"HomeTelephoneNumber", u"5"},
                   {u"Home2TelephoneNumber", u"6"}})},
     1},
    {"ThirdMobileTakesTheNextFreeNumberNotAnEarlierOne",
     Card("VERSION:3.0\r\nTEL;TYPE=CAR:0\r\nTEL;TYPE=CELL:1\r\nTEL;TYPE=CELL:2\r\n"
          "TEL;TYPE=CELL:3\r\nEMAIL:a\r\nEMAIL:b\r\nEMAIL:c\r\nEMAIL:d\r\n"
          "ADR:;;x;;;;\r\nADR:;;y;;;;\r\nADR:;;z;;;;\r\nADR:;;w;;;;\r\nTITLE:t\r\nTITLE:u\r\n"),
     {},
     {PhoneRecord({{u"CarTelephoneNumber", u"0"}, {u"MobileTelephoneNumber", u"1"},
                   {u"RadioTelephoneNumber", u"2"}, {u"Email1Address", u"a"},
                   {u"Email2Address", u"b"}, {u"Email3Address", u"c"},
                   {u"OtherAddressStreet", u"x"}, {u"HomeAddressStreet", u"y"},
                   {u"WorkAddressStreet", u"z"}, {u"JobTitle", u"t"}})},
     4},
    {"FormattedNameAloneNamesTheContact",
     Card("VERSION:4.0\r\nFN:Cher\r\n") + Card("VERSION:4.0\r\nFN:+1 555\r\nTEL:+1 555\r\n") +
         Card("VERSION:3.0\r\nN:;;;;\r\nFN:Acme\r\nORG:Acme\r\n"),
     {},
     {PhoneRecord({{u"FirstName", u"Cher"}}),
      PhoneRecord({{u"MobileTelephoneNumber", u"+1 555"}}),
      PhoneRecord({{u"CompanyName", u"Acme"}})}},
    {"AgentCardInside21IsPassedOver",
     Card("VERSION:2.1\r\nN:Boss;Big\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Helper;Hal\r\n"
          "TEL:9\r\nEND:VCARD\r\nTEL;CELL:1\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"Boss"}, {u"FirstName", u"Big"},
                   {u"MobileTelephoneNumber", u"1"}})}},
    {"UnfinishedCardBeforeANewOneIsDropped",
     "BEGIN:VCARD\r\nN:Lost;Card\r\n" + Card("N:Kept;Card\r\n") + "junk outside\r\n" +
         Card("N:Also;Kept\r\n") + "BEGIN:VCARD\r\nN:Cut;Off\r\n",
     {},
     {PhoneRecord({{u"LastName", u"Kept"}, {u"FirstName", u"Card"}}),
      PhoneRecord({{u"LastName", u"Also"}, {u"FirstName", u"Kept"}})}},
    {"FoldingByVersion",
     "begin:vcard\nversion:3.0\nN:Fold;Ann\n a\n\tb\nTITLE:x\n  y\nend:vcard\n" +
         Card("VERSION:2.1\r\nN:Fold;Bo\r\n b\r\nTITLE:x\r\n  y\r\n"),
     {},
     {PhoneRecord({{u"LastName", u"Fold"}, {u"FirstName", u"Annab"}, {u"JobTitle", u"x y"}}),
      PhoneRecord({{u"LastName", u"Fold"}, {u"FirstName", u"Bo b"}, {u"JobTitle", u"x  y"}})}},
    {"Utf16LittleEndianWithMark",
     BackupBytes("BEGIN:VCARD\r\nVERSION:3.0\r\nN:\u4e2d\u6751;\U0001F600\r\n"
                 "X-VELLORO-SIM:TRUE\r\nTEL:1\r\nEND:VCARD\r\n"),
     {{u"\U0001F600", u"1"}},
     {}},
    {"Base64TextValueIsNotTakenForText",
     Card("VERSION:3.0\r\nN;ENCODING=b:QWJj\r\nTEL;TYPE=CELL:1\r\n"),
     {},
     {PhoneRecord({{u"MobileTelephoneNumber", u"1"}})}},
    {"QuotedPrintableLineBreaksInAUrlAreLineBreaks",
     Card("VERSION:2.1\r\nURL;ENCODING=QUOTED-PRINTABLE:http://a=0D=0Ab=0D c=0A\r\n"), {},
     {PhoneRecord({{u"WebPage", u"http://a\nb\n c\n"}})}},
    {"NotAVcardFile", "Hello\r\nthis is: no card\r\nEND:VCARD\r\n", {}, {}},
};
// clang-format on

class VcardReaderCaseTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(VcardReaderCaseTest, ReadsTheCardsProducersWrite) {
    const ReaderCase& c = GetParam();
    VcardReadCounts counts;
    ContactList list = ReadVcardBytes(c.bytes, &counts);
    EXPECT_EQ(list.sim, c.sim);
    ASSERT_EQ(list.phone.size(), c.phone.size());
    for (std::size_t i = 0; i < c.phone.size(); ++i)
        EXPECT_EQ(list.phone[i], c.phone[i]) << "phone record " << i;
    EXPECT_EQ(counts.valuesLeftOut, c.leftOut);
}

INSTANTIATE_TEST_SUITE_P(Producers, VcardReaderCaseTest, testing::ValuesIn(kReaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VcardReaderTest, BigEndianUtf16AndCutValuesKeepTheFieldLimit) {
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;" + std::string(kVcardFieldMax - 1, 'a') +
                       "\xF0\x9F\x98\x80" + "\r\nEND:VCARD\r\n";
    std::u16string units = U16(text);
    std::string bytes = "\xFE\xFF";
    for (char16_t u : units) {
        bytes += static_cast<char>(u >> 8);
        bytes += static_cast<char>(u & 0xFF);
    }
    ContactList list = ReadVcardBytes(bytes);
    ASSERT_EQ(list.phone.size(), 1u);
    // The pair would end beyond the limit, so neither of its halves is kept.
    EXPECT_EQ(list.phone[0].firstName, std::u16string(kVcardFieldMax - 1, u'a'));
}

TEST(VcardReaderTest, ABlockEndAnywhereInTheCardsReadsTheSame) {
    // The reader takes the file in blocks of 64 KiB; a padding line in front moves the end of the
    // first block across every byte of the cards in turn: line ends, a fold's blank, a soft line
    // break, UTF-8 sequences.
    const std::string cards =
        Card(
            "VERSION:2.1\r\n"
            "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=96berg;=C3=85=\r\nsa;;;\r\n"
            "TITLE:Chief\r\n of\r\n\tstaff\r\nTEL;CELL:1\r\n") +
        "begin:vcard\nversion:3.0\nN:\u4e2d\u6751;Zo\u00eb\nEMAIL:a@b\n c\nend:vcard\n";
    const std::vector<PhoneContactRecord> expected = {
        PhoneRecord({{u"LastName", u"\u00d6berg"},
                     {u"FirstName", u"\u00c5sa"},
                     {u"JobTitle", u"Chief of\tstaff"},
                     {u"MobileTelephoneNumber", u"1"}}),
        PhoneRecord({{u"LastName", u"\u4e2d\u6751"},
                     {u"FirstName", u"Zo\u00eb"},
                     {u"Email1Address", u"a@bc"}})};
    constexpr std::size_t kBlock = 1 << 16;
    for (std::size_t shift = 0; shift <= cards.size(); ++shift) {
        std::string padding = "X-PAD:" + std::string(kBlock - shift - 8, 'p') + "\r\n";
        ContactList list = ReadVcardBytes(padding + cards);
        ASSERT_EQ(list.phone, expected) << "the block ends " << shift << " bytes into the cards";
    }
}

TEST(VcardReaderTest, LinesLongerThanTheReaderKeepsAreCutNotMisread) {
    // A line keeps 64 KiB; the rest of a longer one, held or passed over, is dropped up to its
    // line end, and what follows is read as it stands. Fields keep their own limit.
    const std::string longTitle(70000, 't');
    const std::string bytes =
        Card("VERSION:3.0\r\nNOTE:" + std::string(300000, 'n') + "\r\nTITLE:" + longTitle +
             "\r\nTEL;TYPE=CELL:" + std::string(1500, '1') + "\r\nEMAIL:" + std::string(1100, 'e') +
             "\r\n " + std::string(100, 'f') + "\r\nX-SPOUSE:s\r\n") +
        "BEGIN:VCARD\r\nN:Cut;Off\r\nTITLE:" + longTitle;
    VcardReadCounts counts;
    ContactList list = ReadVcardBytes(bytes, &counts);
    ASSERT_EQ(list.phone.size(), 1u);
    EXPECT_EQ(counts.cards, 1);
    EXPECT_EQ(list.phone[0],
              PhoneRecord({{u"JobTitle", std::u16string(kVcardFieldMax, u't')},
                           {u"MobileTelephoneNumber", std::u16string(kVcardFieldMax, u'1')},
                           {u"Email1Address", std::u16string(kVcardFieldMax, u'e')},
                           {u"Spouse", u"s"}}));
}

TEST(VcardReaderTest, MissingFileAndAbsentPathAreFailures) {
    TempDir dir;
    ContactList list;
    EXPECT_EQ(ReadVcardFile(list, dir.U16Path("none.vcf"), nullptr), kContactFileUnusable);
    EXPECT_EQ(ReadVcardFile(list, dir.U16Path(""), nullptr), kContactFileUnusable);
    EXPECT_EQ(ReadVcardFile(list, std::u16string_view(), nullptr), kContactFileFailed);
}

TEST(VcardReaderTest, ContentDecidesWhatIsAVcard) {
    struct Case {
        std::string head;
        bool vcard;
    };
    const Case cases[] = {
        {"BEGIN:VCARD\r\n", true},
        {"\xEF\xBB\xBF\r\n\r\n  \tbegin:vCard\n", true},
        {BackupBytes("\r\nBEGIN:VCARD"), true},
        {"\xFE\xFF" + std::string("\0B\0E\0G\0I\0N\0:\0V\0C\0A\0R\0D", 22), true},
        {"BEGIN:VCAR", false},
        {"[1]\r\nContactType = SIMContact\r\n", false},
        {BackupBytes("[1]\r\nBEGIN:VCARD"), false},
        {"x BEGIN:VCARD", false},
        {"", false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(LooksLikeVcard(c.head), c.vcard) << c.head;
        WriteBytes(dir / "f", c.head);
        EXPECT_EQ(FileLooksLikeVcard(dir.U16Path("f")), c.vcard) << c.head;
    }
    EXPECT_FALSE(FileLooksLikeVcard(dir.U16Path("missing")));
}
