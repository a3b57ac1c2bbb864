// 100,000 phone contacts with every field filled, to vCard and back, each against the plain
// write or read of the same bytes in the same run. Targets: write within 3x of the plain write,
// read within 6x of the plain read. The read also reports what copying the finished list costs
// (list_copy_x_plain_read): every reader that builds that list pays at least that much.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_contacts.h"
#include "bench_files.h"
#include "contacts/vcard.h"
#include "platform/text.h"

namespace {

using namespace bench_files;

const int kContacts = RecordCount(100000);

const ContactList& FullList() {
    static const ContactList list = FullContactList(kContacts);
    return list;
}

void BM_WriteVcard(benchmark::State& state) {
    const ContactList& list = FullList();
    Dir dir;
    std::u16string path = Utf8ToUtf16((dir / "contacts.vcf").string());
    Seconds spent, plain, synced;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        Stopwatch watch;
        if (WriteVcardFile(list, path) != kContactFileDone) state.SkipWithError("write failed");
        Seconds s = watch.Elapsed();
        bytes = std::filesystem::file_size(dir / "contacts.vcf");
        plain += PlainWriteSeconds(dir / "plain.bin", dir / "contacts.vcf");
        synced += PlainWriteSeconds(dir / "plain.bin", dir / "contacts.vcf", true);
        spent += s;
        state.SetIterationTime(s.wall);
    }
    ReportRates(state, spent, plain, kContacts, bytes, "x_plain_write");
    state.counters["x_plain_write_synced"] = spent.wall / synced.wall;
}

void BM_ReadVcard(benchmark::State& state) {
    Dir dir;
    std::u16string path = Utf8ToUtf16((dir / "contacts.vcf").string());
    if (WriteVcardFile(FullList(), path) != kContactFileDone) state.SkipWithError("write failed");
    std::uintmax_t bytes = std::filesystem::file_size(dir / "contacts.vcf");
    Seconds spent, plain, copied;
    for (auto _ : state) {
        ContactList list;
        Stopwatch watch;
        if (ReadVcardFile(list, path, nullptr) != kContactFileDone) state.SkipWithError("read");
        Seconds s = watch.Elapsed();
        if (list.phone != FullList().phone) state.SkipWithError("contacts differ");
        plain += PlainReadSeconds(dir / "contacts.vcf");
        {
            Stopwatch copyWatch;
            ContactList copy = FullList();
            benchmark::DoNotOptimize(copy);
            copied += copyWatch.Elapsed();
        }
        spent += s;
        state.SetIterationTime(s.wall);
    }
    ReportRates(state, spent, plain, kContacts, bytes, "x_plain_read");
    state.counters["list_copy_x_plain_read"] = copied.wall / plain.wall;
}

}  // namespace

BENCHMARK(BM_WriteVcard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadVcard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
