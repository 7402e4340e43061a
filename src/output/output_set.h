// The program's outputs while it runs: groups of sinks started and stopped one by one (a group is
// one configured output: one sink, or two for a key and fill pair), fed from the Device's field
// tap. Starting and stopping happen on the window's thread, the pictures arrive on the Device's;
// neither waits for the other longer than a queue hand-over, and a group being stopped drains
// and finishes its containers without holding the pictures up.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "output/output.h"

namespace output {

class OutputSet {
public:
    // Told when the tap is wanted (some group runs) and at which pace: 1 field a frame when a
    // running sink takes 50 frames a second, else 2. Called on the starting or stopping thread.
    using TapControl = std::function<void(bool wanted, int fieldsPerFrame)>;

    OutputSet() = default;
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    void setTapControl(TapControl control);
    // Opens and starts the sinks of group `id` (stopping one already running under it). False
    // with a message naming the sink; nothing of the group is left open then.
    bool start(int id, const std::vector<SinkOptions>& sinks, int width, int height, std::string& error);
    // Drains and finishes the group's sinks; their last numbers stay readable through stats().
    void stop(int id);
    void stopAll();
    bool running(int id) const;
    // The group's sinks (also those that failed while running, and of a stopped group the numbers
    // at its stop); empty when the group never ran.
    std::vector<SinkStats> stats(int id) const;
    std::vector<int> runningGroups() const;

    // A picture of the program output at a Device field (the tap's callback).
    void frame(const uint8_t* rgba, int width, int height, uint64_t field, bool changed);

private:
    struct Group {
        std::unique_ptr<Output> out;
        bool everyField = false;    // one of its sinks runs at 50 frames a second
        bool pendingChange = true;  // the picture changed since the group was last given one
        uint64_t taps = 0;
    };
    void retap();

    mutable std::mutex m_;
    std::map<int, std::shared_ptr<Group>> groups_;
    std::map<int, std::vector<SinkStats>> finished_;
    int tapFields_ = 2;
    TapControl control_;
};

}  // namespace output
