// 1,000,000 messages to the Android backup XML and back. Targets: the write within 3x of a
// plain write of the same bytes; the read at 500,000 messages per second or more, its heap peak
// at most 1.2x the heap of the tree it builds. The read parses on every processor, so its
// records/s_cpu counts the time of all its threads, and its wall rate needs them free.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_files.h"
#include "heap_counter.h"
#include "platform/text.h"
#include "sms/sms_xml.h"

namespace {

using namespace bench_files;

const int kMessages = RecordCount(1000000);
constexpr int kFolders = 4;

// Received messages in Inbox, sent ones in Sent Items, a few drafts and outbox messages.
SmsTree MillionTree() {
    const char16_t* names[kFolders] = {u"Inbox", u"Sent Items", u"Drafts", u"Outbox"};
    const int counts[kFolders] = {kMessages / 100 * 60, kMessages / 100 * 38, kMessages / 100,
                                  kMessages - kMessages / 100 * 99};
    auto root = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*root, u"SMS");
    ReserveSmsChildren(*root, kFolders);
    int n = 0;
    for (int f = 0; f < kFolders; ++f) {
        auto folder = CreateSmsNode(kSmsFolderKind);
        SetSmsNodeName(*folder, names[f]);
        ReserveSmsChildren(*folder, static_cast<std::uint32_t>(counts[f]));
        for (int i = 0; i < counts[f]; ++i, ++n) {
            auto data = std::make_unique<SmsMessageData>();
            data->text =
                U16("Message number " + std::to_string(n) + ", see you at six & bring <it>.");
            std::u16string name = U16("Contact " + std::to_string((n * 7919) % 5000));
            std::u16string address = u"+4412345" + DecimalText(n % 5000);
            if (f == 0) {
                data->senderName = name;
                data->senderAddress = address;
            } else {
                data->recipients.push_back({name, address});
            }
            data->flags = f >= 2 ? kSmsUnsentFlag : kSmsReadFlag;
            FILETIME time = FileTimeFromUnixSeconds(1700000000 + (n * 104729LL) % 9000000);
            (f >= 2 ? data->lastModificationTime : data->deliveryTime) = time;
            data->size = static_cast<std::uint32_t>(2 * data->text.size());
            auto node = CreateSmsNode(kSmsMessageKind);
            AttachSmsMessage(*node, std::move(data));
            AppendSmsChild(*folder, std::move(node));
        }
        AppendSmsChild(*root, std::move(folder));
    }
    SmsTree tree;
    tree.root = std::move(root);
    return tree;
}

void BM_WriteSmsXml(benchmark::State& state) {
    SmsTree tree = MillionTree();
    Dir dir;
    std::u16string path = Utf8ToUtf16((dir / "sms.xml").string());
    Seconds spent, plain;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        Stopwatch watch;
        if (ExportSmsXml(&tree, path, nullptr) != 0) state.SkipWithError("write failed");
        Seconds s = watch.Elapsed();
        bytes = std::filesystem::file_size(dir / "sms.xml");
        plain += PlainWriteSeconds(dir / "plain.bin", dir / "sms.xml");
        spent += s;
        state.SetIterationTime(s.wall);
    }
    ReportRates(state, spent, plain, kMessages, bytes, "x_plain_write");
}

void BM_ReadSmsXml(benchmark::State& state) {
    Dir dir;
    std::u16string path = Utf8ToUtf16((dir / "sms.xml").string());
    {
        SmsTree tree = MillionTree();
        if (ExportSmsXml(&tree, path, nullptr) != 0) state.SkipWithError("write failed");
    }
    std::uintmax_t bytes = std::filesystem::file_size(dir / "sms.xml");
    Seconds spent, plain;
    double peakRatio = 0, treeMb = 0;
    for (auto _ : state) {
        SmsTree tree;
        std::size_t before = heap_counter::InUse();
        heap_counter::ResetPeak();
        Stopwatch watch;
        if (LoadSmsXmlFile(&tree, path, nullptr) != 0) state.SkipWithError("read failed");
        Seconds s = watch.Elapsed();
        double treeBytes = static_cast<double>(heap_counter::InUse() - before);
        peakRatio = static_cast<double>(heap_counter::Peak() - before) / treeBytes;
        treeMb = treeBytes / 1e6;
        plain += PlainReadSeconds(dir / "sms.xml");
        spent += s;
        state.SetIterationTime(s.wall);
    }
    ReportRates(state, spent, plain, kMessages, bytes, "x_plain_read");
    state.counters["tree_MB"] = treeMb;
    state.counters["peak_x_tree"] = peakRatio;
}

}  // namespace

BENCHMARK(BM_WriteSmsXml)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReadSmsXml)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
