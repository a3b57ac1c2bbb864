#include "sms/sms_counts.h"

#include <vector>

namespace {

// Visits every node below root with whether it and all its folders up to root are ticked; no
// recursion, as a loaded file may nest folders as deep as it likes.
template <class Visit>
void WalkBelow(const SmsNode& root, bool rootReached, Visit&& visit) {
    struct Frame {
        const SmsNode* node;
        bool reached;
    };
    std::vector<Frame> stack{{&root, rootReached}};
    while (!stack.empty()) {
        Frame frame = stack.back();
        stack.pop_back();
        for (const auto& child : frame.node->children) {
            bool reached = frame.reached && child->checked != 0;
            visit(*child, reached);
            if (IsSmsFolder(*child)) stack.push_back({child.get(), reached});
        }
    }
}

}  // namespace

SmsBackupCounts CountSmsBackup(const SmsNode& root, SmsBackupFolders folders, bool rootTickCounts,
                               bool messagesWithoutData) {
    SmsBackupCounts counts;
    bool rootReached = !rootTickCounts || root.checked != 0;
    auto countFolder = [&](const SmsNode& folder) {
        if (folders == SmsBackupFolders::Ticked || CountSmsMessageChildren(folder) > 0)
            ++counts.folders;
    };
    if (rootReached && rootTickCounts && folders == SmsBackupFolders::WithMessages)
        countFolder(root);
    WalkBelow(root, rootReached, [&](const SmsNode& node, bool reached) {
        if (IsSmsFolder(node)) {
            if (reached) countFolder(node);
        } else if (reached && (node.message || messagesWithoutData)) {
            ++counts.messages;
        } else {
            ++counts.unticked;
        }
    });
    return counts;
}

SmsLoadCounts CountSmsTree(const SmsNode& root) {
    SmsLoadCounts counts;
    WalkBelow(root, true, [&](const SmsNode& node, bool) {
        if (IsSmsFolder(node))
            ++counts.folders;
        else
            ++counts.messages;
    });
    return counts;
}
