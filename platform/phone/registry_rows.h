#pragma once
// The registry as rows of the phone file: keys by their full path below HKEY_LOCAL_MACHINE
// (written "\SOFTWARE\..." with one leading backslash, letter case ignored), and typed values
// in creation order. Callers hold the transaction.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class PhoneDb;

// "\A\B" for "A\B", "\A\B\" and "\\A\B"; nothing for an empty path or an empty level.
std::optional<std::u16string> NormalizeRegistryPath(std::u16string_view path);

std::optional<std::int64_t> FindRegistryKey(PhoneDb& db, std::u16string_view normalizedPath);
// Creates the key and every missing parent; created says whether the key itself was new.
std::optional<std::int64_t> CreateRegistryKey(PhoneDb& db, std::u16string_view normalizedPath,
                                              bool& created);

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};
std::optional<RegistryValue> GetRegistryValue(PhoneDb& db, std::int64_t keyId,
                                              std::u16string_view name);
bool PutRegistryValue(PhoneDb& db, std::int64_t keyId, std::u16string_view name,
                      const RegistryValue& value);
// False only when the phone could not be written; a missing value is no failure here.
bool DeleteRegistryValue(PhoneDb& db, std::int64_t keyId, std::u16string_view name, bool& deleted);
bool DeleteRegistryKeyTree(PhoneDb& db, std::u16string_view normalizedPath);

struct RegistryEntry {
    std::u16string key;
    std::u16string name;
    RegistryValue value;
};
std::optional<std::vector<RegistryEntry>> ListRegistry(PhoneDb& db);
