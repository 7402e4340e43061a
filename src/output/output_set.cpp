#include "output/output_set.h"

namespace output {

OutputSet::~OutputSet() { stopAll(); }

void OutputSet::setTapControl(TapControl control) {
    std::lock_guard lock(m_);
    control_ = std::move(control);
}

bool OutputSet::start(int id, const std::vector<SinkOptions>& sinks, int width, int height, std::string& error) {
    stop(id);
    if (sinks.empty()) {
        error = "no sink to start";
        return false;
    }
    auto g = std::make_shared<Group>();
    g->out = std::make_unique<Output>();
    for (const SinkOptions& s : sinks)
        if (!g->out->add(s, width, height, error)) return false;  // the added ones close with g
    g->everyField = g->out->fieldsPerFrame() == 1;
    g->out->start();
    {
        std::lock_guard lock(m_);
        groups_[id] = g;
        finished_.erase(id);
    }
    retap();
    return true;
}

void OutputSet::stop(int id) {
    std::shared_ptr<Group> g;
    {
        std::lock_guard lock(m_);
        auto it = groups_.find(id);
        if (it == groups_.end()) return;
        g = std::move(it->second);
        groups_.erase(it);
    }
    retap();
    // frame() holds the lock while it uses a group, so none uses this one any more: it drains
    // without holding the pictures of the other groups up.
    g->out->stop();
    std::lock_guard lock(m_);
    finished_[id] = g->out->stats();
}

void OutputSet::stopAll() {
    for (int id : runningGroups()) stop(id);
}

bool OutputSet::running(int id) const {
    std::lock_guard lock(m_);
    return groups_.count(id) != 0;
}

std::vector<SinkStats> OutputSet::stats(int id) const {
    std::lock_guard lock(m_);
    if (auto it = groups_.find(id); it != groups_.end()) return it->second->out->stats();
    if (auto it = finished_.find(id); it != finished_.end()) return it->second;
    return {};
}

std::vector<int> OutputSet::runningGroups() const {
    std::lock_guard lock(m_);
    std::vector<int> ids;
    for (const auto& [id, g] : groups_) ids.push_back(id);
    return ids;
}

void OutputSet::retap() {
    TapControl control;
    bool wanted = false;
    int fields = 2;
    {
        std::lock_guard lock(m_);
        for (const auto& [id, g] : groups_) {
            wanted = true;
            if (g->everyField) fields = 1;
        }
        tapFields_ = fields;
        control = control_;
    }
    if (control) control(wanted, fields);
}

void OutputSet::frame(const uint8_t* rgba, int width, int height, uint64_t field, bool changed) {
    std::lock_guard lock(m_);
    for (auto& [id, g] : groups_) {
        g->pendingChange = g->pendingChange || changed;
        // A group of 25 frames a second while the tap runs each field takes every second one; it
        // counts its own taps, since it may have started at an odd one.
        if (tapFields_ == 1 && !g->everyField && (g->taps++ % 2) != 0) continue;
        g->out->frame(rgba, width, height, field, g->pendingChange);
        g->pendingChange = false;
    }
}

}  // namespace output
