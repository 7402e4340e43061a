#include "control/control_api.h"

#include "app/log/event_log.h"
#include "control/control_json.h"
#include "control/listen_address.h"
#include "control/panel_files.h"
#include "pages/png_io.h"

namespace control {

namespace {

constexpr std::string_view kEvents = "/api/v1/events";

ApiResponse Json(std::string body, int status = 200) {
    ApiResponse r;
    r.status = status;
    r.body = std::move(body);
    return r;
}

// The host part of a Host header ("127.0.0.1:8139", "[::1]:8139", "localhost").
std::string_view HostName(std::string_view host) {
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        return close == std::string_view::npos ? host : host.substr(1, close - 1);
    }
    const size_t colon = host.rfind(':');
    return colon == std::string_view::npos ? host : host.substr(0, colon);
}

}  // namespace

ApiResponse ErrorResponse(int status, std::string_view messageUtf8) {
    ApiResponse r = Json(ErrorJson(status, messageUtf8), status);
    if (status == 401) r.headers.emplace_back("WWW-Authenticate", "Bearer");
    if (status == 503) r.headers.emplace_back("Retry-After", "1");
    return r;
}

ControlApi::ControlApi(AirHost& host, AirPort& port, StateBoard& board, ApiOptions options)
    : host_(host), port_(port), board_(board), options_(std::move(options)) {}

bool ControlApi::IsEventsPath(std::string_view path) { return path == kEvents; }

std::optional<ApiResponse> ControlApi::admit(const ApiRequest& r) const {
    // A page of another site in the operator's browser must not reach the air: a request that
    // says where it comes from must come from the panel's own origin.
    if (!r.origin.empty() && r.origin != "http://" + r.host)
        return ErrorResponse(403, "requests from another origin (" + r.origin + ") are refused");
    const bool api = r.path == kApiPrefix || r.path.compare(0, 8, "/api/v1/") == 0;
    if (!api) return std::nullopt;  // the panel's files hold nothing secret
    if (options_.token.empty()) {
        // Without a token only loopback listens; a name that is not loopback in the Host header is
        // a page that had a name of its own resolved to this machine.
        if (r.hasHost && !IsLoopbackHost(HostName(r.host)))
            return ErrorResponse(403, "without a token the interface answers requests to a loopback address only");
        return std::nullopt;
    }
    if (!SameSecret(BearerToken(r.authorization), options_.token))
        return ErrorResponse(401, r.authorization.empty() ? "this interface needs a token (Authorization: Bearer ...)"
                                                          : "the token is wrong");
    return std::nullopt;
}

ApiResponse ControlApi::handle(const ApiRequest& r) {
    if (auto refused = admit(r)) return *refused;
    if (r.body.size() > kMaxBody) return ErrorResponse(413, "the body is larger than 64 KiB");
    const std::string_view path = r.path;
    if (path == kApiPrefix || path.compare(0, 8, "/api/v1/") == 0)
        return handleApi(r, path.size() > 8 ? path.substr(8) : std::string_view());
    if (r.method != "GET" && r.method != "HEAD") return ErrorResponse(405, "the panel's files are read with GET");
    const PanelFile* f = FindPanelFile(path);
    if (!f) return ErrorResponse(404, "no such file");
    ApiResponse a;
    a.contentType = ContentTypeOf(f->name);
    a.body.assign(reinterpret_cast<const char*>(f->data), f->size);
    a.headers.emplace_back("Cache-Control", "no-cache");
    return a;
}

ApiResponse ControlApi::handleApi(const ApiRequest& r, std::string_view rest) {
    auto only = [&](const char* method) -> std::optional<ApiResponse> {
        if (r.method == method) return std::nullopt;
        ApiResponse e = ErrorResponse(405, std::string(rest.empty() ? "/api/v1" : rest) + " takes " + method);
        e.headers.emplace_back("Allow", method);
        return e;
    };
    if (rest.empty())
        return only("GET").value_or(Json(R"({"version":1,"resources":["state","actions/{play|pause|next|previous|)"
                                         R"(stop|effect}","titles","titles/{path}","titles/{path}/render","play",)"
                                         R"("program.png","preview.png","events"]})"));
    if (rest == "state") {
        if (auto e = only("GET")) return *e;
        std::string s = board_.stateJson();
        if (s.empty()) return ErrorResponse(503, "the air frame has not told its state yet");
        return Json(std::move(s));
    }
    if (rest.compare(0, 8, "actions/") == 0) {
        if (auto e = only("POST")) return *e;
        return action(rest.substr(8), r.body);
    }
    if (rest == "titles") {
        if (auto e = only("GET")) return *e;
        return titles();
    }
    if (rest.compare(0, 7, "titles/") == 0) {
        std::string_view name = rest.substr(7);
        constexpr std::string_view kRender = "/render";
        if (r.method == "POST" && name.size() > kRender.size() && name.substr(name.size() - kRender.size()) == kRender)
            return render(std::string(name.substr(0, name.size() - kRender.size())), r.body);
        if (auto e = only("GET")) return *e;
        return title(std::string(name));
    }
    if (rest == "play") {
        if (auto e = only("POST")) return *e;
        return play(r.body);
    }
    if (rest == "program.png" || rest == "preview.png") {
        if (auto e = only("GET")) return *e;
        return picture(rest == "program.png");
    }
    if (rest == "events") return only("GET").value_or(ErrorResponse(404, "the event stream is served by the server"));
    return ErrorResponse(404, "no such resource: /api/v1/" + std::string(rest));
}

bool ControlApi::onAir(const std::function<void()>& fn, ApiResponse& timedOut) {
    if (port_.call(fn)) return true;
    LogMessage("Control: the air frame did not answer within %u ms", port_.timeoutMs());
    timedOut = ErrorResponse(503, "the air frame did not answer in time; nothing was done");
    return false;
}

ApiResponse ControlApi::action(std::string_view name, const std::string& body) {
    const uint16_t a = ActionOfName(name);
    if (!a)
        return ErrorResponse(404,
                             "no action \"" + std::string(name) + "\" (play, pause, next, previous, stop, effect)");
    EffectChanges changes;
    if (a == air::ACTION_EFFECT) {
        std::string why;
        if (!ParseEffectBody(body, changes, why)) return ErrorResponse(400, why);
    }
    OpResult result;
    air::ShowParams applied;
    ApiResponse timedOut;
    if (!onAir([&] { result = host_.Action(a, a == air::ACTION_EFFECT ? &changes : nullptr, &applied); }, timedOut))
        return timedOut;
    if (!result.ok()) return ErrorResponse(result.status, board_.codePage().toUtf8(result.message));
    std::string answer = R"({"action":")" + std::string(NameOfAction(a)) + "\"";
    if (a == air::ACTION_EFFECT) answer += ",\"showParams\":" + ShowParamsJson(applied);
    answer += ",\"state\":" + board_.stateJson() + "}";
    return Json(answer);
}

ApiResponse ControlApi::titles() {
    std::vector<air::TitlesNode> tree;
    std::string root;
    OpResult result;
    ApiResponse timedOut;
    if (!onAir([&] { result = host_.Titles(tree, root); }, timedOut)) return timedOut;
    if (!result.ok()) return ErrorResponse(result.status, board_.codePage().toUtf8(result.message));
    return Json(TreeJson(tree, root, board_.codePage()));
}

ApiResponse ControlApi::title(const std::string& name) {
    const platform::CodePage& cp = board_.codePage();
    std::vector<std::string> lacking;
    const std::string name8 = ToCodePage(cp, name, lacking);
    TitleInfo info;
    OpResult result;
    ApiResponse timedOut;
    if (!onAir([&] { result = host_.TitleFields(name8, info); }, timedOut)) return timedOut;
    if (result.status == 404 && name8 != name) {
        // A name on disk in UTF-8 rather than in the code page.
        if (!onAir([&] { result = host_.TitleFields(name, info); }, timedOut)) return timedOut;
    }
    if (!result.ok()) return ErrorResponse(result.status, cp.toUtf8(result.message));
    return Json(TitleJson(info, cp, {}));
}

ApiResponse ControlApi::render(const std::string& name, const std::string& body) {
    const platform::CodePage& cp = board_.codePage();
    RenderBody b;
    std::string why;
    if (!ParseRenderBody(body, b, why)) return ErrorResponse(400, why);
    std::vector<std::string> warnings;
    for (FieldValue& v : b.values) {
        std::vector<std::string> lacking;
        const std::string shownLabel = v.label.empty() ? std::to_string(v.index + 1) : v.label;
        std::vector<std::string> ignored;
        v.label = ToCodePage(cp, v.label, ignored);
        v.text = ToCodePage(cp, v.text, lacking);
        for (const std::string& c : lacking)
            warnings.push_back("field \"" + shownLabel + "\": the code page " + std::to_string(cp.number()) +
                               " has no \"" + c + "\"; it is shown as \"?\"");
    }
    std::vector<std::string> lacking;
    const std::string name8 = ToCodePage(cp, name, lacking);
    TitleInfo info;
    OpResult result;
    ApiResponse timedOut;
    if (!onAir([&] { result = host_.RenderTitle(name8, b.values, b.play, info); }, timedOut)) return timedOut;
    if (result.status == 404 && name8 != name)
        if (!onAir([&] { result = host_.RenderTitle(name, b.values, b.play, info); }, timedOut)) return timedOut;
    if (!result.ok()) return ErrorResponse(result.status, cp.toUtf8(result.message));
    std::string answer = TitleJson(info, cp, warnings);
    answer.pop_back();  // the object goes on with the state
    return Json(answer + ",\"state\":" + board_.stateJson() + "}");
}

ApiResponse ControlApi::play(const std::string& body) {
    const platform::CodePage& cp = board_.codePage();
    PlayBody b;
    std::string why;
    if (!ParsePlayBody(body, b, why)) return ErrorResponse(400, why);
    std::vector<std::string> lacking;
    const std::string name8 = ToCodePage(cp, b.path, lacking);
    OpResult result;
    ApiResponse timedOut;
    if (!onAir([&] { result = host_.Play(name8, b.play); }, timedOut)) return timedOut;
    if (result.status == 404 && name8 != b.path)
        if (!onAir([&] { result = host_.Play(b.path, b.play); }, timedOut)) return timedOut;
    if (!result.ok()) return ErrorResponse(result.status, cp.toUtf8(result.message));
    return Json("{\"state\":" + board_.stateJson() + "}");
}

ApiResponse ControlApi::picture(bool program) {
    pages::CBitmap32 pic;
    if (program) {
        if (!options_.program || !options_.program(pic))
            return ErrorResponse(404, "no picture of the program output: it comes from the embedded Device only");
    } else {
        bool have = false;
        ApiResponse timedOut;
        if (!onAir([&] { have = host_.Preview(pic); }, timedOut)) return timedOut;
        if (!have) return ErrorResponse(404, "nothing is cued");
    }
    ApiResponse a;
    std::vector<uint8_t> png;
    if (!pages::EncodePng(pic.view(), png)) return ErrorResponse(500, "the picture cannot be encoded");
    a.contentType = "image/png";
    a.body.assign(png.begin(), png.end());
    a.headers.emplace_back("Cache-Control", "no-store");
    return a;
}

}  // namespace control
