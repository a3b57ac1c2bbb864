#pragma once
// The whole phone as JSON, keys in a fixed order, absent fields and properties left out,
// indented by two spaces per level. The folder tree is walked without recursion and its
// indentation stops growing past kMaxDumpIndentLevel, so even a phone of 100,000 nested
// folders prints in time and space linear in its size.

#include <ostream>

class PhoneDb;

constexpr int kMaxDumpIndentLevel = 64;

// False when the phone could not be read whole; what was written is then incomplete.
bool WritePhoneDump(std::ostream& out, PhoneDb& db);
