// The only test file that includes cpp-httplib.
#include "http_client.h"

#include <httplib.h>

#include <chrono>

namespace controltest {

namespace {

httplib::Headers HeadersOf(const Request& r) {
    httplib::Headers h;
    for (const auto& [k, v] : r.headers) h.emplace(k, v);
    if (!r.token.empty()) h.emplace("Authorization", "Bearer " + r.token);
    return h;
}

Reply ReplyOf(const httplib::Result& res) {
    Reply r;
    if (!res) return r;
    r.status = res->status;
    r.body = res->body;
    r.contentType = res->get_header_value("Content-Type");
    for (const auto& [k, v] : res->headers) r.headers.emplace_back(k, v);
    return r;
}

}  // namespace

std::string Reply::header(const std::string& name) const {
    for (const auto& [k, v] : headers)
        if (k == name) return v;
    return {};
}

Reply Send(int port, const Request& r) {
    httplib::Client c("127.0.0.1", port);
    c.set_connection_timeout(5, 0);
    c.set_read_timeout(30, 0);
    const httplib::Headers h = HeadersOf(r);
    const std::string type = "application/json";
    if (r.method == "GET") return ReplyOf(c.Get(r.path, h));
    if (r.method == "POST") return ReplyOf(c.Post(r.path, h, r.body, type));
    if (r.method == "PUT") return ReplyOf(c.Put(r.path, h, r.body, type));
    if (r.method == "DELETE") return ReplyOf(c.Delete(r.path, h));
    return {};
}

struct Session::Impl {
    explicit Impl(int port) : client("127.0.0.1", port) {
        client.set_keep_alive(true);
        client.set_read_timeout(30, 0);
    }
    httplib::Client client;
};

Session::Session(int port) : impl_(std::make_unique<Impl>(port)) {}
Session::~Session() = default;
Reply Session::get(const std::string& path) { return ReplyOf(impl_->client.Get(path)); }

struct EventReader::Impl {
    Impl(int port) : client("127.0.0.1", port) { client.set_read_timeout(60, 0); }
    httplib::Client client;
};

EventReader::EventReader(int port, const std::string& token) : impl_(std::make_unique<Impl>(port)) {
    httplib::Headers h;
    if (!token.empty()) h.emplace("Authorization", "Bearer " + token);
    thread_ = std::thread([this, h] {
        auto res = impl_->client.Get(
            "/api/v1/events", h,
            [this](const httplib::Response& response) {
                status_ = response.status;
                return !stop_;
            },
            [this](const char* data, size_t n) {
                feed(data, n);
                return !stop_;
            });
        if (res && status_ == 0) status_ = res->status;
        if (!res && status_ == 0) status_ = -1;
        cv_.notify_all();
    });
}

EventReader::~EventReader() { stop(); }

void EventReader::stop() {
    stop_ = true;
    impl_->client.stop();
    if (thread_.joinable()) thread_.join();
}

void EventReader::feed(const char* data, size_t n) {
    std::lock_guard<std::mutex> lock(m_);
    buffer_.append(data, n);
    for (size_t end; (end = buffer_.find("\n\n")) != std::string::npos;) {
        const std::string block = buffer_.substr(0, end);
        buffer_.erase(0, end + 2);
        StreamEvent e{"message", {}};
        size_t start = 0;
        while (start <= block.size()) {
            size_t nl = block.find('\n', start);
            if (nl == std::string::npos) nl = block.size();
            const std::string line = block.substr(start, nl - start);
            if (line.rfind("event: ", 0) == 0) e.type = line.substr(7);
            else if (line.rfind("data: ", 0) == 0) e.data += (e.data.empty() ? "" : "\n") + line.substr(6);
            start = nl + 1;
        }
        if (!e.data.empty()) events_.push_back(std::move(e));
    }
    cv_.notify_all();
}

bool EventReader::waitFor(const std::function<bool(const std::vector<StreamEvent>&)>& pred, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return pred(events_); });
}

std::vector<StreamEvent> EventReader::events() const {
    std::lock_guard<std::mutex> lock(m_);
    return events_;
}

}  // namespace controltest
