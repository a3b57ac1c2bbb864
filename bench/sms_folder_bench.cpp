// The folder-and-file export of 100,000 messages into a new folder, against writing the same
// files (same names, same bytes) plainly with fopen, fwrite and fclose in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_time.h"
#include "platform/files.h"
#include "platform/text.h"
#include "sms/sms_folder_export.h"

namespace {

constexpr int kMessages = 100000;
// Messages per sender, so that names run _1.txt to _20.txt as in a real store.
constexpr int kSenders = kMessages / 20;
namespace fs = std::filesystem;

fs::path BenchFolder(const char* name) {
    return fs::temp_directory_path() / (std::string("velloro-bench-") + name);
}

SmsTree FolderTree() {
    auto inbox = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*inbox, u"Inbox");
    ReserveSmsChildren(*inbox, kMessages);
    for (int i = 0; i < kMessages; ++i) {
        auto data = std::make_unique<SmsMessageData>();
        data->text = U16("Message number " + std::to_string(i) + ", see you at six tonight.");
        data->senderName = U16("Contact " + std::to_string(i % kSenders));
        data->senderAddress = u"+4412345" + DecimalText(i % kSenders);
        data->deliveryTime = FileTimeFromUnixSeconds(1700000000 + i * 61LL);
        auto node = CreateSmsNode(kSmsMessageKind);
        AttachSmsMessage(*node, std::move(data));
        AppendSmsChild(*inbox, std::move(node));
    }
    auto root = CreateSmsNode(kSmsFolderKind);
    ReserveSmsChildren(*root, 1);
    AppendSmsChild(*root, std::move(inbox));
    SmsTree tree;
    tree.root = std::move(root);
    return tree;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// What the export wrote, as names and bytes, so the baseline writes exactly the same.
std::vector<std::pair<std::string, std::string>> FilesOf(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string bytes;
        ReadWholeFile(Utf8ToUtf16(entry.path().string()), bytes);
        files.emplace_back(entry.path().filename().string(), std::move(bytes));
    }
    return files;
}

double PlainFilesSeconds(const fs::path& folder,
                         const std::vector<std::pair<std::string, std::string>>& files) {
    auto start = std::chrono::steady_clock::now();
    fs::create_directory(folder);
    fs::create_directory(folder / "Inbox");
    for (const auto& [name, bytes] : files) {
        std::FILE* file = std::fopen((folder / "Inbox" / name).c_str(), "wb");
        if (file == nullptr) continue;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return Seconds(std::chrono::steady_clock::now() - start);
}

void BM_FolderExportIntoNewFolder(benchmark::State& state) {
    SmsTree tree = FolderTree();
    fs::path out = BenchFolder("folders");
    fs::path plain = BenchFolder("plain-files");
    double total = 0;
    std::vector<double> ratios;
    std::size_t bytes = 0;
    for (auto _ : state) {
        fs::remove_all(out);
        fs::remove_all(plain);
        // Each side starts with nothing of the other's left to write back, so neither pays for
        // the other's files.
        ::sync();
        auto start = std::chrono::steady_clock::now();
        if (ExportSmsFolders(&tree, Utf8ToUtf16(out.string()), nullptr) != 0)
            state.SkipWithError("export");
        double spent = Seconds(std::chrono::steady_clock::now() - start);
        total += spent;
        auto files = FilesOf(out / "Inbox");
        bytes = 0;
        for (const auto& file : files)
            bytes += file.second.size();
        ::sync();
        ratios.push_back(spent / PlainFilesSeconds(plain, files));
    }
    double runs = static_cast<double>(state.iterations());
    // The file system's pace drifts a lot between runs; each run's own pair gives the ratio, and
    // the middle one is reported.
    std::sort(ratios.begin(), ratios.end());
    state.counters["ratio_to_plain_files"] = ratios[ratios.size() / 2];
    state.counters["records_per_s"] = kMessages * runs / total;
    state.counters["MB_per_s"] = static_cast<double>(bytes) * runs / total / 1e6;
    fs::remove_all(out);
    fs::remove_all(plain);
}

}  // namespace

// Three runs, each making and removing 200,000 files; each run's ratio is taken within the run.
BENCHMARK(BM_FolderExportIntoNewFolder)->Unit(benchmark::kMillisecond)->Iterations(3);
