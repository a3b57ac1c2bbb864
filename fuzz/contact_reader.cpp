// Any bytes as a contact backup: the reader must load them without fault, whatever the
// encoding, line lengths or NULs, and every record it builds must keep the value limit.

#include <cstddef>
#include <cstdint>

#include "contacts/contact_files.h"
#include "contacts/section_file.h"
#include "platform/text.h"
#include "scratch_file.h"

namespace {

void CheckLimit(std::u16string_view text) {
    if (text.size() > kMaxSectionText) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetScratchInput(data, size);

    ContactList list;
    InitContactList(list);
    if (ReadContactFile(list, Utf8ToUtf16(ScratchInputPath())) != kContactFileDone)
        __builtin_trap();
    for (const SimContactRecord& record : list.sim) {
        CheckLimit(record.name);
        CheckLimit(record.phoneNumber);
    }
    for (const PhoneContactRecord& record : list.phone) {
        for (PhoneContactField field : kPhoneContactFields)
            CheckLimit(record.*field);
    }
    ClearContactList(list);
    return 0;
}
