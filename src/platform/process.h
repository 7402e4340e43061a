// Starting another program, in place of CreateProcess: posix_spawn with the program's own
// descriptors only (standard input from /dev/null; output and errors as ours, or to files), in a
// process group of its own, with default signal handling. The child inherits no other descriptor
// of ours, so our locks and sockets do not live on inside it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

class Process {
public:
    Process() = default;
    // A child that still runs is left running (like a program the user started) and reaped by
    // a waiting thread when it ends, so it never stays behind as a zombie.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Where the child's standard output and errors go ("" = ours); the files are created anew.
    void setOutput(std::string stdoutPath, std::string stderrPath = {});

    // Starts program (a path) with args (argv[1]...) in workDir ("" = ours). False with the
    // system's error number in error() when it cannot be started (missing, not executable,
    // no such folder).
    bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& workDir = {});

    pid_t pid() const { return pid_; }
    int error() const { return error_; }
    // Reaps the child when it has ended.
    bool Running();
    // Waits up to timeoutMs (< 0: for ever) for the end; true when it has ended.
    bool Wait(int timeoutMs);
    // The exit status once ended: the exit code, or 128 + the signal that ended it; -1 before.
    int exitStatus() const { return status_; }
    // SIGTERM to the child's process group, then SIGKILL after graceMs; returns once the child
    // is reaped.
    void Terminate(int graceMs = 2000);
    // Forgets the child, leaving it to run; it is reaped when it ends.
    void Detach();

private:
    bool reap(bool block);

    pid_t pid_ = -1;
    int error_ = 0;
    int status_ = -1;
    std::string stdout_, stderr_;
};

}  // namespace platform
