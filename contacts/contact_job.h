#pragma once
// What one contact operation holds for its run: the list, the SIM connection and the database
// store, prepared before any store is opened and released on every path in one order:
// database store, SIM connection, list.

#include "contacts/contact_list.h"
#include "contacts/phone_contact_store.h"
#include "contacts/sim_phonebook.h"

struct ContactJob {
    ContactList list;
    SimPhonebook sim;
    PhoneContactStore store;

    ContactJob() {
        InitContactList(list);
        InitSimPhonebook(sim);
        InitPhoneContactStore(store);
    }
    ~ContactJob() {
        ClosePhoneContactStore(store);
        CloseSimPhonebook(sim);
        ClearContactList(list);
    }
    ContactJob(const ContactJob&) = delete;
    ContactJob& operator=(const ContactJob&) = delete;
};

// Closes the stores before the job ends, in the same order: the last writes commit then, and a
// commit refused there means they were lost (false).
inline bool CloseContactJobStores(ContactJob& job) {
    const bool contactsCommitted = ClosePhoneContactStore(job.store);
    return CloseSimPhonebook(job.sim) == kSimDone && contactsCommitted;
}

// A path is absent when it views nothing, and names no file when empty.
inline bool NoPath(std::u16string_view path) {
    return path.data() == nullptr || path.empty();
}
