#pragma once
// Phone files for the shell's tests, kept apart from Qt's headers (their keyword macros clash
// with the phone's names).

#include <string>

// A new phone with demo content at path.
bool MakeTestPhone(const std::string& path, std::string& error);
// Switches on the named fault (as velloro-phone names them) for every call.
bool SetTestPhoneFault(const std::string& path, const std::string& faultName);
