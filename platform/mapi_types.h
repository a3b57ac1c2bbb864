#pragma once
// The message store's property values, tags, rows and address lists. Values own their data, so
// what MAPIFreeBuffer and FreeProws did on the phone happens when they go out of scope.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "platform/win_types.h"

constexpr ULONG PT_LONG = 0x0003;
constexpr ULONG PT_ERROR = 0x000A;
constexpr ULONG PT_SYSTIME = 0x0040;
constexpr ULONG PT_UNICODE = 0x001F;
constexpr ULONG PT_BINARY = 0x0102;

constexpr ULONG PROP_TYPE(ULONG tag) {
    return tag & 0xFFFFu;
}
constexpr ULONG PROP_ID(ULONG tag) {
    return tag >> 16;
}
constexpr ULONG CHANGE_PROP_TYPE(ULONG tag, ULONG type) {
    return (tag & 0xFFFF0000u) | type;
}

constexpr ULONG PR_DISPLAY_NAME_W = 0x3001001F;
constexpr ULONG PR_ENTRYID = 0x0FFF0102;
constexpr ULONG PR_IPM_SUBTREE_ENTRYID = 0x35E00102;
constexpr ULONG PR_SUBJECT_W = 0x0037001F;
constexpr ULONG PR_BODY_W = 0x1000001F;
constexpr ULONG PR_SENDER_EMAIL_ADDRESS_W = 0x0C1F001F;
constexpr ULONG PR_SENDER_NAME_W = 0x0C1A001F;
constexpr ULONG PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr ULONG PR_LAST_MODIFICATION_TIME = 0x30080040;
constexpr ULONG PR_MESSAGE_SIZE = 0x0E080003;
constexpr ULONG PR_MESSAGE_FLAGS = 0x0E070003;
constexpr ULONG PR_EMAIL_ADDRESS_W = 0x3003001F;
constexpr ULONG PR_MESSAGE_STATUS = 0x0E170003;
constexpr ULONG PR_MESSAGE_CLASS_W = 0x001A001F;
constexpr ULONG PR_RECIPIENT_TYPE = 0x0C150003;
constexpr ULONG PR_ADDRTYPE_W = 0x3002001F;

constexpr ULONG MAPI_UNICODE = 0x80000000u;
constexpr ULONG MAPI_MODIFY = 0x00000001u;
constexpr ULONG OPEN_IF_EXISTS = 0x00000001u;
constexpr ULONG MODRECIP_ADD = 0x00000002u;
constexpr ULONG MAPI_TO = 1;
constexpr ULONG MSGFLAG_UNSENT = 0x00000008u;
constexpr ULONG MSGSTATUS_RECTYPE_SMS = 0x00040000u;
constexpr ULONG FOLDER_GENERIC = 1;

constexpr ULONG MAPI_STORE = 1;
constexpr ULONG MAPI_FOLDER = 3;
constexpr ULONG MAPI_MESSAGE = 5;

constexpr HRESULT MAPI_E_CALL_FAILED = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT MAPI_E_NO_ACCESS = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT MAPI_E_INVALID_PARAMETER = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT MAPI_E_NO_SUPPORT = static_cast<HRESULT>(0x80040102u);
constexpr HRESULT MAPI_E_NOT_FOUND = static_cast<HRESULT>(0x8004010Fu);
constexpr HRESULT MAPI_E_INVALID_ENTRYID = static_cast<HRESULT>(0x80040107u);
constexpr HRESULT MAPI_E_LOGON_FAILED = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT MAPI_E_BAD_VALUE = static_cast<HRESULT>(0x80040301u);
constexpr HRESULT MAPI_E_COLLISION = static_cast<HRESULT>(0x80040604u);
// A success: some asked properties came back as PT_ERROR values.
constexpr HRESULT MAPI_W_ERRORS_RETURNED = 0x00040380;

// An entry identifier is a byte string of whatever length the store gives; nothing cuts it.
using EntryId = std::vector<std::uint8_t>;

// One property. The member that matters follows the tag's type: l for PT_LONG (and the error
// code of a PT_ERROR value), ft for PT_SYSTIME, lpszW for PT_UNICODE, bin for PT_BINARY.
struct SPropValue {
    ULONG ulPropTag = 0;
    LONG l = 0;
    FILETIME ft{};
    std::u16string lpszW;
    std::vector<std::uint8_t> bin;
};

inline SPropValue LongProp(ULONG tag, std::uint32_t value) {
    SPropValue v;
    v.ulPropTag = tag;
    v.l = static_cast<LONG>(value);
    return v;
}
inline SPropValue TimeProp(ULONG tag, FILETIME value) {
    SPropValue v;
    v.ulPropTag = tag;
    v.ft = value;
    return v;
}
inline SPropValue TextProp(ULONG tag, std::u16string value) {
    SPropValue v;
    v.ulPropTag = tag;
    v.lpszW = std::move(value);
    return v;
}
inline SPropValue BinaryProp(ULONG tag, std::vector<std::uint8_t> value) {
    SPropValue v;
    v.ulPropTag = tag;
    v.bin = std::move(value);
    return v;
}

using SPropTagArray = std::vector<ULONG>;

struct SRow {
    std::vector<SPropValue> lpProps;
};
using SRowSet = std::vector<SRow>;

struct ADRENTRY {
    std::vector<SPropValue> rgPropVals;
};
using ADRLIST = std::vector<ADRENTRY>;
