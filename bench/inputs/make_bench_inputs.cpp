// Writes the inputs of bench/jobs.sh through the program's own writers:
//   velloro_bench_inputs sms N FILE        a data file of N messages in 10 folders
//   velloro_bench_inputs folders N FILE    a data file of N empty sibling folders
//   velloro_bench_inputs contacts N FILE   a text backup of N phone contacts, 37 fields each
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "contacts/contact_files.h"
#include "contacts/contact_list.h"
#include "platform/file_time.h"
#include "platform/text.h"
#include "sms/sms_data_file.h"
#include "sms/sms_tree.h"

namespace {

constexpr int kSmsFolders = 10;
constexpr std::size_t kContactFieldsFilled = 37;

std::unique_ptr<SmsNode> FolderNode(const std::u16string& name) {
    auto folder = CreateSmsNode(kSmsFolderKind);
    SetSmsNodeName(*folder, name);
    return folder;
}

std::unique_ptr<SmsNode> MessageNode(int i) {
    auto node = CreateSmsNode(kSmsMessageKind);
    auto data = std::make_unique<SmsMessageData>();
    data->text = u"Message " + DecimalText(i) + u": see you at six, bring the keys please.";
    data->flags = 1;
    data->size = 120;
    data->deliveryTime = FileTimeFromUint64(134000000000000000ull + 10000000ull * i);
    if (i % 2 == 0) {
        data->senderAddress = u"+4412345" + DecimalText(i % 1000);
        data->senderName = u"Anna " + DecimalText(i % 1000);
    } else {
        data->recipients.push_back({u"Bob " + DecimalText(i % 1000), u"+4498765"});
    }
    node->message = std::move(data);
    return node;
}

bool WriteTree(SmsTree& tree, const char* path) {
    return WriteSmsDataFile(tree, Utf8ToUtf16(path), nullptr) == 0;
}

bool WriteSms(int count, const char* path) {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    for (int f = 0; f < kSmsFolders; ++f)
        tree.root->children.push_back(FolderNode(u"Folder " + DecimalText(f)));
    for (int i = 0; i < count; ++i)
        tree.root->children[static_cast<std::size_t>(i % kSmsFolders)]->children.push_back(
            MessageNode(i));
    return WriteTree(tree, path);
}

bool WriteFolders(int count, const char* path) {
    SmsTree tree;
    tree.root = CreateSmsNode(kSmsFolderKind);
    auto parent = FolderNode(u"Many");
    for (int i = 0; i < count; ++i)
        parent->children.push_back(FolderNode(u"f" + DecimalText(i)));
    tree.root->children.push_back(std::move(parent));
    return WriteTree(tree, path);
}

bool WriteContacts(int count, const char* path) {
    ContactList list;
    InitContactList(list);
    std::vector<std::u16string> texts(kContactFieldCount);
    for (int c = 0; c < count; ++c) {
        PhoneContactTexts views{};
        for (std::size_t f = 0; f < kContactFieldCount; ++f) {
            texts[f] = f < kContactFieldsFilled ? u"c" + DecimalText(c) + u" f" + DecimalText(f)
                                                : std::u16string();
            views[f] = texts[f];
        }
        if (AddPhoneContact(list, views) != kContactAdded) return false;
    }
    return WriteContactFile(list, Utf8ToUtf16(path)) >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: velloro_bench_inputs sms|folders|contacts N FILE\n");
        return 2;
    }
    std::string kind = argv[1];
    int count = std::atoi(argv[2]);
    bool ok = kind == "sms"        ? WriteSms(count, argv[3])
              : kind == "folders"  ? WriteFolders(count, argv[3])
              : kind == "contacts" ? WriteContacts(count, argv[3])
                                   : false;
    if (!ok) std::fprintf(stderr, "velloro_bench_inputs: cannot write %s\n", argv[3]);
    return ok ? 0 : 1;
}
