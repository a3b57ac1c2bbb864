#pragma once
// The SIM's own phonebook, through the SIM manager: counting, reading every used entry, and
// adding the entries of a list that the SIM does not hold yet. Nothing here deletes or
// overwrites an entry.

#include <cstdint>

#include "contacts/contact_list.h"
#include "core/operation_summary.h"
#include "platform/progress_bar.h"
#include "platform/sim_manager.h"

struct SimPhonebook {
    HSIM handle = 0;  // 0: closed
};

constexpr std::int32_t kSimDone = 0;
constexpr std::int32_t kSimNoList = -1;
constexpr std::int32_t kSimRefused = -1;  // open or close
constexpr std::int32_t kSimReadFailed = -2;
constexpr std::int32_t kSimFilterFailed = -3;
constexpr std::int32_t kSimStatusFailed = -4;
constexpr std::int32_t kSimNoSpace = -5;
constexpr std::int32_t kSimCapsFailed = -6;
constexpr std::int32_t kSimEntriesRefused = -7;

// The entry record's text fields hold 255 characters and a terminator, whatever a card claims.
constexpr std::int32_t kSimFieldMax = 255;
// Names and numbers this long or longer are never cut for comparison.
constexpr std::int32_t kSimCompareLimit = 1022;

void InitSimPhonebook(SimPhonebook& phonebook);
std::int32_t OpenSimPhonebook(SimPhonebook& phonebook);
// Safe on a closed phonebook; the handle is 0 afterwards in every case.
std::int32_t CloseSimPhonebook(SimPhonebook& phonebook);

// Used entries, or -1; only sizes the progress bar.
std::int32_t SimUsedEntryCount(const SimPhonebook& phonebook);

// Appends every used entry in slot order, one progress step each. Empty slots are skipped.
std::int32_t ReadSimContacts(const SimPhonebook& phonebook, ContactList* list, ProgressBar* bar);

// Adds the source's SIM records that the SIM lacks. needed/free are set when the SIM lacks
// room (nothing is then written); failed counts the entries the SIM refused. counts, when
// given, gets added, present, refused and left out (its read is the caller's).
std::int32_t WriteSimContacts(const SimPhonebook& phonebook, const ContactList* source,
                              std::int32_t& needed, std::int32_t& free, std::int32_t& failed,
                              ProgressBar* bar, StoreRestoreCounts* counts = nullptr);

// Appends to out the source's SIM records that no existing record matches, comparing the
// source's name and number as the SIM would store them (cut to nameMax / numberMax).
std::int32_t ExcludeExistingSimContacts(const ContactList& source, ContactList* out,
                                        const ContactList* existing, std::int32_t nameMax,
                                        std::int32_t numberMax);
