#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace platform {

Process::~Process() { Detach(); }

void Process::setOutput(std::string stdoutPath, std::string stderrPath) {
    stdout_ = std::move(stdoutPath);
    stderr_ = std::move(stderrPath);
}

bool Process::Start(const std::string& program, const std::vector<std::string>& args, const std::string& workDir) {
    if (pid_ > 0) Detach();
    status_ = -1;
    error_ = 0;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    int rc = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (rc == 0 && !stdout_.empty())
        rc = posix_spawn_file_actions_addopen(&actions, 1, stdout_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (rc == 0 && !stderr_.empty())
        rc = posix_spawn_file_actions_addopen(&actions, 2, stderr_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // Everything above the standard three is closed, whether or not it was opened close-on-exec.
    if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (rc == 0 && !workDir.empty()) rc = posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    // Its own process group (a Ctrl+C meant for us does not end it), no blocked signals, and
    // every signal at its default (we may ignore some).
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    if (rc == 0)
        rc = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (rc == 0) rc = posix_spawnattr_setpgroup(&attr, 0);
    if (rc == 0) rc = posix_spawnattr_setsigmask(&attr, &none);
    if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr, &all);
    if (rc == 0) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid = -1;
        rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
        if (rc == 0) pid_ = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    error_ = rc;
    return rc == 0;
}

bool Process::reap(bool block) {
    if (pid_ <= 0) return true;
    int st = 0;
    pid_t r;
    while ((r = ::waitpid(pid_, &st, block ? 0 : WNOHANG)) < 0 && errno == EINTR) {}
    if (r == 0) return false;
    if (r == pid_) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : WIFSIGNALED(st) ? 128 + WTERMSIG(st) : -1;
    pid_ = -1;  // reaped, or not ours to wait for any more (ECHILD)
    return true;
}

bool Process::Running() { return !reap(false); }

bool Process::Wait(int timeoutMs) {
    if (timeoutMs < 0) return reap(true);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (reap(false)) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Process::Terminate(int graceMs) {
    if (pid_ <= 0) return;
    // The whole group: what the child started itself goes with it.
    auto signal = [this](int sig) {
        if (::kill(-pid_, sig) != 0) ::kill(pid_, sig);
    };
    signal(SIGTERM);
    if (Wait(graceMs)) return;
    signal(SIGKILL);
    reap(true);
}

void Process::Detach() {
    if (pid_ <= 0 || reap(false)) return;
    const pid_t pid = pid_;
    pid_ = -1;
    std::thread([pid] {
        int st;
        while (::waitpid(pid, &st, 0) < 0 && errno == EINTR) {}
    }).detach();
}

}  // namespace platform
