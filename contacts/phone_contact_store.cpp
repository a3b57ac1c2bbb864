#include "contacts/phone_contact_store.h"

#include <optional>
#include <string>

void InitPhoneContactStore(PhoneContactStore& store) {
    store = PhoneContactStore{};
}

bool OpenPhoneContactStore(PhoneContactStore& store) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return false;
    store.comStarted = true;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                                store.app)))
        return false;
    if (FAILED(store.app->Logon(nullptr))) return false;
    if (FAILED(store.app->GetDefaultFolder(olFolderContacts, store.contactsFolder))) return false;
    return SUCCEEDED(store.contactsFolder->get_Items(store.items));
}

bool ClosePhoneContactStore(PhoneContactStore& store) {
    store.items.reset();
    store.contactsFolder.reset();
    bool committed = true;
    if (store.app) {
        // E_UNEXPECTED: never logged on, so nothing was written through it.
        committed = store.app->Logoff() != E_FAIL;
        store.app.reset();
    }
    // Balanced also when the application object could not be created, so a failed open does
    // not leave COM started on the thread.
    if (store.comStarted) CoUninitialize();
    store.comStarted = false;
    return committed;
}

std::int32_t StoredPhoneContactCount(const PhoneContactStore& store) {
    if (!store.items) return -1;
    int count = 0;
    store.items->get_Count(&count);
    return count;
}

std::int32_t VisitPhoneContacts(const PhoneContactStore& store, const PhoneContactVisitor& visit,
                                ProgressBar* bar) {
    if (!store.items) return -1;
    int count = 0;
    store.items->get_Count(&count);
    std::array<std::optional<std::u16string>, kContactFieldCount> values;
    PhoneContactTexts texts;
    for (int index = 1; index <= count; ++index) {
        ComPtr<IContact> item;
        if (SUCCEEDED(store.items->Item(index, item)) && item) {
            for (std::size_t i = 0; i < kContactFieldCount; ++i) {
                values[i].reset();
                // A getter that fails stands for an empty text, like one that yields none.
                if (FAILED(item->GetProperty(kContactProperties[i].getterSlot, values[i])))
                    values[i].reset();
                texts[i] = values[i] ? std::u16string_view(*values[i]) : std::u16string_view(u"");
            }
            visit(texts);
        }
        StepProgress(bar);
    }
    return 0;
}

std::int32_t ReadPhoneContacts(const PhoneContactStore& store, ContactList* list,
                               ProgressBar* bar) {
    if (list == nullptr) return -1;
    return VisitPhoneContacts(
        store, [list](const PhoneContactTexts& texts) { AddPhoneContact(*list, texts); }, bar);
}
