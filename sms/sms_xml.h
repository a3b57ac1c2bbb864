#pragma once
// SMS as the common Android backup XML, both ways.
//
//   <?xml version='1.0' encoding='UTF-8' standalone='yes' ?>
//   <smses count="N" velloro_root="SMS">
//     <sms protocol="0" address="+111" date="1700000000000" type="1" subject="null"
//          body="..." toa="null" sc_toa="null" service_center="null" read="1" status="-1"
//          locked="0" date_sent="0" readable_date="Nov 14, 2023 10:13:20 PM"
//          contact_name="Anna" velloro_folder="Inbox" />
//   </smses>
//
// One <sms> per ticked message in tree order, and one per recipient for a message with several.
// date: milliseconds since 1970 UTC of the message time (delivery, or last change when unsent).
// type: 1 received (a sender address); else 4 outbox (unsent in a folder named Outbox, any
// case); 3 draft (other unsent); 2 sent. read: the read flag. readable_date: local time.
// contact_name: the sender's or recipient's name, "(Unknown)" when it has none.
// Ours, ignored by other readers: velloro_folder, the folder path below the top folder, each
// name's "/" and "\" escaped with "\"; velloro_address, the address as the store held it, when
// the number alone (address) is not all of it; velloro_root, the top folder's name.
// Characters XML 1.0 cannot carry become U+FFFD; characters beyond the BMP are plain UTF-8.
//
// Reading streams the file through Expat, in pieces parsed side by side (see SmsXmlReadSplit).
// Surrogate pairs written as two numeric references (&#55357;&#56832;), as the peer app does,
// are read as the one character they stand for.
// Without velloro_folder a message goes by its type: 1 Inbox, 2 Sent Items, 3 Drafts, 4 to 6
// Outbox; folders in order of first appearance, messages in file order. Types 3 to 6 are
// unsent and dated by their last change. A restored message's size is twice the length of its
// text in UTF-16 units, the store's own count for a message it holds.

#include <cstdint>
#include <string_view>

#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

// The store's flag bit of a message that has been read.
constexpr std::uint32_t kSmsReadFlag = 1;

// What a read met besides the messages it kept.
struct SmsXmlCounts {
    std::int32_t messages = 0;
    std::int32_t folders = 0;
    // <mms>, <call> and other elements, and <sms> elements without one of the attributes a
    // message needs (address, date, type, body) or with a type outside 1 to 6.
    std::int32_t skippedElements = 0;
    std::int32_t skippedAttributes = 0;
};

// Writes the ticked part of the tree: 0, or -2 when the path cannot be written, the tree has no
// root or a write fails. An existing file is replaced only by a complete new one.
int WriteSmsXmlFile(const SmsTree& tree, std::u16string_view path, ProgressBar* bar);
// Reads a whole file into newRoot: 0, or -2 when it cannot be opened, is not well-formed XML
// or its root element is not <smses>. counts may be null.
int ReadSmsXmlFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar,
                   SmsXmlCounts* counts);

// How a read shares its work. The root's content is cut between its children into pieces of
// about pieceBytes, each parsed by a parser of its own on one of `threads` threads beside the
// caller's (with none, by the caller in turn), and the messages are placed in file order. A
// document with a document type declaration, an encoding other than UTF-8 or a pieceBytes of 0
// is read by one parser. Every split reads a file the same.
struct SmsXmlReadSplit {
    std::size_t pieceBytes = 0;
    int threads = 0;
};
// A few MB in flight and a thread per processor.
SmsXmlReadSplit DefaultSmsXmlReadSplit();
int ReadSmsXmlFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar,
                   SmsXmlCounts* counts, const SmsXmlReadSplit& split);

// The operations: 0, or 403 / 402. A load replaces the program's tree only when it succeeds.
ResultCode ExportSmsXml(SmsTree* tree, std::u16string_view path, ProgressBar* bar);
ResultCode LoadSmsXmlFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                          SmsXmlCounts* counts = nullptr);

// True when the bytes begin, after an optional byte-order mark and white space, with "<?xml" or
// "<smses".
bool LooksLikeSmsXml(std::string_view head);
bool FileLooksLikeSmsXml(std::u16string_view path);
