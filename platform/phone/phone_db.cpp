#include "platform/phone/phone_db.h"

#include <sys/stat.h>

#include <random>

#include "platform/contact_properties.h"
#include "platform/text.h"

Statement& Statement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    ok_ = true;
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    ok_ = ok_ && sqlite3_bind_int64(stmt_, index, value) == SQLITE_OK;
    return *this;
}

Statement& Statement::Bind(int index, std::u16string_view text) {
    ok_ = ok_ && sqlite3_bind_text16(stmt_, index, text.data(),
                                     static_cast<int>(text.size() * sizeof(char16_t)),
                                     SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
}

Statement& Statement::Bind(int index, std::string_view utf8) {
    ok_ = ok_ && sqlite3_bind_text(stmt_, index, utf8.data(), static_cast<int>(utf8.size()),
                                   SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
}

Statement& Statement::BindBlob(int index, const std::vector<std::uint8_t>& bytes) {
    // A zero-length blob must stay a blob, not become NULL.
    ok_ = ok_ && sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : (const void*)bytes.data(),
                                   static_cast<int>(bytes.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
}

Statement& Statement::BindNull(int index) {
    ok_ = ok_ && sqlite3_bind_null(stmt_, index) == SQLITE_OK;
    return *this;
}

bool Statement::Step() {
    if (!ok_) return false;
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) ok_ = false;
    return false;
}

namespace {

// The payload bits a UTF-8 lead byte carries, as SQLite reads them.
constexpr std::uint32_t LeadBits(unsigned char lead) {
    if (lead < 0xE0) return lead & 0x1Fu;
    if (lead < 0xF0) return lead & 0x0Fu;
    if (lead < 0xF8) return lead & 0x07u;
    if (lead < 0xFC) return lead & 0x03u;
    return lead < 0xFE ? lead & 0x01u : 0u;
}

}  // namespace

// The same units sqlite3_column_text16 gives, ill-formed bytes included, without the library's
// converted copy: a message read decodes every text column it has.
std::u16string DecodeStoredText(std::string_view bytes) {
    std::u16string units(bytes.size(), u'\0');  // never more units than bytes
    auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = in + bytes.size();
    char16_t* out = units.data();
    while (in < end) {
        std::uint32_t c = *in++;
        if (c >= 0xC0) {
            c = LeadBits(static_cast<unsigned char>(c));
            while (in < end && (*in & 0xC0) == 0x80)
                c = (c << 6) + (0x3Fu & *in++);
            if (c < 0x80 || (c & 0xFFFFF800u) == 0xD800 || (c & 0xFFFFFFFEu) == 0xFFFE) c = 0xFFFD;
        }
        if (c <= 0xFFFF) {
            *out++ = static_cast<char16_t>(c);
        } else {
            // SQLite's bit arithmetic, so values past U+10FFFF come out as it gives them.
            *out++ = static_cast<char16_t>(((c >> 10) & 0x3F) + (((c - 0x10000) >> 10) & 0xC0) +
                                           ((0xD8 + (((c - 0x10000) >> 18) & 0x03)) << 8));
            *out++ = static_cast<char16_t>((c & 0xFF) + ((0xDC + ((c >> 8) & 0x03)) << 8));
        }
    }
    units.resize(static_cast<std::size_t>(out - units.data()));
    // Texts end up in long-lived trees and lists; they keep no room they do not use.
    if (units.size() != bytes.size()) units.shrink_to_fit();
    return units;
}

std::u16string Statement::Text16(int column) const {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) return {};
    return DecodeStoredText(
        std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))));
}

std::string Statement::Text(int column) const {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (text == nullptr) return {};
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::vector<std::uint8_t> Statement::Blob(int column) const {
    auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) return {};
    return std::vector<std::uint8_t>(data, data + size);
}

StatementRef::~StatementRef() {
    if (stmt_ != nullptr) sqlite3_reset(stmt_->stmt_);
}

StatementRef PhoneDb::Prepare(std::string_view sql) {
    BeginReadIfIdle();
    auto found = statements_.find(sql);
    if (found != statements_.end()) return StatementRef(&found->second->Reset());
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_.get(), sql.data(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return StatementRef();
    }
    auto& slot = statements_[std::string(sql)];
    slot = std::make_unique<Statement>(stmt);
    return StatementRef(slot.get());
}

PhoneDb::~PhoneDb() {
    Flush();
}

void PhoneDb::BeginReadIfIdle() {
    if (group_ == GroupState::Idle && Exec("BEGIN")) group_ = GroupState::Reading;
}

bool PhoneDb::InReadSnapshot(std::uint64_t& snapshot) {
    BeginReadIfIdle();
    snapshot = snapshot_;
    return group_ == GroupState::Reading;
}

bool PhoneDb::GroupDue() const {
    return groupCalls_ >= kGroupCalls ||
           std::chrono::steady_clock::now() - groupStart_ >= kGroupTime;
}

bool PhoneDb::BeginWriteCall() {
    // A read transaction cannot be trusted to upgrade (another writer may have moved on), so it
    // ends before the write lock is taken.
    ++snapshot_;
    if (group_ == GroupState::Reading && !Flush()) return false;
    if (group_ == GroupState::Writing && openCalls_ == 0 && heldItems_ == 0 && GroupDue() &&
        !Flush())
        return false;
    if (group_ == GroupState::Idle) {
        // A job that writes goes back to the same index pages over and over; a larger page cache
        // keeps it from reading them again (a third of a restore's time). A job that only reads
        // visits each page about once, and the larger cache would only cost it memory.
        if (!writeCache_) writeCache_ = Exec("PRAGMA cache_size=-16384");
        if (!Exec("BEGIN IMMEDIATE")) return false;
        group_ = GroupState::Writing;
        groupCalls_ = 0;
        groupStart_ = std::chrono::steady_clock::now();
    }
    ++openCalls_;
    return true;
}

void PhoneDb::EndWriteCall(bool committed) {
    if (openCalls_ > 0) --openCalls_;
    if (committed) ++groupCalls_;
}

bool PhoneDb::Flush() {
    if (group_ != GroupState::Reading && group_ != GroupState::Writing) return true;
    ++snapshot_;
    bool ok = Exec("COMMIT");
    // A commit that failed leaves nothing half done: the group is undone as a whole.
    if (!ok && sqlite3_get_autocommit(db_.get()) == 0) Exec("ROLLBACK");
    group_ = GroupState::Idle;
    return ok;
}

void PhoneDb::Abandon() {
    if (group_ != GroupState::Reading && group_ != GroupState::Writing) return;
    ++snapshot_;
    if (sqlite3_get_autocommit(db_.get()) == 0) Exec("ROLLBACK");
    group_ = GroupState::Idle;
}

void PhoneDb::EnableGrouping() {
    group_ = GroupState::Idle;
}

bool PhoneDb::ExecCached(const char* sql) {
    auto found = statements_.find(std::string_view(sql));
    if (found == statements_.end()) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(db_.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(stmt);
            return false;
        }
        found = statements_.emplace(sql, std::make_unique<Statement>(stmt)).first;
    }
    StatementRef run(&found->second->Reset());
    run->Step();
    return run->ok();
}

bool PhoneDb::Exec(const char* sql) {
    return sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Transaction::Transaction(PhoneDb& db) : db_(db) {
    if (db_.group() != GroupState::Off) {
        if (!db_.BeginWriteCall()) return;
        grouped_ = true;
    }
    nested_ = sqlite3_get_autocommit(db_.handle()) == 0;
    begun_ = db_.ExecCached(nested_ ? "SAVEPOINT edit" : "BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (begun_ && !done_) {
        if (nested_) {
            db_.ExecCached("ROLLBACK TO edit");
            db_.ExecCached("RELEASE edit");
        } else {
            db_.ExecCached("ROLLBACK");
        }
    }
    if (grouped_) db_.EndWriteCall(done_);
}

bool Transaction::Commit() {
    if (!begun_ || done_) return false;
    done_ = db_.ExecCached(nested_ ? "RELEASE edit" : "COMMIT");
    return done_;
}

namespace {

std::string SchemaSql() {
    std::string contactColumns = ", " + ContactColumnList(" TEXT");
    return R"(
CREATE TABLE phone_meta(key TEXT PRIMARY KEY, value);
CREATE TABLE sim(id INTEGER PRIMARY KEY CHECK (id = 1), slots INTEGER NOT NULL,
                 name_max INTEGER NOT NULL, number_max INTEGER NOT NULL);
CREATE TABLE sim_entries(slot INTEGER PRIMARY KEY, name TEXT NOT NULL, number TEXT NOT NULL);
CREATE TABLE contacts(id INTEGER PRIMARY KEY)" +
           contactColumns + R"();
CREATE TABLE stores(id INTEGER PRIMARY KEY, name TEXT NOT NULL, top_folder INTEGER NOT NULL);
CREATE TABLE folders(id INTEGER PRIMARY KEY, store_id INTEGER NOT NULL, parent_id INTEGER,
                     name TEXT NOT NULL);
CREATE INDEX folders_by_parent ON folders(parent_id, id);
CREATE TABLE messages(id INTEGER PRIMARY KEY, folder_id INTEGER NOT NULL);
CREATE INDEX messages_by_folder ON messages(folder_id, id);
CREATE TABLE message_props(message_id INTEGER NOT NULL, tag INTEGER NOT NULL, value,
                           stream_only INTEGER NOT NULL DEFAULT 0,
                           PRIMARY KEY (message_id, tag)) WITHOUT ROWID;
CREATE TABLE recipient_props(message_id INTEGER NOT NULL, row_no INTEGER NOT NULL,
                             seq INTEGER NOT NULL, tag INTEGER NOT NULL, value,
                             PRIMARY KEY (message_id, row_no, seq)) WITHOUT ROWID;
CREATE TABLE registry_keys(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE COLLATE NOCASE);
CREATE TABLE registry_values(id INTEGER PRIMARY KEY, key_id INTEGER NOT NULL,
                             name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL,
                             data BLOB NOT NULL, UNIQUE (key_id, name));
CREATE TABLE faults(name TEXT PRIMARY KEY, at INTEGER NOT NULL DEFAULT 0);
)";
}

// WAL with normal synchronisation commits without a disk flush per commit; a crash loses at
// most the last commits, never consistency. A job's connection also groups its commits: the
// rule (whole messages and contacts only, a prefix after a kill) is at PhoneDb::EnableGrouping.
bool ApplyConnectionSettings(PhoneDb& db) {
    sqlite3_busy_timeout(db.handle(), 10000);
    return db.Exec("PRAGMA journal_mode=WAL") && db.Exec("PRAGMA synchronous=NORMAL");
}

std::unique_ptr<PhoneDb> OpenConnection(const std::string& path, int flags, std::string& error) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    auto db = std::make_unique<PhoneDb>(raw);
    if (rc != SQLITE_OK) {
        error = "cannot open the phone " + path + ": " + sqlite3_errstr(rc);
        return nullptr;
    }
    sqlite3_extended_result_codes(raw, 1);
    return db;
}

}  // namespace

std::unique_ptr<PhoneDb> OpenPhoneDb(const std::string& path, std::string& error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = "no phone at " + path;
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + " is not a Velloro phone";
        return nullptr;
    }
    auto db = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, error);
    if (!db) return nullptr;
    sqlite3_busy_timeout(db->handle(), 10000);
    // The identity is checked before any setting is applied, so a foreign file stays untouched.
    auto meta = db->Prepare("SELECT key, value FROM phone_meta");
    std::string format;
    std::int64_t schema = 0;
    std::vector<std::uint8_t> uid;
    if (meta != nullptr) {
        while (meta->Step()) {
            std::string key = meta->Text(0);
            if (key == "format") format = meta->Text(1);
            if (key == "schema") schema = meta->Int(1);
            if (key == "uid") uid = meta->Blob(1);
        }
    }
    if (meta == nullptr || !meta->ok() || format != kPhoneFormatName || uid.size() != 16) {
        error = path + " is not a Velloro phone";
        return nullptr;
    }
    if (schema > kPhoneSchemaVersion) {
        error = path + " was made by a newer Velloro (phone schema " + std::to_string(schema) +
                ", this program knows " + std::to_string(kPhoneSchemaVersion) + ")";
        return nullptr;
    }
    if (!ApplyConnectionSettings(*db)) {
        error = "cannot use the phone " + path + ": " + sqlite3_errmsg(db->handle());
        return nullptr;
    }
    db->set_uid(std::move(uid));
    return db;
}

std::unique_ptr<PhoneDb> CreatePhoneDb(const std::string& path, std::string& error) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        error = path + " already exists";
        return nullptr;
    }
    auto db = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             error);
    if (!db) return nullptr;
    std::vector<std::uint8_t> uid(16);
    std::random_device random;
    for (auto& byte : uid)
        byte = static_cast<std::uint8_t>(random());
    bool ok = ApplyConnectionSettings(*db);
    {
        Transaction tx(*db);
        ok = ok && tx.ok() && db->Exec(SchemaSql().c_str());
        auto put =
            ok ? db->Prepare("INSERT INTO phone_meta(key, value) VALUES (?, ?)") : StatementRef();
        ok = put != nullptr;
        if (ok) {
            put->Bind(1, std::string_view("format")).Bind(2, kPhoneFormatName);
            put->Step();
            ok = put->ok();
            put->Reset()
                .Bind(1, std::string_view("schema"))
                .Bind(2, std::int64_t{kPhoneSchemaVersion});
            put->Step();
            ok = ok && put->ok();
            put->Reset().Bind(1, std::string_view("uid")).BindBlob(2, uid);
            put->Step();
            ok = ok && put->ok() && tx.Commit();
        }
    }
    if (!ok) {
        error = "cannot create the phone " + path + ": " + sqlite3_errmsg(db->handle());
        return nullptr;
    }
    db->set_uid(std::move(uid));
    return db;
}
