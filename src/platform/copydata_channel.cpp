#include "platform/copydata_channel.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/instance_lock.h"

namespace platform {

namespace copydata {

namespace {

constexpr uint32_t Magic(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}
constexpr uint32_t kMagics[] = {Magic("ZXCD"), Magic("ZXCQ"), Magic("ZXCP"), Magic("ZXCW")};

bool KindOfMagic(uint32_t magic, Kind& kind) {
    for (size_t i = 0; i < std::size(kMagics); ++i)
        if (kMagics[i] == magic) {
            kind = Kind(i);
            return true;
        }
    return false;
}

}  // namespace

std::vector<uint8_t> EncodeRequest(Kind kind, uint32_t dwData, uint64_t wParam, std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    out.reserve(4 + kRequestFields + data.size());
    ByteWriter w(out);
    w.u32(uint32_t(kRequestFields + data.size()));
    w.u32(kMagics[size_t(kind)]);
    w.u16(kVersion);
    w.u16(0);
    w.u32(dwData);
    w.u32(uint32_t(wParam));
    w.u32(uint32_t(wParam >> 32));
    w.u32(uint32_t(data.size()));
    w.bytes(data.data(), data.size());
    return out;
}

Parse ParseRequest(std::span<const uint8_t> bytes, Request& out, size_t& used) {
    used = 0;
    ByteReader r(bytes);
    if (bytes.size() < 4) return Parse::NeedMore;
    const uint32_t length = r.u32();
    if (length < kRequestFields || length > kRequestFields + kMaxData) return Parse::Bad;
    // The magic and version are checked as soon as they are there, so that a stranger talking
    // to the socket is turned away without waiting for a frame it will never finish.
    if (bytes.size() >= 8 && !KindOfMagic(ByteReader(bytes.subspan(4)).u32(), out.kind)) return Parse::Bad;
    if (bytes.size() >= 10 && ByteReader(bytes.subspan(8)).u16() != kVersion) return Parse::Bad;
    if (bytes.size() < 4 + size_t(length)) return Parse::NeedMore;
    r.u32();  // magic
    r.u16();  // version
    const uint16_t reserved = r.u16();
    out.dwData = r.u32();
    const uint32_t lo = r.u32(), hi = r.u32();
    out.wParam = uint64_t(hi) << 32 | lo;
    const uint32_t cbData = r.u32();
    if (!r.ok() || reserved != 0 || cbData != length - kRequestFields) return Parse::Bad;
    // Only a data request carries data.
    if (out.kind != Kind::Data && cbData != 0) return Parse::Bad;
    std::span<const uint8_t> d = r.view(cbData);
    if (!r.ok()) return Parse::Bad;
    out.data.assign(d.begin(), d.end());
    used = 4 + size_t(length);
    return Parse::Ok;
}

std::vector<uint8_t> EncodeReply(int64_t value) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(kReplyFields);
    w.u32(uint32_t(uint64_t(value)));
    w.u32(uint32_t(uint64_t(value) >> 32));
    return out;
}

Parse ParseReply(std::span<const uint8_t> bytes, int64_t& value, size_t& used) {
    used = 0;
    if (bytes.size() < 4) return Parse::NeedMore;
    ByteReader r(bytes);
    if (r.u32() != kReplyFields) return Parse::Bad;
    if (bytes.size() < 4 + kReplyFields) return Parse::NeedMore;
    const uint32_t lo = r.u32(), hi = r.u32();
    value = int64_t(uint64_t(hi) << 32 | lo);
    used = 4 + kReplyFields;
    return Parse::Ok;
}

std::string TitleFileStem(const std::string& title) {
    static const char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : title) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.') {
            escaped += char(c);
        } else {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 15];
        }
    }
    // Socket paths are short (108 bytes with the folder): a long title keeps its start and a
    // hash of the whole, which is as unique as the title for any practical purpose.
    constexpr size_t kKeep = 40;
    if (escaped.size() > kKeep) {
        uint64_t h = 1469598103934665603ull;  // FNV-1a
        for (unsigned char c : title) h = (h ^ c) * 1099511628211ull;
        char tail[18];
        std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(h));
        escaped = escaped.substr(0, kKeep - 17) + tail;
    }
    return "zxtitle-" + escaped;
}

std::string HandleFileName(uint64_t handle) {
    char name[40];
    std::snprintf(name, sizeof name, "zxwnd-%016llx.sock", static_cast<unsigned long long>(handle));
    return name;
}

}  // namespace copydata

using copydata::Kind;
using copydata::Parse;
using copydata::Request;

namespace {

using SteadyClock = std::chrono::steady_clock;

int MsUntil(SteadyClock::time_point end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - SteadyClock::now()).count();
    return left < 0 ? 0 : int(std::min<int64_t>(left, 1 << 30));
}

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

struct Job;

// The requests waiting for the owner thread of some windows. A thread that waits for a reply
// runs them itself; otherwise the owner's MessageTarget gets to them.
struct Inbox {
    std::mutex m;
    std::vector<std::shared_ptr<Job>> jobs;
    int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);

    ~Inbox() { CloseFd(wakeFd); }
    void push(std::shared_ptr<Job> job) {
        {
            std::lock_guard lock(m);
            jobs.push_back(std::move(job));
        }
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
    }
    void remove(const Job* job) {
        std::lock_guard lock(m);
        jobs.erase(std::remove_if(jobs.begin(), jobs.end(), [&](const auto& j) { return j.get() == job; }), jobs.end());
    }
    std::vector<std::shared_ptr<Job>> takeAll() {
        uint64_t count;
        [[maybe_unused]] ssize_t n = ::read(wakeFd, &count, sizeof count);
        std::lock_guard lock(m);
        return std::move(jobs);
    }
};

const std::shared_ptr<Inbox>& ThreadInbox() {
    thread_local const std::shared_ptr<Inbox> inbox = std::make_shared<Inbox>();
    return inbox;
}

}  // namespace

struct CopyDataWindow::Core {
    MessageTarget* target = nullptr;
    std::atomic<bool> open{false};
    uint64_t handle = 0;
    std::string titleSocket, handleSocket;
    InstanceLock titleLock;
    int listenTitle = -1, listenHandle = -1;
    int stopPipe[2] = {-1, -1};
    std::thread reader;
    std::shared_ptr<Inbox> inbox;

    ~Core() {
        for (int* fd : {&listenTitle, &listenHandle, &stopPipe[0], &stopPipe[1]}) CloseFd(*fd);
    }
    void readLoop(const std::weak_ptr<Core>& self);
};

namespace {

struct Job {
    Request request;
    int fd = -1;
    std::atomic<bool> taken{false};
    std::weak_ptr<CopyDataWindow::Core> window;
    std::weak_ptr<Inbox> inbox;

    ~Job() { CloseFd(fd); }
};

void Answer(int& fd, int64_t value) {
    const std::vector<uint8_t> reply = copydata::EncodeReply(value);
    // Twelve bytes into a fresh socket never block; a sender that has gone is no concern.
    [[maybe_unused]] ssize_t n = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    CloseFd(fd);
}

// Runs a request on the owner's thread, once, whichever way reaches it first.
void RunJob(const std::shared_ptr<Job>& job) {
    if (job->taken.exchange(true)) return;
    if (auto box = job->inbox.lock()) box->remove(job.get());
    int64_t reply = 0;
    if (auto core = job->window.lock(); core && core->open.load()) {
        const Request& r = job->request;
        switch (r.kind) {
            case Kind::Data: {
                CopyData cd{r.dwData, uint32_t(r.data.size()), r.data.data()};
                reply = core->target->send(MSG_COPYDATA, uintptr_t(r.wParam), intptr_t(&cd));
                break;
            }
            case Kind::Close: reply = core->target->send(MSG_CLOSE, uintptr_t(r.wParam), 0); break;
            case Kind::Probe: reply = 1; break;
            case Kind::Who: reply = int64_t(core->handle); break;
        }
    }
    Answer(job->fd, reply);
}

int Listen(const std::string& path) {
    sockaddr_un addr;
    if (!MakeAddress(path, addr)) return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0) {
        CloseFd(fd);
        return -1;
    }
    return fd;
}

bool PidAlive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH); }

// Sockets of windows whose programs have ended (a crash, a kill) are removed.
void RemoveStaleSockets(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
    ::closedir(d);
    const std::string sock = ".sock";
    for (const std::string& name : names) {
        if (name.size() <= sock.size() || name.compare(name.size() - sock.size(), sock.size(), sock) != 0) continue;
        const std::string stem = name.substr(0, name.size() - sock.size());
        if (stem.rfind("zxwnd-", 0) == 0) {
            unsigned long long h = 0;
            if (std::sscanf(stem.c_str() + 6, "%llx", &h) != 1) continue;
            const pid_t pid = pid_t(h >> 32);
            if (pid != ::getpid() && !PidAlive(pid)) ::unlink((dir + name).c_str());
        } else if (stem.rfind("zxtitle-", 0) == 0) {
            // A title's lock is held for as long as its window lives.
            InstanceLock lock;
            if (lock.acquire(stem, dir)) ::unlink((dir + name).c_str());
        }
    }
}

enum class Io { Ok, NoPeer, Timeout, Closed, Damaged };

// Connects, sends one frame and waits for the reply, running the requests to this thread's own
// windows meanwhile.
Io Transact(const std::string& path, const std::vector<uint8_t>& frame, int timeoutMs, int64_t& value) {
    value = 0;
    sockaddr_un addr;
    if (!MakeAddress(path, addr)) return Io::NoPeer;
    const auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Io::NoPeer;
    struct Closer {
        int& fd;
        ~Closer() { CloseFd(fd); }
    } closer{fd};
    // A full backlog (EAGAIN) means a window that does not take its connections: wait for it.
    while (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return Io::NoPeer;
        if (MsUntil(end) == 0) return Io::Timeout;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::shared_ptr<Inbox>& inbox = ThreadInbox();
    size_t sent = 0;
    std::vector<uint8_t> in;
    for (;;) {
        pollfd p[2] = {{fd, short(sent < frame.size() ? POLLOUT : POLLIN), 0}, {inbox->wakeFd, POLLIN, 0}};
        if (sent < frame.size()) {
            const ssize_t n = ::send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) return Io::Closed;
        } else {
            uint8_t buf[64];
            const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                in.insert(in.end(), buf, buf + n);
                size_t used = 0;
                const Parse parse = copydata::ParseReply(in, value, used);
                if (parse == Parse::Ok) return Io::Ok;
                if (parse == Parse::Bad) return Io::Damaged;
                continue;
            }
            if (n == 0) return in.empty() ? Io::Closed : Io::Damaged;
            if (errno == EINTR) continue;
            if (errno != EAGAIN) return Io::Closed;
        }
        const int wait = MsUntil(end);
        if (wait == 0) return Io::Timeout;
        if (::poll(p, 2, wait) < 0 && errno != EINTR) return Io::Closed;
        if (p[1].revents & POLLIN)
            for (const std::shared_ptr<Job>& job : inbox->takeAll()) RunJob(job);
    }
}

}  // namespace

// ---- The window

void CopyDataWindow::Core::readLoop(const std::weak_ptr<Core>& self) {
    struct Conn {
        int fd;
        std::vector<uint8_t> in;
        SteadyClock::time_point deadline;
    };
    // A sender has this long to deliver its whole frame; then it is cut off.
    constexpr auto kFrameTime = std::chrono::seconds(5);
    constexpr size_t kMaxConnections = 128;
    std::vector<Conn> conns;
    std::vector<uint8_t> buf(16 * 1024);
    for (;;) {
        std::vector<pollfd> p = {{stopPipe[0], POLLIN, 0}, {listenTitle, POLLIN, 0}, {listenHandle, POLLIN, 0}};
        for (const Conn& c : conns) p.push_back({c.fd, POLLIN, 0});
        int wait = -1;
        for (const Conn& c : conns) {
            const int ms = MsUntil(c.deadline);
            if (wait < 0 || ms < wait) wait = ms;
        }
        if (::poll(p.data(), p.size(), wait) < 0 && errno != EINTR) break;
        if (p[0].revents) break;
        for (int l = 1; l <= 2; ++l) {
            if (p[l].fd < 0 || !(p[l].revents & POLLIN)) continue;
            for (;;) {
                int fd = ::accept4(p[l].fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) break;
                if (conns.size() >= kMaxConnections) {
                    CloseFd(fd);
                    continue;
                }
                conns.push_back({fd, {}, SteadyClock::now() + kFrameTime});
            }
        }
        // The connections as they were polled; the new ones come next time.
        const size_t polled = p.size() - 3;
        std::vector<Conn> keep;
        for (size_t i = 0; i < conns.size(); ++i) {
            Conn& c = conns[i];
            bool drop = false;
            if (i < polled && p[3 + i].revents) {
                const ssize_t n = ::recv(c.fd, buf.data(), buf.size(), MSG_DONTWAIT);
                if (n > 0) {
                    c.in.insert(c.in.end(), buf.begin(), buf.begin() + n);
                    Request r;
                    size_t used = 0;
                    const Parse parse = copydata::ParseRequest(c.in, r, used);
                    if (parse == Parse::Bad) {
                        drop = true;  // a damaged frame closes the connection: the sender reads 0
                    } else if (parse == Parse::Ok) {
                        if (r.kind == Kind::Who) {
                            Answer(c.fd, int64_t(handle));
                        } else {
                            auto job = std::make_shared<Job>();
                            job->request = std::move(r);
                            job->fd = c.fd;
                            job->window = self;
                            job->inbox = inbox;
                            c.fd = -1;
                            inbox->push(job);
                            target->postCall([job] { RunJob(job); });
                        }
                        drop = true;
                    }
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    drop = true;
                }
            }
            if (!drop && SteadyClock::now() >= c.deadline) drop = true;
            if (drop) CloseFd(c.fd);
            else keep.push_back(std::move(c));
        }
        conns = std::move(keep);
    }
    for (Conn& c : conns) CloseFd(c.fd);
}

CopyDataWindow::CopyDataWindow() = default;
CopyDataWindow::~CopyDataWindow() { Close(); }

bool CopyDataWindow::isOpen() const { return core_ != nullptr; }

bool CopyDataWindow::Open(MessageTarget* target, const std::string& title, const std::string& folder) {
    Close();
    if (!target) return false;
    std::string dir = folder.empty() ? RuntimeDir() : folder;
    if (dir.back() != '/') dir += '/';
    if (!IsDirectory(dir) && ::mkdir(dir.c_str(), 0700) != 0) return false;
    RemoveStaleSockets(dir);

    static std::atomic<uint32_t> sequence{0};
    uint32_t seq;
    while ((seq = ++sequence) == 0) {}
    auto core = std::make_shared<Core>();
    core->target = target;
    core->handle = uint64_t(uint32_t(::getpid())) << 32 | seq;
    core->inbox = ThreadInbox();
    if (!title.empty()) {
        const std::string stem = copydata::TitleFileStem(title);
        // The lock says whose the title is; a socket without a holder is a leftover.
        if (!core->titleLock.acquire(stem, dir)) return false;
        core->titleSocket = dir + stem + ".sock";
        core->listenTitle = Listen(core->titleSocket);
        if (core->listenTitle < 0) return false;
    }
    core->handleSocket = dir + copydata::HandleFileName(core->handle);
    core->listenHandle = Listen(core->handleSocket);
    if (core->listenHandle < 0 || ::pipe2(core->stopPipe, O_CLOEXEC) != 0) {
        CloseFd(core->listenTitle);
        CloseFd(core->listenHandle);
        if (!core->titleSocket.empty()) ::unlink(core->titleSocket.c_str());
        ::unlink(core->handleSocket.c_str());
        return false;
    }
    core->open = true;
    core->reader = std::thread([c = core.get(), weak = std::weak_ptr<Core>(core)] { c->readLoop(weak); });
    core_ = std::move(core);
    handle_ = uintptr_t(core_->handle);
    title_ = title;
    return true;
}

void CopyDataWindow::Close() {
    if (!core_) return;
    std::shared_ptr<Core> core = std::move(core_);
    core->open = false;
    [[maybe_unused]] ssize_t n = ::write(core->stopPipe[1], "x", 1);
    if (core->reader.joinable()) core->reader.join();
    CloseFd(core->stopPipe[0]);
    CloseFd(core->stopPipe[1]);
    CloseFd(core->listenTitle);
    CloseFd(core->listenHandle);
    if (!core->titleSocket.empty()) ::unlink(core->titleSocket.c_str());
    ::unlink(core->handleSocket.c_str());
    core->titleLock.release();
    // What the owner has not got to yet is answered 0 now; its queued calls find it done.
    std::vector<std::shared_ptr<Job>> mine;
    {
        std::lock_guard lock(core->inbox->m);
        for (const auto& job : core->inbox->jobs)
            if (job->window.lock() == core) mine.push_back(job);
    }
    for (const auto& job : mine) RunJob(job);
    handle_ = 0;
    title_.clear();
}

// ---- The sender

CopyDataChannel::CopyDataChannel() = default;
CopyDataChannel::CopyDataChannel(Options options) : options_(std::move(options)) {}

std::string CopyDataChannel::dir() const {
    std::string d = options_.dir.empty() ? RuntimeDir() : options_.dir;
    if (d.back() != '/') d += '/';
    return d;
}

uintptr_t CopyDataChannel::FindWindow(const std::string& title) {
    if (title.empty()) return 0;
    int64_t handle = 0;
    // The window's reader answers this itself, so even a busy window answers at once.
    const std::vector<uint8_t> frame = copydata::EncodeRequest(Kind::Who, 0, 0, {});
    if (Transact(dir() + copydata::TitleFileStem(title) + ".sock", frame, std::min(options_.timeoutMs, 1000), handle) !=
        Io::Ok)
        return 0;
    return uintptr_t(handle);
}

bool CopyDataChannel::IsWindow(uintptr_t window) {
    if (window == 0) return false;
    sockaddr_un addr;
    if (!MakeAddress(dir() + copydata::HandleFileName(window), addr)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int rc;
    while ((rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr)) != 0 && errno == EINTR) {}
    // A full backlog still is a live window.
    const bool alive = rc == 0 || errno == EAGAIN;
    CloseFd(fd);
    return alive;
}

intptr_t CopyDataChannel::Send(uintptr_t window, uint32_t dwData, uintptr_t wParam, std::span<const uint8_t> data) {
    return request(window, Kind::Data, dwData, wParam, data);
}

intptr_t CopyDataChannel::RequestClose(uintptr_t window, uintptr_t wParam) {
    return request(window, Kind::Close, 0, wParam, {});
}

intptr_t CopyDataChannel::request(uintptr_t window, Kind kind, uint32_t dwData, uintptr_t wParam,
                                  std::span<const uint8_t> data) {
    lastError_ = OK;
    if (window == 0) {
        lastError_ = NO_WINDOW;
        return 0;
    }
    if (data.size() > copydata::kMaxData) {
        lastError_ = TOO_LARGE;
        return 0;
    }
    const std::string path = dir() + copydata::HandleFileName(window);
    int64_t value = 0;
    if (hung_.count(window)) {
        // It did not answer last time: a quick look first, so that a row of sends to a hung
        // window does not wait the whole time-out for each.
        const Io probe = Transact(path, copydata::EncodeRequest(Kind::Probe, 0, 0, {}), options_.probeMs, value);
        if (probe != Io::Ok) {
            if (probe == Io::NoPeer || probe == Io::Closed) {
                hung_.erase(window);
                lastError_ = NO_WINDOW;
            } else {
                lastError_ = HUNG;
            }
            return 0;
        }
        hung_.erase(window);
    }
    switch (Transact(path, copydata::EncodeRequest(kind, dwData, wParam, data), options_.timeoutMs, value)) {
        case Io::Ok: return intptr_t(value);
        case Io::Timeout:
            hung_.insert(window);
            lastError_ = TIMED_OUT;
            return 0;
        case Io::Damaged: lastError_ = DAMAGED; return 0;
        case Io::NoPeer:
        case Io::Closed: lastError_ = NO_WINDOW; return 0;
    }
    return 0;
}

}  // namespace platform
