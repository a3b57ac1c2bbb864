#include "platform/phone/phone_editor.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/little_endian.h"
#include "platform/phone/message_rows.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/registry_rows.h"
#include "platform/text.h"

namespace {

constexpr std::uint32_t kRegDword = 4;

bool Fail(std::string& error, std::string text) {
    error = std::move(text);
    return false;
}

bool WriteSim(PhoneDb& db, const SimSetup& sim) {
    auto put = db.Prepare(
        "INSERT OR REPLACE INTO sim(id, slots, name_max, number_max) VALUES (1, ?, ?, ?)");
    if (put == nullptr) return false;
    put->Bind(1, std::int64_t{sim.slots})
        .Bind(2, std::int64_t{sim.nameMax})
        .Bind(3, std::int64_t{sim.numberMax});
    put->Step();
    return put->ok();
}

void RemoveWithJournal(const std::string& path) {
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    std::remove(path.c_str());
}

}  // namespace

bool CreatePhoneFile(const std::string& path, const SimSetup& sim, bool demo, bool replace,
                     std::string& error) {
    struct stat info {};
    if (!replace && stat(path.c_str(), &info) == 0) return Fail(error, path + " already exists");
    if (sim.slots < 0 || sim.nameMax < 0 || sim.numberMax < 0)
        return Fail(error, "SIM sizes cannot be negative");
    std::string temp = path + ".new-" + std::to_string(getpid());
    RemoveWithJournal(temp);
    {
        auto db = CreatePhoneDb(temp, error);
        if (!db) return false;
        Transaction tx(*db);
        bool ok = tx.ok() && WriteSim(*db, sim) && (!demo || FillDemoPhone(*db, error));
        if (!ok || !tx.Commit()) {
            if (error.empty()) error = "cannot write the phone " + temp;
            db.reset();
            RemoveWithJournal(temp);
            return false;
        }
        // Folding the journal back lets the finished phone move as one file.
        db->Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        db->Exec("PRAGMA journal_mode=DELETE");
    }
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    int rc = replace ? std::rename(temp.c_str(), path.c_str())
                     : renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    if (rc != 0) {
        RemoveWithJournal(temp);
        return Fail(error, "cannot create the phone " + path);
    }
    return true;
}

bool AddSimEntry(PhoneDb& db, int slot, std::u16string_view name, std::u16string_view number,
                 std::string& error) {
    Transaction tx(db);
    auto sim = db.Prepare("SELECT slots, name_max, number_max FROM sim WHERE id = 1");
    if (!tx.ok() || sim == nullptr || !sim->Step()) return Fail(error, "the phone has no SIM");
    std::int64_t slots = sim->Int(0);
    // The card refuses what it cannot hold, here as through the SIM manager.
    if (static_cast<std::int64_t>(name.size()) > sim->Int(1))
        return Fail(error, "the name is longer than the SIM's " + std::to_string(sim->Int(1)) +
                               " characters");
    if (static_cast<std::int64_t>(number.size()) > sim->Int(2))
        return Fail(error, "the number is longer than the SIM's " + std::to_string(sim->Int(2)) +
                               " characters");
    if (slot == 0) {
        auto used = db.Prepare("SELECT slot FROM sim_entries ORDER BY slot");
        if (used == nullptr) return Fail(error, "cannot read the SIM");
        std::int64_t next = 1;
        while (used->Step() && used->Int(0) == next)
            ++next;
        if (!used->ok()) return Fail(error, "cannot read the SIM");
        if (next > slots) return Fail(error, "the SIM is full");
        slot = static_cast<int>(next);
    }
    if (slot < 1 || slot > slots)
        return Fail(error, "slot " + std::to_string(slot) + " is not between 1 and " +
                               std::to_string(slots));
    auto put = db.Prepare("INSERT INTO sim_entries(slot, name, number) VALUES (?, ?, ?)");
    if (put == nullptr) return Fail(error, "cannot write the SIM");
    put->Bind(1, std::int64_t{slot}).Bind(2, name).Bind(3, number);
    put->Step();
    if (!put->ok()) return Fail(error, "slot " + std::to_string(slot) + " is already used");
    return tx.Commit() || Fail(error, "cannot write the SIM");
}

bool AddContact(PhoneDb& db, const ContactFields& fields, std::string& error) {
    auto insert = db.Prepare(ContactInsertSql());
    if (insert == nullptr) return Fail(error, "cannot write the contacts");
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        int column = static_cast<int>(i) + 1;
        if (fields[i]) {
            insert->Bind(column, std::u16string_view(*fields[i]));
        } else {
            insert->BindNull(column);
        }
    }
    insert->Step();
    return insert->ok() || Fail(error, "cannot write the contacts");
}

std::optional<std::int64_t> AddStore(PhoneDb& db, std::u16string_view name, std::string& error) {
    Transaction tx(db);
    auto store = tx.ok() ? InsertStore(db, name) : std::nullopt;
    if (!store || !tx.Commit()) {
        error = "cannot create the message store";
        return std::nullopt;
    }
    return store;
}

std::optional<std::int64_t> SmsTopFolder(PhoneDb& db, std::string& error) {
    auto stores = ListStores(db);
    if (!stores) {
        error = "cannot read the message stores";
        return std::nullopt;
    }
    for (const StoreRow& store : *stores) {
        if (EqualsIgnoreCase(store.name, u"sms") ||
            EqualsIgnoreCase(store.name, u"Text Messages") ||
            EqualsIgnoreCase(store.name, u"txt")) {
            return store.topFolder;
        }
    }
    auto store = AddStore(db, u"SMS", error);
    if (!store) return std::nullopt;
    auto row = FindStore(db, *store);
    if (!row) return std::nullopt;
    return row->topFolder;
}

std::optional<std::int64_t> AddFolderPath(PhoneDb& db, std::int64_t parent,
                                          const std::vector<std::u16string>& path,
                                          std::string& error) {
    Transaction tx(db);
    auto top = FindFolder(db, parent);
    if (!tx.ok() || !top) {
        error = "no such folder";
        return std::nullopt;
    }
    std::int64_t current = parent;
    for (const std::u16string& level : path) {
        if (level.empty()) {
            error = "a folder name cannot be empty";
            return std::nullopt;
        }
        std::optional<std::int64_t> next;
        auto children = ChildFolders(db, current);
        if (!children) {
            error = "cannot read the folders";
            return std::nullopt;
        }
        for (const FolderRow& child : *children)
            if (EqualsIgnoreCase(child.name, level)) next = child.id;
        if (!next) next = InsertFolder(db, top->storeId, current, level);
        if (!next) {
            error = "cannot create the folder";
            return std::nullopt;
        }
        current = *next;
    }
    if (!tx.Commit()) {
        error = "cannot create the folder";
        return std::nullopt;
    }
    return current;
}

bool AddMessage(PhoneDb& db, std::int64_t folderId, const PhoneMessageSpec& m, std::string& error) {
    Transaction tx(db);
    auto id = tx.ok() && FindFolder(db, folderId) ? InsertMessage(db, folderId) : std::nullopt;
    if (!id) return Fail(error, "cannot create the message");
    std::vector<std::pair<SPropValue, bool>> props = {
        {TextProp(PR_SUBJECT_W, m.subject), false},
        {TextProp(PR_MESSAGE_CLASS_W, u"IPM.SMStext"), false},
        {LongProp(PR_MESSAGE_STATUS, MSGSTATUS_RECTYPE_SMS), false},
    };
    if (m.body) props.push_back({TextProp(PR_BODY_W, *m.body), m.bodyStreamOnly});
    if (m.senderAddress)
        props.push_back({TextProp(PR_SENDER_EMAIL_ADDRESS_W, *m.senderAddress), false});
    if (m.senderName) props.push_back({TextProp(PR_SENDER_NAME_W, *m.senderName), false});
    if (m.delivered) props.push_back({TimeProp(PR_MESSAGE_DELIVERY_TIME, *m.delivered), false});
    if (m.modified) props.push_back({TimeProp(PR_LAST_MODIFICATION_TIME, *m.modified), false});
    if (m.size) props.push_back({LongProp(PR_MESSAGE_SIZE, *m.size), false});
    if (m.flags) props.push_back({LongProp(PR_MESSAGE_FLAGS, *m.flags), false});
    for (const auto& [value, streamOnly] : props)
        if (!PutMessageProp(db, *id, value, streamOnly))
            return Fail(error, "cannot write the message");
    for (const MessageRecipientSpec& to : m.to) {
        std::vector<SPropValue> row = {
            LongProp(PR_RECIPIENT_TYPE, MAPI_TO), TextProp(PR_ADDRTYPE_W, u"SMS"),
            TextProp(PR_EMAIL_ADDRESS_W, to.address), TextProp(PR_DISPLAY_NAME_W, to.name)};
        if (!AppendRecipientRow(db, *id, row)) return Fail(error, "cannot write the message");
    }
    return tx.Commit() || Fail(error, "cannot write the message");
}

bool SetRegistryDword(PhoneDb& db, std::u16string_view key, std::u16string_view name,
                      std::uint32_t value, std::string& error) {
    auto path = NormalizeRegistryPath(key);
    if (!path) return Fail(error, "not a registry key: " + Utf16ToUtf8(key));
    Transaction tx(db);
    bool created = false;
    auto id = tx.ok() ? CreateRegistryKey(db, *path, created) : std::nullopt;
    RegistryValue data{kRegDword, std::vector<std::uint8_t>(4)};
    EncodeFixed32(data.data.data(), value);
    if (!id || !PutRegistryValue(db, *id, name, data) || !tx.Commit())
        return Fail(error, "cannot write the registry");
    return true;
}

bool DeleteRegistryEntry(PhoneDb& db, std::u16string_view key,
                         const std::optional<std::u16string>& name, std::string& error) {
    auto path = NormalizeRegistryPath(key);
    if (!path) return Fail(error, "not a registry key: " + Utf16ToUtf8(key));
    Transaction tx(db);
    auto id = tx.ok() ? FindRegistryKey(db, *path) : std::nullopt;
    if (!id) return Fail(error, "no registry key " + Utf16ToUtf8(*path));
    if (name) {
        bool deleted = false;
        if (!DeleteRegistryValue(db, *id, *name, deleted))
            return Fail(error, "cannot write the registry");
        if (!deleted) return Fail(error, "no registry value " + Utf16ToUtf8(*name));
    } else if (!DeleteRegistryKeyTree(db, *path)) {
        return Fail(error, "cannot write the registry");
    }
    return tx.Commit() || Fail(error, "cannot write the registry");
}
