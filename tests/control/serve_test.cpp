// The control interface against zx serve's air session on the embedded virtual Device in scaled
// time: a sequence played and followed on the event stream, a title filled and seen on the
// program output, the refusals, the token, and 200 clients polling that change nothing in the air
// log.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <netinet/in.h>

#include <algorithm>
#include <filesystem>

#include "air/seq_doc.h"
#include "air/titr_model.h"
#include "demo/demo_root.h"
#include "demo/demo_titles.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/png_io.h"
#include "serve_fixture.h"

using controltest::ErrorOf;
using controltest::EventReader;
using controltest::Get;
using controltest::json;
using controltest::Post;
using controltest::Reply;
using controltest::ServeFixture;
using controltest::StreamEvent;
using controltest::UrlPath;

namespace {

using ControlServe = ServeFixture;

std::vector<std::string> StateNames(const std::vector<StreamEvent>& events) {
    std::vector<std::string> names;
    for (const StreamEvent& e : events) {
        if (e.type != "state") continue;
        const json s = json::parse(e.data, nullptr, false);
        if (!s.is_object()) continue;
        const std::string n = s.value("stateName", "");
        if (names.empty() || names.back() != n) names.push_back(n);
    }
    return names;
}

std::vector<std::string> AirLogLines(const std::vector<StreamEvent>& events) {
    std::vector<std::string> lines;
    for (const StreamEvent& e : events)
        if (e.type == "airlog") lines.push_back(json::parse(e.data, nullptr, false).value("line", ""));
    return lines;
}

// The states of a playout that ran out: it left the cue and came back to it.
bool RanOut(const std::vector<StreamEvent>& events) {
    const std::vector<std::string> n = StateNames(events);
    const auto air = std::find(n.begin(), n.end(), "in-effect");
    return air != n.end() && std::find(air, n.end(), "cued") != n.end();
}

}  // namespace

TEST_F(ControlServe, PlaysASequenceAndTheStreamFollowsEachState) {
    serve();
    EventReader events(port);
    ASSERT_TRUE(events.waitFor([](const auto& e) { return !e.empty(); }, 10000)) << "no first state";
    EXPECT_EQ(events.events().front().type, "state");  // a stream begins with the state as it is

    const Reply r = post("/api/v1/play", {{"path", demo::kShowSequence}, {"play", true}});
    ASSERT_EQ(r.status, 200) << r.body;
    ASSERT_TRUE(events.waitFor(RanOut, 60000)) << ::testing::PrintToString(StateNames(events.events()));

    const std::vector<std::string> names = StateNames(events.events());
    // In order: the first page is loaded, its in-effect runs, the pages follow, the last one goes
    // out, and the sequence is cued again.
    const auto in = std::find(names.begin(), names.end(), "in-effect");
    const auto out = std::find(in, names.end(), "out-effect");
    EXPECT_NE(std::find(names.begin(), in, "loading"), in);
    EXPECT_NE(out, names.end());
    EXPECT_EQ(names.back(), "cued");

    // Every page of the show got its air-log line on the stream.
    ASSERT_TRUE(events.waitFor([](const auto& e) { return AirLogLines(e).size() >= 4; }, 10000));
    const std::vector<std::string> lines = AirLogLines(events.events());
    EXPECT_NE(lines.front().find(".zxg"), std::string::npos) << lines.front();

    const json s = state();
    EXPECT_EQ(s["stateName"], "cued");
    EXPECT_EQ(s["file"], demo::kShowSequence);
    EXPECT_EQ(s["content"], "sequence");
    EXPECT_EQ(s["mode"], "live");
    EXPECT_TRUE(s["actions"]["play"].get<bool>());
    EXPECT_TRUE(s["link"]["up"].get<bool>());
    EXPECT_EQ(s["device"]["address"], "embedded");
}

TEST_F(ControlServe, RendersATitleAndItsTextsReachTheProgramOutput) {
    serve();
    const std::string path = "/api/v1/titles/" + UrlPath(demo::kNameAndRoleTitle);
    const Reply fields = get(path);
    ASSERT_EQ(fields.status, 200) << fields.body;
    const json f = json::parse(fields.body);
    ASSERT_EQ(f["fields"].size(), 2u) << fields.body;
    const std::string nameLabel = f["fields"][0]["label"], roleLabel = f["fields"][1]["label"];

    EventReader events(port);
    // UTF-8 in, the code page (1251) on air: Cyrillic goes through, a character 1251 lacks is named.
    const Reply r =
        post(path + "/render", {{"fields", {{nameLabel, "  WWWWWW WWWW "}, {roleLabel, "Ведущий ✓"}}}, {"play", true}});
    ASSERT_EQ(r.status, 200) << r.body;
    const json answer = json::parse(r.body);
    EXPECT_EQ(answer["fields"][0]["text"], "WWWWWW WWWW");  // trimmed as Render trims
    EXPECT_EQ(answer["page"], f["page"]);
    EXPECT_EQ(answer["fields"][1]["text"], "Ведущий ?");
    ASSERT_EQ(answer["warnings"].size(), 1u) << r.body;
    EXPECT_NE(answer["warnings"][0].get<std::string>().find("✓"), std::string::npos);
    EXPECT_NE(answer["summary"].get<std::string>().find("[WWWWWW WWWW]"), std::string::npos);

    // Past its in-effect the title is on air.
    ASSERT_TRUE(waitState([](const json& s) { return s["onAir"].is_object() && s["stateName"] == "on-air"; }, 30000))
        << stateText();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const Reply png = get("/api/v1/program.png");
    ASSERT_EQ(png.status, 200);
    EXPECT_EQ(png.contentType, "image/png");
    pages::CBitmap32 out;
    ASSERT_TRUE(pages::DecodePng(reinterpret_cast<const uint8_t*>(png.body.data()), png.body.size(), out));
    ASSERT_EQ(out.width(), 720);

    // The same title filled here: where it draws its name near white, the program shows it so.
    air::CSeqDoc seq(app.folders(), platform::SystemClock::instance());
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    std::vector<air::TitleField> tf;
    ASSERT_EQ(air::LoadTitleTemplate(dir.file(demo::kNameAndRoleTitle), seq, page, image, tf), 0);
    tf[0].text = "WWWWWW WWWW";
    air::FillTitle(page, image, tf, air::TitleCompileOptions(false, false));
    const pages::Rect rect = page.frame(tf[0].frame)->rect;
    int drawn = 0, seen = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            const uint8_t* t = image.picture.pixel(x, y);
            if (t[pages::PIX_RED] < 220 || t[pages::PIX_GREEN] < 220 || t[pages::PIX_BLUE] < 220) continue;
            ++drawn;
            const uint8_t* o = out.pixel(x, y);
            seen += o[pages::PIX_RED] > 160 && o[pages::PIX_GREEN] > 160 && o[pages::PIX_BLUE] > 160;
        }
    ASSERT_GT(drawn, 50);
    EXPECT_GT(double(seen) / drawn, 0.8);

    // The title's line of the air log went out on the stream.
    ASSERT_TRUE(events.waitFor(
        [](const auto& e) {
            for (const std::string& l : AirLogLines(e))
                if (l.find("[WWWWWW WWWW]") != std::string::npos) return true;
            return false;
        },
        10000));
    // Selected again, the title shows the texts of its last playing.
    EXPECT_EQ(json::parse(get(path).body)["fields"][0]["text"], "WWWWWW WWWW");
    // What is cued shows as the preview.
    const Reply preview = get("/api/v1/preview.png");
    EXPECT_EQ(preview.status, 200);
    EXPECT_EQ(post("/api/v1/actions/stop").status, 200);
}

TEST_F(ControlServe, RefusalsAnswerWithTheReason) {
    serve();
    // Nothing is cued: Play is remembered (as the air frame remembers a disabled Play), Pause not
    // enabled, Effect needs a cued single page.
    Reply r = post("/api/v1/actions/play");
    EXPECT_EQ(r.status, 409);
    EXPECT_NE(ErrorOf(r).find("remembered"), std::string::npos) << r.body;
    EXPECT_EQ(state()["delayedAction"], "play");
    r = post("/api/v1/actions/pause");
    EXPECT_EQ(r.status, 409);
    EXPECT_NE(ErrorOf(r).find("Pause is not enabled now"), std::string::npos) << r.body;
    EXPECT_EQ(post("/api/v1/actions/effect", json{{"showTime", 5}}).status, 409);
    EXPECT_EQ(post("/api/v1/actions/rewind").status, 404);
    r = get("/api/v1/actions/play");
    EXPECT_EQ(r.status, 405);
    EXPECT_EQ(r.header("Allow"), "POST");

    // Names outside the data root are never reached.
    std::filesystem::create_directories(dir.file("Outside"));
    std::filesystem::create_directory_symlink("/usr/share", dir.file("Sequences/Elsewhere"));
    for (const char* bad : {"../ZENTRIX.INI", "/etc/passwd", "Sequences/../../x.zxs", "Sequences/Elsewhere/a.zxs",
                            "Sequences\\..\\..\\x.zxs", "C:/Data/a.zxs"}) {
        r = post("/api/v1/play", json{{"path", bad}});
        EXPECT_EQ(r.status, 400) << bad << ": " << r.body;
    }
    EXPECT_EQ(post("/api/v1/play", json{{"path", "Sequences/Nothing.zxs"}}).status, 404);
    EXPECT_EQ(post("/api/v1/play", json{{"path", "Sequences"}}).status, 404);
    EXPECT_EQ(post("/api/v1/play", json{{"path", "ZENTRIX.INI"}}).status, 400);  // not a kind it plays
    EXPECT_EQ(Post(port, "/api/v1/play", "{\"path\": ", options.token).status, 400);
    EXPECT_EQ(get("/api/v1/titles/" + UrlPath(demo::kShowSequence)).status, 404);  // not in Titr/
    EXPECT_EQ(get("/api/v1/titles/..%2FZENTRIX.INI").status, 400);

    // A field the title does not have changes nothing and names the fields it has.
    const std::string title = "/api/v1/titles/" + UrlPath(demo::kNameAndRoleTitle);
    r = post(title + "/render", json{{"fields", {{"No such field", "x"}}}});
    EXPECT_EQ(r.status, 400);
    EXPECT_NE(ErrorOf(r).find("its fields"), std::string::npos) << r.body;
    EXPECT_EQ(post(title + "/render", json{{"fields", 5}}).status, 400);

    // A sequence on air: another start waits for Stop.
    ASSERT_EQ(post("/api/v1/play", json{{"path", demo::kShowSequence}, {"play", true}}).status, 200);
    ASSERT_TRUE(waitState([](const json& s) { return s["onAir"].is_object(); }, 30000)) << stateText();
    r = post("/api/v1/play", json{{"path", demo::kNewsSequence}});
    EXPECT_EQ(r.status, 409);
    EXPECT_NE(ErrorOf(r).find("cannot start now"), std::string::npos) << r.body;
    EXPECT_EQ(post("/api/v1/actions/stop").status, 200);
    EXPECT_TRUE(waitState([](const json& s) { return s["stateName"] == "cued" && !s["onAir"].is_object(); }, 30000));
}

TEST_F(ControlServe, EffectChangesTheCuedPageAsTheDialogDoes) {
    serve();
    const std::string page = demo::DemoPageFiles().front();
    ASSERT_EQ(post("/api/v1/play", json{{"path", page}}).status, 200) << stateText();
    ASSERT_TRUE(waitState([](const json& s) { return s["actions"]["effect"].get<bool>(); }, 30000)) << stateText();
    // The dialog keeps a value in its range: 500 s becomes its longest show time.
    const Reply r = post("/api/v1/actions/effect", json{{"showTime", 500}, {"inType", 3}, {"time", "fixed"}});
    ASSERT_EQ(r.status, 200) << r.body;
    const json p = json::parse(r.body)["showParams"];
    EXPECT_EQ(p["inType"], 3);
    EXPECT_EQ(p["showTime"], 120);
    EXPECT_EQ(post("/api/v1/actions/effect", json{{"showTime", "long"}}).status, 400);
    EXPECT_EQ(post("/api/v1/actions/effect", json{{"colour", 1}}).status, 400);
}

TEST_F(ControlServe, ATokenIsAskedOfEveryRequestButThePanelFiles) {
    options.token = "s3cret-token";
    serve();
    Reply r = Get(port, "/api/v1/state");
    EXPECT_EQ(r.status, 401);
    EXPECT_EQ(r.header("WWW-Authenticate"), "Bearer");
    EXPECT_EQ(Get(port, "/api/v1/state", "wrong").status, 401);
    EXPECT_EQ(Get(port, "/api/v1/state", "s3cret-token").status, 200);
    EXPECT_EQ(Post(port, "/api/v1/actions/stop").status, 401);
    EventReader unauthorised(port);
    EXPECT_TRUE(unauthorised.waitFor([&](const auto&) { return unauthorised.status() != 0; }, 5000));
    EXPECT_EQ(unauthorised.status(), 401);
    // The page asks for the token itself.
    r = Get(port, "/");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.contentType.find("text/html"), std::string::npos);
    EXPECT_EQ(Get(port, "/panel.js").status, 200);
}

TEST_F(ControlServe, RequestsFromAnotherOriginOrNameAreRefused) {
    serve();
    controltest::Request r{"POST", "/api/v1/actions/stop", {}, {}, {{"Origin", "http://evil.example"}}};
    EXPECT_EQ(Send(port, r).status, 403);
    // A name of another site resolved to this machine, without a token.
    r = {"GET", "/api/v1/state", {}, {}, {{"Host", "evil.example:8139"}}};
    EXPECT_EQ(Send(port, r).status, 403);
    r = {"GET", "/api/v1/state", {}, {}, {{"Host", "localhost:8139"}}};
    EXPECT_EQ(Send(port, r).status, 200);
}

TEST_F(ControlServe, AClientThatStallsHoldsNeitherTheServerNorTheAir) {
    serve();
    // Half a request, never finished, and an event stream never read.
    const int stall = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port.load()));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(stall, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const char half[] = "POST /api/v1/play HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100\r\n\r\n{\"pa";
    ASSERT_GT(::send(stall, half, sizeof half - 1, 0), 0);
    const int deaf = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(deaf, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const char events[] = "GET /api/v1/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    ASSERT_GT(::send(deaf, events, sizeof events - 1, 0), 0);

    // Meanwhile a playout runs to its end and others are answered.
    EventReader reader(port);
    ASSERT_EQ(post("/api/v1/play", json{{"path", demo::kShowSequence}, {"play", true}}).status, 200);
    EXPECT_TRUE(reader.waitFor(RanOut, 60000)) << ::testing::PrintToString(StateNames(reader.events()));
    EXPECT_EQ(get("/api/v1/state").status, 200);
    // The stalled request was refused and its connection closed after the read time-out.
    timeval wait{10, 0};
    ::setsockopt(stall, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string answer;
    char buf[512];
    for (ssize_t n; (n = ::recv(stall, buf, sizeof buf, 0)) > 0;) answer.append(buf, size_t(n));
    EXPECT_EQ(answer.rfind("HTTP/1.1 4", 0), 0u) << answer;
    EXPECT_EQ(::recv(stall, buf, 1, 0), 0);  // closed by the server
    ::close(stall);
    ::close(deaf);
}

// The air log of a short show played alone, then with 200 clients polling GET /state (each on a
// connection of its own, as a panel would): the same pages in the same order, each on air for the
// same seconds, and not one call more to the air frame's thread. The air log counts whole seconds
// and the virtual Device keeps its pace only as well as the machine lets it, so a page may land on
// either side of a second from one run to the next, with or without clients.
namespace {
struct ControlServeSlower : ServeFixture {
    ControlServeSlower() { scale = 2; }
};
}  // namespace

TEST_F(ControlServeSlower, TwoHundredPollersChangeNothingInTheAirLog) {
    air::CSeqDoc show(app.folders(), platform::SystemClock::instance());
    // Three still pages (the crawl and the credits would set their own time by their scroll).
    for (const std::string& page : demo::DemoPageFiles()) {
        if (page.find("rawl") != std::string::npos || page.find("redits") != std::string::npos) continue;
        air::ShowParams p;  // a quick wipe, three seconds on air
        p.inSpeed = 19;
        p.showTime = 3;
        show.AppendPage(dir.file(page), p);
        if (show.count() == 3) break;
    }
    ASSERT_EQ(show.SaveSequence(dir.file("Sequences/Short.zxs")), 0);
    serve();
    auto playOnce = [&](std::vector<std::pair<int, std::string>>& lines, uint64_t& calls) {
        EventReader events(port);
        events.waitFor([](const auto& e) { return !e.empty(); }, 10000);
        const uint64_t before = server.load()->airCalls();
        ASSERT_EQ(post("/api/v1/play", json{{"path", "Sequences/Short.zxs"}, {"play", true}}).status, 200);
        ASSERT_TRUE(events.waitFor(RanOut, 120000)) << ::testing::PrintToString(StateNames(events.events()));
        // The last page's line is written when the playout ends.
        ASSERT_TRUE(events.waitFor([](const auto& e) { return AirLogLines(e).size() >= 3; }, 10000));
        calls = server.load()->airCalls() - before;
        for (const std::string& l : AirLogLines(events.events()))
            if (l.size() > 25) lines.emplace_back(std::stoi(l.substr(20, 4)), l.substr(25));
    };
    std::vector<std::pair<int, std::string>> alone, polled;
    uint64_t aloneCalls = 0, polledCalls = 0;
    playOnce(alone, aloneCalls);
    ASSERT_EQ(alone.size(), 3u);

    std::atomic<bool> done{false};
    std::atomic<int> answered{0}, failed{0};
    std::vector<std::thread> pollers;
    for (int i = 0; i < 200; ++i)
        pollers.emplace_back([&] {
            controltest::Session s(port);
            while (!done) {
                const Reply r = s.get("/api/v1/state");
                (r.status == 200 ? answered : failed)++;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    playOnce(polled, polledCalls);
    done = true;
    for (std::thread& t : pollers) t.join();
    ASSERT_EQ(polled.size(), alone.size()) << ::testing::PrintToString(polled);
    for (size_t i = 0; i < alone.size(); ++i) {
        EXPECT_EQ(polled[i].second, alone[i].second);
        EXPECT_NEAR(polled[i].first, alone[i].first, 1) << polled[i].second;
    }
    EXPECT_EQ(polledCalls, aloneCalls);  // polling never reached the air frame
    EXPECT_EQ(failed.load(), 0);
    EXPECT_GT(answered.load(), 2000);
}
