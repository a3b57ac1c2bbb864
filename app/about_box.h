#pragma once
// The About box: banner, product title, version and the maker's web address, with only "Done".

#include <cstdint>
#include <string_view>

#include "ui/ui_types.h"

constexpr std::u16string_view kVersionText = u"Version: 1.2.3";
constexpr std::u16string_view kWebAddress = u"https://www.quorvane.example/velloro";

LRESULT AboutBoxProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM lParam);
