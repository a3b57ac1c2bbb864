// The demo phone a new user sees: a SIM with a score of entries, forty contacts, 150 SMS over
// several months in the usual folders, and a second store that is not the SMS store.
#include <string>
#include <vector>

#include "platform/mapi_types.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/text.h"

namespace {

struct DemoSimEntry {
    int slot;
    const char* name;
    const char* number;
};
// Slot gaps and a name at the SIM's 14-character limit are what a real card looks like.
constexpr DemoSimEntry kDemoSim[] = {
    {1, "Anna Berg", "+46701234567"},
    {2, "Bo Lind", "5550100"},
    {3, "", "+15550199"},
    {4, "Carla Núñez", "+34600111222"},
    {5, "Dmitri", "+79161234567"},
    {6, "Voicemail", "*86"},
    {7, "Emergency", "112"},
    {9, "Eva Holm", "0701112233"},
    {10, "Frank Office", "+4930123456"},
    {11, "", "0800123456"},
    {12, "Grace Liu", "+8613800138000"},
    {13, "Hanna Ek", "+46709998877"},
    {15, "Ivan Petrov", "+74951234567"},
    {16, "Jonas", "+4712345678"},
    {18, "Kim Pizza", "5550123"},
    {19, "Lena Maria Sv", "+46731112233"},
    {20, "Mika", ""},
    {21, "Nils Dentist", "+4681234567"},
    {23, "Taxi", "+46812000"},
    {25, "王小明", "+8613912345678"},
};

struct DemoContact {
    std::vector<std::pair<const char*, const char*>> fields;
};

// Contacts that each show a different corner: every field in use somewhere, scripts, quotes and
// addresses of several lines.
std::vector<DemoContact> HandMadeContacts() {
    return {
        {{{"FirstName", "Anna"},
          {"LastName", "Berg"},
          {"MobileTelephoneNumber", "+46701234567"},
          {"Email1Address", "anna.berg@example.com"},
          {"Categories", "Family"}}},
        {{{"FirstName", "Bo"},
          {"LastName", "Lind"},
          {"CompanyName", "Lind & Co"},
          {"Department", "Sales"},
          {"JobTitle", "Sales manager"},
          {"WorkTelephoneNumber", "+4681112233"},
          {"WorkFaxNumber", "+4681112234"},
          {"WorkAddressStreet", "Storgatan 1\nPlan 3"},
          {"WorkAddressCity", "Stockholm"},
          {"WorkAddressPostalCode", "111 22"},
          {"WorkAddressCountry", "Sweden"}}},
        {{{"Title", "Dr."},
          {"FirstName", "Carla"},
          {"MiddleName", "Isabel"},
          {"LastName", "Núñez"},
          {"Suffix", "PhD"},
          {"HomeTelephoneNumber", "+34911222333"},
          {"HomeAddressStreet", "Calle Mayor 5\n2º B\nEscalera izquierda"},
          {"HomeAddressCity", "Madrid"},
          {"HomeAddressCountry", "Spain"}}},
        {{{"CompanyName", "Northwind Traders"},
          {"WorkTelephoneNumber", "+15551230000"},
          {"WebPage", "https://northwind.example.com"}}},
        {{{"FirstName", "Дмитрий"},
          {"LastName", "Иванов"},
          {"MobileTelephoneNumber", "+79161234567"},
          {"HomeAddressCity", "Москва"}}},
        {{{"FirstName", "小明"},
          {"LastName", "王"},
          {"MobileTelephoneNumber", "+8613912345678"},
          {"Email1Address", "xiaoming@example.cn"}}},
        {{{"FirstName", "Eva"},
          {"LastName", "Holm"},
          {"MobileTelephoneNumber", "0701112233"},
          {"HomeTelephoneNumber", "081234567"},
          {"Home2TelephoneNumber", "087654321"},
          {"Spouse", "Erik"},
          {"Children", "Ida, Olle"},
          {"Categories", "Friends"}}},
        {{{"FirstName", "Frank"},
          {"LastName", "Meyer"},
          {"CompanyName", "Meyer GmbH"},
          {"OfficeLocation", "Building 4"},
          {"AssistantName", "Greta"},
          {"AssistantTelephoneNumber", "+4930123457"},
          {"PagerNumber", "+4930999"},
          {"CarTelephoneNumber", "+4917012345"},
          {"RadioTelephoneNumber", "+4930555"}}},
    };
}

// More of them: further fields, right-to-left scripts, a quote in a name.
std::vector<DemoContact> MoreHandMadeContacts() {
    return {
        {{{"FirstName", "Grace"},
          {"LastName", "Liu"},
          {"Email1Address", "grace@example.com"},
          {"Email2Address", "grace.liu@work.example.com"},
          {"Email3Address", "gl@example.org"}}},
        {{{"FirstName", "Hanna"},
          {"LastName", "Ek"},
          {"MobileTelephoneNumber", "+46709998877"},
          {"OtherAddressStreet", "Sommarvägen 12\nBox 4"},
          {"OtherAddressCity", "Visby"},
          {"OtherAddressState", "Gotland"},
          {"OtherAddressPostalCode", "621 00"},
          {"OtherAddressCountry", "Sweden"}}},
        {{{"FirstName", "Ivan"},
          {"LastName", "Petrov"},
          {"Work2TelephoneNumber", "+74951234568"},
          {"HomeFaxNumber", "+74951234569"},
          {"HomeAddressState", "Moscow Oblast"},
          {"HomeAddressPostalCode", "101000"}}},
        {{{"FirstName", "יעל"}, {"LastName", "כהן"}, {"MobileTelephoneNumber", "+972501234567"}}},
        {{{"FirstName", "Ahmed"},
          {"LastName", "الحسن"},
          {"MobileTelephoneNumber", "+971501234567"},
          {"JobTitle", "Engineer"}}},
        {{{"FirstName", "Yuki"},
          {"LastName", "田中"},
          {"Email1Address", "yuki@example.jp"},
          {"WorkAddressStreet", "1-2-3 Marunouchi\nChiyoda-ku"},
          {"WorkAddressCity", "東京"},
          {"WorkAddressState", "Tokyo"},
          {"WorkAddressCountry", "Japan"}}},
        {{{"CompanyName", "Pizza \"Kim\""},
          {"WorkTelephoneNumber", "5550123"},
          {"Categories", "Food, Delivery"}}},
    };
}

std::vector<DemoContact> DemoContacts() {
    std::vector<DemoContact> contacts = HandMadeContacts();
    for (DemoContact& more : MoreHandMadeContacts())
        contacts.push_back(std::move(more));
    // The rest are everyday contacts, so the list is long enough to scroll and to time.
    const char* first[] = {"Oskar", "Petra", "Quinn",  "Rosa",  "Sven", "Tove", "Ulf",
                           "Vera",  "Wilma", "Xavier", "Ylva",  "Zoe",  "Adam", "Britt",
                           "Cecil", "Dora",  "Elis",   "Filip", "Gun",  "Hugo", "Iris",
                           "Jon",   "Kaj",   "Lova",   "Moa"};
    const char* last[] = {"Andersson", "Berglund", "Claesson", "Dahl", "Eklund"};
    static std::vector<std::string> numbers;
    numbers.clear();
    for (int i = 0; i < 25; ++i)
        numbers.push_back("+467000" + std::to_string(10000 + i * 37));
    for (int i = 0; i < 25; ++i) {
        DemoContact c{{{"FirstName", first[i]},
                       {"LastName", last[i % 5]},
                       {"MobileTelephoneNumber", numbers[i].c_str()}}};
        if (i % 3 == 0) c.fields.push_back({"Categories", "Work"});
        if (i % 4 == 1) c.fields.push_back({"HomeAddressCity", "Uppsala"});
        contacts.push_back(std::move(c));
    }
    return contacts;
}

const char* const kTexts[] = {
    "Are you coming tonight?",
    "Yes, see you at 8",
    "She said \"maybe\" - we'll see",
    "Milk, eggs, bread, butter",
    "Line one\nLine two\nLine three",
    "Happy birthday! 🎉🎂",
    "Привет! Как дела?",
    "你好，明天见",
    "שלום, מה שלומך?",
    "مرحبا، كيف حالك؟",
    "Running 10 min late, sorry",
    "Call me when you can",
    "The meeting moved to 3pm, room \"Oak\"",
    "OK 👍",
    "Ticket: 4411, gate B12, seat 17C",
};

struct DemoPeer {
    const char* name;
    const char* address;
};
constexpr DemoPeer kPeers[] = {
    {"Anna Berg", "+46701234567"}, {"Bo Lind", "5550100"},       {"Carla Núñez", "+34600111222"},
    {"Дмитрий", "+79161234567"},   {"王小明", "+8613912345678"}, {"", "+15550199"},
};

// 2025-01-06 08:00:00 UTC, as FILETIME ticks.
constexpr std::uint64_t kDemoStart = 133806528000000000ull;
constexpr std::uint64_t kTicksPerHour = 36000000000ull;

FILETIME DemoTime(int i) {
    // Spread across about seven months, at varying hours.
    return FileTimeFromUint64(kDemoStart +
                              kTicksPerHour * static_cast<std::uint64_t>(i * 34 + i % 7));
}

}  // namespace

bool FillDemoPhone(PhoneDb& db, std::string& error) {
    for (const DemoSimEntry& e : kDemoSim)
        if (!AddSimEntry(db, e.slot, U16(e.name), U16(e.number), error)) return false;

    for (const DemoContact& c : DemoContacts()) {
        ContactFields fields;
        for (const auto& [field, value] : c.fields)
            fields[ContactFieldIndex(U16(field))] = U16(value);
        if (!AddContact(db, fields, error)) return false;
    }

    auto top = SmsTopFolder(db, error);
    if (!top) return false;
    std::vector<std::int64_t> folders;
    for (const char16_t* name : {u"Inbox", u"Sent Items", u"Drafts", u"Outbox", u"Deleted Items"}) {
        auto folder = AddFolderPath(db, *top, {name}, error);
        if (!folder) return false;
        folders.push_back(*folder);
    }
    constexpr int kMessages = 150;
    for (int i = 0; i < kMessages; ++i) {
        PhoneMessageSpec m;
        const DemoPeer& peer = kPeers[i % std::size(kPeers)];
        std::u16string text = U16(kTexts[i % std::size(kTexts)]);
        m.size = static_cast<std::uint32_t>(text.size() * 2);
        // Some messages keep their text in the body, a few only as a body stream.
        if (i % 5 == 0) {
            m.body = text;
        } else if (i % 23 == 0) {
            m.body = text;
            m.bodyStreamOnly = true;
        } else {
            m.subject = text;
        }
        std::int64_t folder;
        if (i == 149) {
            folder = folders[2];  // the unsent draft
            m.flags = MSGFLAG_UNSENT;
            m.modified = DemoTime(i);
            m.to.push_back({U16(peer.name), U16(peer.address)});
        } else if (i % 3 == 1) {
            folder = folders[1];
            m.flags = 0;
            m.delivered = DemoTime(i);
            m.to.push_back({U16(peer.name), U16(peer.address)});
            if (i % 9 == 1) m.to.push_back({u"Bo Lind", u"5550100"});
        } else {
            folder = i % 31 == 0 ? folders[4] : folders[0];
            m.flags = 1;  // read
            m.delivered = DemoTime(i);
            m.senderAddress = U16(peer.address);
            m.senderName = U16(peer.name);
        }
        if (!AddMessage(db, folder, m, error)) return false;
    }
    // The registry starts empty, as on a phone where the program never ran.
    return AddStore(db, u"ActiveSync", error).has_value();
}
