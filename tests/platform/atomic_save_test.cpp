// Atomic saves killed at any moment: the target is always one whole version, and what a killed
// save leaves behind does not pile up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    return names;
}

// One version of the file: 256 KiB of one letter, so that a torn file shows.
std::string Version(char c) { return std::string(256 * 1024, c); }

bool Whole(const std::string& text) {
    return text.size() == 256 * 1024 && text.find_first_not_of(text[0]) == std::string::npos;
}

}  // namespace

TEST(AtomicSave, KilledSavesLeaveOneWholeFileAndNoTemporaries) {
    zxtest::TempDir dir;
    const std::string target = dir.file("page.zxg");
    ASSERT_TRUE(WriteFileAtomic(target, Version('a')));
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (char c = 'b';; c = c == 'z' ? 'b' : char(c + 1)) WriteFileAtomic(target, Version(c));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + 397 * (round % 13)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::string text;
        ASSERT_TRUE(ReadFile(target, text));
        ASSERT_TRUE(Whole(text)) << "round " << round;
    }
    // Whatever a kill left, the next save clears it away.
    ASSERT_TRUE(WriteFileAtomic(target, Version('a')));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"page.zxg"});
}

TEST(AtomicSave, RemovesTemporariesOfGoneProcessesOnly) {
    zxtest::TempDir dir;
    const std::string target = dir.file("show.zxs");
    // A process that has ended: its pid is free once it has been waited for.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = target + ".tmp" + std::to_string(gone) + "_3";
    const std::string live = target + ".tmp" + std::to_string(getppid()) + "_0";
    const std::string other = dir.file("other.zxs.tmp") + std::to_string(gone) + "_0";
    const std::string notOurs = target + ".tmpnotes";
    for (auto& p : {stale, live, other, notOurs}) ASSERT_TRUE(zxtest::WriteText(p, "partial"));

    ASSERT_TRUE(WriteFileAtomic(target, std::string("whole")));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));     // its process may still be saving
    EXPECT_TRUE(fs::exists(other));    // another file's, removed by that file's next save
    EXPECT_TRUE(fs::exists(notOurs));  // not a temporary at all
    std::string text;
    ASSERT_TRUE(ReadFile(target, text));
    EXPECT_EQ(text, "whole");
}

TEST(AtomicSave, KeepsThePermissionsOfTheFileItReplaces) {
    zxtest::TempDir dir;
    const std::string target = dir.file("ZENTRIX.INI");
    ASSERT_TRUE(WriteFileAtomic(target, std::string("[Start]\n")));
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomic(target, std::string("[Start]\nMode=1\n")));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(WriteFileAtomic(dir.file("missing/folder/file"), std::string("x")));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"ZENTRIX.INI"});
}
