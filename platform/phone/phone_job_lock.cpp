#include "platform/phone/phone_job_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

PhoneWaitNotice gNotice = nullptr;

constexpr auto kNoticeAfter = std::chrono::seconds(1);
constexpr auto kPollInterval = std::chrono::milliseconds(20);

bool TryLock(int fd) {
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

void SetPhoneWaitNotice(PhoneWaitNotice notice) {
    gNotice = notice;
}

PhoneJobLock::~PhoneJobLock() {
    if (fd_ >= 0) close(fd_);  // also lets the lock go
}

bool PhoneJobLock::Acquire(const std::string& phonePath) {
    std::string lockPath = phonePath + "-lock";
    fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) fd_ = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return true;
    auto start = std::chrono::steady_clock::now();
    while (!TryLock(fd_)) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() - start >= kNoticeAfter) {
            if (gNotice != nullptr) gNotice(phonePath);
            while (flock(fd_, LOCK_EX) != 0)
                if (errno != EINTR) return false;
            return true;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}
