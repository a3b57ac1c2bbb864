#pragma once
// Trees shared by the SMS tests; their exports are the golden files in tests/data/sms/.

#include <memory>
#include <string>
#include <vector>

#include "platform/file_time.h"
#include "platform/text.h"
#include "sms/sms_tree.h"

constexpr std::int64_t kT1 = 1700000000;  // 11/14/23 22:13:20 UTC

inline std::unique_ptr<SmsNode> Folder(const std::string& name,
                                       std::vector<std::unique_ptr<SmsNode>> children = {}) {
    auto node = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*node, U16(name));
    ReserveSmsChildren(*node, static_cast<std::uint32_t>(children.size()));
    for (auto& child : children)
        AppendSmsChild(*node, std::move(child));
    return node;
}

struct SampleMessageSpec {
    std::string text;
    std::string senderAddress;
    std::string senderName;
    std::int64_t delivered = 0;  // Unix seconds; 0 = none
    std::int64_t modified = 0;
    std::uint32_t flags = 0;
    std::vector<std::pair<std::string, std::string>> recipients;  // name, address
    std::uint32_t size = 0;
};

inline std::unique_ptr<SmsNode> Message(const SampleMessageSpec& shape) {
    auto data = std::make_unique<SmsMessageData>();
    data->text = U16(shape.text);
    data->senderAddress = U16(shape.senderAddress);
    data->senderName = U16(shape.senderName);
    if (shape.delivered != 0) data->deliveryTime = FileTimeFromUnixSeconds(shape.delivered);
    if (shape.modified != 0) data->lastModificationTime = FileTimeFromUnixSeconds(shape.modified);
    data->flags = shape.flags;
    data->size = shape.size;
    for (const auto& [name, address] : shape.recipients)
        data->recipients.push_back({U16(name), U16(address)});
    auto node = CreateSmsNode(kSmsMessageKind);
    AttachSmsMessage(*node, std::move(data));
    return node;
}

inline std::unique_ptr<SmsNode> Message(
    const std::string& text, const std::string& senderAddress = "",
    const std::string& senderName = "", std::int64_t delivered = 0, std::int64_t modified = 0,
    std::uint32_t flags = 0, std::vector<std::pair<std::string, std::string>> recipients = {}) {
    return Message(SampleMessageSpec{text, senderAddress, senderName, delivered, modified, flags,
                                     std::move(recipients)});
}

template <class... Nodes>
std::vector<std::unique_ptr<SmsNode>> NodeList(Nodes... nodes) {
    std::vector<std::unique_ptr<SmsNode>> list;
    (list.push_back(std::move(nodes)), ...);
    return list;
}

// Inbox: two messages from Anna; Sent: a sent message to Bob, then an unsent one to Anna and Bob
// that was last changed an hour before the first was delivered.
inline SmsTree ExampleTree(bool withUnsent = true) {
    auto inbox =
        Folder("Inbox", NodeList(Message("See you at six", "Anna <+111>", "Anna", kT1),
                                 Message("Running late, \"sorry\"", "+111", "Anna", kT1 + 3600)));
    auto sentMessages = NodeList(Message("OK", "", "", kT1, 0, 0, {{"Bob", "+222"}}));
    if (withUnsent)
        sentMessages.push_back(Message("Two of you", "", "", 0, kT1 - 3600, kSmsUnsentFlag,
                                       {{"Anna", "+111"}, {"Bob", "Bob <+222>"}}));
    SmsTree tree;
    tree.root = Folder("SMS", NodeList(std::move(inbox), Folder("Sent", std::move(sentMessages))));
    return tree;
}
