#include "contacts/contact_list.h"

#include <gtest/gtest.h>

#include "contact_fixtures.h"

namespace {

PhoneContactTexts EmptyTexts() {
    PhoneContactTexts texts;
    texts.fill(u"");
    return texts;
}

}  // namespace

TEST(ContactList, EachMemberSitsWhereThePropertyTableNamesIt) {
    // The database's renamed fields too.
    ContactList list;
    InitContactList(list);
    PhoneContactTexts names;
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        names[i] = kContactProperties[i].field;
    ASSERT_EQ(AddPhoneContact(list, names), kContactAdded);
    const PhoneContactRecord& added = *PhoneContactAt(list, 1);
    EXPECT_EQ(added.title, u"Title");
    EXPECT_EQ(added.department, u"Department");
    EXPECT_EQ(added.workTelephoneNumber, u"WorkTelephoneNumber");
    EXPECT_EQ(added.work2TelephoneNumber, u"Work2TelephoneNumber");
    EXPECT_EQ(added.workFaxNumber, u"WorkFaxNumber");
    EXPECT_EQ(added.radioTelephoneNumber, u"RadioTelephoneNumber");
    EXPECT_EQ(added.workAddressCountry, u"WorkAddressCountry");
    EXPECT_EQ(added.categories, u"Categories");
    EXPECT_EQ(TextsOf(added), names);
}

TEST(ContactList, EmptyTextsBecomeAbsentAndAbsentArgumentsAddNothing) {
    ContactList list;
    InitContactList(list);
    EXPECT_EQ(AddSimContact(list, std::u16string_view(), u"1"), kContactArgumentAbsent);
    EXPECT_EQ(AddSimContact(list, u"A", std::u16string_view()), kContactArgumentAbsent);
    PhoneContactTexts texts = EmptyTexts();
    texts[42] = std::u16string_view();
    EXPECT_EQ(AddPhoneContact(list, texts), kContactArgumentAbsent);
    EXPECT_EQ(AddPhoneContact(list, PhoneContactTexts{}), kContactArgumentAbsent);
    EXPECT_EQ(AddSimContact(list, u"", u""), kContactAdded);
    EXPECT_EQ(AddSimContact(list, u" ", u"5550100"), kContactAdded);
    EXPECT_EQ(AddPhoneContact(list, EmptyTexts()), kContactAdded);
    EXPECT_EQ(list.sim, (std::vector<SimContactRecord>{{}, {u" ", u"5550100"}}));
    EXPECT_EQ(list.phone, std::vector<PhoneContactRecord>(1));
}

TEST(ContactList, PositionsAreOneBasedAndListsIndependent) {
    ContactList list;
    InitContactList(list);
    AddSimContact(list, u"A", u"1");
    AddSimContact(list, u"B", u"2");
    AddRecord(list, PhoneRecord({{u"FirstName", u"Bo"}}));
    EXPECT_EQ(SimContactCount(list), 2);
    EXPECT_EQ(PhoneContactCount(list), 1);
    for (int at : {-1, 0, 3})
        EXPECT_EQ(SimContactAt(list, at), nullptr) << at;
    EXPECT_EQ(SimContactAt(list, 1)->name, u"A");
    EXPECT_EQ(SimContactAt(list, 2)->name, u"B");
    EXPECT_EQ(PhoneContactAt(list, 1)->firstName, u"Bo");
    EXPECT_EQ(PhoneContactAt(list, 2), nullptr);

    ClearSimContacts(list);
    EXPECT_EQ(SimContactCount(list), 0);
    EXPECT_EQ(PhoneContactCount(list), 1);
    ClearContactList(list);
    ClearContactList(list);
    EXPECT_EQ(PhoneContactAt(list, 1), nullptr);
    AddSimContact(list, u"C", u"3");
    EXPECT_EQ(SimContactAt(list, 1)->name, u"C");
}
