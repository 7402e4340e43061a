// The event stream's fan-out: what happens on air is published once (from the air frame's
// thread, never waiting) and each connected stream takes it from a queue of its own. A stream that
// falls behind loses its oldest events and is told so ("lost"), so that a slow reader never holds
// memory or the air frame; the number of streams is limited.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace control {

struct Event {
    uint64_t id = 0;
    std::string type;  // "state", "time", "airlog", "device", "lost"
    std::string data;  // one line of JSON
};

// The event as the stream carries it: "id: N\nevent: TYPE\ndata: DATA\n\n".
std::string FormatEvent(const Event& e);

class EventHub {
public:
    class Subscription;

    EventHub(size_t maxStreams = 16, size_t queueLimit = 256);
    ~EventHub();
    EventHub(const EventHub&) = delete;
    EventHub& operator=(const EventHub&) = delete;

    // Queues the event for every stream; any thread, never blocks for long.
    void publish(const std::string& type, const std::string& data);
    // A new stream; nullptr when the limit is reached or the hub is closed.
    std::shared_ptr<Subscription> subscribe();
    // Wakes every stream and refuses new ones (the server is stopping).
    void close();
    bool closed() const;
    size_t streams() const;

    class Subscription {
    public:
        ~Subscription();
        // Takes what is queued, waiting up to timeoutMs for something; false once the hub is
        // closed (what was queued is still handed out first).
        bool take(std::vector<Event>& out, uint32_t timeoutMs);

    private:
        friend class EventHub;
        explicit Subscription(EventHub& hub) : hub_(hub) {}
        EventHub& hub_;
        std::deque<Event> queue_;
        bool lost_ = false;
    };

private:
    friend class Subscription;
    void remove(Subscription* s);

    const size_t maxStreams_;
    const size_t queueLimit_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<Subscription*> subs_;
    uint64_t nextId_ = 1;
    bool closed_ = false;
};

}  // namespace control
