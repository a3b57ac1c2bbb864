#pragma once
// One phone is one SQLite file. A PhoneDb is one connection to it, opened for one operation and
// closed after it; statements are prepared once per connection and reused.

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr int kPhoneSchemaVersion = 1;
constexpr std::string_view kPhoneFormatName = "velloro-phone";

// The UTF-16 units of text the phone stored as UTF-8, decoded exactly as SQLite decodes it.
std::u16string DecodeStoredText(std::string_view bytes);

// A prepared statement; Reset() readies it for the next use with fresh bindings.
class Statement {
  public:
    explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Reset();
    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::u16string_view text);
    Statement& Bind(int index, std::string_view utf8);
    Statement& BindBlob(int index, const std::vector<std::uint8_t>& bytes);
    Statement& BindNull(int index);
    // True while a row is there; false at the end or on an error (see ok()).
    bool Step();
    bool ok() const { return ok_; }
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::u16string Text16(int column) const;
    std::string Text(int column) const;
    std::vector<std::uint8_t> Blob(int column) const;
    int Type(int column) const { return sqlite3_column_type(stmt_, column); }

  private:
    friend class StatementRef;
    sqlite3_stmt* stmt_;
    bool ok_ = true;
};

// A statement borrowed from its connection. Letting go resets it, so no finished or abandoned
// read keeps an old snapshot open: a connection holding one could no longer write once another
// process has committed.
class StatementRef {
  public:
    explicit StatementRef(Statement* stmt = nullptr) : stmt_(stmt) {}
    ~StatementRef();
    StatementRef(StatementRef&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
    StatementRef& operator=(StatementRef&&) = delete;
    Statement* operator->() const { return stmt_; }
    Statement& operator*() const { return *stmt_; }
    Statement* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }
    bool operator==(std::nullptr_t) const { return stmt_ == nullptr; }

  private:
    Statement* stmt_;
};

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// How a job's connection commits (see EnableGrouping); a plain connection is Off.
enum class GroupState { Off, Idle, Reading, Writing };

class PhoneDb {
  public:
    explicit PhoneDb(sqlite3* db) : db_(db) {}
    // Commits what a job left in its open group; a failure here loses only that last group.
    ~PhoneDb();
    PhoneDb(const PhoneDb&) = delete;
    PhoneDb& operator=(const PhoneDb&) = delete;
    sqlite3* handle() const { return db_.get(); }
    // The statement for sql, prepared on first use and reset; empty when sql does not compile.
    StatementRef Prepare(std::string_view sql);
    // Runs statements without results; false on the first failure.
    bool Exec(const char* sql);
    // Runs one statement without results, prepared once: for the savepoint of every call.
    bool ExecCached(const char* sql);
    // The phone's own identity, part of every entry identifier it hands out.
    const std::vector<std::uint8_t>& uid() const { return uid_; }
    void set_uid(std::vector<std::uint8_t> uid) { uid_ = std::move(uid); }

    // Commit grouping for a job's connection. The rule:
    //  - every platform call that writes is one savepoint inside the open group, so a failing
    //    call leaves nothing of itself behind;
    //  - the group commits once it holds kGroupCalls calls or kGroupTime of work, at the start
    //    of the next write, but never while an item is held (a created message until it is
    //    released), so a message's row, properties and recipient always commit together;
    //  - reads between writes share one read transaction, begun at the first read and ended
    //    only when a write begins or the job ends, so a listing costs no lock churn;
    //  - the connection's end (the job's end) commits the last group.
    // A job killed at any moment leaves the file consistent (WAL) holding a prefix of whole
    // items; other processes see only committed groups.
    static constexpr int kGroupCalls = 1000;
    static constexpr std::chrono::milliseconds kGroupTime{100};
    void EnableGrouping();
    GroupState group() const { return group_; }
    // Opens the group for a write call, committing a full one first; false when it cannot.
    bool BeginWriteCall();
    // The call's savepoint was released (committed) or undone.
    void EndWriteCall(bool committed);
    // An item (a created message) keeps the group open until it is let go.
    void HoldItem() { ++heldItems_; }
    void ReleaseItem() {
        if (heldItems_ > 0) --heldItems_;
    }
    // Commits an open group or read; false when the commit failed.
    bool Flush();
    // Undoes an open group or read, as a commit the disk refused would.
    void Abandon();
    bool HoldsItems() const { return heldItems_ > 0; }
    // True while the job's connection reads inside one snapshot; snapshot then names it, and it
    // is never named again once a write or a commit has ended it. A plain connection has none.
    bool InReadSnapshot(std::uint64_t& snapshot);

  private:
    void BeginReadIfIdle();
    bool GroupDue() const;

    std::unique_ptr<sqlite3, SqliteCloser> db_;
    // Looked up by a view of the text, so the calls of a long job build no key strings.
    struct SqlHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view sql) const {
            return std::hash<std::string_view>{}(sql);
        }
    };
    std::unordered_map<std::string, std::unique_ptr<Statement>, SqlHash, std::equal_to<>>
        statements_;
    std::vector<std::uint8_t> uid_;
    GroupState group_ = GroupState::Off;
    int groupCalls_ = 0;
    int openCalls_ = 0;
    int heldItems_ = 0;
    bool writeCache_ = false;
    std::uint64_t snapshot_ = 1;
    std::chrono::steady_clock::time_point groupStart_;
};

// Every write is one of these: IMMEDIATE takes the write lock at once, so two processes never
// deadlock upgrading a read lock. Rolled back unless committed. Inside another transaction (or
// a job's group) it is a savepoint, so edits compose.
class Transaction {
  public:
    explicit Transaction(PhoneDb& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool ok() const { return begun_; }
    bool Commit();

  private:
    PhoneDb& db_;
    bool begun_ = false;
    bool done_ = false;
    bool nested_ = false;
    bool grouped_ = false;
};

// Opens an existing phone. A missing file, a file that is not a phone or one from a newer
// schema is refused with a one-line reason; nothing in the file is changed then.
std::unique_ptr<PhoneDb> OpenPhoneDb(const std::string& path, std::string& error);

// Creates an empty phone (schema, no content) at path, which must not exist yet.
std::unique_ptr<PhoneDb> CreatePhoneDb(const std::string& path, std::string& error);
