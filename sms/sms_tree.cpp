#include "sms/sms_tree.h"

#include <new>
#include <utility>

#include "platform/text.h"

SmsNode::~SmsNode() {
    FreeSmsNode(*this);
}

void AssignLimited(std::u16string& field, std::u16string_view value, std::size_t limit) {
    field.assign(LimitedText(value, limit));
}

void TakeLimited(std::u16string& field, std::u16string&& value, std::size_t limit) {
    if (LimitedText(value, limit).size() == value.size()) {
        field = std::move(value);
    } else {
        AssignLimited(field, value, limit);
    }
}

std::unique_ptr<SmsNode> CreateSmsNode(std::uint8_t kind) {
    auto node = std::make_unique<SmsNode>();
    node->kind = kind;
    return node;
}

void FreeSmsNode(SmsNode& node) {
    node.message.reset();
    // Children are detached onto one work list before they die, so every destructor that runs
    // here finds an empty child list and no destruction recurses.
    std::vector<std::unique_ptr<SmsNode>> pending = std::move(node.children);
    node.children = std::vector<std::unique_ptr<SmsNode>>();
    node.childCapacity = 0;
    while (!pending.empty()) {
        std::unique_ptr<SmsNode> child = std::move(pending.back());
        pending.pop_back();
        if (!child) continue;
        for (auto& grandchild : child->children)
            pending.push_back(std::move(grandchild));
        child->children.clear();
    }
}

int SetSmsNodeName(SmsNode& node, const char16_t* name) {
    if (name == nullptr) return -2;
    return SetSmsNodeName(node, std::u16string_view(name));
}

int SetSmsNodeName(SmsNode& node, std::u16string_view name) {
    AssignLimited(node.name, name, kSmsFolderNameMax);
    return 0;
}

int GetSmsNodeName(const SmsNode& node, char16_t* buffer) {
    if (buffer == nullptr) return -2;
    std::u16string_view name = LimitedText(node.name, kSmsFolderNameMax);
    name.copy(buffer, name.size());
    buffer[name.size()] = u'\0';
    return 0;
}

int AttachSmsMessage(SmsNode& node, std::unique_ptr<SmsMessageData> message) {
    if (!message) return -2;
    node.message = std::move(message);
    return 0;
}

int ReserveSmsChildren(SmsNode& node, std::uint32_t capacity) {
    if (capacity == 0) return 0;
    if (node.childCapacity != 0) return -2;
    try {
        node.children.reserve(capacity);
    } catch (const std::bad_alloc&) {
        return -2;
    } catch (const std::length_error&) {
        return -2;
    }
    node.childCapacity = capacity;
    return 0;
}

int AppendSmsChild(SmsNode& node, std::unique_ptr<SmsNode> child) {
    if (!child || node.children.size() >= node.childCapacity) return -2;
    node.children.push_back(std::move(child));
    return 0;
}

int CountCheckedSmsChildren(const SmsNode& node) {
    int count = 0;
    for (const auto& child : node.children)
        count += child->checked != 0;
    return count;
}

int CountSmsMessageChildren(const SmsNode& node) {
    if (!IsSmsFolder(node)) return 0;
    int count = 0;
    for (const auto& child : node.children)
        count += child->kind == kSmsMessageKind;
    return count;
}

void ClearSmsTree(SmsTree& tree) {
    tree.root.reset();
}

void ReplaceSmsTree(SmsTree& tree, std::unique_ptr<SmsNode> newRoot) {
    ClearSmsTree(tree);
    tree.root = std::move(newRoot);
}

FILETIME SmsMessageTime(const SmsMessageData& message) {
    return (message.flags & kSmsUnsentFlag) != 0 ? message.lastModificationTime
                                                 : message.deliveryTime;
}
