#pragma once
// The fuzz input as a file the readers open by name, without leaving anything behind: the file
// is unlinked as soon as it is made and reached through /proc/self/fd, so no run (however it
// ends) leaves a scratch file in the temporary folder.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::string& ScratchInputPath() {
    static const std::string path = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velloro-fuzz-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd < 0) std::abort();
        unlink(pattern.c_str());
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

// Makes the scratch file hold exactly these bytes.
inline void SetScratchInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = std::stoi(ScratchInputPath().substr(ScratchInputPath().rfind('/') + 1));
    if (ftruncate(fd, 0) != 0) std::abort();
    for (std::size_t done = 0; done < size;) {
        ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
}
