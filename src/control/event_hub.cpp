#include "control/event_hub.h"

#include <algorithm>
#include <chrono>

namespace control {

std::string FormatEvent(const Event& e) {
    std::string s = e.id ? "id: " + std::to_string(e.id) + "\n" : std::string();
    s += "event: " + e.type + "\n";
    // A data line never holds a line break (the stream would split it): each line goes on its own.
    size_t start = 0;
    for (;;) {
        const size_t nl = e.data.find('\n', start);
        s += "data: " + e.data.substr(start, nl == std::string::npos ? std::string::npos : nl - start) + "\n";
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return s + "\n";
}

EventHub::EventHub(size_t maxStreams, size_t queueLimit)
    : maxStreams_(maxStreams), queueLimit_(std::max<size_t>(queueLimit, 2)) {}

EventHub::~EventHub() { close(); }

void EventHub::publish(const std::string& type, const std::string& data) {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (closed_) return;
        const uint64_t id = nextId_++;
        for (Subscription* s : subs_) {
            if (s->queue_.size() >= queueLimit_) {
                // The reader fell behind: the oldest go, and it learns that it has lost some.
                while (s->queue_.size() >= queueLimit_ - 1) s->queue_.pop_front();
                s->lost_ = true;
            }
            s->queue_.push_back(Event{id, type, data});
        }
    }
    cv_.notify_all();
}

std::shared_ptr<EventHub::Subscription> EventHub::subscribe() {
    std::lock_guard<std::mutex> lock(m_);
    if (closed_ || subs_.size() >= maxStreams_) return nullptr;
    std::shared_ptr<Subscription> s(new Subscription(*this));
    subs_.push_back(s.get());
    return s;
}

void EventHub::remove(Subscription* s) {
    std::lock_guard<std::mutex> lock(m_);
    subs_.erase(std::remove(subs_.begin(), subs_.end(), s), subs_.end());
}

void EventHub::close() {
    {
        std::lock_guard<std::mutex> lock(m_);
        closed_ = true;
    }
    cv_.notify_all();
}

bool EventHub::closed() const {
    std::lock_guard<std::mutex> lock(m_);
    return closed_;
}

size_t EventHub::streams() const {
    std::lock_guard<std::mutex> lock(m_);
    return subs_.size();
}

EventHub::Subscription::~Subscription() { hub_.remove(this); }

bool EventHub::Subscription::take(std::vector<Event>& out, uint32_t timeoutMs) {
    out.clear();
    std::unique_lock<std::mutex> lock(hub_.m_);
    hub_.cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty() || hub_.closed_; });
    if (lost_) {
        out.push_back(Event{0, "lost", "{}"});
        lost_ = false;
    }
    for (Event& e : queue_) out.push_back(std::move(e));
    queue_.clear();
    return !hub_.closed_ || !out.empty();
}

}  // namespace control
