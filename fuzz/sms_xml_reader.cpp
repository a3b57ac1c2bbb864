// Any bytes as an SMS backup XML: a clean 0 or 402, the same whether one parser reads it or
// several read it in pieces, and a tree that loaded comes back the same through our own writer
// and reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "scratch_file.h"
#include "sms/sms_xml.h"

namespace {

// Every node with the fields a message keeps, one line each.
void Dump(const SmsNode& node, int depth, std::u16string& out) {
    out.append(static_cast<std::size_t>(depth), u' ');
    out += node.name;
    if (const SmsMessageData* m = node.message.get()) {
        out +=
            u"|" + m->text + u"|" + m->senderAddress + u"|" + m->senderName + u"|" +
            DecimalText(static_cast<std::int64_t>(FileTimeToUint64(m->deliveryTime) >> 1)) + u"|" +
            DecimalText(static_cast<std::int64_t>(FileTimeToUint64(m->lastModificationTime) >> 1)) +
            u"|" + DecimalText(m->size) + u"|" + DecimalText(m->flags);
        for (const SmsRecipient& r : m->recipients)
            out += u"|" + r.name + u"<" + r.address + u">";
    }
    out += u"\n";
    for (const auto& child : node.children)
        Dump(*child, depth + 1, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetScratchInput(data, size);
    const std::string& path = ScratchInputPath();

    // Pieces of one child each, parsed beside the reading thread, read what one parser reads.
    std::unique_ptr<SmsNode> whole, pieces;
    int wholeCode = ReadSmsXmlFile(Utf8ToUtf16(path), whole, nullptr, nullptr, {0, 0});
    int piecesCode = ReadSmsXmlFile(Utf8ToUtf16(path), pieces, nullptr, nullptr, {1, 1});
    if (wholeCode != piecesCode) std::abort();
    if (whole) {
        std::u16string a, b;
        Dump(*whole, 0, a);
        Dump(*pieces, 0, b);
        if (a != b) std::abort();
    }

    SmsTree tree;
    ResultCode code = LoadSmsXmlFile(&tree, Utf8ToUtf16(path), nullptr);
    if (code != 0 && code != 402) std::abort();
    if ((code == 0) != (wholeCode == 0)) std::abort();
    if (code != 0) {
        if (tree.root) std::abort();  // a failed load leaves the tree as it was
        return 0;
    }
    const std::string copy = ScratchOutputPath("copy.xml");
    if (ExportSmsXml(&tree, Utf8ToUtf16(copy), nullptr) != 0) std::abort();
    SmsTree again;
    if (LoadSmsXmlFile(&again, Utf8ToUtf16(copy), nullptr) != 0) std::abort();
    std::remove(copy.c_str());
    std::u16string a, b;
    Dump(*tree.root, 0, a);
    Dump(*again.root, 0, b);
    if (a != b) std::abort();
    return 0;
}
