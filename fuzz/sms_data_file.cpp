// Any bytes handed to the SMS data file loader must end in a clean 0 or 402 without reading out
// of bounds, leaking or allocating beyond what the file could describe.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "sms/sms_data_file.h"

namespace {

std::string ScratchPath() {
    static const std::string path = [] {
        std::string pattern = "/tmp/fuzz-sms-data-XXXXXX";
        int fd = mkstemp(pattern.data());
        if (fd < 0) std::abort();
        close(fd);
        return pattern;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    SmsTree tree;
    ResultCode code = LoadSmsDataFile(&tree, Utf8ToUtf16(path), nullptr);
    if (code != 0 && code != 402) std::abort();
    if (code == 0) {
        // What loaded must write back; a rewrite of a loaded tree always succeeds.
        if (ExportSmsDataFile(&tree, Utf8ToUtf16(path + ".out"), nullptr) != 0) std::abort();
        std::remove((path + ".out").c_str());
    }
    return 0;
}
