#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>

#include "platform/files.h"
#include "support/temp_dir.h"

using platform::Process;

namespace {

// The state letter of a process in /proc, or 0 when there is none.
char ProcState(pid_t pid) {
    std::string stat = zxtest::ReadText("/proc/" + std::to_string(pid) + "/stat");
    size_t p = stat.rfind(')');
    return p == std::string::npos || p + 2 >= stat.size() ? 0 : stat[p + 2];
}

}  // namespace

TEST(Process, AMissingProgramOrFolderIsReported) {
    Process p;
    EXPECT_FALSE(p.Start("/nonexistent/zx-remote", {}));
    EXPECT_EQ(p.error(), ENOENT);
    EXPECT_FALSE(p.Running());
    EXPECT_FALSE(p.Start("/bin/true", {}, "/nonexistent-folder"));
    EXPECT_NE(p.error(), 0);
}

TEST(Process, RunsInItsWorkingFolderWithItsArguments) {
    zxtest::TempDir dir;
    Process p;
    p.setOutput(dir.file("out.txt"));
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "pwd; echo \"$1\"", "sh", "two words"}, dir.path()));
    ASSERT_TRUE(p.Wait(10000));
    EXPECT_EQ(p.exitStatus(), 0);
    std::string want = dir.path();
    want.pop_back();
    EXPECT_EQ(zxtest::ReadText(dir.file("out.txt")), want + "\ntwo words\n");
}

TEST(Process, TheChildInheritsNoDescriptorOfOurs) {
    zxtest::TempDir dir;
    // One opened without close-on-exec, as a library might, and moved high.
    int fd = ::open(dir.file("held").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::dup2(fd, 57), 57);
    ::close(fd);
    Process p;
    p.setOutput(dir.file("fds.txt"));
    ASSERT_TRUE(p.Start("/bin/ls", {"/proc/self/fd"}));
    ASSERT_TRUE(p.Wait(10000));
    ::close(57);
    std::istringstream in(zxtest::ReadText(dir.file("fds.txt")));
    std::vector<int> fds;
    for (int n; in >> n;) fds.push_back(n);
    // Standard input, output and errors, and the folder ls reads.
    EXPECT_EQ(fds, (std::vector<int>{0, 1, 2, 3}));
}

TEST(Process, ChildrenAreReapedAndTerminated) {
    Process quick;
    ASSERT_TRUE(quick.Start("/bin/sh", {"-c", "exit 3"}));
    const pid_t pid = quick.pid();
    ASSERT_TRUE(quick.Wait(10000));
    EXPECT_EQ(quick.exitStatus(), 3);
    EXPECT_EQ(ProcState(pid), 0);
    errno = 0;
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    // Left to run when its object goes, and still reaped when it ends.
    pid_t left;
    {
        Process p;
        ASSERT_TRUE(p.Start("/bin/sleep", {"0.2"}));
        left = p.pid();
    }
    for (int i = 0; i < 500 && ProcState(left) != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ProcState(left), 0) << "a zombie stays behind";

    // A child that ignores SIGTERM is killed after the grace time.
    Process stubborn;
    ASSERT_TRUE(stubborn.Start("/bin/sh", {"-c", "trap '' TERM; while :; do sleep 0.05; done"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let it set its trap
    stubborn.Terminate(200);
    EXPECT_FALSE(stubborn.Running());
    EXPECT_EQ(stubborn.exitStatus(), 128 + SIGKILL);
    Process polite;
    ASSERT_TRUE(polite.Start("/bin/sleep", {"30"}));
    polite.Terminate();
    EXPECT_EQ(polite.exitStatus(), 128 + SIGTERM);
}
