#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <string>

#include "platform/text.h"

namespace {

// A temporary name keeps this much of the target's name, so that it stays recognisable and
// still fits NAME_MAX (255 bytes) with its random suffix.
constexpr std::size_t kKeptNameBytes = 200;
// As the kernel's own limit on links followed in one lookup.
constexpr int kMaxLinkHops = 40;

std::size_t NameStart(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// The file a chain of symbolic links ends at (which need not exist yet); the path itself when it
// is no link.
std::string FinalTarget(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string link(PATH_MAX, '\0');
        ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return path;
        link.resize(static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : path.substr(0, NameStart(path)) + link;
    }
    return path;
}

// The folder's entry for a renamed file reaches the disk only when the folder is synced. Some
// file systems cannot sync a folder; the file itself is safe by then, so that is no failure.
void SyncFolderOf(const std::string& path) {
    std::size_t start = NameStart(path);
    std::string folder = start == 0 ? "." : path.substr(0, start);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Any write error, the flush, the sync and the close, in that order; the stream is closed.
bool FinishStream(std::FILE* stream, bool sync) {
    bool ok = std::ferror(stream) == 0 && std::fflush(stream) == 0;
    if (ok && sync) ok = fsync(fileno(stream)) == 0;
    return std::fclose(stream) == 0 && ok;
}

// Names an unnamed file beside target under a fresh temporary name (into temp), for the rename
// that puts it in target's place.
bool NameUnnamedFile(int fd, const std::string& target, std::string& temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = TemporaryNameFor(target);
        for (std::size_t i = temp.size() - 6; i < temp.size(); ++i)
            temp[i] = kLetters[pick(random)];
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) break;
    }
    temp.clear();
    return false;
}

mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

void StartWriteback(std::FILE* stream) {
    if (std::fflush(stream) == 0) sync_file_range(fileno(stream), 0, 0, SYNC_FILE_RANGE_WRITE);
}

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

UniqueFile OpenFile(std::u16string_view path, std::uint64_t* sizeAtOpen) {
    if (path.empty()) return nullptr;
    std::string host = HostPath(path);
    // Non-blocking, so a fifo without a writer opens at once and is refused by its type.
    int fd = open(host.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    UniqueFile file(fdopen(fd, "rb"));
    if (!file) {
        close(fd);
        return nullptr;
    }
    if (sizeAtOpen != nullptr) *sizeAtOpen = static_cast<std::uint64_t>(st.st_size);
    return file;
}

CreateDirectoryResult CreateDirectoryAt(std::u16string_view path) {
    if (path.empty()) return CreateDirectoryResult::Failed;
    std::string host = HostPath(path);
    if (mkdir(host.c_str(), 0777) == 0) return CreateDirectoryResult::Created;
    if (errno == EEXIST && IsDirectory(path)) return CreateDirectoryResult::AlreadyExists;
    return CreateDirectoryResult::Failed;
}

std::string TemporaryNameFor(const std::string& target) {
    std::size_t start = NameStart(target);
    std::size_t kept = std::min(target.size() - start, kKeptNameBytes);
    // Never half a UTF-8 character: back off over continuation bytes.
    while (kept > 0 && kept < target.size() - start &&
           (static_cast<unsigned char>(target[start + kept]) & 0xC0) == 0x80) {
        --kept;
    }
    return target.substr(0, start + kept) + ".XXXXXX";
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Open(std::u16string_view path) {
    Discard();
    if (path.empty()) return false;
    target_ = FinalTarget(HostPath(path));
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
        mode = NewFileMode();
    }
    // Unnamed until it is complete, so a job killed while writing leaves nothing behind. Where
    // the file system cannot make one (or names cannot be given later), a named temporary file.
    std::size_t start = NameStart(target_);
    std::string folder = start == 0 ? "." : target_.substr(0, start);
    int fd = access("/proc/self/fd", X_OK) == 0
                 ? open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode)
                 : -1;
    if (fd < 0) {
        temp_ = TemporaryNameFor(target_);
        fd = mkostemp(temp_.data(), O_CLOEXEC);
        if (fd < 0) {
            temp_.clear();
            return false;
        }
    }
    fchmod(fd, mode);
    stream_ = fdopen(fd, "w+b");
    if (stream_ == nullptr) {
        close(fd);
        if (!temp_.empty()) unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (stream_ == nullptr) return false;
    // A full disk shows at the latest when the buffer is flushed, synced or the file closed; the
    // sync comes before the rename so that a power cut never leaves a short file in its place.
    bool ok = std::ferror(stream_) == 0 && std::fflush(stream_) == 0 && fsync(fileno(stream_)) == 0;
    // An unnamed file gets its name only now, complete and on the disk.
    if (ok && temp_.empty()) ok = NameUnnamedFile(fileno(stream_), target_, temp_);
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    if (ok && std::rename(temp_.c_str(), target_.c_str()) == 0) {
        temp_.clear();
        SyncFolderOf(target_);
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

NewFile::~NewFile() {
    if (stream_ == nullptr) return;
    std::fclose(stream_);
    unlink(path_.c_str());
}

bool NewFile::Open(std::u16string_view path) {
    if (stream_ != nullptr || path.empty()) return false;
    path_ = HostPath(path);
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    stream_ = fdopen(fd, "wb");
    if (stream_ == nullptr) {
        close(fd);
        unlink(path_.c_str());
        return false;
    }
    return true;
}

bool NewFile::Commit() {
    if (stream_ == nullptr) return false;
    bool ok = FinishStream(stream_, false);
    stream_ = nullptr;
    if (!ok) unlink(path_.c_str());
    return ok;
}

bool ReadWholeFile(std::u16string_view path, std::string& bytes) {
    std::uint64_t size = 0;
    UniqueFile file = OpenFile(path, &size);
    if (!file) return false;
    bytes.assign(size, '\0');
    std::size_t n = std::fread(bytes.data(), 1, bytes.size(), file.get());
    bytes.resize(n);
    return std::ferror(file.get()) == 0;
}
