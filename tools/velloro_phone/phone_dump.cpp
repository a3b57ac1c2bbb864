#include "phone_dump.h"

#include <vector>

#include "platform/contact_properties.h"
#include "platform/little_endian.h"
#include "platform/mapi_types.h"
#include "platform/phone/message_rows.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/registry_rows.h"
#include "platform/text.h"

using Json = nlohmann::ordered_json;

namespace {

std::string Utf8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

Json DumpSim(PhoneDb& db) {
    Json sim = Json::object();
    auto info = db.Prepare("SELECT slots, name_max, number_max FROM sim WHERE id = 1");
    if (info == nullptr || !info->Step()) return sim;
    sim["slots"] = info->Int(0);
    sim["nameMax"] = info->Int(1);
    sim["numberMax"] = info->Int(2);
    Json entries = Json::array();
    auto list = db.Prepare("SELECT slot, name, number FROM sim_entries ORDER BY slot");
    while (list != nullptr && list->Step()) {
        Json entry = {{"slot", list->Int(0)}};
        if (!list->Text16(1).empty()) entry["name"] = Utf8(list->Text16(1));
        if (!list->Text16(2).empty()) entry["number"] = Utf8(list->Text16(2));
        entries.push_back(std::move(entry));
    }
    sim["entries"] = std::move(entries);
    return sim;
}

Json DumpContacts(PhoneDb& db) {
    std::string columns;
    for (const ContactProperty& p : kContactProperties)
        columns += (columns.empty() ? "" : ", ") + Utf8(p.property);
    std::string sql = "SELECT " + columns + " FROM contacts ORDER BY id";
    Json contacts = Json::array();
    auto list = db.Prepare(sql.c_str());
    while (list != nullptr && list->Step()) {
        Json contact = Json::object();
        for (std::size_t i = 0; i < kContactFieldCount; ++i) {
            int column = static_cast<int>(i);
            if (!list->IsNull(column))
                contact[Utf8(kContactProperties[i].field)] = Utf8(list->Text16(column));
        }
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

const SPropValue* Find(const std::vector<StoredProp>& props, ULONG tag) {
    for (const StoredProp& p : props)
        if (p.value.ulPropTag == tag) return &p.value;
    return nullptr;
}

const SPropValue* Find(const std::vector<SPropValue>& props, ULONG tag) {
    for (const SPropValue& p : props)
        if (p.ulPropTag == tag) return &p;
    return nullptr;
}

Json DumpMessage(PhoneDb& db, std::int64_t id) {
    std::vector<StoredProp> props = LoadMessageProps(db, id);
    Json message = Json::object();
    auto text = [&](const char* key, ULONG tag) {
        if (const SPropValue* v = Find(props, tag)) message[key] = Utf8(v->lpszW);
    };
    auto time = [&](const char* key, ULONG tag) {
        if (const SPropValue* v = Find(props, tag)) message[key] = FileTimeToIso8601(v->ft);
    };
    auto number = [&](const char* key, ULONG tag) {
        if (const SPropValue* v = Find(props, tag)) message[key] = static_cast<std::uint32_t>(v->l);
    };
    text("subject", PR_SUBJECT_W);
    text("body", PR_BODY_W);
    text("senderAddress", PR_SENDER_EMAIL_ADDRESS_W);
    text("senderName", PR_SENDER_NAME_W);
    time("delivered", PR_MESSAGE_DELIVERY_TIME);
    time("modified", PR_LAST_MODIFICATION_TIME);
    number("size", PR_MESSAGE_SIZE);
    number("flags", PR_MESSAGE_FLAGS);
    text("class", PR_MESSAGE_CLASS_W);
    number("status", PR_MESSAGE_STATUS);
    Json recipients = Json::array();
    for (const SRow& row : LoadRecipientRows(db, id)) {
        Json recipient = Json::object();
        if (const SPropValue* v = Find(row.lpProps, PR_RECIPIENT_TYPE))
            recipient["type"] = static_cast<std::uint32_t>(v->l);
        if (const SPropValue* v = Find(row.lpProps, PR_ADDRTYPE_W))
            recipient["addrType"] = Utf8(v->lpszW);
        if (const SPropValue* v = Find(row.lpProps, PR_EMAIL_ADDRESS_W))
            recipient["address"] = Utf8(v->lpszW);
        if (const SPropValue* v = Find(row.lpProps, PR_DISPLAY_NAME_W))
            recipient["name"] = Utf8(v->lpszW);
        recipients.push_back(std::move(recipient));
    }
    if (!recipients.empty()) message["recipients"] = std::move(recipients);
    return message;
}

Json DumpFolder(PhoneDb& db, std::int64_t id, std::u16string_view name) {
    Json folder = {{"name", Utf8(name)}};
    Json messages = Json::array();
    for (std::int64_t message : FolderMessages(db, id))
        messages.push_back(DumpMessage(db, message));
    folder["messages"] = std::move(messages);
    Json folders = Json::array();
    for (const FolderRow& child : ChildFolders(db, id))
        folders.push_back(DumpFolder(db, child.id, child.name));
    folder["folders"] = std::move(folders);
    return folder;
}

Json DumpRegistry(PhoneDb& db) {
    Json registry = Json::array();
    for (const RegistryEntry& e : ListRegistry(db)) {
        Json entry = {{"key", Utf8(e.key)}, {"name", Utf8(e.name)}, {"type", e.value.type}};
        if (e.value.type == 4 && e.value.data.size() == 4) {
            entry["value"] = DecodeFixed32(e.value.data.data());
        } else {
            std::string hex;
            for (std::uint8_t byte : e.value.data) {
                static const char kDigits[] = "0123456789abcdef";
                hex += kDigits[byte >> 4];
                hex += kDigits[byte & 15];
            }
            entry["value"] = hex;
        }
        registry.push_back(std::move(entry));
    }
    return registry;
}

}  // namespace

Json DumpPhone(PhoneDb& db) {
    Json stores = Json::array();
    for (const StoreRow& store : ListStores(db)) {
        auto top = FindFolder(db, store.topFolder);
        stores.push_back({{"name", Utf8(store.name)},
                          {"top", DumpFolder(db, store.topFolder, top ? top->name : u"")}});
    }
    Json phone = Json::object();
    phone["sim"] = DumpSim(db);
    phone["contacts"] = DumpContacts(db);
    phone["stores"] = std::move(stores);
    phone["registry"] = DumpRegistry(db);
    return phone;
}
