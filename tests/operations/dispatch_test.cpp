// The dispatch: which operation each kind reaches, what a kind it does not know does, and the
// kind 4 extension rule.

#include <gtest/gtest.h>

#include "../phone/phone_fixture.h"
#include "operations/dispatch.h"
#include "sms/sms_tree.h"
#include "sms/sms_xml.h"
#include "test_support.h"

namespace {

class DispatchTest : public PhoneTest {
  protected:
    OperationRequest Request(std::uint32_t kind, std::u16string path = {}) {
        OperationRequest request;
        request.kind = kind;
        request.path = std::move(path);
        return request;
    }
    TempDir files_;
};

// Each kind is recognised by a failure only its own operation gives; none of these touches a
// store or a file, so a kind wired to the wrong operation shows as the wrong code.
TEST_F(DispatchTest, EachKindReachesItsOperation) {
    SetFault("sim.open");
    struct Case {
        OperationKind kind;
        ResultCode expected;
    };
    for (const Case& c : {Case{OperationKind::ExportContacts, kExportInvalidPath},
                          Case{OperationKind::ImportContacts, kImportInvalidPath},
                          Case{OperationKind::CopySimToPhone, kCopySimInitFailed},
                          Case{OperationKind::ExportSms, kSmsExportFailed},
                          Case{OperationKind::RestoreSms, kSmsImportFailed},
                          Case{OperationKind::ReadSmsFromStore, kSmsReadFailed},
                          Case{OperationKind::LoadSmsDataFile, kSmsParseFailed}}) {
        ProgressRecorder bar;
        EXPECT_EQ(DispatchOperation(Request(static_cast<std::uint32_t>(c.kind)), &bar), c.expected)
            << "kind " << static_cast<int>(c.kind);
    }
}

TEST_F(DispatchTest, UnknownKindRunsNothingAndSucceeds) {
    SmsTree tree;
    for (std::uint32_t kind : {0u, 8u, 0xFFFFFFFFu}) {
        OperationRequest request = Request(kind, files_.U16Path("out.dat"));
        request.smsTree = &tree;
        request.contactType = SimAndPhone;
        ProgressRecorder bar;
        EXPECT_EQ(DispatchOperation(request, &bar), kResultSuccess) << kind;
        EXPECT_TRUE(bar.messages.empty()) << kind;
        EXPECT_FALSE(std::filesystem::exists(files_ / "out.dat")) << kind;
    }
}

// Kind 4 writes the XML for ".xml"; kind 7 loads a file by what it holds, whatever its name.
TEST_F(DispatchTest, XmlIsWrittenByExtensionAndLoadedByContent) {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*tree.root, u"SMS");
    OperationRequest save =
        Request(static_cast<std::uint32_t>(OperationKind::ExportSms), files_.U16Path("sms.xml"));
    save.smsTree = &tree;
    ASSERT_EQ(DispatchOperation(save, nullptr), kResultSuccess);
    ASSERT_TRUE(FileLooksLikeSmsXml(files_.U16Path("sms.xml")));
    std::filesystem::rename(files_ / "sms.xml", files_ / "sms.dat");
    save.path = files_.U16Path("data.dat");
    ASSERT_EQ(DispatchOperation(save, nullptr), kResultSuccess);
    std::filesystem::rename(files_ / "data.dat", files_ / "data.xml");

    for (const char* name : {"sms.dat", "data.xml"}) {
        SmsTree loaded;
        OperationRequest load = Request(static_cast<std::uint32_t>(OperationKind::LoadSmsDataFile),
                                        files_.U16Path(name));
        load.smsTree = &loaded;
        ASSERT_EQ(DispatchOperation(load, nullptr), kResultSuccess) << name;
        EXPECT_EQ(loaded.root->name, u"SMS") << name;
    }
}

TEST(SmsExportFormTest, LastFourCharactersPickTheWriterCaseSensitively) {
    struct Case {
        std::u16string_view path;
        SmsExportForm form;
    };
    for (const Case& c :
         {Case{u"/b/sms.dat", SmsExportForm::DataFile}, Case{u"/b/sms.txt", SmsExportForm::Text},
          Case{u"/b/sms.csv", SmsExportForm::Csv}, Case{u".csv", SmsExportForm::Csv},
          Case{u"/b/sms.xml", SmsExportForm::Xml}, Case{u"/b/sms.XML", SmsExportForm::Folders},
          Case{u"/b/sms.DAT", SmsExportForm::Folders}, Case{u"/b/sms.Txt", SmsExportForm::Folders},
          Case{u"/b/sms.dat/", SmsExportForm::Folders}, Case{u"dat", SmsExportForm::Folders},
          Case{u"", SmsExportForm::Folders}, Case{u"/b/sms", SmsExportForm::Folders}}) {
        EXPECT_EQ(SmsExportFormOf(c.path), c.form) << std::string(c.path.begin(), c.path.end());
    }
}

}  // namespace
