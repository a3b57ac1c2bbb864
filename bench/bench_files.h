#pragma once
// What the format benchmarks share: a private folder, the plain baselines (one buffered write of
// the same bytes to a new file, a read of the same file in 1 MB blocks) and a clock that tells
// wall time and the process's CPU time apart, since on a loaded machine only the latter is
// steady.

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace bench_files {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Seconds {
    double wall = 0;
    double cpu = 0;
    Seconds& operator+=(const Seconds& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

class Stopwatch {
  public:
    Seconds Elapsed() const { return {SecondsSince(wall_), CpuSeconds() - cpu_}; }

  private:
    Clock::time_point wall_ = Clock::now();
    double cpu_ = CpuSeconds();
};

class Dir {
  public:
    Dir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velloro-bench-XXXXXX");
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~Dir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;
    std::filesystem::path operator/(const char* name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

constexpr std::size_t kBlock = 1 << 20;

// The benchmark's record count, or VELLORO_BENCH_COUNT when set (a small count for a profiler).
inline int RecordCount(int standard) {
    const char* text = std::getenv("VELLORO_BENCH_COUNT");
    int count = text != nullptr ? std::atoi(text) : 0;
    return count > 0 ? count : standard;
}

// The bytes of the file a writer made, written again in one buffered write to a new file; with
// synced, flushed and synced to the disk as the writers' own files are before they take an old
// file's place.
inline Seconds PlainWriteSeconds(const std::filesystem::path& path,
                                 const std::filesystem::path& written, bool synced = false) {
    std::string bytes(std::filesystem::file_size(written), '\0');
    if (std::FILE* in = std::fopen(written.c_str(), "rb")) {
        std::size_t got = std::fread(bytes.data(), 1, bytes.size(), in);
        bytes.resize(got);
        std::fclose(in);
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
    Stopwatch watch;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return {};
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    if (synced && std::fflush(file) == 0) fsync(fileno(file));
    std::fclose(file);
    return watch.Elapsed();
}

inline Seconds PlainReadSeconds(const std::filesystem::path& path) {
    std::vector<char> block(kBlock);
    Stopwatch watch;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    std::uintmax_t total = 0;
    while (std::size_t n = std::fread(block.data(), 1, block.size(), file))
        total += n;
    std::fclose(file);
    if (total == 0) return {};
    return watch.Elapsed();
}

// Ratios to the baseline and rates, by wall and by CPU time.
template <class State>
void ReportRates(State& state, const Seconds& spent, const Seconds& plain, double records,
                 std::uintmax_t bytes, const char* ratioName) {
    auto runs = static_cast<double>(state.iterations());
    state.counters[ratioName] = spent.wall / plain.wall;
    state.counters[std::string(ratioName) + "_cpu"] = spent.cpu / plain.cpu;
    state.counters["records/s"] = records * runs / spent.wall;
    state.counters["records/s_cpu"] = records * runs / spent.cpu;
    state.counters["MB/s"] = static_cast<double>(bytes) * runs / spent.wall / 1e6;
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

}  // namespace bench_files
