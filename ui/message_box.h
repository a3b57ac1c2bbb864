#pragma once
// Message boxes with the phone's flags and answers (MB_* and ID* of ui_types.h).

#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/ui_types.h"

// The caption a box shows when it is given none of its own.
inline constexpr std::u16string_view kDefaultMessageBoxCaption = u"Error";

// Modal over the screen; returns IDOK, IDYES or IDNO. A test driver may answer in its place.
int MessageBox(HWND owner, std::u16string_view text, std::optional<std::u16string_view> caption,
               std::uint32_t flags);
