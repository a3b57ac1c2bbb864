#pragma once
// Contacts as vCard, the address books' common form. docs/vcard.md holds the field mapping.
//
// Written: vCard 3.0, UTF-8 without a mark, CR LF, lines folded at 75 octets (never inside a
// UTF-8 sequence or an escape), text values escaped (\\ \, \; \n). One card per record, SIM
// entries first. A line break in a field (LF, CR LF or CR) is written as \n and read back as a
// line feed, the line break the phone's contacts hold.
//
// Read: vCard 2.1, 3.0 and 4.0 mixed in one file, in UTF-8 (with or without its mark), UTF-16
// with its mark, or 8-bit text of another charset; the file is streamed, and binary values
// (photos, logos, sounds) and unknown properties are passed over without being held.

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "contacts/contact_files.h"
#include "contacts/contact_list.h"

// The property of our own that says a card came from the SIM.
constexpr std::string_view kVcardSimMarker = "X-VELLORO-SIM";
// Our own parameter X-VELLORO-FIELD names the field of a value whose type another field shares
// (Work2, Home2, Email2, Email3, the other address).
constexpr std::u16string_view kVcardOtherAddress = u"OtherAddress";

// A field keeps at most this many UTF-16 units, as a value of the text backup does, so a
// restore from either file meets the same limits.
constexpr std::size_t kVcardFieldMax = 1022;

// What a read met besides the records it added.
struct VcardReadCounts {
    std::int32_t cards = 0;
    // Values whose fields of their kind were all taken already.
    std::int32_t valuesLeftOut = 0;
};

// Writes every record of the list: kContactFileDone, kContactFileFailed (a write failed) or
// kContactFileUnusable (the target may not be written). An existing file is replaced only by a
// complete new one.
std::int32_t WriteVcardFile(const ContactList& list, std::u16string_view path);

// Appends the complete cards of the file to the list: kContactFileDone, or kContactFileFailed
// for an absent path, kContactFileUnusable for a file that cannot be opened or read. A file
// without cards is no failure; an unfinished last card is dropped. counts may be null.
std::int32_t ReadVcardFile(ContactList& list, std::u16string_view path, VcardReadCounts* counts);
// The same from an open stream, read to its end.
std::int32_t ReadVcardStream(ContactList& list, std::FILE* stream, VcardReadCounts* counts);

// True when the bytes begin, after an optional byte-order mark (UTF-8 or UTF-16) and blank
// lines, with BEGIN:VCARD in any letter case.
bool LooksLikeVcard(std::string_view head);
// The same for the start of a file; false when it cannot be read.
bool FileLooksLikeVcard(std::u16string_view path);
