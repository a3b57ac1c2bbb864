#include "app/progress_window.h"

#include "app/resource_ids.h"
#include "ui/controls.h"
#include "ui/dialog.h"

namespace {

constexpr int kProgressHeight = 30;
constexpr int kProgressMargin = 5;
constexpr std::uint32_t kProgressBarStyle = WS_VISIBLE | WS_CHILD | PBS_SMOOTH;
// The bar could not be made, so the job never ran.
constexpr ResultCode kNoProgressBar = -1;

struct ProgressRun {
    const OperationRequest& request;
    const OperationJob& job;
    HWND bar = nullptr;
};

void PlaceOverOwner(HWND window, HWND owner) {
    const RECT client = GetClientRect(owner);
    MoveWindow(window, kProgressMargin, (client.Height() - kProgressHeight) / 2,
               client.Width() - 2 * kProgressMargin, kProgressHeight, false);
}

LRESULT ProgressWindowProc(ProgressRun& run, HWND window, std::uint32_t message) {
    switch (message) {
        case WM_INITDIALOG: {
            PlaceOverOwner(window, run.request.owner);
            const RECT client = GetClientRect(window);
            run.bar = CreateControl(window, u"msctls_progress32", u"", kProgressBarStyle, 0, 0,
                                    client.Width(), client.Height(), 0);
            // The job starts from the queue so that the window shows and paints first.
            PostMessage(window, WM_APP, 0, 0);
            return TRUE;
        }
        case WM_APP: {
            const ResultCode result =
                run.bar != nullptr ? run.job(run.request, ProgressBarOf(run.bar)) : kNoProgressBar;
            run.bar = nullptr;
            EndDialog(window, result);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

ResultCode RunOperationWith(const OperationRequest& request, const OperationJob& job) {
    // Without an owner there is nowhere to place the window and nothing would ever start the job.
    if (request.owner == nullptr || !job) return -1;
    ProgressRun run{request, job};
    const LRESULT result = DialogBoxParam(
        kProgressTemplate, request.owner,
        [&run](HWND window, std::uint32_t message, WPARAM, LPARAM) {
            return ProgressWindowProc(run, window, message);
        },
        reinterpret_cast<LPARAM>(&request));
    return static_cast<ResultCode>(result);
}

ResultCode RunOperation(const OperationRequest& request) {
    return RunOperationWith(request, DispatchOperation);
}
