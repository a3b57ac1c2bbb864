#include "test_support.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>

#include "platform/text.h"

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velloro-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::u16string TempDir::U16Path(const std::string& name) const {
    return Utf8ToUtf16((path_ / name).string());
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path TestDataPath(const std::string& relative) {
    return std::filesystem::path(VELLORO_TEST_DATA) / relative;
}

std::string ReadTestData(const std::string& relative) {
    return ReadBytes(TestDataPath(relative));
}

std::string Utf16LeBytes(const std::string& utf8) {
    std::string out;
    for (char16_t c : Utf8ToUtf16(utf8)) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

void PrintTo(const ProgressMessage& m, std::ostream* os) {
    *os << "{0x" << std::hex << m.message << std::dec << ", " << m.wParam << ", " << m.lParam
        << "}";
}

int ProgressRecorder::Count(std::uint32_t message) const {
    int n = 0;
    for (const ProgressMessage& m : messages)
        n += m.message == message;
    return n;
}

FileSizeLimit::FileSizeLimit(std::uint64_t limitBytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit current{};
    getrlimit(RLIMIT_FSIZE, &current);
    previousSoft_ = current.rlim_cur;
    previousHard_ = current.rlim_max;
    rlimit limited{static_cast<rlim_t>(limitBytes), current.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit restored{static_cast<rlim_t>(previousSoft_), static_cast<rlim_t>(previousHard_)};
    setrlimit(RLIMIT_FSIZE, &restored);
}
