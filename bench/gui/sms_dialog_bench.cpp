// The SMS page at the sizes real phones reach: 100,000 and 1,000,000 messages, 80% of them in one
// folder. Each run builds its phone, reads the store as the command line does (the baseline),
// then opens the page in backup mode, unticks and ticks the big folder collapsed and expanded,
// and saves a data file through Done. Runs offscreen or on any display (QT_QPA_PLATFORM).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

// Before any Qt header: the phone's SimSetup has a field that Qt's keywords would rename.
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_editor.h"
#include "platform/phone/phone_location.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "app/dialog_procs.h"
#include "app/resource_ids.h"
#include "bench/bench_messages.h"
#include "platform/text.h"
#include "sms/sms_operations.h"
#include "sms/sms_tree.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/shell.h"
#include "ui/test_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::filesystem::path BenchPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("velloro-bench-gui-" + std::to_string(getpid()) + "-" + name);
}

// Four folders: "Big" with 80% of the messages, three others sharing the rest.
bool FillPhone(const std::string& path, int messages) {
    const int big = messages / 5 * 4;
    const int rest = (messages - big) / 3;
    return FillBenchPhone(path, {{u"Big", big},
                                 {u"Inbox", rest},
                                 {u"Sent Items", rest},
                                 {u"Archive", messages - big - 2 * rest}});
}

struct Figures {
    double open = 0;
    double untickCollapsed = 0, tickCollapsed = 0;
    double untickExpanded = 0, tickExpanded = 0;
    double syncAndExport = 0;
    double peakMb = 0;
    bool ok = false;
};

// Clicks the item's box and waits until the page's posted tick rules reached first, then lets
// the view repaint: what the user waits for.
double ClickAndWait(HWND list, HTREEITEM item, HTREEITEM first, bool ticked) {
    const Clock::time_point start = Clock::now();
    if (!ClickTreeCheckBox(list, item)) return -1;
    const bool done = WaitUntil(
        [&] {
            return (TreeGetItemState(list, first, TVIS_STATEIMAGEMASK) == kStateTicked) == ticked;
        },
        60000);
    ProcessPendingEvents();
    return done ? Seconds(start) : -1;
}

// The page reads the store behind the progress window while it opens, and a step would run
// inside that window's loop; so the measuring step is queued again until the page is on top
// with its list filled.
void WhenListShown(const std::function<void(HWND)>& action) {
    RunSteps({[action] {
        HWND top = TopDialog();
        HWND list = top == nullptr ? nullptr : GetDlgItem(top, kSmsList);
        if (list != nullptr && TreeGetCount(list) > 0) {
            action(top);
        } else {
            WhenListShown(action);
        }
    }});
}

Figures RunPage(const std::filesystem::path& target) {
    Figures f;
    SmsTree tree;
    TestDriver driver;
    driver.QueueFileDialogAnswer(FileDialogAnswer{U16(target.string()), 1});
    const Clock::time_point start = Clock::now();
    WhenListShown([&](HWND page) {
        ProcessPendingEvents();
        f.open = Seconds(start);
        f.peakMb = PeakMegabytes();
        HWND list = GetDlgItem(page, kSmsList);
        HTREEITEM top = TreeGetNextItem(list, nullptr, TVGN_ROOT);
        HTREEITEM big = TreeGetNextItem(list, top, TVGN_CHILD);
        HTREEITEM first = TreeGetNextItem(list, big, TVGN_CHILD);
        TreeExpand(list, top, true);
        ProcessPendingEvents();
        f.untickCollapsed = ClickAndWait(list, big, first, false);
        f.tickCollapsed = ClickAndWait(list, big, first, true);
        TreeExpand(list, big, true);
        ProcessPendingEvents();
        f.untickExpanded = ClickAndWait(list, big, first, false);
        f.tickExpanded = ClickAndWait(list, big, first, true);
        // Leave the big folder unticked, so the export writes the other 20%.
        ClickAndWait(list, big, first, false);
        ClickButton(page, kSmsChangePath);
        const Clock::time_point done = Clock::now();
        PressSoftKey(0);
        f.syncAndExport = Seconds(done);
    });
    f.ok = DialogBoxParam(kSmsTemplate, nullptr, SmsDialogFor(tree), 1) == kDoneKey;
    return f;
}

void BM_SmsPage(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    const std::string phone = BenchPath("phone.db").string();
    const std::filesystem::path target = BenchPath("backup");
    const Clock::time_point fillStart = Clock::now();
    if (!FillPhone(phone, messages)) {
        state.SkipWithError("cannot build the phone");
        return;
    }
    const double fill = Seconds(fillStart);
    SetPhonePath(phone);
    EnsureApplication();
    SetScreenSize(480, 640);
    for (auto _ : state) {
        // The baseline: what velloro-cli backup-sms does, read and write, without a window.
        double cliRead = 0, cliWrite = 0;
        {
            SmsTree tree;
            Clock::time_point start = Clock::now();
            if (ReadSmsFromStore(&tree, nullptr) != 0) state.SkipWithError("read failed");
            cliRead = Seconds(start);
            start = Clock::now();
            const std::u16string file = U16(BenchPath("cli.dat").string());
            if (ExportSmsDataFile(&tree, file, nullptr) != 0) state.SkipWithError("write failed");
            cliWrite = Seconds(start);
        }
        const Figures f = RunPage(target);
        if (!f.ok) state.SkipWithError("the page did not end with Done");
        state.counters["fill_phone_s"] = fill;
        state.counters["cli_read_s"] = cliRead;
        state.counters["cli_write_s"] = cliWrite;
        state.counters["open_s"] = f.open;
        state.counters["open_per_cli_read"] = f.open / cliRead;
        state.counters["untick_collapsed_s"] = f.untickCollapsed;
        state.counters["tick_collapsed_s"] = f.tickCollapsed;
        state.counters["untick_expanded_s"] = f.untickExpanded;
        state.counters["tick_expanded_s"] = f.tickExpanded;
        state.counters["sync_export_s"] = f.syncAndExport;
        state.counters["peak_MB"] = f.peakMb;
        state.counters["records_per_s"] = messages / f.open;
        state.SetIterationTime(f.open);
    }
    bench::RemovePhoneFile(phone);
    std::filesystem::remove(BenchPath("cli.dat"));
    std::filesystem::remove(target.string() + ".dat");
}

BENCHMARK(BM_SmsPage)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
