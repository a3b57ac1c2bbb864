#include "platform/message_store.h"

#include "phone_fixture.h"
#include "platform/phone/message_rows.h"
#include "platform/text.h"

namespace {

class MessageStoreTest : public PhoneTest {
  protected:
    void SetUp() override {
        PhoneTest::SetUp();
        std::string error;
        auto db = Db();
        ASSERT_TRUE(AddStore(*db, u"ActiveSync", error));
        auto top = SmsTopFolder(*db, error);
        ASSERT_TRUE(top) << error;
        top_ = *top;
    }

    void Logon() {
        ASSERT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, session_), S_OK);
        MapiPtr<IMAPITable> stores;
        ASSERT_EQ(session_->GetMsgStoresTable(MAPI_UNICODE, stores), S_OK);
        ASSERT_EQ(stores->SetColumns({PR_DISPLAY_NAME_W, PR_ENTRYID}, 0), S_OK);
        SRowSet rows;
        std::vector<std::u16string> names;
        EntryId sms;
        while (stores->QueryRows(1, 0, rows) == S_OK && rows.size() == 1) {
            names.push_back(rows[0].lpProps[0].lpszW);
            if (names.back() == u"SMS") sms = rows[0].lpProps[1].bin;
        }
        EXPECT_EQ(names, (std::vector<std::u16string>{u"ActiveSync", u"SMS"}));
        ASSERT_EQ(sms.size(), kEntryIdSize);
        ASSERT_EQ(session_->OpenMsgStore(0, sms, nullptr, 0, store_), S_OK);
        std::vector<SPropValue> values;
        ASSERT_EQ(store_->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, values), S_OK);
        ASSERT_EQ(values[0].ulPropTag, PR_IPM_SUBTREE_ENTRYID);
        EXPECT_GT(values[0].bin.size(), 20u);
        top_ = 0;
        MapiEntry entry;
        ASSERT_EQ(store_->OpenEntry(values[0].bin, nullptr, 0, entry), S_OK);
        ASSERT_EQ(entry.objType, MAPI_FOLDER);
        topFolder_ = entry.folder;
    }

    // Every PR_ENTRYID of a table, read in batches of 10, and the batch sizes.
    std::vector<EntryId> ListTable(IMAPITable& table, std::vector<std::size_t>& batches) {
        std::vector<EntryId> ids;
        EXPECT_EQ(table.SetColumns({PR_ENTRYID}, 0), S_OK);
        SRowSet rows;
        do {
            EXPECT_EQ(table.QueryRows(10, 0, rows), S_OK);
            batches.push_back(rows.size());
            for (const SRow& row : rows)
                ids.push_back(row.lpProps.at(0).bin);
        } while (!rows.empty());
        return ids;
    }

    MapiPtr<IMessage> OpenMessage(const EntryId& id) {
        MapiEntry entry;
        EXPECT_EQ(store_->OpenEntry(id, nullptr, 0, entry), S_OK);
        EXPECT_EQ(entry.objType, MAPI_MESSAGE);
        return entry.message;
    }

    // Ends the session (the job, once nothing else holds it) and logs on anew; the top folder's
    // subfolders, opened.
    std::vector<MapiPtr<IMAPIFolder>> LogonAgain() {
        topFolder_.reset();
        store_.reset();
        session_.reset();
        Logon();
        std::vector<MapiPtr<IMAPIFolder>> folders;
        MapiPtr<IMAPITable> hierarchy;
        EXPECT_EQ(topFolder_->GetHierarchyTable(0, hierarchy), S_OK);
        if (!hierarchy) return folders;
        std::vector<std::size_t> batches;
        for (const EntryId& id : ListTable(*hierarchy, batches)) {
            MapiEntry entry;
            EXPECT_EQ(store_->OpenEntry(id, nullptr, 0, entry), S_OK);
            folders.push_back(entry.folder);
        }
        return folders;
    }

    std::int64_t top_ = 0;
    MapiPtr<IMAPISession> session_;
    MapiPtr<IMsgStore> store_;
    MapiPtr<IMAPIFolder> topFolder_;
};

TEST_F(MessageStoreTest, TablesListFoldersAndMessagesInCreationOrderInBatches) {
    std::string error;
    {
        auto db = Db();
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(
                AddFolderPath(*db, top_, {u"F" + std::u16string(1, char16_t(u'a' + i))}, error));
        for (int i = 0; i < 25; ++i) {
            PhoneMessageSpec m;
            m.subject = u"m" + std::u16string(1, char16_t(u'A' + i));
            ASSERT_TRUE(AddMessage(*db, top_, m, error)) << error;
        }
    }
    Logon();
    MapiPtr<IMAPITable> hierarchy, contents;
    ASSERT_EQ(topFolder_->GetHierarchyTable(0, hierarchy), S_OK);
    ASSERT_EQ(topFolder_->GetContentsTable(0, contents), S_OK);
    std::vector<std::size_t> folderBatches, messageBatches;
    auto folders = ListTable(*hierarchy, folderBatches);
    auto messages = ListTable(*contents, messageBatches);
    EXPECT_EQ(folderBatches, (std::vector<std::size_t>{3, 0}));
    EXPECT_EQ(messageBatches, (std::vector<std::size_t>{10, 10, 5, 0}));

    std::vector<SPropValue> values;
    MapiEntry entry;
    ASSERT_EQ(store_->OpenEntry(folders[2], nullptr, 0, entry), S_OK);
    ASSERT_EQ(entry.folder->GetProps({PR_DISPLAY_NAME_W}, 0, values), S_OK);
    EXPECT_EQ(values[0].lpszW, u"Fc");
    ASSERT_EQ(OpenMessage(messages[24])->GetProps({PR_SUBJECT_W}, 0, values), S_OK);
    EXPECT_EQ(values[0].lpszW, u"mY");
}

TEST_F(MessageStoreTest, AbsentPropertiesAreErrorValuesAndAStreamOnlyBodyOnlyAStream) {
    std::string error;
    PhoneMessageSpec plain, streamed;
    plain.subject = u"hi";
    plain.flags = 1;
    streamed.body = std::u16string(600, u'ж');
    streamed.bodyStreamOnly = true;
    ASSERT_TRUE(AddMessage(*Db(), top_, plain, error));
    ASSERT_TRUE(AddMessage(*Db(), top_, streamed, error));
    Logon();
    MapiPtr<IMAPITable> contents;
    ASSERT_EQ(topFolder_->GetContentsTable(0, contents), S_OK);
    std::vector<std::size_t> batches;
    auto ids = ListTable(*contents, batches);
    ASSERT_EQ(ids.size(), 2u);
    auto message = OpenMessage(ids[0]);
    std::vector<SPropValue> values;
    EXPECT_EQ(message->GetProps({PR_SUBJECT_W, PR_SENDER_EMAIL_ADDRESS_W, PR_MESSAGE_FLAGS,
                                 PR_MESSAGE_DELIVERY_TIME},
                                0, values),
              MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].ulPropTag, PR_SUBJECT_W);
    EXPECT_EQ(values[1].ulPropTag, CHANGE_PROP_TYPE(PR_SENDER_EMAIL_ADDRESS_W, PT_ERROR));
    EXPECT_EQ(values[1].l, MAPI_E_NOT_FOUND);
    EXPECT_EQ(values[2].l, 1);
    EXPECT_EQ(values[3].ulPropTag, CHANGE_PROP_TYPE(PR_MESSAGE_DELIVERY_TIME, PT_ERROR));
    MapiPtr<IStream> stream;
    EXPECT_EQ(message->OpenProperty(PR_BODY_W, IID_IStream, 0, MAPI_MODIFY, stream),
              MAPI_E_NOT_FOUND);
    // A sent message without recipients has an empty recipient table, not a failing one.
    MapiPtr<IMAPITable> recipients;
    ASSERT_EQ(message->GetRecipientTable(0, recipients), S_OK);
    SRowSet rows;
    ASSERT_EQ(recipients->QueryRows(1, 0, rows), S_OK);
    EXPECT_TRUE(rows.empty());

    message = OpenMessage(ids[1]);
    EXPECT_EQ(message->GetProps({PR_BODY_W}, 0, values), MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(PROP_TYPE(values[0].ulPropTag), PT_ERROR);
    ASSERT_EQ(message->OpenProperty(PR_BODY_W, IID_IStream, 0, MAPI_MODIFY, stream), S_OK);
    std::vector<std::uint8_t> buffer(1000);
    ULONG read = 0;
    ASSERT_EQ(stream->Read(buffer.data(), 1000, &read), S_OK);
    EXPECT_EQ(read, 1000u);
    EXPECT_EQ(buffer[0], 0x36);  // U+0436 little-endian
    EXPECT_EQ(buffer[1], 0x04);
    ASSERT_EQ(stream->Read(buffer.data(), 1000, &read), S_OK);
    EXPECT_EQ(read, 200u);
}

TEST_F(MessageStoreTest, CreatedFoldersMessagesAndRecipientsPersist) {
    Logon();
    MapiPtr<IMAPIFolder> inbox, again, sameName;
    ASSERT_EQ(topFolder_->CreateFolder(FOLDER_GENERIC, u"Inbox", nullptr, nullptr,
                                       MAPI_UNICODE | OPEN_IF_EXISTS, inbox),
              S_OK);
    ASSERT_EQ(topFolder_->CreateFolder(FOLDER_GENERIC, u"INBOX", nullptr, nullptr,
                                       MAPI_UNICODE | OPEN_IF_EXISTS, again),
              S_OK);
    EXPECT_EQ(topFolder_->CreateFolder(FOLDER_GENERIC, u"Inbox", nullptr, nullptr, MAPI_UNICODE,
                                       sameName),
              MAPI_E_COLLISION);
    EXPECT_EQ(
        topFolder_->CreateFolder(FOLDER_GENERIC, u"", nullptr, nullptr, OPEN_IF_EXISTS, sameName),
        MAPI_E_INVALID_PARAMETER);
    std::vector<SPropValue> a, b;
    inbox->GetProps({PR_ENTRYID}, 0, a);
    again->GetProps({PR_ENTRYID}, 0, b);
    EXPECT_EQ(a[0].bin, b[0].bin);

    MapiPtr<IMessage> message;
    ASSERT_EQ(inbox->CreateMessage(nullptr, 0, message), S_OK);
    ASSERT_EQ(message->SetProps(
                  {TextProp(PR_SUBJECT_W, u"Hej \"du\",\nrad 2 🎉"),
                   LongProp(PR_MESSAGE_STATUS, MSGSTATUS_RECTYPE_SMS),
                   TimeProp(PR_LAST_MODIFICATION_TIME, FileTimeFromUint64(134000000000000000ull))}),
              S_OK);
    SPropValue unsupported;
    unsupported.ulPropTag = 0x12340005;  // PT_DOUBLE: not kept, and nothing of the call stays
    EXPECT_EQ(message->SetProps({TextProp(PR_SENDER_NAME_W, u"x"), unsupported}), MAPI_E_BAD_VALUE);
    ADRLIST list = {
        {{LongProp(PR_RECIPIENT_TYPE, MAPI_TO), TextProp(PR_ADDRTYPE_W, u"SMS"),
          TextProp(PR_EMAIL_ADDRESS_W, u"+111"), TextProp(PR_DISPLAY_NAME_W, u"Anna")}}};
    ASSERT_EQ(message->ModifyRecipients(MODRECIP_ADD, list), S_OK);
    EXPECT_EQ(message->ModifyRecipients(4, list), MAPI_E_NO_SUPPORT);
    message.reset();
    inbox.reset();
    again.reset();

    // A new session sees exactly what was written.
    auto folders = LogonAgain();
    ASSERT_EQ(folders.size(), 1u);
    MapiPtr<IMAPITable> contents;
    ASSERT_EQ(folders[0]->GetContentsTable(0, contents), S_OK);
    std::vector<std::size_t> batches;
    auto stored = OpenMessage(ListTable(*contents, batches).at(0));
    std::vector<SPropValue> values;
    EXPECT_EQ(
        stored->GetProps({PR_SUBJECT_W, PR_LAST_MODIFICATION_TIME, PR_SENDER_NAME_W}, 0, values),
        MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(values[0].lpszW, u"Hej \"du\",\nrad 2 🎉");
    EXPECT_EQ(FileTimeToUint64(values[1].ft), 134000000000000000ull);
    EXPECT_EQ(PROP_TYPE(values[2].ulPropTag), PT_ERROR);
    MapiPtr<IMAPITable> recipients;
    ASSERT_EQ(stored->GetRecipientTable(0, recipients), S_OK);
    SRowSet rows;
    ASSERT_EQ(recipients->QueryRows(1, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].lpProps.size(), 4u);
    EXPECT_EQ(rows[0].lpProps[0].l, static_cast<LONG>(MAPI_TO));
    EXPECT_EQ(rows[0].lpProps[2].lpszW, u"+111");
    EXPECT_EQ(rows[0].lpProps[3].lpszW, u"Anna");
}

TEST_F(MessageStoreTest, IdentifiersAreCheckedWholeAndNeverCut) {
    Logon();
    std::vector<SPropValue> values;
    ASSERT_EQ(topFolder_->GetProps({PR_ENTRYID}, 0, values), S_OK);
    EntryId id = values[0].bin;
    ASSERT_EQ(id.size(), kEntryIdSize);
    MapiEntry entry;
    EntryId cut(id.begin(), id.begin() + 20);
    EXPECT_EQ(store_->OpenEntry(cut, nullptr, 0, entry), MAPI_E_INVALID_ENTRYID);

    // The same identifier from another phone names nothing here.
    MakePhone(SimSetup{});
    std::string error;
    ASSERT_TRUE(SmsTopFolder(*Db(), error));
    MapiPtr<IMAPISession> other;
    ASSERT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, other), S_OK);
    MapiPtr<IMAPITable> stores;
    ASSERT_EQ(other->GetMsgStoresTable(0, stores), S_OK);
    SRowSet rows;
    ASSERT_EQ(stores->QueryRows(1, 0, rows), S_OK);
    MapiPtr<IMsgStore> otherStore;
    ASSERT_EQ(other->OpenMsgStore(0, rows.at(0).lpProps.at(1).bin, nullptr, 0, otherStore), S_OK);
    EXPECT_EQ(otherStore->OpenEntry(id, nullptr, 0, entry), MAPI_E_INVALID_ENTRYID);
}

}  // namespace

namespace {

// Messages of two folders created in turns, so each folder's rows interleave with the other's.
class ReadOrderTest : public MessageStoreTest {
  protected:
    static constexpr int kEach = 30;

    void Fill() {
        for (const char16_t* name : {u"A", u"B"}) {
            MapiPtr<IMAPIFolder> folder;
            ASSERT_EQ(topFolder_->CreateFolder(FOLDER_GENERIC, name, nullptr, nullptr, MAPI_UNICODE,
                                               folder),
                      S_OK);
            folders_.push_back(folder);
        }
        for (int i = 0; i < kEach; ++i) {
            for (std::size_t f = 0; f < 2; ++f) {
                MapiPtr<IMessage> message;
                ASSERT_EQ(folders_[f]->CreateMessage(nullptr, 0, message), S_OK);
                if (i == 7) continue;  // a message without any property
                ASSERT_EQ(message->SetProps({TextProp(PR_SUBJECT_W, Subject(f, i))}), S_OK);
                if (i % 3 == 0) {
                    ADRLIST list = {{{TextProp(PR_EMAIL_ADDRESS_W, Subject(f, i) + u"@")}}};
                    ASSERT_EQ(message->ModifyRecipients(MODRECIP_ADD, list), S_OK);
                }
            }
        }
    }

    // Ends the job that wrote, and starts one that reads, as a backup after a restore would.
    void Reopen() {
        folders_.clear();
        folders_ = LogonAgain();
        ASSERT_EQ(folders_.size(), 2u);
    }

    static std::u16string Subject(std::size_t folder, int i) {
        return (folder == 0 ? u"A" : u"B") + Utf8ToUtf16(std::to_string(i));
    }

    std::vector<EntryId> Contents(std::size_t folder) {
        MapiPtr<IMAPITable> table;
        EXPECT_EQ(folders_[folder]->GetContentsTable(0, table), S_OK);
        std::vector<std::size_t> batches;
        return ListTable(*table, batches);
    }

    // The subject (empty when it has none) and the recipients' addresses of a message.
    static std::pair<std::u16string, std::vector<std::u16string>> Read(IMessage& message) {
        std::vector<SPropValue> values;
        message.GetProps({PR_SUBJECT_W}, 0, values);
        std::u16string subject = values.at(0).ulPropTag == PR_SUBJECT_W ? values[0].lpszW : u"";
        MapiPtr<IMAPITable> table;
        EXPECT_EQ(message.GetRecipientTable(0, table), S_OK);
        std::vector<std::u16string> addresses;
        SRowSet rows;
        while (table->QueryRows(10, 0, rows) == S_OK && !rows.empty())
            for (const SRow& row : rows)
                addresses.push_back(row.lpProps.at(0).lpszW);
        return {subject, addresses};
    }

    void ExpectAsWritten(const EntryId& id, std::size_t folder, int i) {
        auto [subject, addresses] = Read(*OpenMessage(id));
        EXPECT_EQ(subject, i == 7 ? u"" : Subject(folder, i)) << i;
        std::vector<std::u16string> expected;
        if (i % 3 == 0 && i != 7) expected.push_back(Subject(folder, i) + u"@");
        EXPECT_EQ(addresses, expected) << i;
    }

    std::vector<MapiPtr<IMAPIFolder>> folders_;
};

TEST_F(ReadOrderTest, MessagesReadInAnyOrderAreThoseStored) {
    Logon();
    Fill();
    Reopen();
    auto a = Contents(0);
    auto b = Contents(1);
    ASSERT_EQ(a.size(), static_cast<std::size_t>(kEach));
    ASSERT_EQ(b.size(), static_cast<std::size_t>(kEach));
    for (int i = 0; i < kEach; ++i)
        ExpectAsWritten(a[static_cast<std::size_t>(i)], 0, i);
    for (int i = kEach - 1; i >= 0; --i)
        ExpectAsWritten(b[static_cast<std::size_t>(i)], 1, i);
    // Skipping ahead, going back, and the same message twice in a row.
    for (int i : {0, 1, 2, 20, 21, 5, 5, 29, 3})
        ExpectAsWritten(a[static_cast<std::size_t>(i)], 0, i);
    // Folders in turns, message by message.
    for (int i = 0; i < kEach; ++i) {
        ExpectAsWritten(a[static_cast<std::size_t>(i)], 0, i);
        ExpectAsWritten(b[static_cast<std::size_t>(i)], 1, i);
    }
    MapiEntry entry;
    EXPECT_EQ(store_->OpenEntry(MakeEntryId(*Db(), EntryKind::Message, 100000), nullptr, 0, entry),
              MAPI_E_NOT_FOUND);
}

TEST_F(ReadOrderTest, AReadAfterAWriteSeesTheWrite) {
    Logon();
    Fill();
    Reopen();
    auto a = Contents(0);
    for (int i = 0; i < 6; ++i)
        ExpectAsWritten(a[static_cast<std::size_t>(i)], 0, i);

    // A second session of the same job changes a message the first has passed and messages it
    // is about to open, and commits.
    auto firstStore = store_;
    auto firstSession = session_;
    Logon();
    for (std::size_t i : {2u, 6u, 7u, 8u}) {
        auto message = OpenMessage(a[i]);
        ASSERT_EQ(message->SetProps({TextProp(PR_SUBJECT_W, u"changed")}), S_OK);
        ADRLIST list = {{{TextProp(PR_EMAIL_ADDRESS_W, u"new@")}}};
        ASSERT_EQ(message->ModifyRecipients(MODRECIP_ADD, list), S_OK);
    }
    ASSERT_EQ(session_->Logoff(0, 0, 0), S_OK);

    store_ = firstStore;
    for (std::size_t i : {6u, 7u, 8u, 9u, 10u, 2u}) {
        if (i == 9 || i == 10) {
            ExpectAsWritten(a[i], 0, static_cast<int>(i));
            continue;
        }
        auto [subject, addresses] = Read(*OpenMessage(a[i]));
        EXPECT_EQ(subject, u"changed") << i;
        ASSERT_FALSE(addresses.empty()) << i;
        EXPECT_EQ(addresses.back(), u"new@") << i;
    }
}

}  // namespace
