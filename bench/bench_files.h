#pragma once
// What the format benchmarks share: a private folder, the plain baselines (one buffered write of
// the same bytes to a new file, a read of the same file in 1 MB blocks) and a clock.

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace bench_files {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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

inline double PlainWriteSeconds(const std::filesystem::path& path, std::uintmax_t bytes) {
    std::vector<char> block(kBlock, 'x');
    Clock::time_point start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (std::uintmax_t left = bytes; left > 0;) {
        std::size_t n = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        std::fwrite(block.data(), 1, n, file);
        left -= n;
    }
    std::fclose(file);
    return SecondsSince(start);
}

inline double PlainReadSeconds(const std::filesystem::path& path) {
    std::vector<char> block(kBlock);
    Clock::time_point start = Clock::now();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::uintmax_t total = 0;
    while (std::size_t n = std::fread(block.data(), 1, block.size(), file))
        total += n;
    std::fclose(file);
    if (total == 0) return 0;
    return SecondsSince(start);
}

}  // namespace bench_files
