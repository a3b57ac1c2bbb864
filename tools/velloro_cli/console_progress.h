#pragma once
// A progress bar drawn on a terminal: the same four messages the GUI's bar obeys.

#include <cstdio>

#include "platform/progress_bar.h"

class ConsoleProgressBar : public ProgressBar {
  public:
    explicit ConsoleProgressBar(std::FILE* out) : out_(out) {}
    ~ConsoleProgressBar() override;
    ConsoleProgressBar(const ConsoleProgressBar&) = delete;
    ConsoleProgressBar& operator=(const ConsoleProgressBar&) = delete;

    void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

  private:
    void Draw();

    std::FILE* out_;
    int upper_ = 100;  // the platform bar's range before anyone sets one
    int position_ = 0;
    int step_ = 10;
    int drawnCells_ = -1;
};
