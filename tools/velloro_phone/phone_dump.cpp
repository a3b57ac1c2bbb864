#include "phone_dump.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <string>
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

std::optional<Json> DumpSim(PhoneDb& db) {
    Json sim = Json::object();
    auto info = db.Prepare("SELECT slots, name_max, number_max FROM sim WHERE id = 1");
    if (info == nullptr) return std::nullopt;
    if (!info->Step()) return info->ok() ? std::optional<Json>(sim) : std::nullopt;
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
    if (list == nullptr || !list->ok()) return std::nullopt;
    sim["entries"] = std::move(entries);
    return sim;
}

std::optional<Json> DumpContacts(PhoneDb& db) {
    Json contacts = Json::array();
    auto list = db.Prepare("SELECT " + ContactColumnList() + " FROM contacts ORDER BY id");
    while (list != nullptr && list->Step()) {
        Json contact = Json::object();
        for (std::size_t i = 0; i < kContactFieldCount; ++i) {
            int column = static_cast<int>(i);
            if (!list->IsNull(column))
                contact[Utf8(kContactProperties[i].field)] = Utf8(list->Text16(column));
        }
        contacts.push_back(std::move(contact));
    }
    if (list == nullptr || !list->ok()) return std::nullopt;
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

std::optional<Json> DumpMessage(PhoneDb& db, std::int64_t id) {
    std::vector<StoredProp> props;
    if (LoadMessage(db, id, props) == RowRead::Failed) return std::nullopt;
    auto recipientRows = LoadRecipientRows(db, id);
    if (!recipientRows) return std::nullopt;
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
    for (const SRow& row : *recipientRows) {
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

std::string Indent(int level) {
    return std::string(static_cast<std::size_t>(std::min(level, kMaxDumpIndentLevel)) * 2, ' ');
}

// value as dump(2) prints it, every line after the first moved right to level.
void WriteIndented(std::ostream& out, const Json& value, int level) {
    std::string text = value.dump(2);
    std::string pad = Indent(level);
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out << std::string_view(text).substr(start, nl + 1 - start) << pad;
    out << std::string_view(text).substr(start);
}

// Writes a folder's name and messages and opens its "folders" array; its subfolders are
// listed into children. Leaves the array open ("[") unless it is empty ("[]").
bool OpenFolder(std::ostream& out, PhoneDb& db, std::int64_t id, std::u16string_view name,
                int level, std::vector<FolderRow>& children) {
    auto messages = FolderMessages(db, id);
    auto subfolders = ChildFolders(db, id);
    if (!messages || !subfolders) return false;
    std::string inner = Indent(level + 1);
    out << "{\n"
        << inner << "\"name\": " << Json(Utf8(name)).dump() << ",\n"
        << inner << "\"messages\": ";
    if (messages->empty()) {
        out << "[]";
    } else {
        out << "[\n";
        for (std::size_t i = 0; i < messages->size(); ++i) {
            auto message = DumpMessage(db, (*messages)[i]);
            if (!message) return false;
            out << Indent(level + 2);
            WriteIndented(out, *message, level + 2);
            out << (i + 1 < messages->size() ? ",\n" : "\n");
        }
        out << inner << "]";
    }
    out << ",\n" << inner << "\"folders\": " << (subfolders->empty() ? "[]" : "[\n");
    children = std::move(*subfolders);
    return true;
}

void CloseFolder(std::ostream& out, int level, bool hadChildren) {
    if (hadChildren) out << "\n" << Indent(level + 1) << "]";
    out << "\n" << Indent(level) << "}";
}

// The folder tree as DumpFolder once printed it, walked with a stack of open folders.
bool WriteFolderTree(std::ostream& out, PhoneDb& db, std::int64_t top, std::u16string_view name,
                     int level) {
    struct Open {
        std::vector<FolderRow> children;
        std::size_t next = 0;
        int level = 0;
    };
    std::vector<Open> stack(1);
    stack[0].level = level;
    if (!OpenFolder(out, db, top, name, level, stack[0].children)) return false;
    while (!stack.empty()) {
        Open& folder = stack.back();
        if (folder.next == folder.children.size()) {
            CloseFolder(out, folder.level, !folder.children.empty());
            stack.pop_back();
            continue;
        }
        if (folder.next > 0) out << ",\n";
        FolderRow child = std::move(folder.children[folder.next++]);
        int childLevel = folder.level + 2;
        out << Indent(childLevel);
        Open opened;
        opened.level = childLevel;
        if (!OpenFolder(out, db, child.id, child.name, childLevel, opened.children)) return false;
        stack.push_back(std::move(opened));  // folder is not used after this
    }
    return true;
}

std::optional<Json> DumpRegistry(PhoneDb& db) {
    auto entries = ListRegistry(db);
    if (!entries) return std::nullopt;
    Json registry = Json::array();
    for (const RegistryEntry& e : *entries) {
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

bool WritePhoneDump(std::ostream& out, PhoneDb& db) {
    auto sim = DumpSim(db);
    auto contacts = DumpContacts(db);
    auto stores = ListStores(db);
    if (!sim || !contacts || !stores) return false;
    out << "{\n  \"sim\": ";
    WriteIndented(out, *sim, 1);
    out << ",\n  \"contacts\": ";
    WriteIndented(out, *contacts, 1);
    out << ",\n  \"stores\": " << (stores->empty() ? "[]" : "[\n");
    for (std::size_t i = 0; i < stores->size(); ++i) {
        const StoreRow& store = (*stores)[i];
        auto top = FindFolder(db, store.topFolder);
        out << "    {\n      \"name\": " << Json(Utf8(store.name)).dump() << ",\n      \"top\": ";
        if (!WriteFolderTree(out, db, store.topFolder, top ? top->name : u"", 3)) return false;
        out << "\n    }" << (i + 1 < stores->size() ? ",\n" : "\n  ]");
    }
    auto registry = DumpRegistry(db);
    if (!registry) return false;
    out << ",\n  \"registry\": ";
    WriteIndented(out, *registry, 1);
    out << "\n}";
    return true;
}
