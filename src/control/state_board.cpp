#include "control/state_board.h"

#include <cstdio>

#include "control/control_json.h"
#include "platform/files.h"

namespace control {

StateBoard::StateBoard(EventHub& hub, int codePage) : hub_(hub), cp_(codePage) {}

void StateBoard::update(const AirSnapshot& s) {
    AirSnapshot still = s;
    still.frame.elapsedText.clear();
    still.frame.remainingText.clear();
    std::string signature = StateJson(still, cp_);
    std::string whole = StateJson(s, cp_);
    std::string times = TimeJson(s);
    bool stateChanged = false, timesChanged = false;
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(m_);
        ++updates_;
        // Each state carries its number: a client that gets states by two roads (the answer to
        // its request, the event stream) keeps the newer one.
        whole.insert(1, "\"seq\":" + std::to_string(updates_) + ",");
        state_ = whole;
        stateChanged = signature != signature_;
        if (stateChanged) signature_ = std::move(signature);
        // The times go with every state event; alone they are told at a readable pace.
        if (times != times_ && (stateChanged || now - lastTime_ >= timeInterval)) {
            times_ = times;
            lastTime_ = now;
            timesChanged = !stateChanged;
        }
    }
    if (stateChanged) hub_.publish("state", whole);
    else if (timesChanged) hub_.publish("time", times);
}

void StateBoard::airLogLine(std::string_view line8) { hub_.publish("airlog", AirLogJson(line8, cp_)); }

void StateBoard::deviceRequest(int code) { hub_.publish("device", DeviceRequestJson(code)); }

std::string StateBoard::stateJson() const {
    std::lock_guard<std::mutex> lock(m_);
    return state_;
}

uint64_t StateBoard::updates() const {
    std::lock_guard<std::mutex> lock(m_);
    return updates_;
}

LogFollower::LogFollower(std::string path) : path_(std::move(path)) {
    offset_ = platform::FileSize(path_);
    if (offset_ < 0) offset_ = 0;
}

bool LogFollower::readNew(std::string& out) {
    const int64_t size = platform::FileSize(path_);
    if (size < 0) return false;
    if (size < offset_) offset_ = 0;  // written anew
    if (size == offset_) return false;
    FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f) return false;
    out.clear();
    if (std::fseek(f, long(offset_), SEEK_SET) == 0) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    }
    std::fclose(f);
    // Only whole lines: a line being written is taken at the next look.
    const size_t last = out.rfind('\n');
    if (last == std::string::npos) return false;
    out.resize(last + 1);
    offset_ += int64_t(out.size());
    return true;
}

}  // namespace control
