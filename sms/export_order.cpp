#include "sms/export_order.h"

#include "platform/little_endian.h"
#include "platform/registry.h"

namespace {

// The value's bytes as the registry holds a REG_DWORD; the type and size are not checked, so a
// short value leaves the preset bytes standing, as the phone program did.
bool QueryDword(HKEY key, const char16_t* name, std::uint32_t& value) {
    BYTE buffer[4] = {1, 0, 0, 0};
    DWORD size = sizeof buffer;
    if (RegQueryValueExW(key, name, nullptr, nullptr, buffer, &size) != ERROR_SUCCESS) return false;
    value = DecodeFixed32(buffer);
    return true;
}

bool SetDword(HKEY key, const char16_t* name, std::uint32_t value) {
    BYTE bytes[4];
    EncodeFixed32(bytes, value);
    return RegSetValueExW(key, name, 0, REG_DWORD, bytes, sizeof bytes) == ERROR_SUCCESS;
}

}  // namespace

int ReadExportOrder(std::uint32_t& sortBy, std::uint32_t& sequence) {
    RegKeyHolder key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVelloroRegistryKey, 0, 0, key.Out()) != ERROR_SUCCESS)
        return -1;
    if (!QueryDword(key.get(), kSortValueName, sortBy)) return -2;
    if (!QueryDword(key.get(), kSequenceValueName, sequence)) return -3;
    return 0;
}

int WriteExportOrder(std::uint32_t sortBy, std::uint32_t sequence) {
    RegKeyHolder key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVelloroRegistryKey, 0, nullptr, 0, 0, nullptr,
                        key.Out(), nullptr) != ERROR_SUCCESS)
        return -1;
    if (!SetDword(key.get(), kSortValueName, sortBy)) return -2;
    if (!SetDword(key.get(), kSequenceValueName, sequence)) return -3;
    // The values commit here; a commit refused lost them.
    if (RegFlushKey(key.get()) != ERROR_SUCCESS) return -4;
    return 0;
}

ExportOrder CurrentExportOrder() {
    ExportOrder order;
    ReadExportOrder(order.sortBy, order.sequence);
    return order;
}
