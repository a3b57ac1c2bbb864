#include "core/operation_summary.h"

#include "platform/text.h"

namespace {

// "1000 read", or nothing when an optional count is zero.
void AppendCount(std::u16string& line, SummaryCount count, std::u16string_view what,
                 bool optional = false) {
    if (optional && count == 0) return;
    if (!line.empty() && line.back() != u' ') line.append(u", ");
    line.append(DecimalText(count));
    line.push_back(u' ');
    line.append(what);
}

// A count of things: "1 folder", "2 folders".
struct Noun {
    std::u16string_view one;
    std::u16string_view many;
};
constexpr Noun kFolders{u"folder", u"folders"};
constexpr Noun kMessages{u"message", u"messages"};
constexpr Noun kSimEntries{u"SIM entry", u"SIM entries"};
constexpr Noun kPhoneContacts{u"phone contact", u"phone contacts"};

void AppendCount(std::u16string& line, SummaryCount count, Noun noun, std::u16string_view after,
                 bool optional = false) {
    std::u16string what(count == 1 ? noun.one : noun.many);
    what.append(after);
    AppendCount(line, count, what, optional);
}

void AppendStore(std::u16string& line, std::u16string_view name, const StoreRestoreCounts& c) {
    if (!c.attempted) return;
    if (!line.empty()) line.push_back(u' ');
    line.append(name);
    line.append(u": ");
    AppendCount(line, c.read, u"read");
    AppendCount(line, c.added, u"added");
    AppendCount(line, c.present, u"already present");
    AppendCount(line, c.refused, u"refused", true);
    AppendCount(
        line, c.leftOut,
        name == u"SIM" ? u"left out without a number" : u"left out without a name or company",
        true);
    line.push_back(u'.');
}

std::u16string ContactBackupLine(const ContactBackupCounts& c) {
    std::u16string line;
    if (c.sim) AppendCount(line, c.simWritten, kSimEntries, u"");
    if (c.sim && c.phone) line.append(u" and ");
    if (c.phone) AppendCount(line, c.phoneWritten, kPhoneContacts, u"");
    line.append(u" written.");
    return line;
}

std::u16string SimCopyLine(const SimCopyCounts& c) {
    std::u16string line;
    AppendCount(line, c.simEntries, kSimEntries, u": ");
    AppendCount(line, c.copied, u"copied");
    AppendCount(line, c.present, u"already present");
    AppendCount(line, c.noNumber, u"without a number");
    AppendCount(line, c.refused, u"refused", true);
    line.push_back(u'.');
    return line;
}

std::u16string SmsBackupLine(const SmsBackupCounts& c) {
    std::u16string line;
    AppendCount(line, c.folders, kFolders, u"");
    line.append(u" and ");
    AppendCount(line, c.messages, kMessages, u" written");
    AppendCount(line, c.unticked, u"unticked left out", true);
    line.push_back(u'.');
    return line;
}

std::u16string SmsLoadLine(const SmsLoadCounts& c) {
    std::u16string line;
    AppendCount(line, c.folders, kFolders, u"");
    line.append(u" and ");
    AppendCount(line, c.messages, kMessages, u" read.");
    return line;
}

std::u16string SmsRestoreLine(const SmsRestoreCounts& c) {
    std::u16string line;
    AppendCount(line, c.foldersCreated, kFolders, u" created");
    AppendCount(line, c.foldersOpened, u"opened; ");
    AppendCount(line, c.messagesCreated, kMessages, u" created");
    AppendCount(line, c.messagesPresent, u"already present", true);
    AppendCount(line, c.unticked, u"unticked left out", true);
    line.push_back(u'.');
    return line;
}

}  // namespace

std::u16string SummaryLine(const OperationSummary& summary) {
    switch (summary.part) {
        case SummaryPart::None:
            return {};
        case SummaryPart::ContactBackup:
            return ContactBackupLine(summary.contactBackup);
        case SummaryPart::ContactRestore: {
            std::u16string line;
            AppendStore(line, u"Phone", summary.contactRestore.phone);
            AppendStore(line, u"SIM", summary.contactRestore.sim);
            if (SummaryCount left = summary.contactRestore.valuesLeftOut; left > 0) {
                line.push_back(u' ');
                line.append(DecimalText(left));
                line.append(left == 1 ? u" vCard value" : u" vCard values");
                line.append(u" left out: every field of their kind was taken.");
            }
            return line;
        }
        case SummaryPart::SimCopy:
            return SimCopyLine(summary.simCopy);
        case SummaryPart::SmsBackup:
            return SmsBackupLine(summary.smsBackup);
        case SummaryPart::SmsLoad:
            return SmsLoadLine(summary.smsLoad);
        case SummaryPart::SmsRestore:
            return SmsRestoreLine(summary.smsRestore);
    }
    return {};
}

bool SummaryReadNothing(const OperationSummary& summary) {
    switch (summary.part) {
        case SummaryPart::ContactRestore:
            return summary.contactRestore.sim.read == 0 && summary.contactRestore.phone.read == 0;
        case SummaryPart::SmsLoad:
            return summary.smsLoad.folders == 0 && summary.smsLoad.messages == 0;
        default:
            return false;
    }
}

std::u16string SummarySkippedLine(const OperationSummary& summary) {
    if (summary.part != SummaryPart::SmsLoad) return {};
    const SmsLoadCounts& c = summary.smsLoad;
    if (c.skippedElements == 0 && c.skippedAttributes == 0) return {};
    constexpr Noun kElements{u"element that is no SMS", u"elements that are no SMS"};
    constexpr Noun kAttributes{u"unknown attribute", u"unknown attributes"};
    std::u16string line;
    // Only what there was: a file with MMS but no odd attribute does not list "0 unknown".
    AppendCount(line, c.skippedElements, kElements, u" (MMS, calls, incomplete messages)", true);
    AppendCount(line, c.skippedAttributes, kAttributes, u"", true);
    return u"Skipped in the file: " + line + u".";
}

std::u16string SuccessTextWithSummary(std::u16string_view text, const OperationSummary& summary) {
    std::u16string whole(text);
    std::u16string line = SummaryLine(summary);
    if (!line.empty()) {
        whole.push_back(u'\n');
        whole.append(line);
    }
    return whole;
}
