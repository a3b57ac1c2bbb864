#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/text.h"

std::string HostPath(std::u16string_view path) {
    return Utf16ToUtf8(path);
}

bool IsDirectory(std::u16string_view path) {
    struct stat st {};
    return stat(HostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(std::u16string_view path) {
    struct stat st {};
    return stat(HostPath(path).c_str(), &st) == 0;
}

UniqueFile OpenFile(std::u16string_view path, const char* mode) {
    if (path.empty()) return nullptr;
    std::string host = HostPath(path);
    UniqueFile file(std::fopen(host.c_str(), mode));
    if (!file) return nullptr;
    struct stat st {};
    if (fstat(fileno(file.get()), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
    return file;
}

CreateDirectoryResult CreateDirectoryAt(std::u16string_view path) {
    if (path.empty()) return CreateDirectoryResult::Failed;
    std::string host = HostPath(path);
    if (mkdir(host.c_str(), 0777) == 0) return CreateDirectoryResult::Created;
    if (errno == EEXIST && IsDirectory(path)) return CreateDirectoryResult::AlreadyExists;
    return CreateDirectoryResult::Failed;
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Open(std::u16string_view path) {
    Discard();
    if (path.empty()) return false;
    target_ = HostPath(path);
    struct stat st {};
    mode_t mode = 0;
    if (stat(target_.c_str(), &st) == 0) {
        // A file without any write bit is read-only, even to root, as the phone's read-only
        // attribute was.
        if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 ||
            access(target_.c_str(), W_OK) != 0) {
            return false;
        }
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    temp_ = target_ + ".XXXXXX";
    int fd = mkstemp(temp_.data());
    if (fd < 0) {
        temp_.clear();
        return false;
    }
    fchmod(fd, mode);
    stream_ = fdopen(fd, "w+b");
    if (stream_ == nullptr) {
        close(fd);
        unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (stream_ == nullptr) return false;
    // A full disk shows at the latest when the buffer is flushed or the file closed.
    bool ok = std::ferror(stream_) == 0 && std::fflush(stream_) == 0;
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) {
        temp_.clear();
        return true;
    }
    Discard();
    return false;
}

void ReplacingFile::Discard() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
}

bool ReadWholeFile(std::u16string_view path, std::string& bytes) {
    UniqueFile file = OpenFile(path, "rb");
    if (!file) return false;
    bytes.clear();
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, n);
    return std::ferror(file.get()) == 0;
}
