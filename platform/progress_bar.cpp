#include "platform/progress_bar.h"

void SendProgress(ProgressBar* bar, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam) {
    if (bar != nullptr) bar->Send(message, wParam, lParam);
}

void BeginProgress(ProgressBar* bar, int total) {
    if (total <= 0) return;
    SendProgress(bar, PBM_SETRANGE, 0, ProgressRangeParam(total));
    SendProgress(bar, PBM_SETSTEP, 1, 0);
}

void StepProgress(ProgressBar* bar) {
    SendProgress(bar, PBM_STEPIT, 0, 0);
}

void EndProgress(ProgressBar* bar, int total) {
    SendProgress(bar, PBM_SETPOS, static_cast<std::uintptr_t>(total), 0);
}
