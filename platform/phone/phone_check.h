#pragma once
// Whether the current phone can be used at all, asked once before a job starts, so that a
// mistyped or foreign phone file is named as such instead of failing as a SIM or store fault.

#include <string>

enum class PhoneUse { Read, Write };

// Empty when the phone can be used so; otherwise one line naming the file and the reason:
// "no phone at FILE", "FILE is not a Velloro phone", "FILE cannot be written", or what opening
// it said. The default phone is created with demo content first, as every job would.
std::string CheckCurrentPhone(PhoneUse use);
