// Set-up shared by every test program: no display, UTC, and the leak checker told about the
// caches that system libraries keep for the life of the process. Done here rather than in the
// test runner's environment so that a test program started by hand behaves the same.
// With ZX_REQUIRE_ALL=1 (scripts/test, and so CI) a test that skips for want of something outside
// (a font, a display) fails the program, so that a suite cannot pass by not running.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct TestEnvironment {
    TestEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("TZ", "UTC", 1);
        tzset();
    }
} const environment;

class RequireAll : public ::testing::Environment {
public:
    void TearDown() override {
        const char* require = std::getenv("ZX_REQUIRE_ALL");
        if (!require || std::strcmp(require, "1") != 0) return;
        const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
        std::string skipped;
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const ::testing::TestSuite& suite = *unit.GetTestSuite(i);
            for (int j = 0; j < suite.total_test_count(); ++j)
                if (suite.GetTestInfo(j)->result()->Skipped())
                    skipped += std::string(" ") + suite.name() + "." + suite.GetTestInfo(j)->name();
        }
        if (!skipped.empty()) ADD_FAILURE() << "ZX_REQUIRE_ALL=1, but these tests skipped:" << skipped;
    }
};

const auto* const requireAll = ::testing::AddGlobalTestEnvironment(new RequireAll);

}  // namespace

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libQt6Gui\n";
}
