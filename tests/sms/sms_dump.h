#pragma once
// One line per node, indented by depth: a folder's tick and name, a message's tick and every
// field the data file keeps, so that whole trees compare at once.

#include <string>

#include "platform/file_time.h"
#include "platform/text.h"
#include "sms/sms_tree.h"

inline void DumpSmsNode(const SmsNode& node, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += node.checked != 0 ? "+" : "-";
    if (IsSmsFolder(node)) {
        out += "F " + Utf16ToUtf8(node.name) + "\n";
    } else if (!node.message) {
        out += "M (no data)\n";
    } else {
        const SmsMessageData& m = *node.message;
        out += "M " + Utf16ToUtf8(m.text) + " | " + Utf16ToUtf8(m.senderName) + " <" +
               Utf16ToUtf8(m.senderAddress) + "> | d" +
               std::to_string(FileTimeToUint64(m.deliveryTime)) + " m" +
               std::to_string(FileTimeToUint64(m.lastModificationTime)) + " s" +
               std::to_string(m.size) + " f" + std::to_string(m.flags) + " |";
        for (const SmsRecipient& r : m.recipients)
            out += " " + Utf16ToUtf8(r.name) + "<" + Utf16ToUtf8(r.address) + ">";
        out += "\n";
    }
    for (const auto& child : node.children)
        DumpSmsNode(*child, depth + 1, out);
}

inline std::string DumpSmsTree(const SmsNode& root) {
    std::string out;
    DumpSmsNode(root, 0, out);
    return out;
}
