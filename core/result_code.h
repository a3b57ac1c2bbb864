#pragma once

#include <cstdint>
#include <string>

// 0 is success; failures are positive and grouped by operation: 1-7 export contacts,
// 101-111 import contacts, 201-205 copy SIM contacts, 401-404 SMS. 107, 110, 111 and 205 mean
// partial success and are shown like failures.
using ResultCode = std::int32_t;

constexpr std::size_t kResultMessageMaxText = 300;

// The text for the code followed by the code in parentheses, "(%d)", with no blank between.
// A code outside the table yields only the parenthesised code.
std::u16string ResultMessage(ResultCode code);
