#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/phone/phone_db.h"
#include "platform/phone/phone_location.h"
#include "platform/phone/registry_rows.h"

namespace {

struct OpenKey {
    std::shared_ptr<PhoneConnection> phone;
    std::int64_t keyId = 0;
};

std::map<HKEY, OpenKey> gKeys;
HKEY gLastKey = 0;

OpenKey* Find(HKEY key) {
    auto found = gKeys.find(key);
    return found == gKeys.end() ? nullptr : &found->second;
}

HKEY Remember(OpenKey key) {
    HKEY handle = ++gLastKey;
    gKeys.emplace(handle, std::move(key));
    return handle;
}

std::u16string_view NameOf(const char16_t* name) {
    return name == nullptr ? std::u16string_view() : std::u16string_view(name);
}

// Both calls reach the key the same way; create decides whether a missing one is made.
LONG OpenOrCreate(HKEY root, const char16_t* subKey, bool create, HKEY* key, DWORD* disposition) {
    if (key == nullptr) return ERROR_INVALID_PARAMETER;
    *key = 0;
    if (root != HKEY_LOCAL_MACHINE || subKey == nullptr) return ERROR_INVALID_PARAMETER;
    auto path = NormalizeRegistryPath(subKey);
    if (!path) return ERROR_INVALID_PARAMETER;
    auto phone = ConnectPhone();
    if (!phone) return ERROR_ACCESS_DENIED;
    if (phone->faults.Trips(FaultPoint::RegistryOpen)) return ERROR_ACCESS_DENIED;
    PhoneDb& db = *phone->db;
    auto id = FindRegistryKey(db, *path);
    bool created = false;
    if (!id) {
        if (!create) return ERROR_FILE_NOT_FOUND;
        Transaction tx(db);
        id = tx.ok() ? CreateRegistryKey(db, *path, created) : std::nullopt;
        if (!id || !tx.Commit()) return ERROR_ACCESS_DENIED;
    }
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *key = Remember({std::move(phone), *id});
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExW(HKEY root, const char16_t* subKey, DWORD, REGSAM, HKEY* key) {
    return OpenOrCreate(root, subKey, false, key, nullptr);
}

LONG RegCreateKeyExW(HKEY root, const char16_t* subKey, DWORD, const char16_t*, DWORD, REGSAM,
                     const void*, HKEY* key, DWORD* disposition) {
    return OpenOrCreate(root, subKey, true, key, disposition);
}

LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD*, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
    OpenKey* open = Find(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
    auto value = GetRegistryValue(*open->phone->db, open->keyId, NameOf(name));
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = value->type;
    auto size = static_cast<DWORD>(value->data.size());
    if (data != nullptr && *dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && size > 0) std::memcpy(data, value->data.data(), size);
    if (dataSize != nullptr) *dataSize = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD, DWORD type, const BYTE* data,
                    DWORD dataSize) {
    OpenKey* open = Find(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    if (data == nullptr && dataSize > 0) return ERROR_INVALID_PARAMETER;
    if (open->phone->faults.Trips(FaultPoint::RegistryWrite)) return ERROR_ACCESS_DENIED;
    RegistryValue value{type, data == nullptr ? std::vector<std::uint8_t>()
                                              : std::vector<std::uint8_t>(data, data + dataSize)};
    // Each write is one step of the job's group, like every other call that writes.
    PhoneDb& db = *open->phone->db;
    Transaction tx(db);
    return tx.ok() && PutRegistryValue(db, open->keyId, NameOf(name), value) && tx.Commit()
               ? ERROR_SUCCESS
               : ERROR_ACCESS_DENIED;
}

LONG RegDeleteValueW(HKEY key, const char16_t* name) {
    OpenKey* open = Find(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    bool deleted = false;
    PhoneDb& db = *open->phone->db;
    Transaction tx(db);
    if (!tx.ok() || !DeleteRegistryValue(db, open->keyId, NameOf(name), deleted) || !tx.Commit())
        return ERROR_ACCESS_DENIED;
    return deleted ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegFlushKey(HKEY key) {
    OpenKey* open = Find(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    return CommitPhoneJob(*open->phone) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG RegCloseKey(HKEY key) {
    return gKeys.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
