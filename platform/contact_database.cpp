#include "platform/contact_database.h"

#include <string>
#include <vector>

#include "platform/phone/phone_db.h"
#include "platform/phone/phone_location.h"
#include "platform/text.h"

struct ContactDbState {
    std::shared_ptr<PhoneConnection> phone;
    bool loggedOn = false;
};

struct ContactItemList {
    std::vector<std::int64_t> rowIds;
};

namespace {

thread_local int tComInitCount = 0;

// getter slot or setter slot -> field position; -1 where the slot is no property.
constexpr int kMaxSlot = 102;
using SlotMap = std::array<int, kMaxSlot>;
const SlotMap& FieldBySlot(bool setter) {
    static const auto maps = [] {
        std::array<SlotMap, 2> m{};
        m[0].fill(-1);
        m[1].fill(-1);
        for (std::size_t i = 0; i < kContactFieldCount; ++i) {
            m[0][kContactProperties[i].getterSlot] = static_cast<int>(i);
            m[1][kContactProperties[i].SetterSlot()] = static_cast<int>(i);
        }
        return m;
    }();
    return maps[setter ? 1 : 0];
}

int FieldOfSlot(int slot, bool setter) {
    if (slot < 0 || slot >= kMaxSlot) return -1;
    return FieldBySlot(setter)[static_cast<std::size_t>(slot)];
}

void BindFields(Statement& stmt,
                const std::array<std::optional<std::u16string>, kContactFieldCount>& f) {
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
        int column = static_cast<int>(i) + 1;
        if (f[i]) {
            stmt.Bind(column, std::u16string_view(*f[i]));
        } else {
            stmt.BindNull(column);
        }
    }
}

}  // namespace

IContact::IContact(std::shared_ptr<ContactDbState> db, std::shared_ptr<ContactItemList> items,
                   std::int64_t rowId)
    : db_(std::move(db)), items_(std::move(items)), rowId_(rowId) {}

HRESULT IContact::GetProperty(int getterSlot, std::optional<std::u16string>& value) const {
    int field = FieldOfSlot(getterSlot, false);
    if (field < 0) return E_INVALIDARG;
    value = fields_[static_cast<std::size_t>(field)];
    return S_OK;
}

HRESULT IContact::SetProperty(int setterSlot, std::u16string_view value) {
    int field = FieldOfSlot(setterSlot, true);
    if (field < 0) return E_INVALIDARG;
    fields_[static_cast<std::size_t>(field)] = std::u16string(value);
    return S_OK;
}

HRESULT IContact::Save() {
    if (db_->phone->faults.Trips(FaultPoint::ContactsSave)) return E_FAIL;
    PhoneDb& db = *db_->phone->db;
    // Parameters are numbered in field order, the row id after them.
    static const std::string updateSql = "UPDATE contacts SET " + ContactColumnList(" = ?") +
                                         " WHERE id = ?" + std::to_string(kContactFieldCount + 1);
    Transaction tx(db);
    if (!tx.ok()) return E_FAIL;
    auto stmt = db.Prepare(rowId_ == 0 ? ContactInsertSql() : updateSql);
    if (stmt == nullptr) return E_FAIL;
    BindFields(*stmt, fields_);
    if (rowId_ != 0) stmt->Bind(static_cast<int>(kContactFieldCount) + 1, rowId_);
    stmt->Step();
    if (!stmt->ok() || !tx.Commit()) return E_FAIL;
    if (rowId_ == 0) {
        rowId_ = sqlite3_last_insert_rowid(db.handle());
        items_->rowIds.push_back(rowId_);
    }
    return S_OK;
}

IPOutlookItemCollection::IPOutlookItemCollection(std::shared_ptr<ContactDbState> db,
                                                 std::shared_ptr<ContactItemList> items)
    : db_(std::move(db)), items_(std::move(items)) {}

HRESULT IPOutlookItemCollection::Add(ComPtr<IContact>& item) {
    item.reset();
    if (db_->phone->faults.Trips(FaultPoint::ContactsAdd)) return E_FAIL;
    item = std::make_shared<IContact>(db_, items_, 0);
    return S_OK;
}

HRESULT IPOutlookItemCollection::get_Count(int* count) const {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<int>(items_->rowIds.size());
    return S_OK;
}

HRESULT IPOutlookItemCollection::Item(int index, ComPtr<IContact>& item) {
    item.reset();
    FaultSet& faults = db_->phone->faults;
    if (faults.TripsAt(FaultPoint::ContactsItem, index)) return E_FAIL;
    if (index < 1 || static_cast<std::size_t>(index) > items_->rowIds.size()) return E_INVALIDARG;
    static const std::string sql = "SELECT " + ContactColumnList() + " FROM contacts WHERE id = ?";
    auto load = db_->phone->db->Prepare(sql);
    if (load == nullptr) return E_FAIL;
    std::int64_t rowId = items_->rowIds[static_cast<std::size_t>(index) - 1];
    load->Bind(1, rowId);
    if (!load->Step()) return E_FAIL;
    auto contact = std::make_shared<IContact>(db_, items_, rowId);
    for (std::size_t i = 0; i < kContactFieldCount; ++i)
        if (!load->IsNull(static_cast<int>(i)))
            contact->fields()[i] = load->Text16(static_cast<int>(i));
    item = std::move(contact);
    return S_OK;
}

HRESULT IFolder::get_Items(ComPtr<IPOutlookItemCollection>& items) {
    items.reset();
    if (db_->phone->faults.Trips(FaultPoint::ContactsItems)) return E_FAIL;
    auto list = db_->phone->db->Prepare("SELECT id FROM contacts ORDER BY id");
    if (list == nullptr) return E_FAIL;
    auto rows = std::make_shared<ContactItemList>();
    while (list->Step())
        rows->rowIds.push_back(list->Int(0));
    if (!list->ok()) return E_FAIL;
    items = std::make_shared<IPOutlookItemCollection>(db_, std::move(rows));
    return S_OK;
}

HRESULT IPOutlookApp::Logon(HWND) {
    if (db_->phone->faults.Trips(FaultPoint::ContactsLogon)) return E_FAIL;
    db_->loggedOn = true;
    return S_OK;
}

HRESULT IPOutlookApp::Logoff() {
    if (!db_->loggedOn) return E_UNEXPECTED;
    db_->loggedOn = false;
    return CommitPhoneJob(*db_->phone) ? S_OK : E_FAIL;
}

HRESULT IPOutlookApp::GetDefaultFolder(int folderKind, ComPtr<IFolder>& folder) {
    folder.reset();
    if (db_->phone->faults.Trips(FaultPoint::ContactsFolder)) return E_FAIL;
    if (!db_->loggedOn) return E_UNEXPECTED;
    if (folderKind != olFolderContacts) return E_INVALIDARG;
    folder = std::make_shared<IFolder>(db_);
    return S_OK;
}

HRESULT CoInitializeEx(void*, DWORD) {
    // The switch lives in the phone file; COM itself holds no connection.
    if (PhoneFaultTrips(FaultPoint::ContactsCom)) return E_FAIL;
    ++tComInitCount;
    return tComInitCount == 1 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (tComInitCount > 0) --tComInitCount;
}

HRESULT CoCreateInstance(const CLSID& clsid, void*, DWORD, const IID& iid,
                         ComPtr<IPOutlookApp>& app) {
    app.reset();
    if (tComInitCount == 0) return CO_E_NOTINITIALIZED;
    if (!(clsid == CLSID_Application) || !(iid == IID_IPOutlookApp)) return E_NOINTERFACE;
    auto phone = ConnectPhone();
    if (!phone || phone->faults.Trips(FaultPoint::ContactsCreate)) return E_FAIL;
    auto state = std::make_shared<ContactDbState>();
    state->phone = std::move(phone);
    app = std::make_shared<IPOutlookApp>(std::move(state));
    return S_OK;
}
