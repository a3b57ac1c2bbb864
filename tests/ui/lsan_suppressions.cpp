// Allocations the toolkit and its font stack keep for the life of the process are not leaks of
// ours; LeakSanitizer reads this list at start, before any environment a test could set.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Core\n"
           "leak:libQt6Widgets\n"
           "leak:libglib\n";
}
