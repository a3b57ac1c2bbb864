#pragma once
// What a job did, counted as it went. A caller that wants the counts hands a summary in the
// request; the job fills the part for its kind and leaves the result code as it would be
// without one. On a failure the counts say what was done before it; a job that failed before
// reaching any store or file leaves the part None.

#include <cstdint>
#include <string>
#include <string_view>

using SummaryCount = std::int64_t;

struct ContactBackupCounts {
    bool sim = false;  // the store was chosen
    bool phone = false;
    SummaryCount simWritten = 0;
    SummaryCount phoneWritten = 0;
};

// For one store. Once the store was written to its end, added + present + refused + leftOut is
// read.
struct StoreRestoreCounts {
    bool attempted = false;  // the job began writing to the store
    SummaryCount read = 0;   // records of the store's kind in the file
    SummaryCount added = 0;
    SummaryCount present = 0;  // already held by the store
    SummaryCount refused = 0;  // no room on the SIM, a failed write or save
    SummaryCount leftOut = 0;  // SIM: no number; phone: no first name, last name or company
};

struct ContactRestoreCounts {
    StoreRestoreCounts sim;
    StoreRestoreCounts phone;
    // vCard values that found every field of their kind taken (a fourth e-mail address, say).
    SummaryCount valuesLeftOut = 0;
};

struct SimCopyCounts {
    SummaryCount simEntries = 0;
    SummaryCount copied = 0;
    SummaryCount present = 0;
    SummaryCount noNumber = 0;
    SummaryCount refused = 0;  // a failed create or save
};

struct SmsBackupCounts {
    SummaryCount folders = 0;  // below the top folder
    SummaryCount messages = 0;
    SummaryCount unticked = 0;  // messages left out by their own tick or a folder's
};

struct SmsLoadCounts {
    SummaryCount folders = 0;  // below the root
    SummaryCount messages = 0;
    // Of an Android backup XML: elements that are no SMS (<mms>, <call>, an <sms> lacking what a
    // message needs) and attributes Velloro has no use for.
    SummaryCount skippedElements = 0;
    SummaryCount skippedAttributes = 0;
};

struct SmsRestoreCounts {
    SummaryCount foldersCreated = 0;
    SummaryCount foldersOpened = 0;  // already there
    SummaryCount messagesCreated = 0;
    SummaryCount messagesPresent = 0;  // skipped: the folder held an equal message
    SummaryCount unticked = 0;
};

enum class SummaryPart : std::uint8_t {
    None,  // the job stopped before doing anything (an invalid argument)
    ContactBackup,
    ContactRestore,
    SimCopy,
    SmsBackup,
    SmsLoad,
    SmsRestore,
};

struct OperationSummary {
    SummaryPart part = SummaryPart::None;
    ContactBackupCounts contactBackup;
    ContactRestoreCounts contactRestore;
    SimCopyCounts simCopy;
    SmsBackupCounts smsBackup;
    SmsLoadCounts smsLoad;
    SmsRestoreCounts smsRestore;
};

// One line for a person, e.g. "Phone: 1000 read, 950 added, 50 already present."; empty for
// SummaryPart::None. Counts that are zero and rarely matter (refused, left out) are omitted.
std::u16string SummaryLine(const OperationSummary& summary);

// A restore or load that found nothing at all in its file: no contact of either kind, or no
// folder and no message below the root.
bool SummaryReadNothing(const OperationSummary& summary);

// For a load that passed over parts of its file, one line that says so; empty otherwise.
std::u16string SummarySkippedLine(const OperationSummary& summary);

// A success box's text: the job's own text, then the counts as a second line when any are known.
std::u16string SuccessTextWithSummary(std::u16string_view text, const OperationSummary& summary);
