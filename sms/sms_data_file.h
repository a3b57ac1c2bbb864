#pragma once
// The SMS data file: the only SMS backup that can be restored. No header, magic or checksum;
// the ticked part of the tree as fixed records, depth first, little-endian, UTF-16LE text in
// fixed fields padded with zero units.
//
// Node record, kNodeRecordSize bytes:
//   offset  size  field
//   0       1     kind: 1 folder, 0 message
//   1       1     zero
//   2       258   name: 129 units, at most 128 then zeros; all zero for a message
//   260     1240  message data (below) for a message; all zero for a folder
//   1500    4     int32 number of child records that follow (ticked children); 0 for a message
//
// Message data, at kMessageDataOffset within the node record:
//   0       1002  text: 501 units, at most 500 then zeros
//   1002    102   sender address: 51 units, at most 50
//   1104    102   sender name: 51 units, at most 50
//   1206    2     zero
//   1208    8     delivery time: FILETIME, low word then high word
//   1216    8     last modification time: FILETIME
//   1224    4     uint32 size
//   1228    4     uint32 flags (8 = unsent)
//   1232    4     int32 recipient count
//   1236    4     zero (where the phone kept its recipient pointer)
//
// Recipient record, kRecipientRecordSize bytes: display name (51 units), address (51 units).
//
// File order, per written node: its node record; for a message, its recipient records back to
// back; then its ticked children, each with everything below it.

#include <cstddef>
#include <functional>
#include <string_view>

#include "core/result_code.h"
#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

constexpr std::size_t kNodeRecordSize = 1504;
constexpr std::size_t kNodeKindOffset = 0;
constexpr std::size_t kNodeNameOffset = 2;
constexpr std::size_t kNodeNameUnits = 129;
constexpr std::size_t kMessageDataOffset = 260;
constexpr std::size_t kMessageDataSize = 1240;
constexpr std::size_t kNodeChildCountOffset = 1500;

// Offsets within the message data.
constexpr std::size_t kMessageTextOffset = 0;
constexpr std::size_t kMessageTextUnits = 501;
constexpr std::size_t kSenderAddressOffset = 1002;
constexpr std::size_t kSenderNameOffset = 1104;
constexpr std::size_t kAddressUnits = 51;
constexpr std::size_t kDeliveryTimeOffset = 1208;
constexpr std::size_t kLastModificationTimeOffset = 1216;
constexpr std::size_t kMessageSizeOffset = 1224;
constexpr std::size_t kMessageFlagsOffset = 1228;
constexpr std::size_t kRecipientCountOffset = 1232;

constexpr std::size_t kRecipientRecordSize = 204;
constexpr std::size_t kRecipientNameOffset = 0;
constexpr std::size_t kRecipientAddressOffset = 102;

static_assert(kMessageDataOffset + kMessageDataSize + 4 == kNodeRecordSize);
static_assert(kNodeNameOffset + 2 * kNodeNameUnits == kMessageDataOffset);

// Writes the ticked part of the tree: 0, or -2 when the tree has no root or a write fails. An
// existing file at path is replaced only by a complete new file.
int WriteSmsDataFile(const SmsTree& tree, std::u16string_view path, ProgressBar* bar);
// The same for a tree another thread is still building, every node ticked: before each folder
// (depth first, in the order the tree lists them) folderReady() must return once the builder is
// done with that folder's children, true, or false to give the file up (-2).
int WriteSmsDataFileAsBuilt(const SmsNode& root, std::u16string_view path,
                            const std::function<bool()>& folderReady);
// Reads a whole file into newRoot: 0, or -2 when the file cannot be opened or is short or
// damaged. Every node read is ticked.
int ReadSmsDataFile(std::u16string_view path, std::unique_ptr<SmsNode>& newRoot, ProgressBar* bar);

// The operations: 0, or 403 / 402 for an absent tree or path or a failed write / read. The
// program's tree is replaced only by a completely loaded one.
ResultCode ExportSmsDataFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar);
ResultCode LoadSmsDataFile(SmsTree* tree, std::u16string_view path, ProgressBar* bar);
