#include "platform/contact_database.h"

#include "phone_fixture.h"

namespace {

constexpr int kFirstName = 32;  // getter slots of the property table
constexpr int kLastName = 34;
constexpr int kWorkPhone = 16;

class ContactDatabaseTest : public PhoneTest {
  protected:
    void TearDown() override {
        Close();
        PhoneTest::TearDown();
    }

    void Close() {
        items_.reset();
        folder_.reset();
        if (app_) app_->Logoff();
        app_.reset();
        for (; comStarts_ > 0; --comStarts_)
            CoUninitialize();
    }

    void Open() {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        ++comStarts_;
        ASSERT_EQ(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IPOutlookApp, app_),
                  S_OK);
        ASSERT_EQ(app_->Logon(nullptr), S_OK);
        ASSERT_EQ(app_->GetDefaultFolder(olFolderContacts, folder_), S_OK);
        ASSERT_EQ(folder_->get_Items(items_), S_OK);
    }

    void Add(std::u16string_view first, std::u16string_view last) {
        ComPtr<IContact> contact;
        ASSERT_EQ(items_->Add(contact), S_OK);
        ASSERT_EQ(contact->SetProperty(kFirstName + 50, first), S_OK);
        ASSERT_EQ(contact->SetProperty(kLastName + 50, last), S_OK);
        ASSERT_EQ(contact->Save(), S_OK);
    }

    int Count() {
        int count = -1;
        EXPECT_EQ(items_->get_Count(&count), S_OK);
        return count;
    }

    ComPtr<IPOutlookApp> app_;
    ComPtr<IFolder> folder_;
    ComPtr<IPOutlookItemCollection> items_;
    int comStarts_ = 0;
};

TEST_F(ContactDatabaseTest, SavedItemsKeepTheirOrderAndFieldsAndAreFetchedFromOne) {
    Open();
    EXPECT_EQ(Count(), 0);
    Add(u"Anna", u"");
    Add(u"Bo", u"Lind");
    Add(u"Чжан", u"王");
    ComPtr<IContact> item;
    ASSERT_EQ(items_->Item(1, item), S_OK);
    std::optional<std::u16string> value = u"stale";
    ASSERT_EQ(item->GetProperty(kWorkPhone, value), S_OK);
    EXPECT_FALSE(value);
    ASSERT_EQ(item->GetProperty(kLastName, value), S_OK);
    EXPECT_EQ(value, std::u16string());  // set, though empty
    EXPECT_EQ(item->GetProperty(kFirstName + 50, value), E_INVALIDARG);
    EXPECT_EQ(item->SetProperty(kFirstName, u"x"), E_INVALIDARG);
    EXPECT_EQ(item->GetProperty(52, value), E_INVALIDARG);
    // Saving a fetched item updates it in place.
    ASSERT_EQ(item->SetProperty(kWorkPhone + 50, u"+4681"), S_OK);
    ASSERT_EQ(item->Save(), S_OK);

    // A later operation, on a fresh connection, sees the same items in the same order.
    Close();
    Open();
    ASSERT_EQ(Count(), 3);
    const char16_t* expected[] = {u"Anna", u"Bo", u"Чжан"};
    for (int index = 1; index <= 3; ++index) {
        ASSERT_EQ(items_->Item(index, item), S_OK);
        ASSERT_EQ(item->GetProperty(kFirstName, value), S_OK);
        EXPECT_EQ(value, std::u16string(expected[index - 1]));
    }
    ASSERT_EQ(items_->Item(1, item), S_OK);
    item->GetProperty(kWorkPhone, value);
    EXPECT_EQ(value, std::u16string(u"+4681"));
    ComPtr<IContact> none;
    EXPECT_EQ(items_->Item(0, none), E_INVALIDARG);
    EXPECT_EQ(items_->Item(4, none), E_INVALIDARG);
    EXPECT_FALSE(none);
}

TEST_F(ContactDatabaseTest, ObjectModelRefusesCallsOutOfTurn) {
    ComPtr<IPOutlookApp> app;
    EXPECT_EQ(
        CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, app),
        CO_E_NOTINITIALIZED);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ++comStarts_;
    EXPECT_EQ(
        CoCreateInstance(IID_IPOutlookApp, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, app),
        E_NOINTERFACE);
    ASSERT_EQ(
        CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, app),
        S_OK);
    ComPtr<IFolder> folder;
    EXPECT_EQ(app->GetDefaultFolder(olFolderContacts, folder), E_UNEXPECTED);
    EXPECT_EQ(app->Logoff(), E_UNEXPECTED);
    ASSERT_EQ(app->Logon(nullptr), S_OK);
    EXPECT_EQ(app->GetDefaultFolder(9, folder), E_INVALIDARG);
    EXPECT_EQ(app->Logoff(), S_OK);
}

}  // namespace
