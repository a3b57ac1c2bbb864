#pragma once
// The contact files: the text backup (written and read back) and the CSV file (written only).
//
// Text backup, byte by byte: the mark FF FE, then one section per SIM record and then one per
// phone record, in list order. Every character is one UTF-16 code unit, low byte first, with
// no conversion of any kind; every line ends with CR LF. A section is
//
//     [<position in the file, from 1>]
//     ContactType = SIMContact | ContactType = PhoneContact
//     <Key> = <value>            one line per present field, in field order
//     <empty line>
//
// SIM records use the keys Name and PhoneNumber; phone records the field names of
// kContactProperties. Three phone lines have no blank before "=": "Department= ",
// "JobTitle= " and "WorkTelephoneNumber= ". Values are written whole and unescaped.
//
// CSV file: UTF-8 without a mark, rows ending in CR LF, 86 columns per row. A title row
// ("SIM Contacts" or "Phone Contacts" and 85 commas) opens each non-empty block; each record is
// one row of label and cell pairs. A present field's cell is "[value]" in quotation marks with
// every quotation mark of the value doubled; an absent field's cell is empty.
//
// Writers replace the target only when everything was written, so a failure leaves an existing
// file as it was.

#include <cstdint>
#include <string_view>

#include "contacts/contact_list.h"

constexpr std::int32_t kContactFileDone = 0;
// Writing: no path, or a write failed on the way or when the file was closed.
// Reading: no path.
constexpr std::int32_t kContactFileFailed = -1;
// Writing: the target may not be written (a folder, a read-only file, a missing folder).
// Reading: the file is missing, a folder or unreadable, or memory ran out while loading.
constexpr std::int32_t kContactFileUnusable = -2;

// A path is absent when it views nothing (a default-constructed view); an empty path is present
// and names no file.

// A path ending in ".csv" (letter case counts) gets the CSV file, one ending in ".vcf" vCard
// (contacts/vcard.h); any other the text backup.
std::int32_t WriteContactFile(const ContactList& list, std::u16string_view path);

// Writes the first simCount SIM and phoneCount phone records (no more than the list holds).
std::int32_t WriteContactCsv(const ContactList& list, std::u16string_view path,
                             std::int32_t simCount, std::int32_t phoneCount);

// Appends every recognised contact section of a text backup to the list; sections of other
// types and files with none are no failure. Values keep at most 1022 characters and lose their
// leading and trailing blanks, tabs and carriage returns.
std::int32_t ReadContactFile(ContactList& list, std::u16string_view path);

struct VcardReadCounts;
// What a restore reads: a vCard file when its content says so (LooksLikeVcard), else a text
// backup. counts, which may be null, tells what a vCard read left out.
std::int32_t ReadContactFileOfAnyForm(ContactList& list, std::u16string_view path,
                                      VcardReadCounts* counts);
