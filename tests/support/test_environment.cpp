// Every test program runs with the time zone and the locale pinned, whatever the caller's
// environment, so dates and texts are reproducible.

#include <clocale>
#include <cstdlib>
#include <ctime>

namespace {

struct PinnedEnvironment {
    PinnedEnvironment() {
        setenv("TZ", "UTC", 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        tzset();
        std::setlocale(LC_ALL, "");
    }
};

const PinnedEnvironment kPinnedEnvironment;

}  // namespace
