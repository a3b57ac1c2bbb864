#pragma once
// The tools run as a user runs them: as processes, on a phone in the test's own folder, so the
// user's phone is never reached.

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "test_support.h"

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

// prefix runs the program through another (setpriv to run it as another user).
inline Outcome RunToolOnPhone(const TempDir& dir, const std::string& program,
                              const std::filesystem::path& phone, const std::string& args,
                              const std::string& prefix = "") {
    std::string command = "XDG_DATA_HOME=" + Quote(dir / "xdg") + " VELLORO_PHONE= " + prefix +
                          " '" + program + "' --phone " + Quote(phone) + " " + args + " 2>" +
                          Quote(dir / "stderr.txt") + " </dev/null";
    Outcome outcome;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.out.append(buffer, n);
    int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadBytes(dir / "stderr.txt");
    return outcome;
}

inline Outcome RunTool(const TempDir& dir, const std::string& program, const std::string& args) {
    return RunToolOnPhone(dir, program, dir / "phone.db", args);
}
