#pragma once
// The SMS folder and message tree: one tree for the whole program, filled by the store reader or
// the data-file loader, ticked by the dialog, walked by the exports and the store writer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_time.h"

// Widths of the fixed text fields, without their terminator; they are observable in the data
// file and in every export.
constexpr std::size_t kSmsFolderNameMax = 128;
constexpr std::size_t kSmsTextMax = 500;
constexpr std::size_t kSmsAddressMax = 50;

constexpr std::uint8_t kSmsMessageKind = 0;
constexpr std::uint8_t kSmsFolderKind = 1;

// The store's flag bit of a message that was never sent.
constexpr std::uint32_t kSmsUnsentFlag = 8;

struct SmsRecipient {
    std::u16string name;     // at most kSmsAddressMax
    std::u16string address;  // at most kSmsAddressMax
};

struct SmsMessageData {
    std::u16string text;           // at most kSmsTextMax
    std::u16string senderAddress;  // at most kSmsAddressMax; empty for a message we sent
    std::u16string senderName;     // at most kSmsAddressMax
    FILETIME deliveryTime;
    FILETIME lastModificationTime;
    std::uint32_t size = 0;
    std::uint32_t flags = 0;
    std::vector<SmsRecipient> recipients;
};

// A folder (kind 1) or a message (kind 0). A folder's children are its subfolders followed by its
// messages; the exports rely on that order.
struct SmsNode {
    SmsNode() = default;
    ~SmsNode();
    SmsNode(const SmsNode&) = delete;
    SmsNode& operator=(const SmsNode&) = delete;

    std::uint8_t kind = kSmsMessageKind;
    std::u16string name;  // at most kSmsFolderNameMax; empty for messages
    std::unique_ptr<SmsMessageData> message;
    std::vector<std::unique_ptr<SmsNode>> children;
    // Fixed once, by ReserveChildren; 0 while no array is reserved.
    std::uint32_t childCapacity = 0;
    std::uint8_t checked = 1;
    // Scratch for the CSV export's quoted cells; never saved.
    std::u16string formatBuffer;
};

struct SmsTree {
    std::unique_ptr<SmsNode> root;
};

// Copies value into field, cut as a fixed buffer of limit + 1 units would cut it (at the first
// NUL or after limit units).
void AssignLimited(std::u16string& field, std::u16string_view value, std::size_t limit);
// The same for a value that is not needed afterwards: when nothing is cut its storage is taken,
// which spares a reader of many messages an allocation and a copy per field.
void TakeLimited(std::u16string& field, std::u16string&& value, std::size_t limit);

std::unique_ptr<SmsNode> CreateSmsNode(std::uint8_t kind);
// Frees everything the node owns, depth first, without recursion so that a deep tree cannot
// exhaust the stack.
void FreeSmsNode(SmsNode& node);

inline std::uint8_t SmsNodeKind(const SmsNode& node) {
    return node.kind;
}
inline bool IsSmsFolder(const SmsNode& node) {
    return node.kind != kSmsMessageKind;
}
inline std::uint8_t SmsNodeChecked(const SmsNode& node) {
    return node.checked;
}
inline void SetSmsNodeChecked(SmsNode& node, std::uint8_t value) {
    node.checked = value;
}

// 0, or -2 when name is absent.
int SetSmsNodeName(SmsNode& node, const char16_t* name);
int SetSmsNodeName(SmsNode& node, std::u16string_view name);
// 0, or -2 when buffer is absent; buffer holds kSmsFolderNameMax + 1 units, zero-filled.
int GetSmsNodeName(const SmsNode& node, char16_t* buffer);

// The node takes the record; -2 when it is absent.
int AttachSmsMessage(SmsNode& node, std::unique_ptr<SmsMessageData> message);
inline SmsMessageData* SmsNodeMessage(const SmsNode& node) {
    return node.message.get();
}

// 0 (n = 0 does nothing), or -2 when an array is already reserved or cannot be allocated.
int ReserveSmsChildren(SmsNode& node, std::uint32_t capacity);
// 0, or -2 when the child is absent, nothing is reserved or the array is full.
int AppendSmsChild(SmsNode& node, std::unique_ptr<SmsNode> child);

inline int SmsChildCount(const SmsNode& node) {
    return static_cast<int>(node.children.size());
}
inline SmsNode& SmsChildAt(const SmsNode& node, int index) {
    return *node.children[static_cast<std::size_t>(index)];
}
int CountCheckedSmsChildren(const SmsNode& node);
// Direct children of kind 0; 0 for a message.
int CountSmsMessageChildren(const SmsNode& node);

void ClearSmsTree(SmsTree& tree);
void ReplaceSmsTree(SmsTree& tree, std::unique_ptr<SmsNode> newRoot);

// The one time of a message: when it was last changed if it was never sent, else when it was
// delivered.
FILETIME SmsMessageTime(const SmsMessageData& message);
