// Any bytes as a vCard file: the reader must not fault, every field keeps its limit, and what it
// read must come back unchanged through our own writer and reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "contacts/contact_files.h"
#include "contacts/vcard.h"
#include "platform/text.h"
#include "scratch_file.h"

namespace {

ContactList Read(const std::string& path) {
    ContactList list;
    InitContactList(list);
    if (ReadVcardFile(list, Utf8ToUtf16(path), nullptr) != kContactFileDone) std::abort();
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetScratchInput(data, size);
    const std::string& path = ScratchInputPath();

    ContactList first = Read(path);
    for (const SimContactRecord& r : first.sim)
        if (r.name.size() > kVcardFieldMax || r.phoneNumber.size() > kVcardFieldMax) std::abort();
    for (const PhoneContactRecord& r : first.phone)
        for (PhoneContactField field : kPhoneContactFields)
            if ((r.*field).size() > kVcardFieldMax) std::abort();

    const std::string copy = ScratchOutputPath("copy.vcf");
    if (WriteVcardFile(first, Utf8ToUtf16(copy)) != kContactFileDone) std::abort();
    ContactList second = Read(copy);
    std::remove(copy.c_str());
    if (second.sim != first.sim || second.phone != first.phone) std::abort();
    return 0;
}
