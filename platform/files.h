#pragma once
// Files on wide paths. The program names files in UTF-16; the host sees UTF-8.

#include <cstdint>
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

// Opens a file for reading only when it is a regular file: a folder, a fifo or a device is
// refused at once, like a missing file, and a fifo never blocks the open. sizeAtOpen receives
// the size the file had then, which is all a reader may take from it.
UniqueFile OpenFile(std::u16string_view path, std::uint64_t* sizeAtOpen = nullptr);

bool IsDirectory(std::u16string_view path);
bool PathExists(std::u16string_view path);

enum class CreateDirectoryResult { Created, AlreadyExists, Failed };
// One level, like the platform's CreateDirectory: the parent must exist.
CreateDirectoryResult CreateDirectoryAt(std::u16string_view path);

// Writes a file through a temporary file beside the target, which replaces the target only when
// everything was written, flushed, synced and closed; an existing file survives every failure
// and a power cut. The temporary file has no name until it is complete (where the file system
// allows), so a process killed while writing leaves nothing behind. A symbolic link is written
// through: its final target gets the new content and the link stays.
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
    // False when any write, the flush, the sync, the close or the rename failed; the target is
    // then as it was.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Discard();

  private:
    std::string target_;
    std::string temp_;
    std::FILE* stream_ = nullptr;
};

// Creates a file that must not exist yet and writes it in place: for a name nothing else can
// hold, where a temporary file would only cost time. A failed write removes the file again.
class NewFile {
  public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // False when the name exists already or cannot be created.
    bool Open(std::u16string_view path);
    std::FILE* stream() const { return stream_; }
    // False when any write, the flush or the close failed; the file is then gone.
    bool Commit();

  private:
    std::string path_;
    std::FILE* stream_ = nullptr;
};

// Asks the system to start writing what the stream's file holds so far to the disk, without
// waiting: a large export's final sync then finds most of it written while the rest was being
// produced. A failure here is harmless; the sync still reports every write error.
void StartWriteback(std::FILE* stream);

// The temporary name ReplacingFile uses for target: in the same folder, and short enough for
// the file system's 255-byte name limit whatever the target's name.
std::string TemporaryNameFor(const std::string& target);

// Bytes of a whole file, for small files and tests; false when it cannot be read.
bool ReadWholeFile(std::u16string_view path, std::string& bytes);
