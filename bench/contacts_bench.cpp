// Text backup of 100,000 phone contacts with every field filled, written and read, each set
// against the baselines of bench_baselines.h in the same run: the same bytes in one buffered
// write to a new file, and the same file read in 1 MB blocks.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_contacts.h"
#include "bench_baselines.h"
#include "contacts/contact_files.h"
#include "platform/text.h"

namespace {

constexpr int kContacts = 100000;

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

const ContactList& FullList() {
    static const ContactList list = FullContactList(kContacts);
    return list;
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
        plainSeconds += bench::PlainWriteSeconds(dir / "backup.txt", dir / "plain.bin");
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
        bytes = std::filesystem::file_size(dir / "backup.txt");
        plainSeconds += bench::PlainReadSeconds(dir / "backup.txt");
        seconds += s;
        state.SetIterationTime(s);
    }
    ReportCounters(state, seconds, plainSeconds, bytes, "x_plain_read");
}

}  // namespace

BENCHMARK(BM_WriteContactBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadContactBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
