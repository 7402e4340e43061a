// Requests to the control interface as its resources read them: method, path, headers and body in
// any shape. Each is answered with one of the interface's statuses and a JSON body under /api/,
// and a request without the token never reaches the air frame. Input: lines of method, path,
// Authorization, Origin and Host; the rest is the body. The request bodies' readers and the
// listen address parser take the same bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "control/control_api.h"
#include "control/control_json.h"
#include "control/listen_address.h"

namespace {

class AtOnce final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t, intptr_t) override {}
    intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
};

// Answers as the program would, by the shape of what it is given.
class Host final : public control::AirHost {
public:
    int calls = 0;
    control::AirSnapshot Snapshot() override {
        control::AirSnapshot s;
        s.frameOpen = true;
        s.mode = "live";
        s.frame.actions = air::ACTION_PLAY | air::ACTION_STOP;
        s.frame.pageName = "/data/Pages/a.zxg";
        s.root = "/data/";
        return s;
    }
    control::OpResult Action(uint16_t a, const control::EffectChanges* c, air::ShowParams*) override {
        ++calls;
        if (a == air::ACTION_EFFECT && (!c || c->empty())) __builtin_trap();  // the API checks first
        return a & (air::ACTION_PLAY | air::ACTION_STOP) ? control::OpResult::Ok()
                                                         : control::OpResult::Fail(409, "not now");
    }
    control::OpResult Titles(std::vector<air::TitlesNode>& tree, std::string& root) override {
        ++calls;
        root = "/data/";
        tree.resize(1);
        tree[0].text = "Titles";
        return {};
    }
    control::OpResult TitleFields(const std::string& name, control::TitleInfo& out) override {
        ++calls;
        if (name.empty()) __builtin_trap();
        out.path = name;
        out.fields.push_back({0, "Name", "\xc0\xe1"});
        return name.size() % 3 ? control::OpResult::Ok() : control::OpResult::Fail(404, name + ": no such file");
    }
    control::OpResult RenderTitle(const std::string& name, const std::vector<control::FieldValue>& v, bool,
                                  control::TitleInfo& out) override {
        ++calls;
        if (v.size() > size_t(air::kTitleFieldCount)) __builtin_trap();
        out.path = name;
        out.summary = "[Name]:[x]";
        return {};
    }
    control::OpResult Play(const std::string& name, bool) override {
        ++calls;
        return name.size() % 2 ? control::OpResult::Ok() : control::OpResult::Fail(400, "bad");
    }
    bool Preview(pages::CBitmap32&) override { return false; }
};

std::string_view Line(std::string_view& in) {
    const size_t nl = in.find('\n');
    std::string_view l = in.substr(0, nl);
    in.remove_prefix(nl == std::string_view::npos ? in.size() : nl + 1);
    return l;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    control::ApiRequest r;
    r.method = std::string(Line(in));
    r.path = std::string(Line(in));
    r.authorization = std::string(Line(in));
    r.origin = std::string(Line(in));
    r.host = std::string(Line(in));
    r.hasHost = !r.host.empty();
    r.body = std::string(in);

    static AtOnce target;
    static control::EventHub hub;
    static control::StateBoard board(hub, 1251);
    static control::AirPort port(target, 1000);
    Host host;
    board.update(host.Snapshot());
    const bool withToken = size % 2;
    control::ControlApi api(host, port, board, control::ApiOptions{withToken ? "tok" : "", 1251, {}});
    const control::ApiResponse a = api.handle(r);
    switch (a.status) {
        case 200:
        case 400:
        case 401:
        case 403:
        case 404:
        case 405:
        case 409:
        case 413:
        case 503: break;
        default: __builtin_trap();
    }
    const bool isApi = r.path.rfind("/api/v1", 0) == 0;
    if (isApi && a.contentType == "application/json" && (a.body.empty() || a.body.front() != '{')) __builtin_trap();
    if (withToken && isApi && control::BearerToken(r.authorization) != "tok" && host.calls != 0) __builtin_trap();

    // The readers of the bodies and of the listen address take anything.
    control::RenderBody rb;
    control::PlayBody pb;
    control::EffectChanges ec;
    control::ListenAddress la;
    std::string why;
    control::ParseRenderBody(r.body, rb, why);
    control::ParsePlayBody(r.body, pb, why);
    control::ParseEffectBody(r.body, ec, why);
    if (control::ParseListen(r.path, la, why) && (la.port < 0 || la.port > 65535 || la.host.empty())) __builtin_trap();
    std::vector<std::string> lacking;
    control::ToCodePage(board.codePage(), r.body, lacking);
    return 0;
}
