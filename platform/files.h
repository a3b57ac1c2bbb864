#pragma once
// Files on wide paths. The program names files in UTF-16; the host sees UTF-8.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

std::string HostPath(std::u16string_view path);

// fopen on a wide path. Linux opens a folder for reading without complaint; a folder is not a
// file here, so it fails like a missing one.
UniqueFile OpenFile(std::u16string_view path, const char* mode);

bool IsDirectory(std::u16string_view path);
bool PathExists(std::u16string_view path);

enum class CreateDirectoryResult { Created, AlreadyExists, Failed };
// One level, like the platform's CreateDirectory: the parent must exist.
CreateDirectoryResult CreateDirectoryAt(std::u16string_view path);

// Writes a file through a temporary file beside the target, which replaces the target only when
// everything was written, flushed and closed; an existing file survives every failure.
class ReplacingFile {
  public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when the target may not be written: a folder, a file without write access, or a
    // folder that does not exist or does not let us create the temporary file.
    bool Open(std::u16string_view path);
    std::FILE* stream() const { return stream_; }
    // False when any write, the flush, the close or the rename failed; the target is then as
    // it was.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Discard();

  private:
    std::string target_;
    std::string temp_;
    std::FILE* stream_ = nullptr;
};

// Bytes of a whole file, for small files and tests; false when it cannot be read.
bool ReadWholeFile(std::u16string_view path, std::string& bytes);
