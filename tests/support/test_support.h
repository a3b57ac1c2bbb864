#pragma once
// Shared test fixtures: a private folder per test, file bytes, recorded progress, a full disk.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/progress_bar.h"

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The path of a file in the folder as the program names it.
    std::u16string U16Path(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// A file of the test data folder (tests/data/...).
std::filesystem::path TestDataPath(const std::string& relative);
std::string ReadTestData(const std::string& relative);

// UTF-16LE bytes of UTF-8 text, for building expected file contents.
std::string Utf16LeBytes(const std::string& utf8);

struct ProgressMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const ProgressMessage&) const = default;
};
void PrintTo(const ProgressMessage& m, std::ostream* os);

struct ProgressRecorder : ProgressBar {
    std::vector<ProgressMessage> messages;
    void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        messages.push_back({message, wParam, lParam});
    }
    int Count(std::uint32_t message) const;
};

// While alive, files of this process cannot grow beyond limitBytes: writes past it fail as they
// would on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t limitBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    std::uint64_t previousSoft_;
    std::uint64_t previousHard_;
};
