// ktgsim --output: the virtual Device as a program of its own records its program output until it
// is told to end, and refuses bad output options before it starts.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "output/output.h"
#include "support/temp_dir.h"

namespace {

struct Child {
    pid_t pid = -1;
    int out = -1;  // the program's standard output and error
};

Child Start(std::vector<std::string> args) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    args.insert(args.begin(), KTGSIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Reads what the program wrote until `want` appears or it ends.
std::string ReadUntil(int fd, const std::string& want, std::string& text) {
    char buf[512];
    for (;;) {
        if (!want.empty() && text.find(want) != std::string::npos) return text;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return text;
        text.append(buf, size_t(n));
    }
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(OutputRecording, KtgsimRecordsItsProgramOutputUntilItIsEnded) {
    zxtest::TempDir dir;
    const std::string file = dir.file("device.mov");
    Child r = Start({"--listen", "127.0.0.1:0", "--time-scale", "4", "--background", "none", "--output", file,
                     "--output-background", "#204060", "--output-audio", "silence"});
    ASSERT_GT(r.pid, 0);
    std::string text;
    ReadUntil(r.out, "NetBIOS on", text);
    ASSERT_NE(text.find("NetBIOS on"), std::string::npos) << text;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    kill(r.pid, SIGTERM);
    ReadUntil(r.out, "", text);
    close(r.out);
    EXPECT_EQ(Wait(r.pid), 0) << text;
    EXPECT_NE(text.find("output " + file + ": "), std::string::npos) << text;
    std::vector<output::Frame> back;
    std::string error;
    ASSERT_TRUE(output::Decode(file, back, error)) << error;
    EXPECT_GE(back.size(), 5u) << "0.6 s at four times the field rate is some 60 frames";
    // An empty Device over the output's background colour.
    const uint8_t* px = back.back().rgba.data() + (288 * 720 + 360) * 4;
    EXPECT_NEAR(px[0], 0x20, 3);
    EXPECT_NEAR(px[1], 0x40, 3);
    EXPECT_NEAR(px[2], 0x60, 3);
}

TEST(OutputRecording, KtgsimRefusesBadOutputOptionsBeforeItStarts) {
    zxtest::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    for (const Case& c : {Case{{"--output", dir.file("a.mov"), "--output-codec", "nonesuch"}, 2, "nonesuch"},
                          Case{{"--output-rate", "50"}, 2, "comes after the --output"},
                          Case{{"--output", dir.file("no/such/dir/a.mov")}, 1, "no/such/dir/a.mov"}}) {
        std::vector<std::string> args = {"--listen", "127.0.0.1:0"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Child r = Start(args);
        ASSERT_GT(r.pid, 0);
        std::string text;
        ReadUntil(r.out, "", text);
        close(r.out);
        EXPECT_EQ(Wait(r.pid), c.status) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_EQ(text.find("NetBIOS on"), std::string::npos) << "the Device must not start: " << text;
    }
}
