// zx remote as a user runs it: the program from the folder of zx, button commands, and steps
// read from standard input.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/process.h"
#include "support/temp_dir.h"
#include "zx-remote/control.h"

namespace {

const std::string kZx = ZX_BINARY_DIR "/src/cli/zx";

class ZxRemote : public ::testing::Test {
protected:
    zxtest::TempDir home;
    std::string oldRuntime;
    void SetUp() override {
        const std::string run = home.file("run");
        ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
        if (const char* r = std::getenv("XDG_RUNTIME_DIR")) oldRuntime = r;
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        ASSERT_TRUE(platform::MakeDirectories(home.file("data/Sequences")));
    }
    void TearDown() override {
        // The program zx started lives on after zx; it is ended here.
        std::string reply, error;
        if (zxremote::ControlRequest(zxremote::DefaultControlPath(), "state", reply, error, 1000)) {
            const size_t p = reply.find("\"pid\":");
            zxremote::ControlRequest(zxremote::DefaultControlPath(), "quit", reply, error, 1000);
            if (p != std::string::npos) {
                const pid_t pid = pid_t(std::atoi(reply.c_str() + p + 6));
                for (int i = 0; i < 300 && ::kill(pid, 0) == 0; ++i) ::usleep(10000);
            }
        }
        if (oldRuntime.empty()) ::unsetenv("XDG_RUNTIME_DIR");
        else ::setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    }
    // Runs zx with its standard input from a file; the exit status.
    int zx(const std::string& args, const std::string& input = {}) {
        zxtest::WriteText(home.file("in.txt"), input);
        platform::Process p;
        p.setOutput(home.file("out.txt"), home.file("err.txt"));
        const std::string line =
            "exec \"" + kZx + "\" " + args + " --home \"" + home.file("data") + "\" < \"" + home.file("in.txt") + "\"";
        EXPECT_TRUE(p.Start("/bin/sh", {"-c", line}));
        EXPECT_TRUE(p.Wait(60000));
        return p.exitStatus();
    }
    std::string out() { return zxtest::ReadText(home.file("out.txt")); }
    std::string err() { return zxtest::ReadText(home.file("err.txt")); }
};

}  // namespace

TEST_F(ZxRemote, CommandsAndSteps) {
    // Nothing runs yet: the message goes to standard error and the status says so.
    EXPECT_EQ(zx("remote push IN3"), 1);
    EXPECT_NE(err().find("Remote control software is not running!"), std::string::npos) << err();

    ASSERT_EQ(zx("remote launch"), 0) << err();
    EXPECT_EQ(out(), "running\n");
    EXPECT_EQ(zx("remote on LOGO2"), 0) << err();
    EXPECT_EQ(zx("remote query LOGO2"), 0);
    EXPECT_EQ(out(), "1\n");
    EXPECT_EQ(zx("remote query NOSUCH"), 1);  // refused by the remote program

    ASSERT_TRUE(zxtest::WriteText(home.file("data/Sequences/Bars on preview.txt"), "PUSH PREVIEW\nPUSH BARS\n"));
    EXPECT_EQ(zx("remote run \"Sequences/Bars on preview.txt\""), 0) << err();
    EXPECT_EQ(out(), "2 commands\n");

    const int status = zx("remote steps",
                          "# a playout\nseize logo-off\npush IN5\nquery AIR_IN5\nrestore cut\n"
                          "run Sequences/Bars on preview.txt\nwait 10\nquery AIR_IN1\nrestore\njump\n");
    EXPECT_EQ(status, 1);  // the last line is no step
    EXPECT_EQ(out(),
              "seize 0\npush IN5 1\nquery AIR_IN5 1\nrestore cut -1\nrun Sequences/Bars on preview.txt 2\n"
              "wait 10\nquery AIR_IN1 1\nrestore -1\n");
    EXPECT_NE(err().find("line 10: not a step"), std::string::npos) << err();

    // A seize that cannot get FAST is reported as the air frame reports it.
    std::string reply, error;
    ASSERT_TRUE(zxremote::ControlRequest(zxremote::DefaultControlPath(), "fast-delay never", reply, error));
    EXPECT_EQ(zx("remote steps", "seize\n"), 1);
    EXPECT_EQ(out(), "seize 5\n");
    EXPECT_NE(err().find("Please verify that <FAST> mode is active!"), std::string::npos) << err();
}
