// The dispatch: which operation each kind reaches, what a kind it does not know does, and the
// kind 4 extension rule.

#include <gtest/gtest.h>

#include "../phone/phone_fixture.h"
#include "core/operation_summary.h"
#include "operations/dispatch.h"
#include "platform/text.h"
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

SmsNode& AddNode(SmsNode& parent, std::uint8_t kind, std::u16string name, bool ticked = true) {
    auto node = CreateSmsNode(kind);
    node->name = std::move(name);
    node->checked = ticked ? 1 : 0;
    if (kind == kSmsMessageKind) {
        node->message = std::make_unique<SmsMessageData>();
        node->message->text = u"hello";
        node->message->senderAddress = u"+1";
    }
    parent.children.push_back(std::move(node));
    return *parent.children.back();
}

// Root: Inbox (Sub with one message; one ticked and one unticked message), Empty, and an
// unticked Old whose ticked message is left out with it.
SmsTree CountingTree() {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    SmsNode& inbox = AddNode(*tree.root, kSmsFolderKind, u"Inbox");
    AddNode(AddNode(inbox, kSmsFolderKind, u"Sub"), kSmsMessageKind, u"");
    AddNode(inbox, kSmsMessageKind, u"");
    AddNode(inbox, kSmsMessageKind, u"", false);
    AddNode(*tree.root, kSmsFolderKind, u"Empty");
    AddNode(AddNode(*tree.root, kSmsFolderKind, u"Old", false), kSmsMessageKind, u"");
    return tree;
}

// Each form counts what it writes: the text forms write a folder only with a banner.
TEST_F(DispatchTest, SmsBackupAndLoadCountWhatWasWritten) {
    struct Case {
        const char* name;
        ResultCode code;
        const char16_t* summary;
    };
    const Case cases[] = {
        {"all.dat", 0, u"3 folders and 2 messages written, 2 unticked left out."},
        {"all.txt", 0, u"2 folders and 2 messages written, 2 unticked left out."},
        {"all.csv", 0, u"2 folders and 2 messages written, 2 unticked left out."},
        {"tree", 0, u"3 folders and 2 messages written, 2 unticked left out."},
        // A failed export to one file leaves the target as it was: nothing written.
        {"missing/all.dat", kSmsExportFailed, u"0 folders and 0 messages written."},
        // A folder tree writes what it can: here a file holds Inbox's name.
        {"blocked", kSmsExportFailed, u"1 folder and 0 messages written, 2 unticked left out."},
    };
    std::filesystem::create_directory(files_ / "blocked");
    WriteBytes(files_ / "blocked" / "Inbox", "a file");
    for (const Case& c : cases) {
        SmsTree tree = CountingTree();
        OperationRequest request =
            Request(static_cast<std::uint32_t>(OperationKind::ExportSms), files_.U16Path(c.name));
        request.smsTree = &tree;
        OperationSummary summary;
        request.summary = &summary;
        EXPECT_EQ(DispatchOperation(request, nullptr), c.code) << c.name;
        EXPECT_EQ(Utf16ToUtf8(SummaryLine(summary)), Utf16ToUtf8(c.summary)) << c.name;
    }

    SmsTree loaded;
    OperationRequest load = Request(static_cast<std::uint32_t>(OperationKind::LoadSmsDataFile),
                                    files_.U16Path("all.dat"));
    load.smsTree = &loaded;
    OperationSummary summary;
    load.summary = &summary;
    ASSERT_EQ(DispatchOperation(load, nullptr), kResultSuccess);
    EXPECT_EQ(SummaryLine(summary), u"3 folders and 2 messages read.");
    EXPECT_FALSE(SummaryReadNothing(summary));

    // A file of the root alone reads nothing, and says so.
    SmsTree rootOnly;
    rootOnly.root = CreateSmsNode(kSmsFolderKind);
    OperationRequest save =
        Request(static_cast<std::uint32_t>(OperationKind::ExportSms), files_.U16Path("root.dat"));
    save.smsTree = &rootOnly;
    ASSERT_EQ(DispatchOperation(save, nullptr), kResultSuccess);
    load.path = files_.U16Path("root.dat");
    ASSERT_EQ(DispatchOperation(load, nullptr), kResultSuccess);
    EXPECT_EQ(SummaryLine(summary), u"0 folders and 0 messages read.");
    EXPECT_TRUE(SummaryReadNothing(summary));
}

}  // namespace
