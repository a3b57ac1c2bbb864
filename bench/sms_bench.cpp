// SMS data file and exports at 100,000 messages, each against the baselines of bench_baselines.h
// in the same run: the same bytes in one buffered write to a new file, the same file read in
// 1 MB blocks; the sorted exports also against the data-file write of the same tree.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_baselines.h"
#include "platform/files.h"
#include "platform/text.h"
#include "sms/sms_csv_export.h"
#include "sms/sms_data_file.h"
#include "sms/sms_text_export.h"

namespace {

constexpr int kMessages = 100000;
namespace fs = std::filesystem;

std::string BenchPath(const char* name) {
    return (fs::temp_directory_path() / (std::string("velloro-bench-") + name)).string();
}

SmsTree BigTree() {
    auto folder = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*folder, u"Inbox");
    ReserveSmsChildren(*folder, kMessages);
    for (int i = 0; i < kMessages; ++i) {
        auto data = std::make_unique<SmsMessageData>();
        data->text = U16("Message number " + std::to_string(i) + ", see you at six tonight.");
        bool sent = i % 3 == 0;
        std::u16string name = U16("Contact " + std::to_string((i * 7919) % 5000));
        if (sent) {
            data->recipients.push_back({name, u"+4412345" + DecimalText(i % 5000)});
        } else {
            data->senderName = name;
            data->senderAddress = name + u" <+4412345" + DecimalText(i % 5000) + u">";
        }
        data->deliveryTime = FileTimeFromUnixSeconds(1700000000 + (i * 104729LL) % 9000000);
        auto node = CreateSmsNode(kSmsMessageKind);
        AttachSmsMessage(*node, std::move(data));
        AppendSmsChild(*folder, std::move(node));
    }
    auto root = CreateSmsNode(kSmsFolderKind);
    ReserveSmsChildren(*root, 1);
    AppendSmsChild(*root, std::move(folder));
    SmsTree tree;
    tree.root = std::move(root);
    return tree;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void Report(benchmark::State& state, double total, double baseline, std::size_t bytes,
            const char* ratioName = "ratio_to_plain") {
    double runs = static_cast<double>(state.iterations());
    state.counters[ratioName] = total / baseline;
    state.counters["records_per_s"] = kMessages * runs / total;
    state.counters["MB_per_s"] = static_cast<double>(bytes) * runs / total / 1e6;
}

void BM_DataFileWrite(benchmark::State& state) {
    SmsTree tree = BigTree();
    std::string path = BenchPath("write.dat");
    double total = 0, baseline = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (ExportSmsDataFile(&tree, Utf8ToUtf16(path), nullptr) != 0) state.SkipWithError("write");
        total += Seconds(std::chrono::steady_clock::now() - start);
        bytes = fs::file_size(path);
        baseline += bench::PlainWriteSeconds(path, BenchPath("plain"));
    }
    Report(state, total, baseline, bytes);
    fs::remove(path);
    fs::remove(BenchPath("plain"));
}

void BM_DataFileLoad(benchmark::State& state) {
    SmsTree tree = BigTree();
    std::string path = BenchPath("load.dat");
    ExportSmsDataFile(&tree, Utf8ToUtf16(path), nullptr);
    std::size_t bytes = fs::file_size(path);
    double total = 0, baseline = 0;
    for (auto _ : state) {
        SmsTree loaded;
        auto start = std::chrono::steady_clock::now();
        if (LoadSmsDataFile(&loaded, Utf8ToUtf16(path), nullptr) != 0) state.SkipWithError("load");
        total += Seconds(std::chrono::steady_clock::now() - start);
        baseline += bench::PlainReadSeconds(path);
    }
    Report(state, total, baseline, bytes);
    fs::remove(path);
}

// The sorted exports against the data-file write of the same tree.
template <ResultCode (*Export)(SmsTree*, std::u16string_view, ProgressBar*, int, int)>
void BM_SortedExport(benchmark::State& state) {
    std::string path = BenchPath("export");
    std::string datPath = BenchPath("export.dat");
    double total = 0, baseline = 0, plain = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SmsTree tree = BigTree();  // stored order again, so each run sorts
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        if (Export(&tree, Utf8ToUtf16(path), nullptr, 2, 1) != 0) state.SkipWithError("export");
        total += Seconds(std::chrono::steady_clock::now() - start);
        bytes = fs::file_size(path);
        start = std::chrono::steady_clock::now();
        ExportSmsDataFile(&tree, Utf8ToUtf16(datPath), nullptr);
        baseline += Seconds(std::chrono::steady_clock::now() - start);
        plain += bench::PlainWriteSeconds(path, BenchPath("plain"));
    }
    Report(state, total, baseline, bytes, "ratio_to_data_file_write");
    state.counters["ratio_to_plain"] = total / plain;
    fs::remove(path);
    fs::remove(datPath);
    fs::remove(BenchPath("plain"));
}

}  // namespace

BENCHMARK(BM_DataFileWrite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DataFileLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortedExport<ExportSmsText>)
    ->Name("BM_TextExportByName")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_SortedExport<ExportSmsCsv>)
    ->Name("BM_CsvExportByName")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
