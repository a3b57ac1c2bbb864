#pragma once
// The phone's contact database, through its object model: opening it for one operation,
// counting and reading its contacts. The writer (phone_contacts_writer.h) uses the same store.

#include <cstdint>
#include <functional>

#include "contacts/contact_list.h"
#include "platform/contact_database.h"
#include "platform/progress_bar.h"

struct PhoneContactStore {
    ComPtr<IPOutlookApp> app;
    ComPtr<IFolder> contactsFolder;
    ComPtr<IPOutlookItemCollection> items;
    bool comStarted = false;
};

void InitPhoneContactStore(PhoneContactStore& store);
// What was obtained before a failure stays in the store for ClosePhoneContactStore.
bool OpenPhoneContactStore(PhoneContactStore& store);
// Safe on a closed or half-opened store, and twice. Logging off commits what was written:
// false when that commit failed.
bool ClosePhoneContactStore(PhoneContactStore& store);

// Contacts in the folder, or -1 without an item collection; only sizes the progress bar.
std::int32_t StoredPhoneContactCount(const PhoneContactStore& store);

// Appends every contact in the folder's order, one progress step per position visited. A
// contact that cannot be fetched is skipped. 0, or -1 without an item collection or a list.
std::int32_t ReadPhoneContacts(const PhoneContactStore& store, ContactList* list, ProgressBar* bar);

// The same walk, handing each contact's texts to visit (valid only during the call) instead of
// keeping them, so the store's contacts are never held together. 0, or -1 without items.
using PhoneContactVisitor = std::function<void(const PhoneContactTexts&)>;
std::int32_t VisitPhoneContacts(const PhoneContactStore& store, const PhoneContactVisitor& visit,
                                ProgressBar* bar);
