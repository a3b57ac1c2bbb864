#include "sms_path.h"

#include <charconv>
#include <string_view>

#include "platform/text.h"
#include "sms/sms_tree.h"

namespace {

SmsNode* ChildFolderNamed(SmsNode& folder, std::u16string_view name) {
    for (auto& child : folder.children) {
        if (IsSmsFolder(*child) && child->name == name) return child.get();
    }
    return nullptr;
}

SmsNode* NthMessage(SmsNode& folder, std::string_view number) {
    int n = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (ec != std::errc() || end != number.data() + number.size() || n < 1) return nullptr;
    for (auto& child : folder.children) {
        if (!IsSmsFolder(*child) && --n == 0) return child.get();
    }
    return nullptr;
}

}  // namespace

SmsNode* FindSmsNodeByPath(SmsTree& tree, const std::string& path) {
    if (!tree.root || path.empty()) return nullptr;
    std::string_view rest = path;
    std::string_view messageNumber;
    if (auto hash = rest.rfind('#'); hash != std::string_view::npos) {
        messageNumber = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
        if (messageNumber.empty()) return nullptr;
    }
    SmsNode* node = tree.root.get();
    while (node != nullptr && !rest.empty()) {
        std::size_t slash = rest.find('/');
        node = ChildFolderNamed(*node, Utf8ToUtf16(rest.substr(0, slash)));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    if (node == nullptr || messageNumber.empty()) return node;
    return NthMessage(*node, messageNumber);
}
