// Text backup of 100,000 phone contacts with every field filled, written and read, each set
// against a plain buffered write or read of the same number of bytes in the same run. The ratio
// counters are what to watch: the backup should stay within 4x of the plain write and 10x of the
// plain read.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "contacts/contact_files.h"
#include "platform/text.h"

namespace {

constexpr int kContacts = 100000;
constexpr std::size_t kPlainChunk = 64 * 1024;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class BenchDir {
  public:
    BenchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velloro-bench-XXXXXX");
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~BenchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path operator/(const char* name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Every field of every contact holds 20 characters.
const ContactList& FullList() {
    static const ContactList list = [] {
        ContactList l;
        InitContactList(l);
        std::vector<std::u16string> texts(kContactFieldCount);
        PhoneContactTexts views;
        for (int c = 0; c < kContacts; ++c) {
            for (std::size_t f = 0; f < kContactFieldCount; ++f) {
                std::u16string text = DecimalText(c) + u" " + DecimalText(f) + u" ";
                text.resize(20, u'a' + static_cast<char16_t>(f % 26));
                texts[f] = std::move(text);
                views[f] = texts[f];
            }
            AddPhoneContact(l, views);
        }
        return l;
    }();
    return list;
}

void PlainWrite(const std::filesystem::path& path, std::uintmax_t bytes) {
    std::vector<char> chunk(kPlainChunk, 'x');
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (std::uintmax_t left = bytes; left > 0;) {
        std::size_t n = left < chunk.size() ? left : chunk.size();
        std::fwrite(chunk.data(), 1, n, file);
        left -= n;
    }
    std::fclose(file);
}

std::uintmax_t PlainRead(const std::filesystem::path& path) {
    std::vector<char> chunk(kPlainChunk);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::uintmax_t total = 0;
    while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), file))
        total += n;
    std::fclose(file);
    return total;
}

void ReportCounters(benchmark::State& state, double seconds, double plainSeconds,
                    std::uintmax_t bytes, const char* ratioName) {
    auto runs = static_cast<double>(state.iterations());
    state.counters[ratioName] = seconds / plainSeconds;
    state.counters["records/s"] = benchmark::Counter(kContacts * runs, benchmark::Counter::kIsRate);
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(bytes) * runs / 1e6, benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_WriteContactBackup(benchmark::State& state) {
    const ContactList& list = FullList();
    BenchDir dir;
    std::u16string path = Utf8ToUtf16((dir / "backup.txt").string());
    double seconds = 0;
    double plainSeconds = 0;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        if (WriteContactFile(list, path) != kContactFileDone) state.SkipWithError("write failed");
        double s = SecondsSince(start);
        bytes = std::filesystem::file_size(dir / "backup.txt");
        start = Clock::now();
        PlainWrite(dir / "plain.bin", bytes);
        plainSeconds += SecondsSince(start);
        seconds += s;
        state.SetIterationTime(s);
    }
    ReportCounters(state, seconds, plainSeconds, bytes, "x_plain_write");
}

void BM_ReadContactBackup(benchmark::State& state) {
    BenchDir dir;
    std::u16string path = Utf8ToUtf16((dir / "backup.txt").string());
    if (WriteContactFile(FullList(), path) != kContactFileDone) state.SkipWithError("write failed");
    double seconds = 0;
    double plainSeconds = 0;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        ContactList list;
        InitContactList(list);
        Clock::time_point start = Clock::now();
        if (ReadContactFile(list, path) != kContactFileDone) state.SkipWithError("read failed");
        double s = SecondsSince(start);
        if (PhoneContactCount(list) != kContacts) state.SkipWithError("contacts lost");
        ClearContactList(list);
        start = Clock::now();
        bytes = PlainRead(dir / "backup.txt");
        plainSeconds += SecondsSince(start);
        seconds += s;
        state.SetIterationTime(s);
    }
    ReportCounters(state, seconds, plainSeconds, bytes, "x_plain_read");
}

}  // namespace

BENCHMARK(BM_WriteContactBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadContactBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
