#pragma once
// The contact database's object model: COM start and end, the application object, logon, the
// default contacts folder, its item collection (Add, count, 1-based Item) and contact items
// with the 43 string properties of kContactProperties, reached by their getter and setter
// slots. Interface references are shared pointers: dropping one is the Release.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/contact_properties.h"
#include "platform/hwnd.h"
#include "platform/win_types.h"

constexpr CLSID CLSID_Application = {
    0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
constexpr IID IID_IPOutlookApp = {
    0x05058F22, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};

constexpr DWORD COINIT_MULTITHREADED = 0;
constexpr DWORD CLSCTX_INPROC_SERVER = 1;
constexpr int olFolderContacts = 10;

template <class T>
using ComPtr = std::shared_ptr<T>;

struct ContactDbState;
struct ContactItemList;

// One contact. A getter gives the stored text, or nothing for a property never set; a setter
// changes only this object until Save, which appends it to the folder (a new item) or updates
// its row.
class IContact {
  public:
    IContact(std::shared_ptr<ContactDbState> db, std::shared_ptr<ContactItemList> items,
             std::int64_t rowId);
    // E_INVALIDARG for a slot that is no getter of the property table.
    HRESULT GetProperty(int getterSlot, std::optional<std::u16string>& value) const;
    HRESULT SetProperty(int setterSlot, std::u16string_view value);
    HRESULT Save();

    std::array<std::optional<std::u16string>, kContactFieldCount>& fields() { return fields_; }

  private:
    std::shared_ptr<ContactDbState> db_;
    std::shared_ptr<ContactItemList> items_;
    std::int64_t rowId_;  // 0 until a new item is saved
    std::array<std::optional<std::u16string>, kContactFieldCount> fields_;
};

// The folder's items in their stored order, counted when the collection was got; items this
// collection adds and saves are appended.
class IPOutlookItemCollection {
  public:
    IPOutlookItemCollection(std::shared_ptr<ContactDbState> db,
                            std::shared_ptr<ContactItemList> items);
    HRESULT Add(ComPtr<IContact>& item);
    HRESULT get_Count(int* count) const;
    // index is 1-based; E_INVALIDARG outside 1..count.
    HRESULT Item(int index, ComPtr<IContact>& item);

  private:
    std::shared_ptr<ContactDbState> db_;
    std::shared_ptr<ContactItemList> items_;
};

class IFolder {
  public:
    explicit IFolder(std::shared_ptr<ContactDbState> db) : db_(std::move(db)) {}
    HRESULT get_Items(ComPtr<IPOutlookItemCollection>& items);

  private:
    std::shared_ptr<ContactDbState> db_;
};

class IPOutlookApp {
  public:
    explicit IPOutlookApp(std::shared_ptr<ContactDbState> db) : db_(std::move(db)) {}
    HRESULT Logon(HWND window);
    // Commits what the session wrote; E_FAIL when that commit failed, E_UNEXPECTED when not
    // logged on.
    HRESULT Logoff();
    // Only folder kind olFolderContacts exists; E_UNEXPECTED before Logon.
    HRESULT GetDefaultFolder(int folderKind, ComPtr<IFolder>& folder);

  private:
    std::shared_ptr<ContactDbState> db_;
};

// COM for this thread; each successful start is balanced by one CoUninitialize.
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();
// Creates the application object over the current phone; CO_E_NOTINITIALIZED without COM,
// E_NOINTERFACE for another class or interface.
HRESULT CoCreateInstance(const CLSID& clsid, void* outer, DWORD clsContext, const IID& iid,
                         ComPtr<IPOutlookApp>& app);
