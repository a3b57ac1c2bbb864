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
#include <system_error>

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

// A path for a file the harness writes itself (a round trip through a writer, which replaces its
// target by rename and so needs a real folder): in a private folder removed when the run ends.
inline std::string ScratchOutputPath(const std::string& name) {
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velloro-fuzz-out-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        static const std::string made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return pattern;
    }();
    return folder + "/" + name;
}
