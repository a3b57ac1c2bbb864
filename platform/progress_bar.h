#pragma once
// The progress protocol: an operation drives a bar only with these four messages, with their
// platform values and parameters. A null bar is allowed everywhere and receives nothing.

#include <cstdint>

constexpr std::uint32_t PBM_SETRANGE = 0x0401;
constexpr std::uint32_t PBM_SETPOS = 0x0402;
constexpr std::uint32_t PBM_SETSTEP = 0x0404;
constexpr std::uint32_t PBM_STEPIT = 0x0405;

struct ProgressBar {
    virtual ~ProgressBar() = default;
    virtual void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

void SendProgress(ProgressBar* bar, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam);

// Range 0..total with step 1; sent only when total is above 0. Only the low 16 bits of total
// reach the bar, as the range's upper bound is packed into the high word of lParam.
void BeginProgress(ProgressBar* bar, int total);
void StepProgress(ProgressBar* bar);
// The final position, so the bar ends full even when fewer steps were made.
void EndProgress(ProgressBar* bar, int total);

// The range's packed lParam, and what a bar reads back out of it.
constexpr std::intptr_t ProgressRangeParam(int total) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(total) & 0xFFFFu) << 16);
}
