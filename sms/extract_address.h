#pragma once

#include <string>
#include <string_view>

// The address inside the last "<...>" of a text such as Anna <+111>; the whole text when it has
// no such pair. Never longer than an address field.
std::u16string ExtractAddress(std::u16string_view text);
