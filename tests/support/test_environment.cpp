// Set-up shared by every test program: no display, UTC, and the leak checker told about the
// caches that system libraries keep for the life of the process. Done here rather than in the
// test runner's environment so that a test program started by hand behaves the same.
#include <cstdlib>
#include <ctime>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("TZ", "UTC", 1);
        tzset();
    }
} const environment;

}  // namespace

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libQt6Gui\n";
}
