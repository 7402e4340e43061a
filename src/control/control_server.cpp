// The one file that includes cpp-httplib (Debian builds it as a library; its header only
// declares), so that the rest of the program compiles without it.
#include "control/control_server.h"

#include <httplib.h>

#include <chrono>
#include <thread>

#include "app/log/event_log.h"
#include "control/control_json.h"

namespace control {

struct ControlServer::Impl {
    httplib::Server http;
    std::thread thread;
};

namespace {

void Answer(const ApiResponse& a, httplib::Response& res) {
    res.status = a.status;
    for (const auto& [k, v] : a.headers) res.set_header(k.c_str(), v);
    res.set_content(a.body, a.contentType.c_str());
}

ApiRequest RequestOf(const httplib::Request& req) {
    ApiRequest r;
    r.method = req.method;
    r.path = req.path;
    r.body = req.body;
    r.authorization = req.get_header_value("Authorization");
    r.origin = req.get_header_value("Origin");
    r.hasHost = req.has_header("Host");
    r.host = req.get_header_value("Host");
    return r;
}

}  // namespace

ControlServer::ControlServer(AirHost& host, platform::MessageTarget& airTarget, ServerOptions options)
    : options_(std::move(options)),
      hub_(options_.maxStreams),
      board_(hub_, options_.codePage),
      port_air_(airTarget, options_.airTimeoutMs),
      api_(host, port_air_, board_, ApiOptions{options_.token, options_.codePage, options_.program}),
      impl_(std::make_unique<Impl>()) {}

ControlServer::~ControlServer() { stop(); }

bool ControlServer::running() const { return impl_->thread.joinable(); }

std::string ControlServer::url() const {
    const std::string& h = options_.listen.host;
    const bool v6 = h.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + h + "]" : h) + ":" + std::to_string(port_) + "/";
}

bool ControlServer::start(std::string& why) {
    if (running()) return true;
    if (!CheckAccess(options_.listen, options_.token, why)) return false;
    httplib::Server& http = impl_->http;
    const size_t threads = size_t(options_.threads > 2 ? options_.threads : 2);
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // An answer goes out as headers and body in two writes: without this the body waits for the
    // client's delayed acknowledgement of the headers (40 ms on Linux) on a kept connection.
    http.set_tcp_nodelay(true);
    http.set_payload_max_length(kMaxBody);
    http.set_read_timeout(options_.ioTimeoutSec, 0);
    http.set_write_timeout(options_.ioTimeoutSec, 0);
    // A connection holds a thread while it lasts: a polling client keeps its connection only for a
    // few requests, so that the others waiting for a thread get their turn.
    http.set_keep_alive_timeout(1);
    http.set_keep_alive_max_count(10);

    auto handler = [this](const httplib::Request& req, httplib::Response& res) {
        const ApiRequest r = RequestOf(req);
        if (ControlApi::IsEventsPath(r.path) && r.method == "GET") {
            if (auto refused = api_.admit(r)) return Answer(*refused, res);
            std::shared_ptr<EventHub::Subscription> sub = hub_.subscribe();
            if (!sub) return Answer(ErrorResponse(503, "too many event streams are open"), res);
            res.set_header("Cache-Control", "no-store");
            const uint32_t heartbeat = options_.heartbeatMs;
            res.set_chunked_content_provider(
                "text/event-stream", [this, sub, heartbeat, first = true](size_t, httplib::DataSink& sink) mutable {
                    std::string out;
                    if (first) {
                        // The stream begins with the state as it is, then tells each change.
                        first = false;
                        out = "retry: 2000\n\n";
                        const std::string state = board_.stateJson();
                        if (!state.empty()) out += FormatEvent(Event{0, "state", state});
                    } else {
                        std::vector<Event> events;
                        if (!sub->take(events, heartbeat)) {
                            sink.done();  // the server is stopping
                            return true;
                        }
                        if (events.empty()) out = ": still here\n\n";
                        for (const Event& e : events) out += FormatEvent(e);
                    }
                    // A reader that takes nothing within the write time-out ends its stream.
                    return sink.write(out.data(), out.size());
                });
            return;
        }
        const ApiResponse a = api_.handle(r);
        if (r.method != "GET" || a.status >= 400)
            LogMessage("Control: %s %s %d", r.method.c_str(), r.path.c_str(), a.status);
        Answer(a, res);
    };
    // Every path and method reaches the interface, which answers 404 and 405 itself.
    http.Get(".*", handler);
    http.Post(".*", handler);
    http.Put(".*", handler);
    http.Delete(".*", handler);
    http.Patch(".*", handler);
    http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        Answer(ErrorResponse(500, "the request could not be answered"), res);
    });
    // httplib's own refusals (a body too large, a request it cannot read) get a JSON body too.
    http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return;
        const char* what = res.status == 413   ? "the body is larger than 64 KiB"
                           : res.status == 414 ? "the request's path is too long"
                           : res.status == 404 ? "no such resource"
                                               : "the request cannot be read";
        Answer(ErrorResponse(res.status, what), res);
    });

    if (options_.listen.port == 0) {
        const int p = http.bind_to_any_port(options_.listen.host);
        if (p <= 0) {
            why = "cannot listen on " + options_.listen.host;
            return false;
        }
        port_ = p;
    } else {
        if (!http.bind_to_port(options_.listen.host, options_.listen.port)) {
            why = "cannot listen on " + options_.listen.host + ":" + std::to_string(options_.listen.port) +
                  " (taken, or not an address of this machine)";
            return false;
        }
        port_ = options_.listen.port;
    }
    impl_->thread = std::thread([this] { impl_->http.listen_after_bind(); });
    // stop() acts only on a server that runs: it is running before start() answers.
    for (int i = 0; i < 1000 && !impl_->http.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    LogMessage("Control: listening on %s", url().c_str());
    return true;
}

void ControlServer::stop() {
    if (!running()) return;
    // The threads waiting for events or for the air frame let go first; then the listener stops
    // and its threads end.
    hub_.close();
    port_air_.close();
    impl_->http.stop();
    impl_->thread.join();
    LogMessage("Control: stopped");
}

}  // namespace control
