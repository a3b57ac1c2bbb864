// Restoring a large backup into a phone that already holds as many contacts, half of them the
// same: the duplicate search must stay linear for this to take seconds. Set against SQLite
// inserting the rows the restore adds (the 10,000 new contacts) in one transaction.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench_baselines.h"
#include "contacts/contact_files.h"
#include "contacts/contact_list.h"
#include "contacts/contact_operations.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"
#include "platform/text.h"

namespace {

constexpr int kContacts = 20000;

std::string BenchPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("velloro-bench-ops-" + std::to_string(getpid()) + "-" + name))
        .string();
}

// Contact i: a full name, a company, two numbers and an address, as real address books hold.
void AddNumbered(ContactList& list, int i) {
    PhoneContactRecord r;
    std::u16string n = DecimalText(i);
    r.firstName = u"First" + n;
    r.lastName = u"Last" + n;
    r.companyName = u"Company " + DecimalText(i % 500);
    r.mobileTelephoneNumber = u"+46 70 " + n;
    r.workTelephoneNumber = u"+46 8 " + n;
    r.email1Address = u"person" + n + u"@example.org";
    r.homeAddressStreet = n + u" Long Street";
    r.homeAddressCity = u"Town";
    r.categories = u"Business";
    AddPhoneContact(list, TextsOf(r));
}

// The rows the restore adds: contacts first..first+count-1, each field bound in field order.
double NewRowsBaseline(int first, int count) {
    return bench::SqliteInsertSeconds(BenchPath("sqlite.db"), [&](sqlite3* db) {
        bench::Inserter insert(db, ContactInsertSql());
        ContactList list;
        for (int i = first; i < first + count; ++i)
            AddNumbered(list, i);
        for (int i = 1; i <= count; ++i) {
            PhoneContactTexts texts = TextsOf(*PhoneContactAt(list, i));
            for (std::size_t f = 0; f < kContactFieldCount; ++f)
                if (!texts[f].empty()) insert.Text(static_cast<int>(f) + 1, texts[f]);
            insert.Run();
        }
    });
}

std::u16string WriteBackup(int first, int count, const std::string& name) {
    ContactList list;
    for (int i = first; i < first + count; ++i)
        AddNumbered(list, i);
    std::string path = BenchPath(name);
    WriteContactFile(list, Utf8ToUtf16(path));
    return Utf8ToUtf16(path);
}

void BM_RestoreIntoAFullPhone(benchmark::State& state) {
    // The phone holds contacts 0..19999; the backup holds 10000..29999.
    std::string seeded = BenchPath("seeded.db");
    std::string phone = BenchPath("phone.db");
    bench::RemovePhoneFile(seeded);
    std::string error;
    if (!CreatePhoneFile(seeded, SimSetup{}, false, false, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SetPhonePath(seeded);
    std::u16string existing = WriteBackup(0, kContacts, "existing.txt");
    if (ImportContactsFromFile(existing, 2, nullptr) != 0) {
        state.SkipWithError("seeding the phone failed");
        return;
    }
    std::u16string backup = WriteBackup(kContacts / 2, kContacts, "backup.txt");

    double seconds = 0;
    double baseline = 0;
    for (auto _ : state) {
        state.PauseTiming();
        baseline += NewRowsBaseline(kContacts, kContacts / 2);
        bench::RemovePhoneFile(phone);
        std::filesystem::copy_file(seeded, phone);
        if (std::filesystem::exists(seeded + "-wal"))
            std::filesystem::copy_file(seeded + "-wal", phone + "-wal");
        SetPhonePath(phone);
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        if (ImportContactsFromFile(backup, 2, nullptr) != 0) state.SkipWithError("restore failed");
        seconds += bench::SecondsSince(start);
    }
    state.counters["ratio_to_sqlite_insert"] = seconds / baseline;
    state.counters["contacts/s"] =
        benchmark::Counter(kContacts, benchmark::Counter::kIsIterationInvariantRate);
    SetPhonePath("");
    bench::RemovePhoneFile(seeded);
    bench::RemovePhoneFile(phone);
    std::filesystem::remove(Utf16ToUtf8(existing));
    std::filesystem::remove(Utf16ToUtf8(backup));
}
BENCHMARK(BM_RestoreIntoAFullPhone)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
