// 100,000 phone contacts with every field filled, to vCard and back, each against the plain
// write or read of the same bytes in the same run. Targets: write within 3x of the plain write,
// read within 6x of the plain read.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_files.h"
#include "contacts/vcard.h"
#include "platform/text.h"

namespace {

using namespace bench_files;

constexpr int kContacts = 100000;

// Every field of every contact holds 20 characters.
const ContactList& FullList() {
    static const ContactList list = [] {
        ContactList l;
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

void Report(benchmark::State& state, double seconds, double plainSeconds, std::uintmax_t bytes,
            const char* ratioName) {
    auto runs = static_cast<double>(state.iterations());
    state.counters[ratioName] = seconds / plainSeconds;
    state.counters["records/s"] = kContacts * runs / seconds;
    state.counters["MB/s"] = static_cast<double>(bytes) * runs / seconds / 1e6;
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_WriteVcard(benchmark::State& state) {
    const ContactList& list = FullList();
    Dir dir;
    std::u16string path = Utf8ToUtf16((dir / "contacts.vcf").string());
    double seconds = 0, plainSeconds = 0;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        if (WriteVcardFile(list, path) != kContactFileDone) state.SkipWithError("write failed");
        double s = SecondsSince(start);
        bytes = std::filesystem::file_size(dir / "contacts.vcf");
        plainSeconds += PlainWriteSeconds(dir / "plain.bin", bytes);
        seconds += s;
        state.SetIterationTime(s);
    }
    Report(state, seconds, plainSeconds, bytes, "x_plain_write");
}

void BM_ReadVcard(benchmark::State& state) {
    Dir dir;
    std::u16string path = Utf8ToUtf16((dir / "contacts.vcf").string());
    if (WriteVcardFile(FullList(), path) != kContactFileDone) state.SkipWithError("write failed");
    std::uintmax_t bytes = std::filesystem::file_size(dir / "contacts.vcf");
    double seconds = 0, plainSeconds = 0;
    for (auto _ : state) {
        ContactList list;
        Clock::time_point start = Clock::now();
        if (ReadVcardFile(list, path, nullptr) != kContactFileDone) state.SkipWithError("read");
        double s = SecondsSince(start);
        if (list.phone != FullList().phone) state.SkipWithError("contacts differ");
        plainSeconds += PlainReadSeconds(dir / "contacts.vcf");
        seconds += s;
        state.SetIterationTime(s);
    }
    Report(state, seconds, plainSeconds, bytes, "x_plain_read");
}

}  // namespace

BENCHMARK(BM_WriteVcard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadVcard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
