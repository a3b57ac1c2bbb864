#include "sms/sms_folder_export.h"

#include <cerrno>
#include <new>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_writer.h"
#include "sms/extract_address.h"
#include "sms/sms_text_export.h"

std::u16string SafeNameCharacters(std::u16string_view name) {
    std::u16string safe(name);
    for (char16_t& c : safe)
        if (c == u'/' || c == u'\0') c = u'_';
    return safe;
}

std::u16string SafePathComponent(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..")
        return std::u16string(name.empty() ? 1 : name.size(), u'_');
    return SafeNameCharacters(name);
}

namespace {

std::u16string MessageFileName(std::u16string_view basePath, int number) {
    std::u16string name(basePath);
    name.push_back(u'_');
    name.append(DecimalText(number));
    name.append(u".txt");
    return name;
}

// False when the joined path would not fit the phone's path buffer.
bool JoinPath(std::u16string_view parent, std::u16string_view name, std::u16string& joined) {
    joined.assign(parent);
    joined.push_back(u'/');
    joined.append(name);
    return joined.size() <= kSmsExportPathMax;
}

std::u16string MessageFileBase(const SmsMessageData& message) {
    if (!message.senderAddress.empty())
        return SafeNameCharacters(ExtractAddress(message.senderAddress));
    if (!message.recipients.empty() && !message.recipients.front().address.empty())
        return SafeNameCharacters(ExtractAddress(message.recipients.front().address));
    return u"sms";
}

template <typename File>
bool WriteWholeFile(File& file, const SmsMessageData& message) {
    TextWriter out(file.stream());
    WriteSmsMessageLines(message, out);
    return out.Flush() && file.Commit();
}

// In a folder this export made, the first free number is known without probing, and a file is
// created only where no name exists (a name that appears meanwhile moves on to the next number);
// elsewhere the free name is probed and the file written through a temporary one.
bool WriteMessageFile(const SmsMessageData& message, std::u16string_view parentPath,
                      MessageFileNumbers& numbers, bool freshParent) {
    std::u16string base;
    if (!JoinPath(parentPath, MessageFileBase(message), base)) return false;
    auto [slot, inserted] = numbers.try_emplace(base, 1);
    std::u16string fileName;
    int chosen = slot->second;
    if (freshParent) {
        NewFile file;
        do {
            fileName = MessageFileName(base, chosen);
            if (fileName.size() > kSmsExportPathMax) return false;
        } while (!file.Open(fileName) && errno == EEXIST && ++chosen > 0);
        if (file.stream() == nullptr || !WriteWholeFile(file, message)) return false;
    } else {
        if (!UniqueMessageFileName(base, fileName, slot->second, &chosen)) return false;
        ReplacingFile file;
        if (!file.Open(fileName) || !WriteWholeFile(file, message)) return false;
    }
    // Only a name now taken is passed over next time; a failed one stays the smallest free.
    slot->second = chosen + 1;
    return true;
}

}  // namespace

bool UniqueMessageFileName(std::u16string_view basePath, std::u16string& fileName, int firstNumber,
                           int* chosenNumber) {
    for (int n = firstNumber > 0 ? firstNumber : 1;; ++n) {
        fileName = MessageFileName(basePath, n);
        if (fileName.size() > kSmsExportPathMax) return false;
        if (!PathExists(fileName)) {
            if (chosenNumber != nullptr) *chosenNumber = n;
            return true;
        }
    }
}

int WriteSmsFolderNode(SmsNode& node, std::u16string_view parentPath, ProgressBar* bar,
                       MessageFileNumbers& numbers, bool freshParent, SmsBackupCounts* counts) {
    StepProgress(bar);
    if (node.checked == 0) return 0;
    if (!IsSmsFolder(node)) {
        if (node.message == nullptr) return 0;
        if (!WriteMessageFile(*node.message, parentPath, numbers, freshParent)) return -2;
        if (counts != nullptr) ++counts->messages;
        return 0;
    }
    // Every level adds at least two characters to a path held to kSmsExportPathMax, so this
    // recursion stays shallow however deep the tree.
    std::u16string path;
    if (!JoinPath(parentPath, SafePathComponent(node.name), path)) return -2;
    CreateDirectoryResult made = CreateDirectoryAt(path);
    if (made == CreateDirectoryResult::Failed) return -2;
    if (counts != nullptr) ++counts->folders;
    bool fresh = made == CreateDirectoryResult::Created;
    int result = 0;
    for (auto& child : node.children)
        if (WriteSmsFolderNode(*child, path, bar, numbers, fresh, counts) != 0) result = -2;
    return result;
}

int WriteSmsFolderTree(SmsTree& tree, std::u16string_view path, ProgressBar* bar,
                       SmsBackupCounts* counts) {
    BeginProgress(bar, 1000);
    int result = -2;
    if (!path.empty() && tree.root) {
        // The chosen folder may already exist; a failure to make it shows in what goes into it.
        bool fresh = CreateDirectoryAt(path) == CreateDirectoryResult::Created;
        MessageFileNumbers numbers;
        result = 0;
        for (auto& child : tree.root->children)
            if (WriteSmsFolderNode(*child, path, bar, numbers, fresh, counts) != 0) result = -2;
    }
    EndProgress(bar, 1000);
    return result;
}

ResultCode ExportSmsFolders(SmsTree* tree, std::u16string_view path, ProgressBar* bar,
                            SmsBackupCounts* counts) {
    if (tree == nullptr || path.empty()) return kSmsExportFailed;
    try {
        return WriteSmsFolderTree(*tree, path, bar, counts) == 0 ? kResultSuccess
                                                                 : kSmsExportFailed;
    } catch (const std::bad_alloc&) {
        return kSmsExportFailed;
    }
}
