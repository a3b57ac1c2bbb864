#include "platform/phone/message_rows.h"

#include <algorithm>

#include "platform/phone/phone_db.h"

namespace {

constexpr std::size_t kUidOffset = 4;
constexpr std::size_t kKindOffset = 20;
constexpr std::size_t kRowIdOffset = 21;

std::optional<std::int64_t> InsertedRow(PhoneDb& db, const StatementRef& stmt) {
    if (stmt == nullptr) return std::nullopt;
    stmt->Step();
    if (!stmt->ok()) return std::nullopt;
    return sqlite3_last_insert_rowid(db.handle());
}

bool Done(const StatementRef& stmt) {
    if (stmt == nullptr) return false;
    stmt->Step();
    return stmt->ok();
}

bool BindValue(Statement& stmt, int index, const SPropValue& value) {
    switch (PROP_TYPE(value.ulPropTag)) {
        case PT_LONG:
            stmt.Bind(index, std::int64_t{value.l});
            return true;
        case PT_SYSTIME:
            stmt.Bind(index, static_cast<std::int64_t>(FileTimeToUint64(value.ft)));
            return true;
        case PT_UNICODE:
            stmt.Bind(index, std::u16string_view(value.lpszW));
            return true;
        case PT_BINARY:
            stmt.BindBlob(index, value.bin);
            return true;
        default:
            return false;
    }
}

}  // namespace

SPropValue ColumnValue(const Statement& stmt, ULONG tag, int column) {
    SPropValue v;
    v.ulPropTag = tag;
    switch (PROP_TYPE(tag)) {
        case PT_LONG:
            v.l = static_cast<LONG>(stmt.Int(column));
            break;
        case PT_SYSTIME:
            v.ft = FileTimeFromUint64(static_cast<std::uint64_t>(stmt.Int(column)));
            break;
        case PT_UNICODE:
            v.lpszW = stmt.Text16(column);
            break;
        case PT_BINARY:
            v.bin = stmt.Blob(column);
            break;
        default:
            break;
    }
    return v;
}

EntryId MakeEntryId(const PhoneDb& db, EntryKind kind, std::int64_t rowId) {
    EntryId id(kEntryIdSize, 0);
    std::copy(db.uid().begin(), db.uid().end(), id.begin() + kUidOffset);
    id[kKindOffset] = static_cast<std::uint8_t>(kind);
    auto value = static_cast<std::uint64_t>(rowId);
    for (std::size_t i = 0; i < 8; ++i)
        id[kRowIdOffset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return id;
}

bool ParseEntryId(const PhoneDb& db, const EntryId& id, EntryKind kind, std::int64_t& rowId) {
    if (id.size() != kEntryIdSize || id[kKindOffset] != static_cast<std::uint8_t>(kind) ||
        !std::equal(db.uid().begin(), db.uid().end(), id.begin() + kUidOffset)) {
        return false;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(id[kRowIdOffset + i]) << (8 * i);
    rowId = static_cast<std::int64_t>(value);
    return true;
}

std::optional<std::int64_t> InsertStore(PhoneDb& db, std::u16string_view name) {
    auto store = db.Prepare("INSERT INTO stores(name, top_folder) VALUES (?, 0)");
    if (store == nullptr) return std::nullopt;
    store->Bind(1, name);
    auto storeId = InsertedRow(db, store);
    if (!storeId) return std::nullopt;
    auto top = InsertFolder(db, *storeId, 0, kTopFolderName);
    auto link = db.Prepare("UPDATE stores SET top_folder = ? WHERE id = ?");
    if (!top || link == nullptr) return std::nullopt;
    link->Bind(1, *top).Bind(2, *storeId);
    if (!Done(link)) return std::nullopt;
    return storeId;
}

std::optional<std::vector<StoreRow>> ListStores(PhoneDb& db) {
    std::vector<StoreRow> stores;
    auto list = db.Prepare("SELECT id, name, top_folder FROM stores ORDER BY id");
    if (list == nullptr) return std::nullopt;
    while (list->Step())
        stores.push_back({list->Int(0), list->Text16(1), list->Int(2)});
    if (!list->ok()) return std::nullopt;
    return stores;
}

std::optional<StoreRow> FindStore(PhoneDb& db, std::int64_t storeId) {
    auto find = db.Prepare("SELECT id, name, top_folder FROM stores WHERE id = ?");
    if (find == nullptr) return std::nullopt;
    find->Bind(1, storeId);
    if (!find->Step()) return std::nullopt;
    return StoreRow{find->Int(0), find->Text16(1), find->Int(2)};
}

std::optional<std::int64_t> InsertFolder(PhoneDb& db, std::int64_t storeId, std::int64_t parentId,
                                         std::u16string_view name) {
    auto insert = db.Prepare("INSERT INTO folders(store_id, parent_id, name) VALUES (?, ?, ?)");
    if (insert == nullptr) return std::nullopt;
    insert->Bind(1, storeId).Bind(3, name);
    if (parentId == 0) {
        insert->BindNull(2);
    } else {
        insert->Bind(2, parentId);
    }
    return InsertedRow(db, insert);
}

std::optional<FolderRow> FindFolder(PhoneDb& db, std::int64_t folderId) {
    auto find = db.Prepare("SELECT id, store_id, name FROM folders WHERE id = ?");
    if (find == nullptr) return std::nullopt;
    find->Bind(1, folderId);
    if (!find->Step()) return std::nullopt;
    return FolderRow{find->Int(0), find->Int(1), find->Text16(2)};
}

std::optional<std::vector<FolderRow>> ChildFolders(PhoneDb& db, std::int64_t parentId) {
    std::vector<FolderRow> folders;
    auto list =
        db.Prepare("SELECT id, store_id, name FROM folders WHERE parent_id = ? ORDER BY id");
    if (list == nullptr) return std::nullopt;
    list->Bind(1, parentId);
    while (list->Step())
        folders.push_back({list->Int(0), list->Int(1), list->Text16(2)});
    if (!list->ok()) return std::nullopt;
    return folders;
}

std::optional<std::vector<std::int64_t>> FolderMessages(PhoneDb& db, std::int64_t folderId) {
    std::vector<std::int64_t> messages;
    auto list = db.Prepare("SELECT id FROM messages WHERE folder_id = ? ORDER BY id");
    if (list == nullptr) return std::nullopt;
    list->Bind(1, folderId);
    while (list->Step())
        messages.push_back(list->Int(0));
    if (!list->ok()) return std::nullopt;
    return messages;
}

std::optional<std::int64_t> InsertMessage(PhoneDb& db, std::int64_t folderId) {
    auto insert = db.Prepare("INSERT INTO messages(folder_id) VALUES (?)");
    if (insert == nullptr) return std::nullopt;
    insert->Bind(1, folderId);
    return InsertedRow(db, insert);
}

bool PutMessageProp(PhoneDb& db, std::int64_t messageId, const SPropValue& value, bool streamOnly) {
    auto put = db.Prepare(
        "INSERT OR REPLACE INTO message_props(message_id, tag, value, stream_only) "
        "VALUES (?, ?, ?, ?)");
    if (put == nullptr) return false;
    put->Bind(1, messageId).Bind(2, std::int64_t{value.ulPropTag}).Bind(4, streamOnly ? 1 : 0);
    return BindValue(*put, 3, value) && Done(put);
}

RowRead LoadMessage(PhoneDb& db, std::int64_t messageId, std::vector<StoredProp>& props) {
    props.clear();
    // A message has a handful of properties; room for them at once saves the growth steps.
    props.reserve(8);
    // Any row at all means the message exists (one with no properties gives a NULL tag), so
    // existence costs no query of its own.
    auto load = db.Prepare(
        "SELECT p.tag, p.value, p.stream_only FROM messages AS m "
        "LEFT JOIN message_props AS p ON p.message_id = m.id WHERE m.id = ? ORDER BY p.tag");
    if (load == nullptr) return RowRead::Failed;
    load->Bind(1, messageId);
    bool found = false;
    while (load->Step()) {
        found = true;
        if (load->IsNull(0)) continue;
        auto tag = static_cast<ULONG>(load->Int(0));
        props.push_back({ColumnValue(*load, tag, 1), load->Int(2) != 0});
    }
    if (!load->ok()) return RowRead::Failed;
    return found ? RowRead::Found : RowRead::Missing;
}

bool AppendRecipientRow(PhoneDb& db, std::int64_t messageId, const std::vector<SPropValue>& row) {
    auto last =
        db.Prepare("SELECT COALESCE(MAX(row_no), 0) FROM recipient_props WHERE message_id = ?");
    if (last == nullptr) return false;
    last->Bind(1, messageId);
    if (!last->Step()) return false;
    std::int64_t rowNo = last->Int(0) + 1;
    auto put = db.Prepare(
        "INSERT INTO recipient_props(message_id, row_no, seq, tag, value) VALUES (?, ?, ?, ?, ?)");
    if (put == nullptr) return false;
    std::int64_t seq = 0;
    for (const SPropValue& value : row) {
        put->Reset().Bind(1, messageId).Bind(2, rowNo).Bind(3, ++seq);
        put->Bind(4, std::int64_t{value.ulPropTag});
        if (!BindValue(*put, 5, value) || !Done(put)) return false;
    }
    return true;
}

std::optional<SRowSet> LoadRecipientRows(PhoneDb& db, std::int64_t messageId) {
    SRowSet rows;
    auto load = db.Prepare(
        "SELECT row_no, tag, value FROM recipient_props WHERE message_id = ? "
        "ORDER BY row_no, seq");
    if (load == nullptr) return std::nullopt;
    load->Bind(1, messageId);
    std::int64_t current = 0;
    while (load->Step()) {
        if (rows.empty() || load->Int(0) != current) {
            rows.emplace_back();
            current = load->Int(0);
        }
        auto tag = static_cast<ULONG>(load->Int(1));
        rows.back().lpProps.push_back(ColumnValue(*load, tag, 2));
    }
    if (!load->ok()) return std::nullopt;
    return rows;
}
