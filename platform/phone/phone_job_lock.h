#pragma once
// Jobs that use one phone take turns: each holds an exclusive lock on "PHONE-lock" beside the
// phone file for the whole job, so no two jobs interleave their read-then-write (two restores
// of one backup would otherwise both find a contact missing and both add it). The lock is a
// file of its own because closing any other descriptor of the phone file would drop the
// record locks SQLite holds on it.

#include <string>

// Told once, after a second of waiting, which phone another job is using.
using PhoneWaitNotice = void (*)(const std::string& phonePath);
void SetPhoneWaitNotice(PhoneWaitNotice notice);

class PhoneJobLock {
  public:
    PhoneJobLock() = default;
    ~PhoneJobLock();
    PhoneJobLock(const PhoneJobLock&) = delete;
    PhoneJobLock& operator=(const PhoneJobLock&) = delete;
    // Waits for the lock. A phone whose folder allows no lock file (a read-only place, where
    // no job can write anyway) goes unlocked; false only when locking itself failed.
    bool Acquire(const std::string& phonePath);

  private:
    int fd_ = -1;
};
