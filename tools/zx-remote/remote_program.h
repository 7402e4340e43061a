// What zx-remote does with the program's messages: a button command (dwData 1) goes to the
// switcher, a macro file (dwData 2) is read and queued to run after the reply. Every message is
// written to the command log. The control interface can refuse everything (the <Remote> button
// off) or make the message handler hang.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "zx-remote/switcher.h"

namespace zxremote {

struct LogEntry {
    uint32_t timeMs = 0;  // since the start
    uint32_t dwData = 0;
    int action = 0;
    std::string name;  // the button, or the macro file's path
    int64_t reply = 0;
    std::string note;  // why the reply is 0, where it says more than the name
};

class RemoteProgram {
public:
    using ReadFn = std::function<bool(const std::string& path, std::string& text)>;
    static constexpr size_t kLogLines = 1000;

    // baseFolder: where relative macro paths start ("" = the working folder).
    RemoteProgram(const platform::Clock& clock, const SwitcherSetup& setup, std::string baseFolder = {});

    // The reply to one message: 0 for a refusal, an unknown name, a damaged block or a macro that
    // cannot be read; a query 1 or 2; a macro the number of its commands.
    int64_t OnCopyData(uint32_t dwData, std::span<const uint8_t> data);

    Switcher& switcher() { return switcher_; }
    std::vector<LogEntry> Log();
    std::string LogJson();
    // The switcher's state with "hung", "commands" (messages handled) and "pid".
    std::string StateJson();

    void SetHung(bool hung);
    bool Hung();
    // Returns once not hung (the message handler calls it first).
    void WaitWhileHung();
    // How macro files are read (tests, fuzzing).
    void setReadFile(ReadFn fn) { read_ = std::move(fn); }

private:
    int64_t runMacro(const std::string& path, std::string& why);

    const platform::Clock& clock_;
    const uint32_t start_;
    Switcher switcher_;
    std::string base_;
    ReadFn read_;
    std::mutex m_;
    std::condition_variable cv_;
    bool hung_ = false;
    std::deque<LogEntry> log_;
    uint64_t commands_ = 0;
};

std::string JsonString(std::string_view s);

}  // namespace zxremote
