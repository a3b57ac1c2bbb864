// Any bytes as a contact backup: the reader must load them without fault, whatever the
// encoding, line lengths or NULs, and every record it builds must keep the value limit.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "contacts/contact_files.h"
#include "contacts/section_file.h"
#include "platform/text.h"

namespace {

// One file for the whole run, rewritten for every input.
const std::string& InputPath() {
    static const std::string path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velloro-fuzz-contacts-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd >= 0) close(fd);
        std::atexit([] { std::remove(InputPath().c_str()); });
        return pattern;
    }();
    return path;
}

void CheckLimit(std::u16string_view text) {
    if (text.size() > kMaxSectionText) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ContactList list;
    InitContactList(list);
    if (ReadContactFile(list, Utf8ToUtf16(InputPath())) != kContactFileDone) __builtin_trap();
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
