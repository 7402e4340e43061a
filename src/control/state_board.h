// What the air frame's thread tells the control interface: the state after each change (kept
// for GET /state, so that polling never reaches the air frame, and sent on the event stream when
// it changed), the air log's new lines and the Device's requests. Written on the air thread,
// read by the server's threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "control/air_host.h"
#include "control/event_hub.h"
#include "platform/code_page.h"

namespace control {

class StateBoard {
public:
    StateBoard(EventHub& hub, int codePage);

    // Air thread: the state now. A changed state goes out as a "state" event; changed times alone
    // as a "time" event, at most every timeInterval.
    void update(const AirSnapshot& s);
    // Air thread: a line appended to the air log (8-bit, without its line end).
    void airLogLine(std::string_view line8);
    // Air thread: a request the Device raised.
    void deviceRequest(int code);

    // Any thread: the JSON of the last state, numbered ("seq") in the order of the updates; ""
    // before the first update.
    std::string stateJson() const;
    uint64_t updates() const;

    const platform::CodePage& codePage() const { return cp_; }
    std::chrono::milliseconds timeInterval{250};

private:
    EventHub& hub_;
    platform::CodePage cp_;
    mutable std::mutex m_;
    std::string state_;      // the whole state
    std::string signature_;  // the state without its times
    std::string times_;
    uint64_t updates_ = 0;
    std::chrono::steady_clock::time_point lastTime_{};
};

// Follows a text file that only grows (the air log): the whole lines added since the last look.
class LogFollower {
public:
    // Starts at the file's present end.
    explicit LogFollower(std::string path);
    // Calls fn for each new whole line (without its line end). A file that got shorter is read
    // again from its start.
    template <class Fn>
    void poll(Fn&& fn) {
        std::string chunk;
        if (!readNew(chunk)) return;
        size_t start = 0;
        for (size_t nl; (nl = chunk.find('\n', start)) != std::string::npos; start = nl + 1) {
            std::string_view line(chunk.data() + start, nl - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            fn(line);
        }
    }
    const std::string& path() const { return path_; }

private:
    // The bytes of the new whole lines; false when there are none.
    bool readNew(std::string& out);
    std::string path_;
    int64_t offset_ = 0;
};

}  // namespace control
