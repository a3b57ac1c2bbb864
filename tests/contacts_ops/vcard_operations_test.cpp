// The contact jobs with vCard files: a backup to a .vcf path writes vCard, and a restore reads a
// file by its content and runs the same duplicate rules as for a text backup.

#include <gtest/gtest.h>

#include "contacts/contact_operations.h"
#include "contacts/vcard.h"
#include "core/operation_request.h"
#include "ops_fixture.h"

namespace {

using VcardOperationsTest = OpsTest;

TEST_F(VcardOperationsTest, VcardBackupRestoresIntoAnEmptyPhoneAndTwiceAddsNothing) {
    AddSim(2, u"\u00c5nna \u00d6dmark", u"+46 70 111");
    AddSim(9, u"", u"*100#");
    AddPhone(EveryField(u"\u00e9\u00e9n; two, \\three"));
    PhoneContactRecord partial = Person(u"Zo\u00eb", u"Ng", u"+1 555");
    partial.home2TelephoneNumber = u"+1 556";
    partial.email3Address = u"z@example.com";
    partial.otherAddressStreet = u"1 Road\nFlat 2";
    AddPhone(partial);
    std::u16string path = files_.U16Path("full.vcf");
    ASSERT_EQ(ExportContactsToFile(path, SimAndPhone, nullptr), 0);
    ASSERT_TRUE(FileLooksLikeVcard(path));
    std::vector<SimEntry> sim = SimEntries();
    std::vector<PhoneContactRecord> phone = PhoneContacts();

    MakePhone(SimSetup{});
    ASSERT_EQ(ImportContactsFromFile(path, SimAndPhone, nullptr), 0);
    EXPECT_EQ(SimEntries(), sim);
    EXPECT_EQ(PhoneContacts(), phone);
    ProgressRecorder second;
    ASSERT_EQ(ImportContactsFromFile(path, SimAndPhone, &second), 0);
    EXPECT_EQ(second.Count(PBM_STEPIT), 0);
    EXPECT_EQ(SimEntries(), sim);
    EXPECT_EQ(PhoneContacts(), phone);
}

// The name does not decide: a vCard under any name is read as one, a text backup named .vcf
// as a text backup, and a path ending in ".VCF" gets a text backup.
TEST_F(VcardOperationsTest, ReadingGoesByContentWritingByLowerCaseExtension) {
    ContactList list;
    AddSimContact(list, u"Anna", u"111");
    std::u16string vcard = files_.U16Path("contacts.txt");
    ASSERT_EQ(WriteVcardFile(list, vcard), kContactFileDone);
    std::u16string text = files_.U16Path("backup.vcf");
    ASSERT_EQ(WriteContactFile(list, files_.U16Path("backup.VCF")), kContactFileDone);
    std::filesystem::rename(files_ / "backup.VCF", files_ / "backup.vcf");
    EXPECT_FALSE(FileLooksLikeVcard(text));
    for (const std::u16string& path : {vcard, text}) {
        MakePhone(SimSetup{});
        ASSERT_EQ(ImportContactsFromFile(path, Sim, nullptr), 0);
        EXPECT_EQ(SimEntries(), (std::vector<SimEntry>{{u"Anna", u"111"}}));
    }
    EXPECT_EQ(ImportContactsFromFile(files_.U16Path("missing.vcf"), Sim, nullptr),
              kImportFileUnreadable);
}

}  // namespace
