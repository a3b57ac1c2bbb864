#include "sms/sms_operations.h"
#include "sms/sms_xml.h"
#include "sms_store_fixture.h"

using SmsXmlRestoreTest = SmsStoreTest;

// The peer app's file into an empty phone: exactly its messages, in the folders their types
// name, with the times and flags the types give, and nothing for what it cannot hold.
TEST_F(SmsXmlRestoreTest, RestoringAnXmlFileIntoAnEmptyPhoneCreatesExactlyItsMessages) {
    WriteBytes(dir_ / "in.xml",
               "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<smses count=\"4\">\n"
               "<sms address=\"+111\" date=\"1000\" type=\"1\" body=\"Hi &#55357;&#56832;\" "
               "read=\"1\" contact_name=\"Ann\" />\n"
               "<mms date=\"1\"><parts><part data=\"AAAA\" /></parts></mms>\n"
               "<sms address=\"+222\" date=\"2000\" type=\"2\" body=\"Yes\" "
               "contact_name=\"(Unknown)\" />\n"
               "<sms address=\"+333\" date=\"3000\" type=\"3\" body=\"Draft\" />\n"
               "<sms address=\"+111\" date=\"4000\" type=\"1\" body=\"Again\" />\n"
               "</smses>\n");
    SmsTree tree;
    ASSERT_EQ(LoadSmsXmlFile(&tree, dir_.U16Path("in.xml"), nullptr), 0);
    ASSERT_EQ(RestoreSms(&tree, nullptr), 0);

    SmsTree back;
    ASSERT_EQ(ReadSmsFromStore(&back, nullptr), 0);
    constexpr std::uint64_t kEpoch = 116444736000000000;
    auto at = [](std::uint64_t ms) { return std::to_string(kEpoch + ms * 10000); };
    EXPECT_EQ(DumpSmsTree(*back.root),
              "+F Top of Information Store\n"
              "  +F Inbox\n"
              "    +M Hi \xF0\x9F\x98\x80 | Ann <+111> | d" +
                  at(1000) +
                  " m0 s10 f1 |\n"
                  "    +M Again |  <+111> | d" +
                  at(4000) +
                  " m0 s10 f0 |\n"
                  "  +F Sent Items\n"
                  "    +M Yes |  <> | d" +
                  at(2000) +
                  " m0 s6 f0 | <+222>\n"
                  "  +F Drafts\n"
                  "    +M Draft |  <> | d0 m" +
                  at(3000) + " s10 f8 | <+333>\n");
}
