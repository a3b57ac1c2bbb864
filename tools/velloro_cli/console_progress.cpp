#include "console_progress.h"

#include <algorithm>
#include <string>

namespace {
constexpr int kCells = 40;
}

ConsoleProgressBar::~ConsoleProgressBar() {
    if (drawnCells_ >= 0) std::fputs("\r\033[K", out_);  // leave the line clean for the outcome
    std::fflush(out_);
}

void ConsoleProgressBar::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case PBM_SETRANGE:
            upper_ = static_cast<int>(static_cast<std::uint32_t>(lParam) >> 16 & 0xFFFF);
            position_ = 0;
            break;
        case PBM_SETSTEP:
            step_ = static_cast<int>(wParam);
            break;
        case PBM_STEPIT:
            // The platform bar wraps to the start when a step passes the end.
            position_ += step_;
            if (position_ > upper_) position_ = 0;
            break;
        case PBM_SETPOS:
            position_ = static_cast<int>(wParam);
            break;
        default:
            return;
    }
    Draw();
}

void ConsoleProgressBar::Draw() {
    int clamped = std::clamp(position_, 0, std::max(upper_, 0));
    int cells = upper_ > 0 ? clamped * kCells / upper_ : 0;
    if (cells == drawnCells_) return;
    drawnCells_ = cells;
    std::string line = "\r[" + std::string(cells, '#') + std::string(kCells - cells, ' ') + "] " +
                       std::to_string(upper_ > 0 ? clamped * 100 / upper_ : 0) + "%";
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}
