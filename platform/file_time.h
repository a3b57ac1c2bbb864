#pragma once
// FILETIME is the program's time type: 100-nanosecond intervals since 1601-01-01 UTC,
// held as two 32-bit words, low word first, exactly as the phone stores it.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

struct FILETIME {
    std::uint32_t dwLowDateTime = 0;
    std::uint32_t dwHighDateTime = 0;
};

constexpr std::uint64_t kFileTimeTicksPerSecond = 10'000'000;
// Seconds between 1601-01-01 and the Unix epoch.
constexpr std::int64_t kFileTimeEpochOffsetSeconds = 11'644'473'600;

constexpr std::uint64_t FileTimeToUint64(const FILETIME& time) {
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}
constexpr FILETIME FileTimeFromUint64(std::uint64_t ticks) {
    return FILETIME{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}
constexpr bool IsZeroFileTime(const FILETIME& time) {
    return time.dwLowDateTime == 0 && time.dwHighDateTime == 0;
}

// -1, 0 or 1, as the platform's CompareFileTime.
int CompareFileTime(const FILETIME& a, const FILETIME& b);

FILETIME FileTimeFromUnixSeconds(std::int64_t seconds);
std::int64_t FileTimeToUnixSeconds(const FILETIME& time);

// Local broken-down time under the process's TZ; nothing for a time the platform cannot convert
// (beyond 0x7FFFFFFFFFFFFFFF, as FileTimeToSystemTime refuses).
std::optional<std::tm> FileTimeToLocalTm(const FILETIME& time);

// The locale's short date ("%x") and time ("%X") of the local time; empty when the conversion
// fails. The LC_TIME category of the C library decides the form.
std::u16string ShortDateText(const FILETIME& time);
std::u16string ShortTimeText(const FILETIME& time);

// "2026-12-06T17:51:03Z" and back; the parse also takes a raw FILETIME number.
std::string FileTimeToIso8601(const FILETIME& time);
std::optional<FILETIME> ParseFileTimeText(const std::string& text);

// The current time, as the phone's clock gives it.
FILETIME CurrentFileTime();
