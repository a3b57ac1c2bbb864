#pragma once
// The message store as rows of the phone file: stores, folders (a tree under each store's top
// folder), messages with their properties, and recipient rows. Every list comes back in creation
// order, which is the table order the store shows. Callers hold the transaction. A list that
// could not be read whole comes back empty-handed (nullopt), never cut short.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/mapi_types.h"

class PhoneDb;

enum class EntryKind : std::uint8_t { Store = 1, Folder = 2, Message = 3 };

// Entry identifiers: 4 flag bytes (0), the phone's 16-byte identity, the kind, the row id as
// 8 bytes little-endian: 29 bytes, longer than the 20 a careless reader keeps.
constexpr std::size_t kEntryIdSize = 29;
EntryId MakeEntryId(const PhoneDb& db, EntryKind kind, std::int64_t rowId);
// False for an identifier of another phone, another length or another kind.
bool ParseEntryId(const PhoneDb& db, const EntryId& id, EntryKind kind, std::int64_t& rowId);

// The top folder's display name, which every store gets.
inline constexpr char16_t kTopFolderName[] = u"Top of Information Store";

struct StoreRow {
    std::int64_t id = 0;
    std::u16string name;
    std::int64_t topFolder = 0;
};
struct FolderRow {
    std::int64_t id = 0;
    std::int64_t storeId = 0;
    std::u16string name;
};
struct StoredProp {
    SPropValue value;
    bool streamOnly = false;
};

class Statement;
// The value of a stored property of type PROP_TYPE(tag) in the statement's column.
SPropValue ColumnValue(const Statement& stmt, ULONG tag, int column);

std::optional<std::int64_t> InsertStore(PhoneDb& db, std::u16string_view name);
std::optional<std::vector<StoreRow>> ListStores(PhoneDb& db);
std::optional<StoreRow> FindStore(PhoneDb& db, std::int64_t storeId);

std::optional<std::int64_t> InsertFolder(PhoneDb& db, std::int64_t storeId, std::int64_t parentId,
                                         std::u16string_view name);
std::optional<FolderRow> FindFolder(PhoneDb& db, std::int64_t folderId);
std::optional<std::vector<FolderRow>> ChildFolders(PhoneDb& db, std::int64_t parentId);
std::optional<std::vector<std::int64_t>> FolderMessages(PhoneDb& db, std::int64_t folderId);

std::optional<std::int64_t> InsertMessage(PhoneDb& db, std::int64_t folderId);
// Only PT_LONG, PT_SYSTIME, PT_UNICODE and PT_BINARY values are kept; false for others.
bool PutMessageProp(PhoneDb& db, std::int64_t messageId, const SPropValue& value, bool streamOnly);
enum class RowRead { Found, Missing, Failed };
// The message's properties in tag order, with its existence, in one query.
RowRead LoadMessage(PhoneDb& db, std::int64_t messageId, std::vector<StoredProp>& props);
bool AppendRecipientRow(PhoneDb& db, std::int64_t messageId, const std::vector<SPropValue>& row);
std::optional<SRowSet> LoadRecipientRows(PhoneDb& db, std::int64_t messageId);
