#pragma once
// The registry under HKEY_LOCAL_MACHINE, with the platform's calls and error codes. Key paths
// are written with their leading backslash ("\SOFTWARE\Quorvane\Velloro"); letter case is
// ignored. Reading never creates a key or a value. Each set is its own commit.

#include <cstdint>

#include "platform/win_types.h"

// A key handle; opened keys are per process and hold the phone open until closed.
using HKEY = std::uintptr_t;
using REGSAM = DWORD;

constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// ERROR_FILE_NOT_FOUND when the key does not exist.
LONG RegOpenKeyExW(HKEY root, const char16_t* subKey, DWORD options, REGSAM access, HKEY* key);
// Opens the key or creates it with its missing parents; disposition (if given) says which.
LONG RegCreateKeyExW(HKEY root, const char16_t* subKey, DWORD reserved, const char16_t* keyClass,
                     DWORD options, REGSAM access, const void* security, HKEY* key,
                     DWORD* disposition);
// As the platform: type and data are optional outputs; *dataSize is the buffer's size on entry
// and the value's size on return; a short buffer gives ERROR_MORE_DATA and leaves data alone.
LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);
LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);
LONG RegDeleteValueW(HKEY key, const char16_t* name);
// Commits what was set so far; ERROR_ACCESS_DENIED when that commit failed.
LONG RegFlushKey(HKEY key);
LONG RegCloseKey(HKEY key);

// Closes on scope exit.
class RegKeyHolder {
  public:
    RegKeyHolder() = default;
    ~RegKeyHolder() { Reset(); }
    RegKeyHolder(const RegKeyHolder&) = delete;
    RegKeyHolder& operator=(const RegKeyHolder&) = delete;
    HKEY* Out() { return &key_; }
    HKEY get() const { return key_; }
    void Reset() {
        if (key_ != 0) RegCloseKey(key_);
        key_ = 0;
    }

  private:
    HKEY key_ = 0;
};
