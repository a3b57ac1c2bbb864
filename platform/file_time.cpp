#include "platform/file_time.h"

#include <charconv>
#include <chrono>
#include <cstdio>

#include "platform/text.h"

namespace {

constexpr std::uint64_t kMaxConvertibleTicks = 0x7FFFFFFFFFFFFFFFull;

std::u16string FormatLocal(const FILETIME& time, const char* format) {
    std::optional<std::tm> local = FileTimeToLocalTm(time);
    if (!local) return {};
    char buffer[100];
    std::size_t length = std::strftime(buffer, sizeof buffer, format, &*local);
    return Utf8ToUtf16(std::string_view(buffer, length));
}

bool ParseDigits(const std::string& text, std::size_t pos, std::size_t count, int& out) {
    if (pos + count > text.size()) return false;
    const char* first = text.data() + pos;
    auto [ptr, ec] = std::from_chars(first, first + count, out);
    return ec == std::errc() && ptr == first + count;
}

}  // namespace

int CompareFileTime(const FILETIME& a, const FILETIME& b) {
    std::uint64_t x = FileTimeToUint64(a);
    std::uint64_t y = FileTimeToUint64(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

FILETIME FileTimeFromUnixSeconds(std::int64_t seconds) {
    return FileTimeFromUint64(static_cast<std::uint64_t>(seconds + kFileTimeEpochOffsetSeconds) *
                              kFileTimeTicksPerSecond);
}

std::int64_t FileTimeToUnixSeconds(const FILETIME& time) {
    return static_cast<std::int64_t>(FileTimeToUint64(time) / kFileTimeTicksPerSecond) -
           kFileTimeEpochOffsetSeconds;
}

std::optional<std::tm> FileTimeToLocalTm(const FILETIME& time) {
    if (FileTimeToUint64(time) > kMaxConvertibleTicks) return std::nullopt;
    std::time_t seconds = static_cast<std::time_t>(FileTimeToUnixSeconds(time));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return std::nullopt;
    return local;
}

std::u16string ShortDateText(const FILETIME& time) {
    return FormatLocal(time, "%x");
}
std::u16string ShortTimeText(const FILETIME& time) {
    return FormatLocal(time, "%X");
}

std::string FileTimeToIso8601(const FILETIME& time) {
    std::time_t seconds = static_cast<std::time_t>(FileTimeToUnixSeconds(time));
    std::tm utc{};
    if (gmtime_r(&seconds, &utc) == nullptr) return std::to_string(FileTimeToUint64(time));
    char buffer[32];
    std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(buffer, length);
}

std::optional<FILETIME> ParseFileTimeText(const std::string& text) {
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        std::uint64_t ticks = 0;
        auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), ticks);
        if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
        return FileTimeFromUint64(ticks);
    }
    // YYYY-MM-DDTHH:MM:SSZ
    int year, month, day, hour, minute, second;
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z' || !ParseDigits(text, 0, 4, year) ||
        !ParseDigits(text, 5, 2, month) || !ParseDigits(text, 8, 2, day) ||
        !ParseDigits(text, 11, 2, hour) || !ParseDigits(text, 14, 2, minute) ||
        !ParseDigits(text, 17, 2, second)) {
        return std::nullopt;
    }
    using namespace std::chrono;
    year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                        std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || year < 1601 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    std::int64_t days = sys_days(date).time_since_epoch().count();
    return FileTimeFromUnixSeconds(days * 86400 + hour * 3600 + minute * 60 + second);
}

FILETIME CurrentFileTime() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
    return FileTimeFromUint64(static_cast<std::uint64_t>(ticks) +
                              kFileTimeEpochOffsetSeconds * kFileTimeTicksPerSecond);
}
