#pragma once
// What the text and CSV exports share: a message's date and time texts, its sort key, the order
// of a folder's messages, and the walk that writes folders and messages in that order.

#include <string>
#include <vector>

#include "platform/progress_bar.h"
#include "sms/sms_tree.h"

// The locale's short date and time of the message time in local time; empty when it cannot be
// converted.
std::u16string SmsDateText(const SmsMessageData& message);
std::u16string SmsTimeText(const SmsMessageData& message);

// The sender's name for a received message, the first recipient's name for a sent one; at most
// an address field's width.
std::u16string SmsMessageSortKey(const SmsMessageData& message);

// sortBy 1 orders by message time, any other value by sort key (plain code-unit order);
// sequence 1 ascending, 2 descending, anything else keeps the stored order. Equal messages keep
// their stored order. Only the folder's messages, its last children, move.
void SortFolderMessages(SmsNode& folder, int sortBy, int sequence);

// Walks the ticked part of the tree as the text and CSV exports write it: a folder, its messages
// in sorted order, then its subfolders in stored order. Every node reached steps the bar once;
// nothing below an unticked folder is reached. onFolder(folder, messageCount) is called for a
// ticked folder that holds messages, onMessage(message) for each ticked message with data.
template <class OnFolder, class OnMessage>
void WalkSortedSmsTree(SmsNode& root, ProgressBar* bar, int sortBy, int sequence,
                       OnFolder&& onFolder, OnMessage&& onMessage) {
    struct Frame {
        SmsNode* folder;
        std::size_t next;
        std::size_t end;  // subfolders come before the messages
    };
    // No recursion: a loaded file may nest folders as deep as it likes.
    std::vector<Frame> stack;
    auto visit = [&](SmsNode& node) {
        StepProgress(bar);
        if (node.checked == 0) return;
        if (!IsSmsFolder(node)) {
            if (node.message) onMessage(*node.message);
            return;
        }
        int messages = CountSmsMessageChildren(node);
        if (messages > 0) {
            onFolder(node, messages);
            if (messages > 1) SortFolderMessages(node, sortBy, sequence);
            std::size_t first = node.children.size() - static_cast<std::size_t>(messages);
            for (std::size_t i = first; i < node.children.size(); ++i) {
                SmsNode& message = *node.children[i];
                StepProgress(bar);
                if (message.checked != 0 && message.message) onMessage(*message.message);
            }
        }
        std::size_t folders = node.children.size() - static_cast<std::size_t>(messages);
        if (folders > 0) stack.push_back({&node, 0, folders});
    };
    visit(root);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.end) {
            stack.pop_back();
            continue;
        }
        visit(*top.folder->children[top.next++]);
    }
}
