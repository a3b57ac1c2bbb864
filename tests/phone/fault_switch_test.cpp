// Each switch must break exactly its own call: with it set, every call before it in a full
// session succeeds and it is the first to fail.
#include <optional>
#include <string>

#include "phone_fixture.h"
#include "platform/contact_database.h"
#include "platform/message_store.h"
#include "platform/registry.h"
#include "platform/sim_manager.h"

namespace {

// Runs every platform call once, in the order the program makes them, and names the first that
// failed (or nothing).
std::optional<std::string> FirstFailingCall() {
    {
        SimConnectionHolder sim;
        if (FAILED(SimInitialize(0, nullptr, 0, sim.Out()))) return "sim.open";
        SIMCAPS caps;
        if (FAILED(SimGetDevCaps(sim.get(), SIM_CAPSTYPE_ALL, &caps))) return "sim.caps";
        DWORD used = 0, total = 0;
        if (FAILED(SimGetPhonebookStatus(sim.get(), SIM_PBSTORAGE_SIM, &used, &total)))
            return "sim.status";
        SIMPHONEBOOKENTRY entry;
        if (FAILED(SimReadPhonebookEntry(sim.get(), SIM_PBSTORAGE_SIM, 1, &entry)))
            return "sim.read";
        entry.lpszText[0] = u'\0';
        if (FAILED(SimWritePhonebookEntry(sim.get(), SIM_PBSTORAGE_SIM, SIM_PBINDEX_FIRSTAVAILABLE,
                                          &entry)))
            return "sim.write";
    }
    {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return "contacts.com";
        struct ComEnd {
            ~ComEnd() { CoUninitialize(); }
        } comEnd;
        ComPtr<IPOutlookApp> app;
        if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IPOutlookApp, app)))
            return "contacts.create";
        if (FAILED(app->Logon(nullptr))) return "contacts.logon";
        ComPtr<IFolder> folder;
        if (FAILED(app->GetDefaultFolder(olFolderContacts, folder))) return "contacts.folder";
        ComPtr<IPOutlookItemCollection> items;
        if (FAILED(folder->get_Items(items))) return "contacts.items";
        ComPtr<IContact> item;
        if (FAILED(items->Item(1, item))) return "contacts.item";
        if (FAILED(items->Add(item))) return "contacts.add";
        item->SetProperty(82, u"New");
        if (FAILED(item->Save())) return "contacts.save";
    }
    {
        MapiPtr<IMAPISession> session;
        if (FAILED(MAPILogonEx(0, nullptr, nullptr, 0, session))) return "sms.logon";
        MapiPtr<IMAPITable> stores;
        if (FAILED(session->GetMsgStoresTable(MAPI_UNICODE, stores))) return "sms.stores";
        SRowSet rows;
        stores->QueryRows(1, 0, rows);
        MapiPtr<IMsgStore> store;
        if (FAILED(session->OpenMsgStore(0, rows.at(0).lpProps.at(1).bin, nullptr, 0, store)))
            return "sms.open";
        std::vector<SPropValue> values;
        if (FAILED(store->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, values))) return "sms.top";
        MapiEntry top;
        if (FAILED(store->OpenEntry(values.at(0).bin, nullptr, 0, top))) return "sms.folder";
        MapiPtr<IMAPITable> contents;
        top.folder->GetContentsTable(0, contents);
        contents->QueryRows(1, 0, rows);
        MapiEntry message;
        if (FAILED(store->OpenEntry(rows.at(0).lpProps.at(0).bin, nullptr, 0, message)))
            return "sms.message";
        MapiPtr<IMAPIFolder> folder;
        if (FAILED(top.folder->CreateFolder(FOLDER_GENERIC, u"Inbox", nullptr, nullptr,
                                            MAPI_UNICODE | OPEN_IF_EXISTS, folder)))
            return "sms.createfolder";
        MapiPtr<IMessage> created;
        if (FAILED(folder->CreateMessage(nullptr, 0, created))) return "sms.createmessage";
        if (FAILED(created->SetProps({TextProp(PR_SUBJECT_W, u"x")}))) return "sms.setprops";
        if (FAILED(
                created->ModifyRecipients(MODRECIP_ADD, {{{TextProp(PR_EMAIL_ADDRESS_W, u"+1")}}})))
            return "sms.recipients";
    }
    {
        RegKeyHolder key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Quorvane\\Velloro", 0, nullptr, 0, 0,
                            nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
            return "registry.open";
        DWORD one = 1;
        if (RegSetValueExW(key.get(), u"Sort", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                           4) != ERROR_SUCCESS)
            return "registry.write";
        if (RegFlushKey(key.get()) != ERROR_SUCCESS) return "phone.commit";
    }
    return std::nullopt;
}

class FaultSwitchTest : public PhoneTest {
  protected:
    void SetUp() override {
        PhoneTest::SetUp();
        std::string error;
        auto db = Db();
        ASSERT_TRUE(AddSimEntry(*db, 1, u"A", u"1", error));
        ContactFields fields;
        fields[1] = u"First";
        ASSERT_TRUE(AddContact(*db, fields, error));
        auto top = SmsTopFolder(*db, error);
        PhoneMessageSpec m;
        m.subject = u"m";
        ASSERT_TRUE(top && AddMessage(*db, *top, m, error)) << error;
    }
};

TEST_F(FaultSwitchTest, EachSwitchBreaksExactlyItsOwnCall) {
    EXPECT_EQ(FirstFailingCall(), std::nullopt);
    for (std::string_view name : kFaultNames) {
        SetFault(name);
        EXPECT_EQ(FirstFailingCall(), std::string(name));
        ASSERT_TRUE(ClearFaultSwitch(*Db(), std::nullopt));
    }
}

TEST_F(FaultSwitchTest, AtKFailsOnlyTheKthCallOfItsKind) {
    SetFault("sms.setprops", 2);
    EXPECT_EQ(FirstFailingCall(), std::nullopt);  // call 1
    EXPECT_EQ(FirstFailingCall(), "sms.setprops");
    EXPECT_EQ(FirstFailingCall(), std::nullopt);  // call 3
    ResetFaultCounters();                         // a new run of a program counts afresh
    EXPECT_EQ(FirstFailingCall(), std::nullopt);
    EXPECT_EQ(FirstFailingCall(), "sms.setprops");
    EXPECT_FALSE(FaultPointByName("sim.delete"));
}

TEST_F(FaultSwitchTest, PositionedSwitchesPickTheSlotOrTheItem) {
    std::string error;
    for (int slot : {2, 3, 4})
        ASSERT_TRUE(AddSimEntry(*Db(), slot, u"S", u"1", error));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(AddContact(*Db(), ContactFields{}, error));
    SetFault("sim.read", 3);
    SetFault("contacts.item", 2);

    SimConnectionHolder sim;
    ASSERT_EQ(SimInitialize(0, nullptr, 0, sim.Out()), S_OK);
    std::vector<DWORD> readable;
    for (DWORD slot = 1; slot <= 5; ++slot) {
        SIMPHONEBOOKENTRY e;
        if (SimReadPhonebookEntry(sim.get(), SIM_PBSTORAGE_SIM, slot, &e) == S_OK)
            readable.push_back(slot);
    }
    EXPECT_EQ(readable, (std::vector<DWORD>{1, 2, 4}));

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, 0)));
    {
        ComPtr<IPOutlookApp> app;
        ASSERT_EQ(CoCreateInstance(CLSID_Application, nullptr, 1, IID_IPOutlookApp, app), S_OK);
        ComPtr<IFolder> folder;
        ComPtr<IPOutlookItemCollection> items;
        ASSERT_EQ(app->Logon(nullptr), S_OK);
        ASSERT_EQ(app->GetDefaultFolder(olFolderContacts, folder), S_OK);
        ASSERT_EQ(folder->get_Items(items), S_OK);
        std::vector<int> fetched;
        for (int index = 1; index <= 4; ++index) {
            ComPtr<IContact> item;
            if (items->Item(index, item) == S_OK) fetched.push_back(index);
        }
        EXPECT_EQ(fetched, (std::vector<int>{1, 3, 4}));
    }
    CoUninitialize();
}

TEST_F(FaultSwitchTest, RefusedWritesLeaveThePhoneAsItWas) {
    SetFault("contacts.save");
    SetFault("registry.write");
    EXPECT_EQ(FirstFailingCall(), "contacts.save");
    auto db = Db();
    auto count = db->Prepare(
        "SELECT (SELECT COUNT(*) FROM contacts), (SELECT COUNT(*) FROM registry_values)");
    ASSERT_TRUE(count && count->Step());
    EXPECT_EQ(count->Int(0), 1);
    EXPECT_EQ(count->Int(1), 0);
}

}  // namespace
