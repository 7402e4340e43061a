// The control interface without HTTP and without a Device: the request bodies, the event fan-out,
// the bounded wait for the air frame, and the resources over a host that stands in for it.
#include <gtest/gtest.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <thread>

#include "control/air_port.h"
#include "control/control_api.h"
#include "control/control_json.h"
#include "control/event_hub.h"
#include "platform/event_loop.h"

namespace {

using json = nlohmann::json;

TEST(ControlJson, RenderBodiesByLabelOrPosition) {
    control::RenderBody b;
    std::string why;
    ASSERT_TRUE(control::ParseRenderBody(R"({"fields": {"Name": "Anna", "Role": ""}, "play": true})", b, why)) << why;
    ASSERT_EQ(b.values.size(), 2u);
    EXPECT_TRUE(b.play);
    EXPECT_EQ(b.values[0].label, "Name");
    EXPECT_EQ(b.values[0].text, "Anna");
    ASSERT_TRUE(control::ParseRenderBody(R"({"fields": ["one", null, "three"]})", b, why)) << why;
    ASSERT_EQ(b.values.size(), 2u);
    EXPECT_EQ(b.values[1].index, 2);  // null leaves the second as it is
    EXPECT_FALSE(b.play);
    ASSERT_TRUE(control::ParseRenderBody("", b, why));
    EXPECT_TRUE(b.values.empty());
    for (const char* bad : {R"({"fields": {"Name": 5}})", R"({"fields": [1]})", R"({"fields": "x"})",
                            R"({"fields": {"": "x"}})", R"({"play": "yes"})", R"(["fields"])", "{", "\xff\xfe",
                            R"({"fields": ["a","b","c","d","e"]})", "{\"fields\": {\"N\": \"\xc3\"}}"})
        EXPECT_FALSE(control::ParseRenderBody(bad, b, why)) << bad;
}

TEST(ControlJson, PlayAndEffectBodies) {
    control::PlayBody p;
    std::string why;
    ASSERT_TRUE(control::ParsePlayBody(R"({"path": "Sequences/A.zxs", "play": true})", p, why));
    EXPECT_EQ(p.path, "Sequences/A.zxs");
    EXPECT_TRUE(p.play);
    EXPECT_FALSE(control::ParsePlayBody("{}", p, why));
    EXPECT_FALSE(control::ParsePlayBody(R"({"path": ""})", p, why));
    EXPECT_FALSE(control::ParsePlayBody(R"({"path": 3})", p, why));

    control::EffectChanges c;
    ASSERT_TRUE(control::ParseEffectBody(R"({"showTime": 7, "inFade": true, "time": "variable"})", c, why)) << why;
    EXPECT_EQ(c.size(), 3u);
    for (const char* bad : {"{}", R"({"showTime": 1.5})", R"({"showTime": 99999999999})", R"({"inFade": "on"})",
                            R"({"time": "soon"})", R"({"nothing": 1})", R"({"showTime": 18446744073709551615})"})
        EXPECT_FALSE(control::ParseEffectBody(bad, c, why)) << bad;
}

TEST(ControlJson, TextsCrossTheCodePageAndTheLackingCharactersAreNamed) {
    const platform::CodePage cp(1251);
    std::vector<std::string> lacking;
    EXPECT_EQ(cp.toUtf8(control::ToCodePage(cp, "Привет, мир", lacking)), "Привет, мир");
    EXPECT_TRUE(lacking.empty());
    EXPECT_EQ(control::ToCodePage(cp, "a✓b✓c中", lacking), "a?b?c?");
    EXPECT_EQ(lacking, (std::vector<std::string>{"✓", "中"}));
    lacking.clear();
    EXPECT_EQ(control::ToCodePage(cp, "x\xc3", lacking), "x?");  // a broken sequence
    EXPECT_EQ(lacking.size(), 1u);

    EXPECT_EQ(control::ParseTimeText("1:05.3  "), 65300);
    EXPECT_EQ(control::ParseTimeText("0:00.0"), 0);
    EXPECT_EQ(control::ParseTimeText("12:34:56  "), -1);
    EXPECT_EQ(control::ParseTimeText(""), -1);
    EXPECT_EQ(control::ParseTimeText("a:00.0"), -1);
}

TEST(EventHub, EachStreamGetsEveryEventAndASlowOneIsToldItLostSome) {
    control::EventHub hub(2, 4);
    auto a = hub.subscribe(), b = hub.subscribe();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(hub.subscribe(), nullptr);  // the limit
    for (int i = 0; i < 3; ++i) hub.publish("state", std::to_string(i));
    std::vector<control::Event> got;
    ASSERT_TRUE(a->take(got, 0));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_LT(got[0].id, got[2].id);
    // b has not read: more than its queue holds, and publishing never waits for it.
    for (int i = 3; i < 10; ++i) hub.publish("time", std::to_string(i));
    ASSERT_TRUE(b->take(got, 0));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front().type, "lost");
    EXPECT_EQ(got.back().data, "9");
    EXPECT_LE(got.size(), 5u);  // at most the queue's four, and the notice
    // A stream that goes makes room for another.
    a.reset();
    EXPECT_NE(hub.subscribe(), nullptr);
    EXPECT_EQ(control::FormatEvent({7, "airlog", "a\nb"}), "id: 7\nevent: airlog\ndata: a\ndata: b\n\n");
}

TEST(EventHub, CloseWakesAWaitingStream) {
    control::EventHub hub;
    auto s = hub.subscribe();
    std::atomic<bool> returned{false};
    std::thread t([&] {
        std::vector<control::Event> got;
        while (s->take(got, 60000)) {}
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    hub.close();
    t.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(hub.subscribe(), nullptr);
}

TEST(AirPort, RunsOnTheLoopAndDropsWhatDidNotBeginInTime) {
    platform::EventLoop loop;
    platform::LoopTarget target(loop, [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    control::AirPort port(target, 100);
    // The loop does not run: the call is not begun within the bound, and never runs later.
    bool ran = false;
    EXPECT_FALSE(port.call([&] { ran = true; }));
    loop.processPending();
    EXPECT_FALSE(ran);

    std::atomic<bool> quit{false};
    std::thread::id where;
    std::thread loopThread([&] {
        while (!quit) loop.runOnce(10);
    });
    EXPECT_TRUE(port.call([&] { where = std::this_thread::get_id(); }));
    EXPECT_EQ(where, loopThread.get_id());
    // A call that has begun is waited for, however long it takes.
    EXPECT_TRUE(port.call([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }));
    quit = true;
    loopThread.join();

    // Closing ends a wait at once.
    control::AirPort closing(target, 60000);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        closing.close();
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(closing.call([] {}));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(30));
    closer.join();
    EXPECT_FALSE(closing.call([] {}));
}

// Runs posted calls at once (the air thread is the caller's).
class AtOnce final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t, intptr_t) override {}
    intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
};

class FakeHost final : public control::AirHost {
public:
    control::AirSnapshot Snapshot() override {
        control::AirSnapshot s;
        s.frameOpen = true;
        s.mode = "live";
        s.frame.state = air::AIR_CUED;
        s.frame.actions = air::ACTION_PLAY;
        return s;
    }
    control::OpResult Action(uint16_t action, const control::EffectChanges*, air::ShowParams*) override {
        actions.push_back(action);
        return action == air::ACTION_PLAY ? control::OpResult::Ok()
                                          : control::OpResult::Fail(409, "Stop is not enabled now");
    }
    control::OpResult Titles(std::vector<air::TitlesNode>& tree, std::string& root) override {
        root = "/data/";
        air::TitlesNode g;
        g.text = "Titles";
        air::TitlesNode t;
        t.kind = air::TITR_TITLE;
        t.text = "\xcd\xee\xe2\xee\xf1\xf2\xe8";  // "Новости" in 1251
        t.path = "/data/Titr/\xcd\xee\xe2\xee\xf1\xf2\xe8.zxs";
        g.children.push_back(t);
        tree.push_back(g);
        return {};
    }
    control::OpResult TitleFields(const std::string& name, control::TitleInfo&) override {
        names.push_back(name);
        return control::OpResult::Fail(404, name + ": no such file");
    }
    control::OpResult RenderTitle(const std::string&, const std::vector<control::FieldValue>& values, bool,
                                  control::TitleInfo&) override {
        rendered = values;
        return {};
    }
    control::OpResult Play(const std::string& name, bool) override {
        names.push_back(name);
        return {};
    }
    bool Preview(pages::CBitmap32&) override { return false; }

    std::vector<uint16_t> actions;
    std::vector<std::string> names;
    std::vector<control::FieldValue> rendered;
};

struct ControlApiTest : ::testing::Test {
    AtOnce target;
    FakeHost host;
    control::EventHub hub;
    control::StateBoard board{hub, 1251};
    control::AirPort port{target, 1000};
    std::unique_ptr<control::ControlApi> api;
    void make(const std::string& token = {}) {
        api = std::make_unique<control::ControlApi>(host, port, board, control::ApiOptions{token, 1251, {}});
    }
    control::ApiResponse ask(const std::string& method, const std::string& path, const std::string& body = {},
                             const std::string& auth = {}) {
        control::ApiRequest r;
        r.method = method;
        r.path = path;
        r.body = body;
        r.authorization = auth;
        r.host = "127.0.0.1:8139";
        r.hasHost = true;
        return api->handle(r);
    }
};

TEST_F(ControlApiTest, StateIsAnsweredFromTheBoardAndActionsReachTheHost) {
    make();
    EXPECT_EQ(ask("GET", "/api/v1/state").status, 503);  // nothing told yet
    board.update(host.Snapshot());
    control::ApiResponse r = ask("GET", "/api/v1/state");
    ASSERT_EQ(r.status, 200);
    const json s = json::parse(r.body);
    EXPECT_EQ(s["stateName"], "cued");
    // States are numbered in order, so a client can keep the newer of two that cross.
    board.update(host.Snapshot());
    EXPECT_GT(json::parse(ask("GET", "/api/v1/state").body)["seq"].get<int64_t>(), s["seq"].get<int64_t>());
    EXPECT_TRUE(s["actions"]["play"].get<bool>());
    EXPECT_FALSE(s["actions"]["stop"].get<bool>());
    EXPECT_EQ(ask("POST", "/api/v1/actions/play").status, 200);
    r = ask("POST", "/api/v1/actions/stop");
    EXPECT_EQ(r.status, 409);
    EXPECT_EQ(json::parse(r.body)["error"], "Stop is not enabled now");
    EXPECT_EQ(host.actions, (std::vector<uint16_t>{air::ACTION_PLAY, air::ACTION_STOP}));
    EXPECT_EQ(ask("POST", "/api/v1/actions/effect", "{}").status, 400);  // no parameters: not sent on
    EXPECT_EQ(host.actions.size(), 2u);
    EXPECT_EQ(ask("GET", "/api/v1/nothing").status, 404);
    EXPECT_EQ(ask("DELETE", "/api/v1/state").status, 405);
    EXPECT_EQ(ask("POST", "/api/v1/play", std::string(control::kMaxBody + 1, ' ')).status, 413);
}

TEST_F(ControlApiTest, NamesCrossTheCodePageBothWays) {
    make();
    board.update(host.Snapshot());
    const control::ApiResponse tree = ask("GET", "/api/v1/titles");
    ASSERT_EQ(tree.status, 200);
    const json t = json::parse(tree.body);
    EXPECT_EQ(t["groups"][0]["children"][0]["name"], "Новости");
    EXPECT_EQ(t["groups"][0]["children"][0]["path"], "Titr/Новости.zxs");
    // A name that is not found in the code page is tried as given (a file named in UTF-8).
    EXPECT_EQ(ask("GET", "/api/v1/titles/Titr/Новости.zxs").status, 404);
    ASSERT_EQ(host.names.size(), 2u);
    EXPECT_EQ(host.names[0], "Titr/\xcd\xee\xe2\xee\xf1\xf2\xe8.zxs");
    EXPECT_EQ(host.names[1], "Titr/Новости.zxs");
    ASSERT_EQ(ask("POST", "/api/v1/titles/Titr/A.zxs/render", R"({"fields": {"Имя": "Анна"}})").status, 200);
    ASSERT_EQ(host.rendered.size(), 1u);
    EXPECT_EQ(host.rendered[0].label, "\xc8\xec\xff");
    EXPECT_EQ(host.rendered[0].text, "\xc0\xed\xed\xe0");
}

TEST_F(ControlApiTest, TokenOriginAndHostAreCheckedBeforeAnything) {
    make("secret");
    board.update(host.Snapshot());
    EXPECT_EQ(ask("GET", "/api/v1/state").status, 401);
    EXPECT_EQ(ask("GET", "/api/v1/state", {}, "Bearer secreT").status, 401);
    EXPECT_EQ(ask("GET", "/api/v1/state", {}, "Bearer secret").status, 200);
    EXPECT_EQ(ask("POST", "/api/v1/actions/play").status, 401);
    EXPECT_TRUE(host.actions.empty());
    EXPECT_EQ(ask("GET", "/").status, 200);  // the panel's page asks for the token itself
    EXPECT_EQ(ask("GET", "/panel.css").status, 200);
    EXPECT_EQ(ask("GET", "/secret.txt").status, 404);

    make();
    control::ApiRequest r;
    r.method = "POST";
    r.path = "/api/v1/actions/play";
    r.host = "127.0.0.1:8139";
    r.hasHost = true;
    r.origin = "http://127.0.0.1:8139";
    EXPECT_EQ(api->handle(r).status, 200);
    r.origin = "http://elsewhere.example";
    EXPECT_EQ(api->handle(r).status, 403);
    r.origin.clear();
    r.host = "elsewhere.example";
    EXPECT_EQ(api->handle(r).status, 403);
    r.host = "[::1]:8139";
    EXPECT_EQ(api->handle(r).status, 200);
}

TEST_F(ControlApiTest, AnAirFrameThatDoesNotAnswerGivesServiceUnavailable) {
    platform::EventLoop idle;  // never runs
    platform::LoopTarget slow(idle, [](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    control::AirPort late(slow, 50);
    control::ControlApi a(host, late, board, control::ApiOptions{});
    control::ApiRequest r;
    r.method = "POST";
    r.path = "/api/v1/actions/play";
    const control::ApiResponse answer = a.handle(r);
    EXPECT_EQ(answer.status, 503);
    idle.processPending();
    EXPECT_TRUE(host.actions.empty());  // nothing was done, now or later
}

}  // namespace
