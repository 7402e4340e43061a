// A small HTTP client for the control interface's tests, over loopback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace controltest {

struct Reply {
    int status = 0;  // 0: no answer
    std::string body;
    std::string contentType;
    std::string header(const std::string& name) const;
    std::vector<std::pair<std::string, std::string>> headers;
};

struct Request {
    std::string method = "GET";
    std::string path;
    std::string body;
    std::string token;
    std::vector<std::pair<std::string, std::string>> headers;
};

Reply Send(int port, const Request& r);
inline Reply Get(int port, const std::string& path, const std::string& token = {}) {
    return Send(port, {"GET", path, {}, token, {}});
}
inline Reply Post(int port, const std::string& path, const std::string& body = {}, const std::string& token = {}) {
    return Send(port, {"POST", path, body, token, {{"Content-Type", "application/json"}}});
}

// Keeps one connection for many requests, as a panel that polls does.
class Session {
public:
    explicit Session(int port);
    ~Session();
    Reply get(const std::string& path);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

struct StreamEvent {
    std::string type;
    std::string data;
};

// Reads /api/v1/events on a thread of its own and keeps what came.
class EventReader {
public:
    EventReader(int port, const std::string& token = {});
    ~EventReader();
    // Waits (real time) until pred holds for the events so far; false after timeoutMs.
    bool waitFor(const std::function<bool(const std::vector<StreamEvent>&)>& pred, int timeoutMs);
    std::vector<StreamEvent> events() const;
    int status() const { return status_.load(); }
    void stop();

private:
    void feed(const char* data, size_t n);
    struct Impl;
    std::unique_ptr<Impl> impl_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<StreamEvent> events_;
    std::string buffer_;
    std::atomic<int> status_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace controltest
