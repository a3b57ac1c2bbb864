#pragma once
// The message store (CE MAPI): logon to a session, the stores table, stores, folders with their
// hierarchy and contents tables, messages with properties, a body stream and a recipient table,
// and the creation of folders, messages, properties and recipients. Interface references are
// shared pointers: dropping one is the Release. Property values own their data.
//
// Properties come back one value per asked tag, in the asked order. A property the object does
// not have comes back as a PT_ERROR value (tag CHANGE_PROP_TYPE(asked, PT_ERROR), l =
// MAPI_E_NOT_FOUND) and the call returns MAPI_W_ERRORS_RETURNED, which is a success code:
// check the tag of each value, not only the result. A body kept "stream only" is absent from
// GetProps and readable only through OpenProperty(PR_BODY_W, IID_IStream).

#include <memory>
#include <string>
#include <vector>

#include "platform/mapi_types.h"

template <class T>
using MapiPtr = std::shared_ptr<T>;

constexpr IID IID_IStream = {
    0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);

struct MapiState;
struct StoredProp;

// Rows fetched in order; the columns are those of SetColumns, or every property of each row when
// none were set.
class IMAPITable {
  public:
    IMAPITable(std::vector<std::vector<SPropValue>> rows, SPropTagArray columns);
    HRESULT SetColumns(const SPropTagArray& columns, ULONG flags);
    // Up to rowCount rows from the current position; an empty set at the end.
    HRESULT QueryRows(LONG rowCount, ULONG flags, SRowSet& rows);

  private:
    std::vector<std::vector<SPropValue>> rows_;
    SPropTagArray columns_;
    std::size_t position_ = 0;
};

class IStream {
  public:
    explicit IStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    // Copies up to cb bytes from the current position; *read (if given) gets the count.
    HRESULT Read(void* buffer, ULONG cb, ULONG* read);

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

class IMessage {
  public:
    // A created message (created true) is pending until this object is let go: the phone commits
    // it only with its properties and recipients (see PhoneDb::EnableGrouping).
    IMessage(std::shared_ptr<MapiState> state, std::int64_t id, std::vector<StoredProp> props,
             bool created = false);
    ~IMessage();
    IMessage(const IMessage&) = delete;
    IMessage& operator=(const IMessage&) = delete;
    HRESULT GetProps(const SPropTagArray& tags, ULONG flags, std::vector<SPropValue>& values);
    // All values are stored in one commit, or none; MAPI_E_BAD_VALUE for a type the store
    // cannot keep.
    HRESULT SetProps(const std::vector<SPropValue>& values);
    HRESULT OpenProperty(ULONG tag, const IID& iid, ULONG interfaceOptions, ULONG flags,
                         MapiPtr<IStream>& stream);
    HRESULT GetRecipientTable(ULONG flags, MapiPtr<IMAPITable>& table);
    // Only MODRECIP_ADD: each entry becomes a further recipient row, properties in their order.
    HRESULT ModifyRecipients(ULONG flags, const ADRLIST& recipients);

  private:
    std::shared_ptr<MapiState> state_;
    std::int64_t id_;
    std::vector<StoredProp> props_;
    bool created_;
};

class IMAPIFolder {
  public:
    IMAPIFolder(std::shared_ptr<MapiState> state, std::int64_t id, std::int64_t storeId,
                std::u16string name);
    HRESULT GetProps(const SPropTagArray& tags, ULONG flags, std::vector<SPropValue>& values);
    // Subfolders in creation order, columns PR_ENTRYID and PR_DISPLAY_NAME_W by default.
    HRESULT GetHierarchyTable(ULONG flags, MapiPtr<IMAPITable>& table);
    // Messages in creation order, column PR_ENTRYID by default.
    HRESULT GetContentsTable(ULONG flags, MapiPtr<IMAPITable>& table);
    // With OPEN_IF_EXISTS a subfolder of that name (letter case ignored) is opened instead;
    // without it such a name fails with MAPI_E_COLLISION.
    HRESULT CreateFolder(ULONG folderType, const char16_t* name, const char16_t* comment,
                         const IID* iid, ULONG flags, MapiPtr<IMAPIFolder>& folder);
    // The message row exists from this call on; each SetProps is its own atomic step, and the
    // whole message becomes visible to others together once the message is let go.
    HRESULT CreateMessage(const IID* iid, ULONG flags, MapiPtr<IMessage>& message);

  private:
    std::shared_ptr<MapiState> state_;
    std::int64_t id_;
    std::int64_t storeId_;
    std::u16string name_;
};

// What OpenEntry opened: objType MAPI_FOLDER with folder set, or MAPI_MESSAGE with message set.
struct MapiEntry {
    ULONG objType = 0;
    MapiPtr<IMAPIFolder> folder;
    MapiPtr<IMessage> message;
};

class IMsgStore {
  public:
    IMsgStore(std::shared_ptr<MapiState> state, std::int64_t id);
    // PR_DISPLAY_NAME_W, PR_ENTRYID, PR_IPM_SUBTREE_ENTRYID (the top folder).
    HRESULT GetProps(const SPropTagArray& tags, ULONG flags, std::vector<SPropValue>& values);
    // A folder or message of this store; MAPI_E_INVALID_ENTRYID for anything else.
    HRESULT OpenEntry(const EntryId& id, const IID* iid, ULONG flags, MapiEntry& entry);

  private:
    std::shared_ptr<MapiState> state_;
    std::int64_t id_;
};

class IMAPISession {
  public:
    explicit IMAPISession(std::shared_ptr<MapiState> state) : state_(std::move(state)) {}
    // Stores in creation order, columns PR_DISPLAY_NAME_W and PR_ENTRYID by default.
    HRESULT GetMsgStoresTable(ULONG flags, MapiPtr<IMAPITable>& table);
    HRESULT OpenMsgStore(ULONG uiParam, const EntryId& id, const IID* iid, ULONG flags,
                         MapiPtr<IMsgStore>& store);
    // Ends the session's work: what it wrote is committed now, and a commit that fails is
    // reported here (MAPI_E_CALL_FAILED) rather than lost when the last object is dropped.
    HRESULT Logoff(ULONG uiParam, ULONG flags, ULONG reserved);

  private:
    std::shared_ptr<MapiState> state_;
};

// Logs on to the current phone's message store; the phone stays open until the session and
// every object got through it are dropped.
HRESULT MAPILogonEx(ULONG uiParam, const char16_t* profile, const char16_t* password, ULONG flags,
                    MapiPtr<IMAPISession>& session);
