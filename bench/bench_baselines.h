#pragma once
// The baselines every benchmark here is measured against, so a ratio says how far a job is from
// what the machine can do with the same data:
//  - a writer: the same bytes (those it wrote) in one buffered write to a new file;
//  - a reader: the same file read in 1 MB blocks;
//  - a restore: SQLite inserting the same rows into an empty phone in one transaction.

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/phone/phone_editor.h"

namespace bench {

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline std::string FileBytes(const std::filesystem::path& path) {
    std::string bytes(std::filesystem::file_size(path), '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

// Writes what writer made into plain, created anew, with one fwrite; the seconds that took.
inline double PlainWriteSeconds(const std::filesystem::path& writerOutput,
                                const std::filesystem::path& plain) {
    std::string bytes = FileBytes(writerOutput);
    std::error_code ec;
    std::filesystem::remove(plain, ec);
    auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(plain.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return SecondsSince(start);
}

inline double PlainReadSeconds(const std::filesystem::path& path) {
    constexpr std::size_t kBlock = 1 << 20;
    std::vector<char> block(kBlock);
    auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    while (std::fread(block.data(), 1, block.size(), file) == block.size()) {
    }
    std::fclose(file);
    return SecondsSince(start);
}

// A phone file and what SQLite and the job lock keep beside it.
inline void RemovePhoneFile(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-lock"})
        std::filesystem::remove(path + suffix);
}

// Makes an empty phone at path and times insert(db) inside one transaction, with the phone's
// own journal settings.
inline double SqliteInsertSeconds(const std::string& path,
                                  const std::function<void(sqlite3*)>& insert) {
    RemovePhoneFile(path);
    std::string error;
    if (!CreatePhoneFile(path, SimSetup{}, false, false, error)) return 0;
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr,
                 nullptr);
    auto start = std::chrono::steady_clock::now();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    insert(db);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    double seconds = SecondsSince(start);
    sqlite3_close(db);
    RemovePhoneFile(path);
    return seconds;
}

// One prepared statement run once per row.
class Inserter {
  public:
    Inserter(sqlite3* db, const std::string& sql) {
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr);
    }
    ~Inserter() { sqlite3_finalize(stmt_); }
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;
    Inserter& Int(int index, std::int64_t value) {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Inserter& Text(int index, std::u16string_view text) {
        sqlite3_bind_text16(stmt_, index, text.data(),
                            static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        return *this;
    }
    void Run() {
        sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace bench
