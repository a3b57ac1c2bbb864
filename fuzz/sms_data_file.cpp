// Any bytes handed to the SMS data file loader must end in a clean 0 or 402 without reading out
// of bounds, leaking or allocating beyond what the file could describe.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/text.h"
#include "scratch_file.h"
#include "sms/sms_data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetScratchInput(data, size);
    SmsTree tree;
    ResultCode code = LoadSmsDataFile(&tree, Utf8ToUtf16(ScratchInputPath()), nullptr);
    if (code != 0 && code != 402) std::abort();
    if (code == 0) {
        // What loaded must write back; a rewrite of a loaded tree always succeeds. The folder
        // lives only while it is written.
        std::string folder =
            (std::filesystem::temp_directory_path() / "velloro-fuzz-out-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr) std::abort();
        std::string out = folder + "/out.dat";
        bool written = ExportSmsDataFile(&tree, Utf8ToUtf16(out), nullptr) == 0;
        std::remove(out.c_str());
        rmdir(folder.c_str());
        if (!written) std::abort();
    }
    return 0;
}
