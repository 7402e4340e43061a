// The control interface's resources, apart from the transport that carries them: a request in, an
// answer out. The HTTP server (control_server.h) hands every request but the event stream here;
// the tests and the fuzz harness call it directly. Versioned under /api/v1; the panel's files are
// served at the root.
//
//   GET  /api/v1/state                     the air state (from the state board: polling never
//                                          reaches the air frame)
//   POST /api/v1/actions/{play|pause|next|previous|stop|effect}
//   GET  /api/v1/titles                    the Live titles tree
//   GET  /api/v1/titles/{path}             a title's fields
//   POST /api/v1/titles/{path}/render      fill and start it as "Render" does
//   POST /api/v1/play                      start a sequence, page, clock or banner
//   GET  /api/v1/program.png, preview.png  the program output, the cued picture
//   GET  /api/v1/events                    (the server) server-sent events
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/air_host.h"
#include "control/air_port.h"
#include "control/state_board.h"
#include "pages/bitmap32.h"

namespace control {

constexpr const char* kApiPrefix = "/api/v1";
// The largest request body taken (field texts, a path, show parameters).
constexpr size_t kMaxBody = 64 * 1024;

struct ApiRequest {
    std::string method;  // "GET", "POST", ...
    std::string path;    // decoded, without the query
    std::string body;
    std::string authorization;  // the headers that matter here; "" when absent
    std::string origin;
    std::string host;
    bool hasHost = false;
};

struct ApiResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// The embedded Device's program output now; false when there is none to take.
using ProgramGrabber = std::function<bool(pages::CBitmap32&)>;

struct ApiOptions {
    std::string token;  // "" = none: then only requests addressed to a loopback name are taken
    int codePage = 1251;
    ProgramGrabber program;
};

class ControlApi {
public:
    ControlApi(AirHost& host, AirPort& port, StateBoard& board, ApiOptions options);

    // What every request must pass (token, origin, host); nullopt to go on.
    std::optional<ApiResponse> admit(const ApiRequest& r) const;
    // Answers a request (admit included).
    ApiResponse handle(const ApiRequest& r);
    // Whether the path is the event stream's (which the server answers itself, after admit).
    static bool IsEventsPath(std::string_view path);

    const StateBoard& board() const { return board_; }

private:
    ApiResponse handleApi(const ApiRequest& r, std::string_view rest);
    ApiResponse action(std::string_view name, const std::string& body);
    ApiResponse titles();
    ApiResponse title(const std::string& name);
    ApiResponse render(const std::string& name, const std::string& body);
    ApiResponse play(const std::string& body);
    ApiResponse picture(bool program);
    // Runs fn on the air thread; false (with the answer set) when it did not run in time.
    bool onAir(const std::function<void()>& fn, ApiResponse& timedOut);

    AirHost& host_;
    AirPort& port_;
    StateBoard& board_;
    ApiOptions options_;
};

// A JSON error answer.
ApiResponse ErrorResponse(int status, std::string_view messageUtf8);

}  // namespace control
