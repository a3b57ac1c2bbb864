// 100,000 phone contacts with every field filled, to vCard and back, each against the plain
// write or read of the same bytes in the same run. Targets: write within 3x of the plain write,
// read within 6x of the plain read.

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
    Seconds spent, plain;
    for (auto _ : state) {
        ContactList list;
        Stopwatch watch;
        if (ReadVcardFile(list, path, nullptr) != kContactFileDone) state.SkipWithError("read");
        Seconds s = watch.Elapsed();
        if (list.phone != FullList().phone) state.SkipWithError("contacts differ");
        plain += PlainReadSeconds(dir / "contacts.vcf");
        spent += s;
        state.SetIterationTime(s.wall);
    }
    ReportRates(state, spent, plain, kContacts, bytes, "x_plain_read");
}

}  // namespace

BENCHMARK(BM_WriteVcard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadVcard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
