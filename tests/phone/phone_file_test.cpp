// The phone as a file: what is refused, where the default one lives, and what survives other
// processes, including one killed in the middle of its writes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "phone_fixture.h"
#include "platform/contact_database.h"
#include "platform/message_store.h"
#include "platform/text.h"

namespace {

class PhoneFileTest : public PhoneTest {};

TEST_F(PhoneFileTest, ForeignAndNewerFilesAreRefusedUntouched) {
    const std::string notAPhone = "SQLite format 3 is what this is not";
    WriteBytes(dir_ / "other.db", notAPhone);
    std::string error;
    EXPECT_FALSE(OpenPhoneDb((dir_ / "other.db").string(), error));
    EXPECT_NE(error.find("is not a Velloro phone"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(dir_ / "other.db"), notAPhone);

    ASSERT_TRUE(Db()->Exec("UPDATE phone_meta SET value = 2 WHERE key = 'schema'"));
    std::string before = ReadBytes(path_);
    EXPECT_FALSE(OpenPhoneDb(path_, error));
    EXPECT_NE(error.find("newer"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path_), before);

    EXPECT_FALSE(OpenPhoneDb((dir_ / "missing.db").string(), error));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing.db"));
}

TEST_F(PhoneFileTest, OnlyTheDefaultPhoneIsCreatedOnFirstUse) {
    SetPhonePath((dir_ / "chosen.db").string());
    std::string error;
    EXPECT_FALSE(OpenCurrentPhone(error));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "chosen.db"));

    SetPhonePath("");
    EXPECT_EQ(CurrentPhonePath(), (dir_ / "xdg" / "velloro" / "phone.db").string());
    auto db = OpenCurrentPhone(error);
    ASSERT_TRUE(db) << error;
    auto counts = db->Prepare(
        "SELECT (SELECT COUNT(*) FROM sim_entries), (SELECT COUNT(*) FROM contacts), "
        "(SELECT COUNT(*) FROM messages), (SELECT COUNT(*) FROM stores)");
    ASSERT_TRUE(counts && counts->Step());
    EXPECT_EQ(counts->Int(0), 20);
    EXPECT_EQ(counts->Int(1), 40);
    EXPECT_EQ(counts->Int(2), 150);
    EXPECT_EQ(counts->Int(3), 2);
}

// Saves contacts whose 43 fields all carry the same mark, and SMS written as the restore writes
// them, one call per commit, until killed.
[[noreturn]] void WriteForever(std::string path) {
    SetPhonePath(path);
    CoInitializeEx(nullptr, 0);
    ComPtr<IPOutlookApp> app;
    CoCreateInstance(CLSID_Application, nullptr, 1, IID_IPOutlookApp, app);
    app->Logon(nullptr);
    ComPtr<IFolder> folder;
    app->GetDefaultFolder(olFolderContacts, folder);
    ComPtr<IPOutlookItemCollection> items;
    folder->get_Items(items);
    MapiPtr<IMAPISession> session;
    MAPILogonEx(0, nullptr, nullptr, 0, session);
    MapiPtr<IMAPITable> stores;
    session->GetMsgStoresTable(0, stores);
    SRowSet rows;
    stores->QueryRows(1, 0, rows);
    MapiPtr<IMsgStore> store;
    session->OpenMsgStore(0, rows.at(0).lpProps.at(1).bin, nullptr, 0, store);
    std::vector<SPropValue> top;
    store->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, top);
    MapiEntry entry;
    store->OpenEntry(top.at(0).bin, nullptr, 0, entry);
    for (int n = 0;; ++n) {
        std::u16string mark = u"mark" + std::u16string(static_cast<std::size_t>(n % 50 + 1), u'x');
        ComPtr<IContact> contact;
        items->Add(contact);
        for (const ContactProperty& p : kContactProperties)
            contact->SetProperty(p.SetterSlot(), mark);
        contact->Save();
        MapiPtr<IMessage> message;
        entry.folder->CreateMessage(nullptr, 0, message);
        message->SetProps(
            {TextProp(PR_SUBJECT_W, mark), LongProp(PR_MESSAGE_STATUS, MSGSTATUS_RECTYPE_SMS),
             LongProp(PR_MESSAGE_FLAGS, 1), TextProp(PR_MESSAGE_CLASS_W, u"IPM.SMStext"),
             LongProp(PR_MESSAGE_SIZE, static_cast<std::uint32_t>(mark.size()))});
    }
}

TEST_F(PhoneFileTest, AProcessKilledWhileWritingLeavesEveryRecordWhole) {
    std::string error;
    ASSERT_TRUE(SmsTopFolder(*Db(), error));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) WriteForever(path_);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the writer stopped by itself: " << status;

    auto db = Db();
    ASSERT_TRUE(db);
    auto check = db->Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check && check->Step());
    EXPECT_EQ(check->Text(0), "ok");

    std::string distinct = "SELECT COUNT(*), COUNT(DISTINCT Title) FROM contacts WHERE ";
    for (const ContactProperty& p : kContactProperties)
        distinct += Utf16ToUtf8(p.property) + " IS NOT Title AND ";
    distinct += "1";
    auto torn = db->Prepare(distinct.c_str());
    ASSERT_TRUE(torn && torn->Step());
    EXPECT_EQ(torn->Int(0), 0) << "contacts with fields from different saves";

    auto contacts = db->Prepare("SELECT COUNT(*) FROM contacts WHERE Title IS NULL");
    ASSERT_TRUE(contacts && contacts->Step());
    EXPECT_EQ(contacts->Int(0), 0);
    auto messages = db->Prepare(
        "SELECT COUNT(*), SUM(n = 5) FROM (SELECT m.id, COUNT(p.tag) AS n FROM messages m "
        "LEFT JOIN message_props p ON p.message_id = m.id GROUP BY m.id)");
    ASSERT_TRUE(messages && messages->Step());
    std::int64_t total = messages->Int(0);
    EXPECT_GT(total, 0) << "the writer never got going";
    // The last message may have been created and killed before its one SetProps; never half.
    EXPECT_GE(messages->Int(1), total - 1);
    auto partial = db->Prepare(
        "SELECT COUNT(*) FROM (SELECT message_id, COUNT(*) AS n FROM message_props "
        "GROUP BY message_id) WHERE n <> 5");
    ASSERT_TRUE(partial && partial->Step());
    EXPECT_EQ(partial->Int(0), 0);
}

TEST_F(PhoneFileTest, ProcessesOneAfterTheOtherSeeEachOthersWrites) {
    std::string error;
    ASSERT_TRUE(AddSimEntry(*Db(), 7, u"Parent", u"1", error));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto db = Db();
        auto find = db->Prepare("SELECT name FROM sim_entries WHERE slot = 7");
        bool sawParent = find && find->Step() && find->Text(0) == "Parent";
        std::string childError;
        bool wrote = AddSimEntry(*db, 8, u"Child", u"2", childError);
        _exit(sawParent && wrote ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    auto db = Db();
    auto find = db->Prepare("SELECT name FROM sim_entries WHERE slot = 8");
    ASSERT_TRUE(find && find->Step());
    EXPECT_EQ(find->Text(0), "Child");
}

}  // namespace
