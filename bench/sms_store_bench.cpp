// A backup at the size of a heavy user: 100,000 messages read out of the message store into the
// tree, then written to a data file. And a restore of the same 100,000 into one folder that
// already holds them, skipping what is there.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench/bench_messages.h"
#include "core/operation_summary.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"
#include "platform/text.h"
#include "sms/sms_operations.h"

namespace {

constexpr int kStoreMessages = 100000;
constexpr int kStoreFolders = 10;

std::string StoreBenchPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("velloro-bench-sms-store-") + name + "-" + std::to_string(getpid())))
        .string();
}

bool FillStorePhone(const std::string& path, int folders = kStoreFolders) {
    std::vector<std::pair<std::u16string, int>> named;
    for (int f = 0; f < folders; ++f)
        named.emplace_back(u"Folder " + DecimalText(f), kStoreMessages / folders);
    return FillBenchPhone(path, named);
}

void BM_ReadStoreAndSaveDataFile(benchmark::State& state) {
    std::string phone = StoreBenchPath("phone.db");
    std::string file = StoreBenchPath("backup.dat");
    if (!FillStorePhone(phone)) {
        state.SkipWithError("cannot build the phone");
        return;
    }
    SetPhonePath(phone);
    for (auto _ : state) {
        SmsTree tree;
        auto start = std::chrono::steady_clock::now();
        if (ReadSmsFromStore(&tree, nullptr) != 0) state.SkipWithError("read failed");
        auto read = std::chrono::steady_clock::now();
        if (ExportSmsDataFile(&tree, Utf8ToUtf16(file), nullptr) != 0)
            state.SkipWithError("write failed");
        auto written = std::chrono::steady_clock::now();
        double readSeconds = std::chrono::duration<double>(read - start).count();
        double writeSeconds = std::chrono::duration<double>(written - read).count();
        state.counters["read_s"] = readSeconds;
        state.counters["read_msgs_per_s"] = kStoreMessages / readSeconds;
        state.counters["save_s"] = writeSeconds;
        state.counters["save_msgs_per_s"] = kStoreMessages / writeSeconds;
    }
    SetPhonePath("");
    bench::RemovePhoneFile(phone);
    std::filesystem::remove(file);
}
BENCHMARK(BM_ReadStoreAndSaveDataFile)->Unit(benchmark::kMillisecond)->Iterations(1);

// 100,000 messages into a folder that holds the same 100,000: each is found by its hash and
// none is created. The baseline is reading that folder into a tree, which the check must do too.
void BM_RestoreSkippingExisting(benchmark::State& state) {
    std::string phone = StoreBenchPath("skip.db");
    if (!FillStorePhone(phone, 1)) {
        state.SkipWithError("cannot build the phone");
        return;
    }
    SetPhonePath(phone);
    for (auto _ : state) {
        SmsTree tree;
        auto start = std::chrono::steady_clock::now();
        if (ReadSmsFromStore(&tree, nullptr) != 0) state.SkipWithError("read failed");
        auto read = std::chrono::steady_clock::now();
        OperationSummary summary;
        if (RestoreSms(&tree, nullptr, &summary, true) != 0) state.SkipWithError("restore failed");
        auto restored = std::chrono::steady_clock::now();
        if (summary.smsRestore.messagesPresent != kStoreMessages ||
            summary.smsRestore.messagesCreated != 0)
            state.SkipWithError("the restore made messages");
        double readSeconds = std::chrono::duration<double>(read - start).count();
        double skipSeconds = std::chrono::duration<double>(restored - read).count();
        state.counters["skip_s"] = skipSeconds;
        state.counters["skip_msgs_per_s"] = kStoreMessages / skipSeconds;
        state.counters["baseline_read_s"] = readSeconds;
        state.counters["ratio_to_read"] = skipSeconds / readSeconds;
    }
    SetPhonePath("");
    bench::RemovePhoneFile(phone);
}
BENCHMARK(BM_RestoreSkippingExisting)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
