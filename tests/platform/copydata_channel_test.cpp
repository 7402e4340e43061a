#include "platform/copydata_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/event.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/process.h"
#include "support/temp_dir.h"

using namespace platform;
namespace cd = platform::copydata;

namespace {

// A window with its own thread and loop, answering by a handler.
class WindowThread {
public:
    using Handler = std::function<intptr_t(uint32_t msg, uintptr_t wParam, const CopyData* data)>;
    WindowThread(const std::string& dir, const std::string& title, Handler handler) {
        Event ready;
        thread_ = std::thread([&, handler] {
            EventLoop loop;
            LoopTarget target(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) {
                return handler(msg, w, msg == MSG_COPYDATA ? reinterpret_cast<const CopyData*>(l) : nullptr);
            });
            loop.processPending();  // the loop belongs to this thread from now on
            CopyDataWindow window;
            opened_ = window.Open(&target, title, dir);
            handle_ = window.handle();
            if (opened_) loop_ = &loop;
            ready.set();
            if (opened_) loop.run();
            window.Close();
        });
        ready.wait();
    }
    ~WindowThread() {
        if (EventLoop* l = loop_.load()) l->quit();
        thread_.join();
    }
    bool opened() const { return opened_; }
    uintptr_t handle() const { return handle_; }

private:
    std::thread thread_;
    std::atomic<EventLoop*> loop_{nullptr};
    bool opened_ = false;
    uintptr_t handle_ = 0;
};

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

int ConnectTo(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends raw bytes and reads whatever comes back until the window closes the connection.
std::vector<uint8_t> RawExchange(const std::string& path, const std::vector<uint8_t>& bytes, bool halfClose) {
    int fd = ConnectTo(path);
    EXPECT_GE(fd, 0);
    if (fd < 0) return {};
    EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    if (halfClose) ::shutdown(fd, SHUT_WR);
    std::vector<uint8_t> got;
    uint8_t buf[64];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) got.insert(got.end(), buf, buf + n);
    ::close(fd);
    return got;
}

// A listening socket at a window's handle path that does what the test says with each request.
class FakePeer {
public:
    FakePeer(const std::string& path, std::function<void(int fd)> onRequest) : path_(path) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
        thread_ = std::thread([this, onRequest] {
            int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) return;
            uint8_t head[4 + cd::kRequestFields];
            size_t got = 0;
            while (got < sizeof head) {
                ssize_t n = ::recv(c, head + got, sizeof head - got, 0);
                if (n <= 0) break;
                got += size_t(n);
            }
            onRequest(c);
            ::close(c);
        });
    }
    ~FakePeer() {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
        ::unlink(path_.c_str());
    }

private:
    std::string path_;
    int fd_ = -1;
    std::thread thread_;
};

class Channel : public ::testing::Test {
protected:
    zxtest::TempDir home;
    std::string dir = home.file("run/");
    CopyDataChannel::Options options() const {
        CopyDataChannel::Options o;
        o.dir = dir;
        o.timeoutMs = 300;
        o.probeMs = 50;
        return o;
    }
    void SetUp() override { ASSERT_TRUE(MakeDirectories(dir)); }
};

}  // namespace

TEST(CopyDataFrames, RoundTripAndDamage) {
    const std::string text = "PUSH";
    std::vector<uint8_t> f = cd::EncodeRequest(cd::Kind::Data, 7, 0x1122334455667788ull, Bytes(text));
    ASSERT_EQ(f.size(), 4 + cd::kRequestFields + text.size());
    cd::Request r;
    size_t used = 0;
    ASSERT_EQ(cd::ParseRequest(f, r, used), cd::Parse::Ok);
    EXPECT_EQ(used, f.size());
    EXPECT_EQ(r.dwData, 7u);
    EXPECT_EQ(r.wParam, 0x1122334455667788ull);
    EXPECT_EQ(std::string(r.data.begin(), r.data.end()), text);
    // Every shorter prefix asks for more; a stranger's magic is turned away at once.
    for (size_t n = 0; n < f.size(); ++n)
        EXPECT_EQ(cd::ParseRequest(std::span(f).first(n), r, used), cd::Parse::NeedMore) << n;
    std::vector<uint8_t> bad = f;
    bad[4] = 'Q';
    EXPECT_EQ(cd::ParseRequest(std::span(bad).first(8), r, used), cd::Parse::Bad);
    bad = f;
    bad[8] = 2;  // version
    EXPECT_EQ(cd::ParseRequest(bad, r, used), cd::Parse::Bad);
    bad = f;
    bad[24] ^= 1;  // cbData no longer matches the length
    EXPECT_EQ(cd::ParseRequest(bad, r, used), cd::Parse::Bad);
    // Over 64 KiB of data is refused from the length alone.
    bad = cd::EncodeRequest(cd::Kind::Data, 1, 0, {});
    const uint32_t tooLong = uint32_t(cd::kRequestFields + cd::kMaxData + 1);
    std::memcpy(bad.data(), &tooLong, 4);
    EXPECT_EQ(cd::ParseRequest(std::span(bad).first(4), r, used), cd::Parse::Bad);
    // A probe carries no data.
    std::vector<uint8_t> probe = cd::EncodeRequest(cd::Kind::Probe, 0, 0, Bytes("x"));
    EXPECT_EQ(cd::ParseRequest(probe, r, used), cd::Parse::Bad);

    int64_t value = 0;
    std::vector<uint8_t> reply = cd::EncodeReply(-2);
    ASSERT_EQ(cd::ParseReply(reply, value, used), cd::Parse::Ok);
    EXPECT_EQ(value, -2);
    EXPECT_EQ(cd::ParseReply(std::span(reply).first(11), value, used), cd::Parse::NeedMore);
    reply[0] = 9;
    EXPECT_EQ(cd::ParseReply(reply, value, used), cd::Parse::Bad);
}

TEST(CopyDataFrames, TitlesBecomeShortDistinctFileNames) {
    EXPECT_EQ(cd::TitleFileStem("KTG Remote Control"), "zxtitle-KTG%20Remote%20Control");
    EXPECT_EQ(cd::TitleFileStem("a/b"), "zxtitle-a%2Fb");
    const std::string a = cd::TitleFileStem(std::string(300, 'x') + "1");
    const std::string b = cd::TitleFileStem(std::string(300, 'x') + "2");
    EXPECT_LE(a.size(), 48u);
    EXPECT_NE(a, b);
}

TEST_F(Channel, WindowAbsentStaleAndLive) {
    CopyDataChannel ch(options());
    EXPECT_EQ(ch.FindWindow("Panel"), 0u);
    EXPECT_FALSE(ch.IsWindow(0x1234));
    // A socket left behind by a program that ended answers nobody.
    const std::string stale = dir + cd::TitleFileStem("Panel") + ".sock";
    {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, stale.c_str(), sizeof addr.sun_path - 1);
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    // So does the handle socket of a process that is gone.
    Process gone;
    ASSERT_TRUE(gone.Start("/bin/true", {}));
    const pid_t deadPid = gone.pid();
    ASSERT_TRUE(gone.Wait(5000));
    const std::string deadHandle = dir + cd::HandleFileName(uint64_t(deadPid) << 32 | 1);
    ASSERT_TRUE(zxtest::WriteText(deadHandle, ""));
    EXPECT_EQ(ch.FindWindow("Panel"), 0u);

    uintptr_t handle = 0;
    {
        WindowThread w(dir, "Panel",
                       [](uint32_t, uintptr_t, const CopyData* d) { return d ? intptr_t(d->cbData) : 0; });
        ASSERT_TRUE(w.opened());
        handle = w.handle();
        EXPECT_NE(handle, 0u);
        EXPECT_FALSE(FileExists(deadHandle));
        EXPECT_EQ(ch.FindWindow("Panel"), handle);
        EXPECT_EQ(ch.FindWindow("panel"), 0u);  // titles match exactly
        EXPECT_TRUE(ch.IsWindow(handle));
        EXPECT_EQ(ch.Send(handle, 1, 0, Bytes("four")), 4);
        EXPECT_EQ(ch.lastError(), CopyDataChannel::OK);
    }
    // Closed: its sockets go with it.
    EXPECT_FALSE(ch.IsWindow(handle));
    EXPECT_EQ(ch.FindWindow("Panel"), 0u);
    EXPECT_EQ(ch.Send(handle, 1, 0, Bytes("four")), 0);
    EXPECT_EQ(ch.lastError(), CopyDataChannel::NO_WINDOW);
    EXPECT_FALSE(FileExists(stale));
}

TEST_F(Channel, ADuplicateTitleIsRefusedWhileTheFirstLives) {
    auto answer = [](uint32_t, uintptr_t, const CopyData*) -> intptr_t { return 1; };
    auto first = std::make_unique<WindowThread>(dir, "Panel", answer);
    ASSERT_TRUE(first->opened());
    {
        WindowThread second(dir, "Panel", answer);
        EXPECT_FALSE(second.opened());
        WindowThread other(dir, "Other", answer);
        EXPECT_TRUE(other.opened());
        EXPECT_NE(other.handle(), first->handle());
    }
    CopyDataChannel ch(options());
    EXPECT_EQ(ch.FindWindow("Panel"), first->handle());
    first.reset();
    WindowThread again(dir, "Panel", answer);
    EXPECT_TRUE(again.opened());
    EXPECT_EQ(ch.FindWindow("Panel"), again.handle());
}

TEST_F(Channel, MessagesArriveWithTheirDataAndSender) {
    std::atomic<uint32_t> gotMsg{0}, gotData{0};
    std::atomic<uintptr_t> gotSender{0};
    std::string gotText;
    std::mutex m;
    WindowThread w(dir, {}, [&](uint32_t msg, uintptr_t sender, const CopyData* d) -> intptr_t {
        gotMsg = msg;
        gotSender = sender;
        if (!d) return 77;
        std::lock_guard lock(m);
        gotData = d->dwData;
        gotText.assign(reinterpret_cast<const char*>(d->lpData), d->cbData);
        return -5;
    });
    ASSERT_TRUE(w.opened());
    CopyDataChannel ch(options());
    EXPECT_EQ(ch.Send(w.handle(), 42, 0xABCDEF, Bytes("hello")), -5);
    EXPECT_EQ(gotMsg.load(), MSG_COPYDATA);
    EXPECT_EQ(gotData.load(), 42u);
    EXPECT_EQ(gotSender.load(), 0xABCDEFu);
    {
        std::lock_guard lock(m);
        EXPECT_EQ(gotText, "hello");
    }
    // The largest block passes, one byte more is refused before anything is sent.
    std::vector<uint8_t> big(cd::kMaxData, 0x5A);
    EXPECT_EQ(ch.Send(w.handle(), 1, 0, big), -5);
    big.push_back(0);
    EXPECT_EQ(ch.Send(w.handle(), 1, 0, big), 0);
    EXPECT_EQ(ch.lastError(), CopyDataChannel::TOO_LARGE);
    EXPECT_EQ(ch.RequestClose(w.handle(), 9), 77);
    EXPECT_EQ(gotMsg.load(), MSG_CLOSE);
}

TEST_F(Channel, DamagedAndTruncatedFramesCloseTheConnectionUnanswered) {
    std::atomic<int> calls{0};
    WindowThread w(dir, {}, [&](uint32_t, uintptr_t, const CopyData*) -> intptr_t { return ++calls; });
    ASSERT_TRUE(w.opened());
    const std::string path = dir + cd::HandleFileName(w.handle());
    std::vector<uint8_t> ok = cd::EncodeRequest(cd::Kind::Data, 1, 0, Bytes("abc"));
    EXPECT_EQ(RawExchange(path, ok, false).size(), 4 + cd::kReplyFields);
    EXPECT_EQ(calls.load(), 1);
    // Oversized: the length alone closes it.
    std::vector<uint8_t> big = cd::EncodeRequest(cd::Kind::Data, 1, 0, std::vector<uint8_t>(cd::kMaxData));
    const uint32_t more = uint32_t(cd::kRequestFields + cd::kMaxData + 1);
    std::memcpy(big.data(), &more, 4);
    std::memcpy(big.data() + 24, &more, 4);
    EXPECT_TRUE(RawExchange(path, big, false).empty());
    // Truncated: the sender stops half-way and the window drops it.
    EXPECT_TRUE(RawExchange(path, std::vector<uint8_t>(ok.begin(), ok.begin() + 20), true).empty());
    // Garbage.
    EXPECT_TRUE(RawExchange(path, std::vector<uint8_t>(40, 0xEE), false).empty());
    EXPECT_EQ(calls.load(), 1);
    // The window is still there for the next sender.
    CopyDataChannel ch(options());
    EXPECT_EQ(ch.Send(w.handle(), 1, 0, {}), 2);
}

TEST_F(Channel, ADamagedReplyOrAPeerVanishingMidRequestReadsAsZero) {
    CopyDataChannel ch(options());
    const uintptr_t handle = 0x7FFF000000000001ull;
    const std::string path = dir + cd::HandleFileName(handle);
    {
        FakePeer peer(path, [](int fd) {
            const uint8_t bad[12] = {9, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
            ::send(fd, bad, sizeof bad, MSG_NOSIGNAL);
        });
        EXPECT_EQ(ch.Send(handle, 1, 0, Bytes("x")), 0);
        EXPECT_EQ(ch.lastError(), CopyDataChannel::DAMAGED);
    }
    {
        FakePeer peer(path, [](int) {});  // reads the request and goes
        EXPECT_EQ(ch.Send(handle, 1, 0, Bytes("x")), 0);
        EXPECT_EQ(ch.lastError(), CopyDataChannel::NO_WINDOW);
        EXPECT_FALSE(ch.isHung(handle));  // gone is not hung
    }
}

TEST_F(Channel, AHungPeerTimesOutAndThenFailsAtOnceUntilItAnswersAgain) {
    Event release;
    std::atomic<int> handled{0};
    WindowThread w(dir, {}, [&](uint32_t, uintptr_t, const CopyData*) -> intptr_t {
        release.wait();
        return ++handled;
    });
    ASSERT_TRUE(w.opened());
    CopyDataChannel ch(options());
    EXPECT_EQ(ch.Send(w.handle(), 1, 0, {}), 0);
    EXPECT_EQ(ch.lastError(), CopyDataChannel::TIMED_OUT);
    EXPECT_TRUE(ch.isHung(w.handle()));
    // While it hangs, each send is refused after the quick probe instead of a whole time-out.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ch.Send(w.handle(), 1, 0, {}), 0);
        EXPECT_EQ(ch.lastError(), CopyDataChannel::HUNG);
    }
    EXPECT_EQ(handled.load(), 0);
    // It recovers: the request that timed out is handled late (its answer goes nowhere), then
    // the probe answers and sends go through again.
    release.set();
    intptr_t r = 0;
    for (int i = 0; i < 100 && r == 0; ++i) r = ch.Send(w.handle(), 1, 0, {});
    EXPECT_EQ(r, 2);
    EXPECT_FALSE(ch.isHung(w.handle()));
}

TEST_F(Channel, AReportArrivingWhileWeWaitIsHandledMeanwhile) {
    // This thread owns window A and sends to B; B's handler reports to A and waits for A's
    // answer before it answers. Without handling requests while waiting, both would wait.
    EventLoop loop;
    std::atomic<std::thread::id> reportThread{};
    LoopTarget target(loop, [&](uint32_t msg, uintptr_t, intptr_t l) -> intptr_t {
        if (msg != MSG_COPYDATA) return 0;
        reportThread = std::this_thread::get_id();
        return intptr_t(reinterpret_cast<const CopyData*>(l)->dwData) * 10;
    });
    loop.processPending();
    CopyDataWindow a;
    ASSERT_TRUE(a.Open(&target, "A", dir));
    std::atomic<intptr_t> reportReply{0};
    const uintptr_t aHandle = a.handle();
    CopyDataChannel::Options o = options();
    o.timeoutMs = 5000;  // a deadlock would show as a time-out, not a slow pass
    WindowThread b(dir, "B", [&, o](uint32_t, uintptr_t sender, const CopyData* d) -> intptr_t {
        CopyDataChannel back(o);
        reportReply = back.Send(sender, d ? d->dwData + 1 : 0, 0, {});
        return back.lastError() == CopyDataChannel::OK ? 1 : 0;
    });
    ASSERT_TRUE(b.opened());
    CopyDataChannel ch(o);
    EXPECT_EQ(ch.Send(b.handle(), 4, aHandle, {}), 1);
    EXPECT_EQ(ch.lastError(), CopyDataChannel::OK);
    EXPECT_EQ(reportReply.load(), 50);
    EXPECT_EQ(reportThread.load(), std::this_thread::get_id());
    // The report's queued call finds it done and does nothing more.
    reportThread = std::thread::id{};
    loop.processPending();
    EXPECT_EQ(reportThread.load(), std::thread::id{});
    a.Close();
}

TEST_F(Channel, RequestsStillQueuedWhenTheWindowClosesAreAnsweredZero) {
    EventLoop loop;
    std::atomic<int> calls{0};
    LoopTarget target(loop, [&](uint32_t, uintptr_t, intptr_t) -> intptr_t { return ++calls; });
    loop.processPending();
    auto window = std::make_unique<CopyDataWindow>();
    ASSERT_TRUE(window->Open(&target, {}, dir));
    const uintptr_t handle = window->handle();
    std::atomic<intptr_t> reply{-1};
    std::thread sender([&] {
        CopyDataChannel ch(options());
        reply = ch.Send(handle, 1, 0, {});
    });
    // The request is queued on the loop, which does not run before the window has gone.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    window.reset();
    sender.join();
    EXPECT_EQ(reply.load(), 0);
    loop.processPending();
    EXPECT_EQ(calls.load(), 0);
}
