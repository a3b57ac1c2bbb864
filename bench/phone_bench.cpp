// The emulated phone at sizes a heavy user reaches: reading every property of 100,000 messages,
// saving 20,000 contacts one Save at a time, creating 5,000 messages with their properties. The
// two writes are set against SQLite inserting the same rows in one transaction
// (ratio_to_sqlite_insert).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench_baselines.h"
#include "platform/contact_database.h"
#include "platform/message_store.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"

namespace {

std::string BenchPhonePath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("velloro-bench-") + name + "-" + std::to_string(getpid()) + ".db"))
        .string();
}

std::string MakePhone(const char* name) {
    std::string path = BenchPhonePath(name);
    bench::RemovePhoneFile(path);
    std::string error;
    if (!CreatePhoneFile(path, SimSetup{}, false, false, error)) return {};
    auto db = OpenPhoneDb(path, error);
    if (!db || !SmsTopFolder(*db, error)) return {};
    SetPhonePath(path);
    return path;
}

const SPropTagArray kMessageTags = {PR_SUBJECT_W,
                                    PR_BODY_W,
                                    PR_SENDER_EMAIL_ADDRESS_W,
                                    PR_SENDER_NAME_W,
                                    PR_MESSAGE_DELIVERY_TIME,
                                    PR_LAST_MODIFICATION_TIME,
                                    PR_MESSAGE_SIZE,
                                    PR_MESSAGE_FLAGS};

// Logs on and opens the first store, as the program's reader does before it walks the folders.
struct OpenStore {
    MapiPtr<IMAPISession> session;
    MapiPtr<IMsgStore> store;
    std::vector<SPropValue> values;  // [0] is the top folder's entry identifier
};

OpenStore OpenFirstStore() {
    OpenStore open;
    MAPILogonEx(0, nullptr, nullptr, 0, open.session);
    MapiPtr<IMAPITable> stores;
    open.session->GetMsgStoresTable(0, stores);
    SRowSet rows;
    stores->QueryRows(1, 0, rows);
    open.session->OpenMsgStore(0, rows[0].lpProps[1].bin, nullptr, 0, open.store);
    open.store->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, open.values);
    return open;
}

void BM_ReadEveryPropertyOf100kMessages(benchmark::State& state) {
    std::string path = MakePhone("read");
    {
        std::string error;
        auto db = OpenPhoneDb(path, error);
        Transaction tx(*db);
        auto top = SmsTopFolder(*db, error);
        auto inbox = AddFolderPath(*db, *top, {u"Inbox"}, error);
        for (int i = 0; i < 100000; ++i) {
            PhoneMessageSpec m;
            m.subject = u"Message number " + std::u16string(static_cast<std::size_t>(i % 40), u'x');
            m.senderAddress = u"+4670123";
            m.senderName = u"Anna";
            m.delivered = FileTimeFromUint64(134000000000000000ull + static_cast<std::uint64_t>(i));
            m.size = 40;
            m.flags = 1;
            AddMessage(*db, *inbox, m, error);
        }
        tx.Commit();
    }
    for (auto _ : state) {
        OpenStore open = OpenFirstStore();
        MapiPtr<IMsgStore>& store = open.store;
        std::vector<SPropValue>& values = open.values;
        MapiEntry top, inbox;
        store->OpenEntry(values[0].bin, nullptr, 0, top);
        MapiPtr<IMAPITable> hierarchy;
        top.folder->GetHierarchyTable(0, hierarchy);
        SRowSet rows;
        hierarchy->QueryRows(10, 0, rows);
        store->OpenEntry(rows[0].lpProps[0].bin, nullptr, 0, inbox);
        MapiPtr<IMAPITable> contents;
        inbox.folder->GetContentsTable(0, contents);
        std::size_t read = 0;
        while (contents->QueryRows(10, 0, rows) == S_OK && !rows.empty()) {
            for (const SRow& row : rows) {
                MapiEntry message;
                store->OpenEntry(row.lpProps[0].bin, nullptr, 0, message);
                for (ULONG tag : kMessageTags)
                    message.message->GetProps({tag}, 0, values);
                MapiPtr<IMAPITable> recipients;
                message.message->GetRecipientTable(0, recipients);
                ++read;
            }
        }
        benchmark::DoNotOptimize(read);
        state.counters["messages"] = static_cast<double>(read);
    }
    bench::RemovePhoneFile(path);
}
BENCHMARK(BM_ReadEveryPropertyOf100kMessages)->Unit(benchmark::kMillisecond)->Iterations(1);

std::u16string ContactLastName(int i) {
    return u"Last " + std::u16string(static_cast<std::size_t>(i % 20), u'n');
}

// The rows the contact saves below make: FirstName, LastName, Email1Address and the mobile
// number (field positions 1, 3, 21 and 9), the rest NULL.
double ContactRowsBaseline(int count) {
    return bench::SqliteInsertSeconds(BenchPhonePath("contacts-sqlite"), [&](sqlite3* db) {
        bench::Inserter insert(db, ContactInsertSql());
        for (int i = 0; i < count; ++i) {
            insert.Text(2, u"First").Text(4, ContactLastName(i));
            insert.Text(10, u"+46701234567").Text(22, u"someone@example.com").Run();
        }
    });
}

// The rows a restored sent message makes: the message, six properties, a recipient of four.
double MessageRowsBaseline(int count) {
    return bench::SqliteInsertSeconds(BenchPhonePath("messages-sqlite"), [&](sqlite3* db) {
        bench::Inserter message(db, "INSERT INTO messages(folder_id) VALUES (?)");
        bench::Inserter prop(
            db,
            "INSERT INTO message_props(message_id, tag, value, stream_only) VALUES (?, ?, ?, 0)");
        bench::Inserter recipient(
            db,
            "INSERT INTO recipient_props(message_id, row_no, seq, tag, value) "
            "VALUES (?, 1, ?, ?, ?)");
        for (int i = 0; i < count; ++i) {
            message.Int(1, 2).Run();
            std::int64_t id = sqlite3_last_insert_rowid(db);
            prop.Int(1, id).Int(2, PR_SUBJECT_W).Text(3, u"Restored text").Run();
            prop.Int(1, id).Int(2, PR_MESSAGE_STATUS).Int(3, MSGSTATUS_RECTYPE_SMS).Run();
            prop.Int(1, id).Int(2, PR_MESSAGE_FLAGS).Int(3, 0).Run();
            prop.Int(1, id).Int(2, PR_MESSAGE_CLASS_W).Text(3, u"IPM.SMStext").Run();
            prop.Int(1, id).Int(2, PR_MESSAGE_SIZE).Int(3, 26).Run();
            prop.Int(1, id).Int(2, PR_MESSAGE_DELIVERY_TIME).Int(3, 134000000000000000).Run();
            recipient.Int(1, id).Int(2, 1).Int(3, PR_RECIPIENT_TYPE).Int(4, MAPI_TO).Run();
            recipient.Int(1, id).Int(2, 2).Int(3, PR_ADDRTYPE_W).Text(4, u"SMS").Run();
            recipient.Int(1, id).Int(2, 3).Int(3, PR_EMAIL_ADDRESS_W).Text(4, u"+111").Run();
            recipient.Int(1, id).Int(2, 4).Int(3, PR_DISPLAY_NAME_W).Text(4, u"Anna").Run();
        }
    });
}

void ReportAgainstSqlite(benchmark::State& state, double seconds, double baseline, int rows) {
    state.counters["ratio_to_sqlite_insert"] = seconds / baseline;
    state.counters["records_per_s"] = rows / seconds;
}

void BM_Save20kContactsOneAtATime(benchmark::State& state) {
    double seconds = 0;
    double baseline = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = MakePhone("contacts");
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        CoInitializeEx(nullptr, 0);
        {
            ComPtr<IPOutlookApp> app;
            CoCreateInstance(CLSID_Application, nullptr, 1, IID_IPOutlookApp, app);
            app->Logon(nullptr);
            ComPtr<IFolder> folder;
            app->GetDefaultFolder(olFolderContacts, folder);
            ComPtr<IPOutlookItemCollection> items;
            folder->get_Items(items);
            for (int i = 0; i < 20000; ++i) {
                ComPtr<IContact> contact;
                items->Add(contact);
                contact->SetProperty(82, u"First");
                contact->SetProperty(84, ContactLastName(i));
                contact->SetProperty(63, u"+46701234567");
                contact->SetProperty(62, u"someone@example.com");
                contact->Save();
            }
            app->Logoff();
        }
        CoUninitialize();
        seconds += bench::SecondsSince(start);
        state.PauseTiming();
        bench::RemovePhoneFile(path);
        baseline += ContactRowsBaseline(20000);
        state.ResumeTiming();
    }
    ReportAgainstSqlite(state, seconds, baseline, 20000);
}
BENCHMARK(BM_Save20kContactsOneAtATime)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Create5kMessagesWithProperties(benchmark::State& state) {
    double seconds = 0;
    double baseline = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = MakePhone("messages");
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        OpenStore open = OpenFirstStore();
        MapiPtr<IMsgStore>& store = open.store;
        std::vector<SPropValue>& values = open.values;
        MapiEntry top;
        store->OpenEntry(values[0].bin, nullptr, 0, top);
        MapiPtr<IMAPIFolder> inbox;
        top.folder->CreateFolder(FOLDER_GENERIC, u"Inbox", nullptr, nullptr,
                                 MAPI_UNICODE | OPEN_IF_EXISTS, inbox);
        for (int i = 0; i < 5000; ++i) {
            MapiPtr<IMessage> message;
            inbox->CreateMessage(nullptr, 0, message);
            message->SetProps(
                {TextProp(PR_SUBJECT_W, u"Restored text"),
                 LongProp(PR_MESSAGE_STATUS, MSGSTATUS_RECTYPE_SMS), LongProp(PR_MESSAGE_FLAGS, 0),
                 TextProp(PR_MESSAGE_CLASS_W, u"IPM.SMStext"), LongProp(PR_MESSAGE_SIZE, 26)});
            message->SetProps(
                {TimeProp(PR_MESSAGE_DELIVERY_TIME, FileTimeFromUint64(134000000000000000ull))});
            message->ModifyRecipients(
                MODRECIP_ADD,
                {{{LongProp(PR_RECIPIENT_TYPE, MAPI_TO), TextProp(PR_ADDRTYPE_W, u"SMS"),
                   TextProp(PR_EMAIL_ADDRESS_W, u"+111"), TextProp(PR_DISPLAY_NAME_W, u"Anna")}}});
        }
        inbox.reset();
        top = MapiEntry{};
        open = OpenStore{};  // the job's end: its last group commits
        seconds += bench::SecondsSince(start);
        state.PauseTiming();
        bench::RemovePhoneFile(path);
        baseline += MessageRowsBaseline(5000);
        state.ResumeTiming();
    }
    ReportAgainstSqlite(state, seconds, baseline, 5000);
}
BENCHMARK(BM_Create5kMessagesWithProperties)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
