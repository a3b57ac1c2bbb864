#include "platform/message_store.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/phone/message_read_ahead.h"
#include "platform/phone/message_rows.h"
#include "platform/phone/phone_db.h"
#include "platform/phone/phone_location.h"
#include "platform/text.h"

// Subfolders by parent, keyed by the case-folded name, so a restore of many folders looks each
// name up at once. Filled from the table on first use under a parent; the job lock keeps other
// writers out while it lives.
struct FolderNames {
    std::unordered_map<std::u16string, FolderRow> byName;
};

struct MapiState {
    std::shared_ptr<PhoneConnection> phone;
    std::unordered_map<std::int64_t, FolderNames> folderNames;
    MessageReadAhead readAhead;
    PhoneDb& db() { return *phone->db; }
    FaultSet& faults() { return phone->faults; }
};

namespace {

SPropValue MissingProp(ULONG tag) {
    SPropValue v;
    v.ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
    v.l = MAPI_E_NOT_FOUND;
    return v;
}

// One value per asked tag from what the object has; absent ones as PT_ERROR values. The values
// are moved out of available, which is the caller's own copy (a row is fetched once); a tag asked
// for twice is copied, so that both answers hold it.
HRESULT AnswerProps(const SPropTagArray& tags, std::vector<SPropValue>& available,
                    std::vector<SPropValue>& values) {
    values.clear();
    values.reserve(tags.size());
    bool missing = false;
    for (ULONG tag : tags) {
        auto found = std::find_if(available.begin(), available.end(),
                                  [tag](const SPropValue& v) { return v.ulPropTag == tag; });
        if (found == available.end()) {
            values.push_back(MissingProp(tag));
            missing = true;
        } else if (std::count(tags.begin(), tags.end(), tag) == 1) {
            values.push_back(std::move(*found));
        } else {
            values.push_back(*found);
        }
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT AnswerProps(const SPropTagArray& tags, std::vector<SPropValue>&& available,
                    std::vector<SPropValue>& values) {
    return AnswerProps(tags, available, values);
}

std::u16string FoldedName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded)
        c = ToLowerChar(c);
    return folded;
}

// The names under parentId; null when the table could not be read.
FolderNames* SiblingNames(MapiState& state, std::int64_t parentId) {
    auto found = state.folderNames.find(parentId);
    if (found != state.folderNames.end()) return &found->second;
    auto children = ChildFolders(state.db(), parentId);
    if (!children) return nullptr;
    FolderNames names;
    for (FolderRow& child : *children) {
        // The first of two names equal but for case is the one a lookup finds.
        names.byName.emplace(FoldedName(child.name), std::move(child));
    }
    return &state.folderNames.emplace(parentId, std::move(names)).first->second;
}

std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

}  // namespace

IMAPITable::IMAPITable(std::vector<std::vector<SPropValue>> rows, SPropTagArray columns)
    : rows_(std::move(rows)), columns_(std::move(columns)) {}

HRESULT IMAPITable::SetColumns(const SPropTagArray& columns, ULONG) {
    if (columns.empty()) return MAPI_E_INVALID_PARAMETER;
    columns_ = columns;
    return S_OK;
}

HRESULT IMAPITable::QueryRows(LONG rowCount, ULONG, SRowSet& rows) {
    rows.clear();
    if (rowCount < 0) return MAPI_E_INVALID_PARAMETER;
    std::size_t end = std::min(rows_.size(), position_ + static_cast<std::size_t>(rowCount));
    for (; position_ < end; ++position_) {
        SRow row;
        // Rows are fetched once, in order, so each is handed over rather than copied.
        if (columns_.empty()) {
            row.lpProps = std::move(rows_[position_]);
        } else {
            AnswerProps(columns_, rows_[position_], row.lpProps);
        }
        rows.push_back(std::move(row));
    }
    return S_OK;
}

HRESULT IStream::Read(void* buffer, ULONG cb, ULONG* read) {
    if (buffer == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
    std::size_t count = std::min<std::size_t>(cb, bytes_.size() - position_);
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    if (read != nullptr) *read = static_cast<ULONG>(count);
    return S_OK;
}

IMessage::IMessage(std::shared_ptr<MapiState> state, std::int64_t id, std::vector<StoredProp> props,
                   bool created)
    : state_(std::move(state)), id_(id), props_(std::move(props)), created_(created) {
    if (created_) state_->db().HoldItem();
}

IMessage::~IMessage() {
    if (created_) state_->db().ReleaseItem();
}

HRESULT IMessage::GetProps(const SPropTagArray& tags, ULONG, std::vector<SPropValue>& values) {
    // Answered straight from the stored values: a backup asks this of every message, and each
    // value is copied once.
    values.clear();
    values.reserve(tags.size());
    bool missing = false;
    for (ULONG tag : tags) {
        if (tag == PR_ENTRYID) {
            values.push_back(
                BinaryProp(PR_ENTRYID, MakeEntryId(state_->db(), EntryKind::Message, id_)));
            continue;
        }
        auto found = std::find_if(props_.begin(), props_.end(), [tag](const StoredProp& p) {
            return !p.streamOnly && p.value.ulPropTag == tag;
        });
        if (found == props_.end()) {
            values.push_back(MissingProp(tag));
            missing = true;
        } else {
            values.push_back(found->value);
        }
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT IMessage::SetProps(const std::vector<SPropValue>& values) {
    if (state_->faults().Trips(FaultPoint::SmsSetProps)) return MAPI_E_NO_ACCESS;
    Transaction tx(state_->db());
    if (!tx.ok()) return MAPI_E_CALL_FAILED;
    for (const SPropValue& value : values)
        if (!PutMessageProp(state_->db(), id_, value, false)) return MAPI_E_BAD_VALUE;
    if (!tx.Commit()) return MAPI_E_CALL_FAILED;
    for (const SPropValue& value : values) {
        auto same = [&](const StoredProp& p) { return p.value.ulPropTag == value.ulPropTag; };
        auto found = std::find_if(props_.begin(), props_.end(), same);
        if (found == props_.end()) {
            props_.push_back({value, false});
        } else {
            *found = {value, false};
        }
    }
    return S_OK;
}

HRESULT IMessage::OpenProperty(ULONG tag, const IID& iid, ULONG, ULONG, MapiPtr<IStream>& stream) {
    stream.reset();
    if (tag != PR_BODY_W) return MAPI_E_NO_SUPPORT;
    if (!(iid == IID_IStream)) return E_NOINTERFACE;
    for (const StoredProp& p : props_) {
        if (p.value.ulPropTag == PR_BODY_W) {
            stream = std::make_shared<IStream>(Utf16LeBytes(p.value.lpszW));
            return S_OK;
        }
    }
    return MAPI_E_NOT_FOUND;
}

HRESULT IMessage::GetRecipientTable(ULONG, MapiPtr<IMAPITable>& table) {
    table.reset();
    auto stored = state_->readAhead.Recipients(state_->db(), id_);
    if (!stored) return MAPI_E_CALL_FAILED;
    std::vector<std::vector<SPropValue>> rows;
    rows.reserve(stored->size());
    for (SRow& row : *stored)
        rows.push_back(std::move(row.lpProps));
    table = std::make_shared<IMAPITable>(std::move(rows), SPropTagArray{});
    return S_OK;
}

HRESULT IMessage::ModifyRecipients(ULONG flags, const ADRLIST& recipients) {
    if (state_->faults().Trips(FaultPoint::SmsRecipients)) return MAPI_E_NO_ACCESS;
    if (flags != MODRECIP_ADD) return MAPI_E_NO_SUPPORT;
    Transaction tx(state_->db());
    if (!tx.ok()) return MAPI_E_CALL_FAILED;
    for (const ADRENTRY& entry : recipients)
        if (!AppendRecipientRow(state_->db(), id_, entry.rgPropVals)) return MAPI_E_BAD_VALUE;
    return tx.Commit() ? S_OK : MAPI_E_CALL_FAILED;
}

IMAPIFolder::IMAPIFolder(std::shared_ptr<MapiState> state, std::int64_t id, std::int64_t storeId,
                         std::u16string name)
    : state_(std::move(state)), id_(id), storeId_(storeId), name_(std::move(name)) {}

HRESULT IMAPIFolder::GetProps(const SPropTagArray& tags, ULONG, std::vector<SPropValue>& values) {
    return AnswerProps(tags,
                       {TextProp(PR_DISPLAY_NAME_W, name_),
                        BinaryProp(PR_ENTRYID, MakeEntryId(state_->db(), EntryKind::Folder, id_))},
                       values);
}

HRESULT IMAPIFolder::GetHierarchyTable(ULONG, MapiPtr<IMAPITable>& table) {
    table.reset();
    auto children = ChildFolders(state_->db(), id_);
    if (!children) return MAPI_E_CALL_FAILED;
    std::vector<std::vector<SPropValue>> rows;
    rows.reserve(children->size());
    for (const FolderRow& child : *children) {
        rows.push_back(
            {BinaryProp(PR_ENTRYID, MakeEntryId(state_->db(), EntryKind::Folder, child.id)),
             TextProp(PR_DISPLAY_NAME_W, child.name)});
    }
    table =
        std::make_shared<IMAPITable>(std::move(rows), SPropTagArray{PR_ENTRYID, PR_DISPLAY_NAME_W});
    return S_OK;
}

HRESULT IMAPIFolder::GetContentsTable(ULONG, MapiPtr<IMAPITable>& table) {
    table.reset();
    auto ids = FolderMessages(state_->db(), id_);
    if (!ids) return MAPI_E_CALL_FAILED;
    std::vector<std::vector<SPropValue>> rows;
    rows.reserve(ids->size());
    for (std::int64_t id : *ids)
        rows.push_back({BinaryProp(PR_ENTRYID, MakeEntryId(state_->db(), EntryKind::Message, id))});
    table = std::make_shared<IMAPITable>(std::move(rows), SPropTagArray{PR_ENTRYID});
    return S_OK;
}

HRESULT IMAPIFolder::CreateFolder(ULONG, const char16_t* name, const char16_t*, const IID*,
                                  ULONG flags, MapiPtr<IMAPIFolder>& folder) {
    folder.reset();
    if (state_->faults().Trips(FaultPoint::SmsCreateFolder)) return MAPI_E_NO_ACCESS;
    if (name == nullptr || *name == u'\0') return MAPI_E_INVALID_PARAMETER;
    std::u16string wanted(name);
    PhoneDb& db = state_->db();
    Transaction tx(db);
    if (!tx.ok()) return MAPI_E_CALL_FAILED;
    FolderNames* siblings = SiblingNames(*state_, id_);
    if (siblings == nullptr) return MAPI_E_CALL_FAILED;
    std::u16string key = FoldedName(wanted);
    auto found = siblings->byName.find(key);
    if (found != siblings->byName.end()) {
        if ((flags & OPEN_IF_EXISTS) == 0) return MAPI_E_COLLISION;
        const FolderRow& child = found->second;
        folder = std::make_shared<IMAPIFolder>(state_, child.id, storeId_, child.name);
        return S_OK;
    }
    auto id = InsertFolder(db, storeId_, id_, wanted);
    if (!id || !tx.Commit()) return MAPI_E_CALL_FAILED;
    siblings->byName.emplace(std::move(key), FolderRow{*id, storeId_, wanted});
    folder = std::make_shared<IMAPIFolder>(state_, *id, storeId_, std::move(wanted));
    return S_OK;
}

HRESULT IMAPIFolder::CreateMessage(const IID*, ULONG, MapiPtr<IMessage>& message) {
    message.reset();
    if (state_->faults().Trips(FaultPoint::SmsCreateMessage)) return MAPI_E_NO_ACCESS;
    Transaction tx(state_->db());
    if (!tx.ok()) return MAPI_E_CALL_FAILED;
    auto id = InsertMessage(state_->db(), id_);
    if (!id || !tx.Commit()) return MAPI_E_CALL_FAILED;
    message = std::make_shared<IMessage>(state_, *id, std::vector<StoredProp>{}, true);
    return S_OK;
}

IMsgStore::IMsgStore(std::shared_ptr<MapiState> state, std::int64_t id)
    : state_(std::move(state)), id_(id) {}

HRESULT IMsgStore::GetProps(const SPropTagArray& tags, ULONG, std::vector<SPropValue>& values) {
    bool asksTop = std::find(tags.begin(), tags.end(), PR_IPM_SUBTREE_ENTRYID) != tags.end();
    if (asksTop && state_->faults().Trips(FaultPoint::SmsTop)) return MAPI_E_CALL_FAILED;
    auto store = FindStore(state_->db(), id_);
    if (!store) return MAPI_E_CALL_FAILED;
    PhoneDb& db = state_->db();
    return AnswerProps(
        tags,
        {TextProp(PR_DISPLAY_NAME_W, store->name),
         BinaryProp(PR_ENTRYID, MakeEntryId(db, EntryKind::Store, id_)),
         BinaryProp(PR_IPM_SUBTREE_ENTRYID, MakeEntryId(db, EntryKind::Folder, store->topFolder))},
        values);
}

HRESULT IMsgStore::OpenEntry(const EntryId& id, const IID*, ULONG, MapiEntry& entry) {
    entry = MapiEntry{};
    PhoneDb& db = state_->db();
    std::int64_t rowId = 0;
    if (ParseEntryId(db, id, EntryKind::Folder, rowId)) {
        if (state_->faults().Trips(FaultPoint::SmsFolder)) return MAPI_E_NOT_FOUND;
        auto folder = FindFolder(db, rowId);
        if (!folder || folder->storeId != id_) return MAPI_E_NOT_FOUND;
        entry.objType = MAPI_FOLDER;
        entry.folder = std::make_shared<IMAPIFolder>(state_, rowId, id_, folder->name);
        return S_OK;
    }
    if (ParseEntryId(db, id, EntryKind::Message, rowId)) {
        if (state_->faults().Trips(FaultPoint::SmsMessage)) return MAPI_E_NOT_FOUND;
        std::vector<StoredProp> props;
        RowRead read = state_->readAhead.Load(db, rowId, props);
        if (read == RowRead::Failed) return MAPI_E_CALL_FAILED;
        if (read == RowRead::Missing) return MAPI_E_NOT_FOUND;
        entry.objType = MAPI_MESSAGE;
        entry.message = std::make_shared<IMessage>(state_, rowId, std::move(props));
        return S_OK;
    }
    return MAPI_E_INVALID_ENTRYID;
}

HRESULT IMAPISession::GetMsgStoresTable(ULONG, MapiPtr<IMAPITable>& table) {
    table.reset();
    if (state_->faults().Trips(FaultPoint::SmsStores)) return MAPI_E_CALL_FAILED;
    auto stores = ListStores(state_->db());
    if (!stores) return MAPI_E_CALL_FAILED;
    std::vector<std::vector<SPropValue>> rows;
    for (const StoreRow& store : *stores) {
        rows.push_back(
            {TextProp(PR_DISPLAY_NAME_W, store.name),
             BinaryProp(PR_ENTRYID, MakeEntryId(state_->db(), EntryKind::Store, store.id))});
    }
    table =
        std::make_shared<IMAPITable>(std::move(rows), SPropTagArray{PR_DISPLAY_NAME_W, PR_ENTRYID});
    return S_OK;
}

HRESULT IMAPISession::OpenMsgStore(ULONG, const EntryId& id, const IID*, ULONG,
                                   MapiPtr<IMsgStore>& store) {
    store.reset();
    if (state_->faults().Trips(FaultPoint::SmsOpen)) return MAPI_E_CALL_FAILED;
    std::int64_t rowId = 0;
    if (!ParseEntryId(state_->db(), id, EntryKind::Store, rowId)) return MAPI_E_INVALID_ENTRYID;
    if (!FindStore(state_->db(), rowId)) return MAPI_E_NOT_FOUND;
    store = std::make_shared<IMsgStore>(state_, rowId);
    return S_OK;
}

HRESULT IMAPISession::Logoff(ULONG, ULONG, ULONG) {
    return CommitPhoneJob(*state_->phone) ? S_OK : MAPI_E_CALL_FAILED;
}

HRESULT MAPILogonEx(ULONG, const char16_t*, const char16_t*, ULONG,
                    MapiPtr<IMAPISession>& session) {
    session.reset();
    auto phone = ConnectPhone();
    if (!phone || phone->faults.Trips(FaultPoint::SmsLogon)) return MAPI_E_LOGON_FAILED;
    auto state = std::make_shared<MapiState>();
    state->phone = std::move(phone);
    session = std::make_shared<IMAPISession>(std::move(state));
    return S_OK;
}
