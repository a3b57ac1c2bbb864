#include "sms/sms_folder_export.h"

#include <new>

#include "platform/files.h"
#include "platform/text.h"
#include "sms/extract_address.h"
#include "sms/sms_text_export.h"
#include "sms/utf8_text_sink.h"

std::u16string SafePathComponent(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..")
        return std::u16string(name.empty() ? 1 : name.size(), u'_');
    std::u16string safe(name);
    for (char16_t& c : safe)
        if (c == u'/' || c == u'\0') c = u'_';
    return safe;
}

namespace {

// False when the joined path would not fit the phone's path buffer.
bool JoinPath(std::u16string_view parent, std::u16string_view name, std::u16string& joined) {
    joined.assign(parent);
    joined.push_back(u'/');
    joined.append(name);
    return joined.size() <= kSmsExportPathMax;
}

std::u16string MessageFileBase(const SmsMessageData& message) {
    if (!message.senderAddress.empty())
        return SafePathComponent(ExtractAddress(message.senderAddress));
    if (!message.recipients.empty() && !message.recipients.front().address.empty())
        return SafePathComponent(ExtractAddress(message.recipients.front().address));
    return u"sms";
}

bool WriteMessageFile(const SmsMessageData& message, std::u16string_view parentPath,
                      MessageFileNumbers& numbers) {
    std::u16string base;
    if (!JoinPath(parentPath, MessageFileBase(message), base)) return false;
    auto [slot, inserted] = numbers.try_emplace(base, 1);
    std::u16string fileName;
    int chosen = 0;
    if (!UniqueMessageFileName(base, fileName, slot->second, &chosen)) return false;
    ReplacingFile file;
    if (!file.Open(fileName)) return false;
    Utf8TextSink out(file.stream());
    WriteSmsMessageLines(message, out);
    if (!out.Flush() || !file.Commit()) return false;
    // Only a name now taken is passed over next time; a failed one stays the smallest free.
    slot->second = chosen + 1;
    return true;
}

}  // namespace

bool UniqueMessageFileName(std::u16string_view basePath, std::u16string& fileName, int firstNumber,
                           int* chosenNumber) {
    for (int n = firstNumber > 0 ? firstNumber : 1;; ++n) {
        fileName.assign(basePath);
        fileName.push_back(u'_');
        fileName.append(DecimalText(n));
        fileName.append(u".txt");
        if (fileName.size() > kSmsExportPathMax) return false;
        if (!PathExists(fileName)) {
            if (chosenNumber != nullptr) *chosenNumber = n;
            return true;
        }
    }
}

int WriteSmsFolderNode(SmsNode& node, std::u16string_view parentPath, ProgressBar* bar,
                       MessageFileNumbers& numbers) {
    StepProgress(bar);
    if (node.checked == 0) return 0;
    if (!IsSmsFolder(node)) {
        if (node.message == nullptr) return 0;
        return WriteMessageFile(*node.message, parentPath, numbers) ? 0 : -2;
    }
    // Every level adds at least two characters to a path held to kSmsExportPathMax, so this
    // recursion stays shallow however deep the tree.
    std::u16string path;
    if (!JoinPath(parentPath, SafePathComponent(node.name), path) ||
        CreateDirectoryAt(path) == CreateDirectoryResult::Failed) {
        return -2;
    }
    int result = 0;
    for (auto& child : node.children)
        if (WriteSmsFolderNode(*child, path, bar, numbers) != 0) result = -2;
    return result;
}

int WriteSmsFolderTree(SmsTree& tree, std::u16string_view path, ProgressBar* bar) {
    BeginProgress(bar, 1000);
    int result = -2;
    if (!path.empty() && tree.root) {
        // The chosen folder may already exist; a failure to make it shows in what goes into it.
        CreateDirectoryAt(path);
        MessageFileNumbers numbers;
        result = 0;
        for (auto& child : tree.root->children)
            if (WriteSmsFolderNode(*child, path, bar, numbers) != 0) result = -2;
    }
    EndProgress(bar, 1000);
    return result;
}

ResultCode ExportSmsFolders(SmsTree* tree, std::u16string_view path, ProgressBar* bar) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    try {
        return WriteSmsFolderTree(*tree, path, bar) == 0 ? kResultSuccess : kSmsExportFailed;
    } catch (const std::bad_alloc&) {
        return kSmsExportFailed;
    }
}
