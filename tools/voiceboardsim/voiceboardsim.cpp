// The simulated USB phone-lines adapter library: the nine calls of voiceboard.h over simulated
// ports, events posted from a thread of its own, and a control interface (VoiceBoardSim_Control and
// a line-protocol socket) through which tests, `zx voiceboard` and a user ring calls and set faults.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "voiceboard.h"

#define VB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using Clock = std::chrono::steady_clock;

enum class Cid { None, Dtmf, Fsk, Aoh, FromOptions };

constexpr int kRingPeriodMs = 2000;
constexpr int kCidAfterRingMs = 700;
constexpr int kOffHookMs = 150;
constexpr int kHangupMs = 150;
constexpr int kAohNumberMs = 300;
constexpr int kDefaultRings = 6;

struct Port {
    int number = 0;
    int line = 0;       // the last line status sent
    bool call = false;  // a caller is on the line
    bool offHook = false;
    bool busyOp = false;      // an operation is running (its "done" is due)
    unsigned generation = 0;  // bumped when the call ends: its pending events are dropped
    std::string caller;       // what GetPortState reports
    std::string pendingAoh;   // the number sent after off-hook
    Cid cid = Cid::None;
};

struct Due {
    Clock::time_point at;
    int port;
    unsigned generation;
    std::function<void(Port&)> fn;
};

struct Sim {
    std::mutex m;
    std::condition_variable cv;
    bool running = false;
    bool stopping = false;
    bool busy = false;
    bool plugged = true;
    VoiceBoardWindow window{};
    unsigned message = 0;
    std::vector<int> portList = [] {
        std::vector<int> v;
        for (int p = 101; p <= 108; ++p) v.push_back(p);
        return v;
    }();
    std::map<int, Port> ports;
    std::vector<Due> due;
    std::map<std::string, int> options;
    std::map<std::string, int> fail;  // function name -> calls left to fail
    std::vector<std::string> log;
    std::map<std::string, int> stats;
    double timeScale = 1.0;
    std::thread thread;
    std::thread controlThread;
    int listenFd = -1;
    int wakeFd[2] = {-1, -1};
    std::string controlPath;
    // Events to post, collected under the lock and posted outside it.
    std::vector<std::pair<int, intptr_t>> outbox;
};

Sim& S() {
    static Sim* sim = new Sim;  // lives until the process ends (the library may be unloaded never)
    return *sim;
}

Clock::duration Scaled(const Sim& s, int ms) {
    double scaled = double(ms) / (s.timeScale > 0 ? s.timeScale : 1.0);
    return std::chrono::microseconds(int64_t(scaled * 1000.0));
}

void Emit(Sim& s, int event, int port, int value) {
    s.outbox.emplace_back(event, intptr_t(port) * 65536 + (value & 0xFFFF));
    ++s.stats["events"];
}

void Flush(Sim& s, std::unique_lock<std::mutex>& lock) {
    if (s.outbox.empty()) return;
    auto out = std::move(s.outbox);
    s.outbox.clear();
    VoiceBoardWindow w = s.window;
    unsigned msg = s.message;
    lock.unlock();
    for (auto& [event, lParam] : out)
        if (w.postMessage) w.postMessage(w.context, msg, uintptr_t(event), lParam);
    lock.lock();
}

void At(Sim& s, Port& p, int ms, std::function<void(Port&)> fn) {
    s.due.push_back({Clock::now() + Scaled(s, ms), p.number, p.generation, std::move(fn)});
    s.cv.notify_all();
}

void SetLine(Sim& s, Port& p, int status) {
    p.line = status;
    Emit(s, VB_EVENT_LINE_STATUS, p.number, status);
}

void EndCall(Sim&, Port& p) {
    ++p.generation;
    p.call = p.offHook = p.busyOp = false;
    p.pendingAoh.clear();
}

void Announce(Sim& s) {
    s.ports.clear();
    for (int n : s.portList) {
        Port& p = s.ports[n];
        p.number = n;
        Emit(s, VB_EVENT_PORT, n, 0);
        SetLine(s, p, VB_LINE_IDLE);
    }
}

bool Fails(Sim& s, const std::string& fn) {
    auto it = s.fail.find(fn);
    if (it == s.fail.end() || it->second <= 0) return false;
    --it->second;
    ++s.stats["failed"];
    return true;
}

void Ring(Sim& s, Port& p, int count, int rings) {
    if (!p.call || p.offHook) return;
    if (count > rings) {  // the caller gives up
        EndCall(s, p);
        SetLine(s, p, VB_LINE_IDLE);
        return;
    }
    Emit(s, VB_EVENT_RING, p.number, count);
    if (count == 1 && (p.cid == Cid::Dtmf || p.cid == Cid::Fsk) && !p.caller.empty())
        At(s, p, kCidAfterRingMs, [&s](Port& q) {
            if (q.call && !q.offHook) Emit(s, VB_EVENT_CALLER_ID, q.number, 0);
        });
    At(s, p, kRingPeriodMs, [&s, count, rings](Port& q) { Ring(s, q, count + 1, rings); });
}

void Done(Sim& s, Port& p, int ms, std::function<void(Sim&, Port&)> after = {}) {
    p.busyOp = true;
    At(s, p, ms, [&s, after = std::move(after)](Port& q) {
        q.busyOp = false;
        Emit(s, VB_EVENT_DONE, q.number, 0);
        if (after) after(s, q);
    });
}

// The WAV file's play time in ms, or -1 when it cannot be played (missing, not PCM, damaged).
int WavDurationMs(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](size_t o) {
        return uint32_t(b[o]) | uint32_t(b[o + 1]) << 8 | uint32_t(b[o + 2]) << 16 | uint32_t(b[o + 3]) << 24;
    };
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) return -1;
    uint32_t byteRate = 0;
    for (size_t o = 12; o + 8 <= b.size();) {
        uint32_t size = u32(o + 4);
        if (size > b.size() - o - 8) return -1;
        if (std::memcmp(b.data() + o, "fmt ", 4) == 0 && size >= 16) byteRate = u32(o + 16);
        if (std::memcmp(b.data() + o, "data", 4) == 0) {
            if (byteRate == 0) return -1;
            return int(uint64_t(size) * 1000 / byteRate);
        }
        o += 8 + size + (size & 1);
    }
    return -1;
}

Cid ParseCid(const std::string& w) {
    if (w == "none") return Cid::None;
    if (w == "dtmf") return Cid::Dtmf;
    if (w == "fsk") return Cid::Fsk;
    if (w == "aoh") return Cid::Aoh;
    return Cid::FromOptions;
}

Cid OptionsCid(Sim& s) {
    if (s.options["cid_aon"] && s.options["cid_aon_active"]) return Cid::Aoh;
    if (s.options["cid_dtmf"]) return Cid::Dtmf;
    if (s.options["cid_fsk"]) return Cid::Fsk;
    return Cid::None;
}

bool ParsePorts(const std::string& list, std::vector<int>& out) {
    out.clear();
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ',')) {
        int a = 0, b = 0;
        char dash = 0;
        std::stringstream is(item);
        if (!(is >> a)) return false;
        if (is >> dash) {
            if (dash != '-' || !(is >> b) || b < a) return false;
        } else {
            b = a;
        }
        if (a < 1 || b > 32767 || b - a > 1000) return false;
        for (int p = a; p <= b; ++p) out.push_back(p);
    }
    return !out.empty() && out.size() <= 4096;
}

std::string Control(Sim& s, std::unique_lock<std::mutex>& lock, const std::string& line) {
    std::vector<std::string> w;
    std::stringstream ss(line);
    for (std::string x; ss >> x;) w.push_back(x);
    if (w.empty()) return "ERR empty command";
    auto port = [&](size_t i) -> Port* {
        if (i >= w.size()) return nullptr;
        auto it = s.ports.find(std::atoi(w[i].c_str()));
        return it == s.ports.end() ? nullptr : &it->second;
    };
    const std::string& c = w[0];
    if (c == "ports") {
        std::vector<int> list;
        if (w.size() != 2 || !ParsePorts(w[1], list)) return "ERR usage: ports LIST (e.g. 101-108,201-208)";
        s.portList = list;
        if (s.running && s.plugged) Announce(s);
        return "OK " + std::to_string(list.size()) + " ports";
    }
    if (c == "ring") {
        Port* p = port(1);
        if (!p) return "ERR unknown port";
        if (!s.running || !s.plugged) return "ERR not running";
        if (p->call) return "ERR port busy";
        Cid cid = Cid::FromOptions;
        int rings = kDefaultRings;
        std::string number;
        for (size_t i = 2; i < w.size(); ++i) {
            if (w[i] == "--cid" && i + 1 < w.size()) {
                cid = ParseCid(w[++i]);
                if (cid == Cid::FromOptions) return "ERR --cid none|dtmf|fsk|aoh";
            } else if (w[i] == "--rings" && i + 1 < w.size()) {
                rings = std::atoi(w[++i].c_str());
                if (rings < 1 || rings > 100) return "ERR --rings 1-100";
            } else if (number.empty() && w[i].find_first_not_of("0123456789*#") == std::string::npos) {
                number = w[i];
            } else {
                return "ERR unexpected " + w[i];
            }
        }
        if (cid == Cid::FromOptions) cid = OptionsCid(s);
        // Only the signalling the options ask for is detected.
        Cid detect = OptionsCid(s);
        if (detect != cid) number.clear();
        p->call = true;
        p->cid = cid;
        p->caller = cid == Cid::Aoh ? std::string() : number;
        p->pendingAoh.clear();
        if (cid == Cid::Aoh && !number.empty()) {
            // The program gives its "CIDLength" as stored: 0, 1 or 2 for 5, 6 or 7 digits.
            int digits = s.options.count("cid_aon_digits") ? s.options["cid_aon_digits"] : int(number.size());
            if (digits >= 0 && digits <= 2) digits += 5;
            if (digits > 0 && size_t(digits) < number.size()) number = number.substr(number.size() - size_t(digits));
            p->pendingAoh = number;
        }
        ++s.stats["calls"];
        SetLine(s, *p, VB_LINE_INCOMING);
        Ring(s, *p, 1, rings);
        return "OK ringing " + std::to_string(p->number);
    }
    if (c == "hangup") {
        Port* p = port(1);
        if (!p) return "ERR unknown port";
        if (!p->call) return "ERR no call";
        EndCall(s, *p);
        SetLine(s, *p, VB_LINE_IDLE);
        return "OK";
    }
    if (c == "event") {
        if (w.size() != 4) return "ERR usage: event E PORT VALUE";
        if (!s.running) return "ERR not running";
        Emit(s, std::atoi(w[1].c_str()), std::atoi(w[2].c_str()), std::atoi(w[3].c_str()));
        return "OK";
    }
    if (c == "fail") {
        if (w.size() != 3) return "ERR usage: fail FUNCTION N";
        std::string fn = w[1].rfind("VoiceBoard_", 0) == 0 ? w[1].substr(11) : w[1];
        static const char* names[] = {"Initialize", "Shutdown", "CfgSetOptionBool", "CfgSetOptionInt", "GetPortState",
                                      "OffHook",    "Pause",    "PlayFile",         "Hangup"};
        if (std::find_if(std::begin(names), std::end(names), [&](const char* n) { return fn == n; }) == std::end(names))
            return "ERR unknown function " + w[1];
        s.fail[fn] = std::atoi(w[2].c_str());
        return "OK";
    }
    if (c == "busy") {
        if (w.size() != 2 || (w[1] != "on" && w[1] != "off")) return "ERR usage: busy on|off";
        s.busy = w[1] == "on";
        return "OK";
    }
    if (c == "unplug") {
        s.plugged = false;
        for (auto& [n, p] : s.ports) {
            EndCall(s, p);
            SetLine(s, p, VB_LINE_NOT_READY);
        }
        return "OK";
    }
    if (c == "plug") {
        if (s.plugged) return "ERR plugged";
        s.plugged = true;
        if (s.running) Announce(s);
        return "OK";
    }
    if (c == "scale") {
        double k = w.size() == 2 ? std::atof(w[1].c_str()) : 0;
        if (k <= 0 || k > 100000) return "ERR usage: scale K";
        s.timeScale = k;
        return "OK";
    }
    if (c == "reset") {  // as freshly loaded (tests)
        s.busy = false;
        s.fail.clear();
        s.options.clear();
        s.log.clear();
        s.stats.clear();
        s.timeScale = 1.0;
        s.portList.clear();
        for (int p = 101; p <= 108; ++p) s.portList.push_back(p);
        s.plugged = true;
        return "OK";
    }
    if (c == "stats") {
        std::string r = "OK";
        r += " running=" + std::to_string(s.running ? 1 : 0) + " ports=" + std::to_string(s.ports.size());
        for (auto& [k, v] : s.stats) r += " " + k + "=" + std::to_string(v);
        int offHook = 0;
        for (auto& [n, p] : s.ports) offHook += p.offHook;
        return r + " offhook=" + std::to_string(offHook);
    }
    if (c == "log") {
        std::string r = "OK";
        for (auto& e : s.log) r += " " + e;
        if (w.size() == 2 && w[1] == "clear") s.log.clear();
        return r;
    }
    (void)lock;
    return "ERR unknown command " + c + " (ports ring hangup event fail busy unplug plug scale reset stats log)";
}

void RunTimers(Sim& s) {
    std::unique_lock lock(s.m);
    while (!s.stopping) {
        Flush(s, lock);
        if (s.stopping) break;
        auto next =
            std::min_element(s.due.begin(), s.due.end(), [](const Due& a, const Due& b) { return a.at < b.at; });
        if (next == s.due.end()) {
            s.cv.wait(lock);
            continue;
        }
        if (next->at > Clock::now()) {
            const Clock::time_point at = next->at;  // the list may grow while waiting
            s.cv.wait_until(lock, at);
            continue;
        }
        Due d = std::move(*next);
        s.due.erase(next);
        auto it = s.ports.find(d.port);
        if (it != s.ports.end() && it->second.generation == d.generation && s.plugged) d.fn(it->second);
    }
}

void RunControl(Sim& s) {
    std::string buffer;
    int client = -1;
    for (;;) {
        pollfd fds[2] = {{s.wakeFd[0], POLLIN, 0}, {client >= 0 ? client : s.listenFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[0].revents) break;
        if (client < 0) {
            client = ::accept(s.listenFd, nullptr, nullptr);
            buffer.clear();
            continue;
        }
        char chunk[512];
        ssize_t n = ::read(client, chunk, sizeof chunk);
        if (n <= 0 || buffer.size() > 4096) {
            ::close(client);
            client = -1;
            continue;
        }
        buffer.append(chunk, size_t(n));
        for (size_t nl; (nl = buffer.find('\n')) != std::string::npos;) {
            std::string line = buffer.substr(0, nl);
            buffer.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::string reply;
            {
                std::unique_lock lock(s.m);
                reply = Control(s, lock, line) + "\n";
                s.cv.notify_all();
            }
            (void)!::write(client, reply.data(), reply.size());
        }
    }
    if (client >= 0) ::close(client);
}

std::string DefaultControlPath() {
    if (const char* p = std::getenv("ZX_VOICEBOARD_CONTROL"); p && *p) return p;
    // The program's runtime folder: $XDG_RUNTIME_DIR, else /tmp/zentrix-UID.
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    std::string d;
    if (dir && *dir) {
        d = dir;
    } else {
        d = "/tmp/zentrix-" + std::to_string(::getuid());
        ::mkdir(d.c_str(), 0700);
    }
    return d + "/voiceboardsim.ctl";
}

void OpenControl(Sim& s) {
    s.controlPath = DefaultControlPath();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (s.controlPath.size() >= sizeof addr.sun_path) return;
    std::memcpy(addr.sun_path, s.controlPath.c_str(), s.controlPath.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    ::unlink(s.controlPath.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0 ||
        ::pipe2(s.wakeFd, O_CLOEXEC) != 0) {
        ::close(fd);
        return;
    }
    s.listenFd = fd;
    s.controlThread = std::thread(RunControl, std::ref(s));
}

void CloseControl(Sim& s) {
    if (s.listenFd < 0) return;
    (void)!::write(s.wakeFd[1], "q", 1);
    s.controlThread.join();
    ::close(s.listenFd);
    ::close(s.wakeFd[0]);
    ::close(s.wakeFd[1]);
    s.listenFd = s.wakeFd[0] = s.wakeFd[1] = -1;
    ::unlink(s.controlPath.c_str());
}

// The common head of every port call: logged, counted, failing when told to.
Port* Enter(Sim& s, const std::string& name, const std::string& args, int port, int& result) {
    s.log.push_back(name + "(" + args + ")");
    ++s.stats[name];
    result = 1;
    if (!s.running || !s.plugged || Fails(s, name)) return nullptr;
    auto it = s.ports.find(port);
    return it == s.ports.end() ? nullptr : &it->second;
}

}  // namespace

VB_EXPORT int VoiceBoard_Initialize(const VoiceBoardWindow* window) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    s.log.push_back("Initialize()");
    if (!window || window->version != VOICEBOARD_WINDOW_VERSION || !window->registerMessage || !window->postMessage)
        return 2;
    if (s.running || s.busy || Fails(s, "Initialize")) return 1;
    s.window = *window;
    s.message = window->registerMessage(window->context, VOICEBOARD_MESSAGE_NAME);
    if (const char* k = std::getenv("ZX_VOICEBOARD_TIME_SCALE"); k && std::atof(k) > 0) s.timeScale = std::atof(k);
    s.running = true;
    s.stopping = false;
    s.due.clear();
    if (s.plugged) Announce(s);
    s.thread = std::thread(RunTimers, std::ref(s));
    lock.unlock();
    OpenControl(s);
    return 0;
}

VB_EXPORT int VoiceBoard_Shutdown(void) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    s.log.push_back("Shutdown()");
    if (!s.running) return 1;
    s.stopping = true;
    s.cv.notify_all();
    lock.unlock();
    s.thread.join();
    CloseControl(s);
    lock.lock();
    s.running = false;
    s.due.clear();
    s.outbox.clear();
    s.ports.clear();
    s.window = {};
    return 0;
}

static int SetOption(const char* fn, const char* name, int value) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    std::string n = name ? name : "";
    s.log.push_back(std::string(fn) + "(" + n + "," + std::to_string(value) + ")");
    if (n.empty() || Fails(s, fn)) return 1;
    s.options[n] = value;
    return 0;
}

VB_EXPORT int VoiceBoard_CfgSetOptionBool(const char* name, int, int value) {
    return SetOption("CfgSetOptionBool", name, value ? 1 : 0);
}

VB_EXPORT int VoiceBoard_CfgSetOptionInt(const char* name, int, int value) {
    return SetOption("CfgSetOptionInt", name, value);
}

VB_EXPORT int VoiceBoard_GetPortState(int port, void* state) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    int r = 1;
    Port* p = Enter(s, "GetPortState", std::to_string(port), port, r);
    if (!p || !state) return 1;
    auto* bytes = static_cast<unsigned char*>(state);
    std::memset(bytes, 0, VOICEBOARD_PORT_STATE_SIZE);
    bytes[0] = uint8_t(p->line);
    bytes[4] = uint8_t(p->offHook);
    size_t n = std::min(p->caller.size(), size_t(VOICEBOARD_PORT_STATE_SIZE - VOICEBOARD_NUMBER_OFFSET - 1));
    std::memcpy(bytes + VOICEBOARD_NUMBER_OFFSET, p->caller.data(), n);
    return 0;
}

VB_EXPORT int VoiceBoard_OffHook(int port) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    int r = 1;
    Port* p = Enter(s, "OffHook", std::to_string(port), port, r);
    if (!p || !p->call || p->offHook) return 1;
    p->offHook = true;
    Done(s, *p, kOffHookMs);
    if (!p->pendingAoh.empty())
        At(s, *p, kOffHookMs + kAohNumberMs, [&s](Port& q) {
            q.caller = q.pendingAoh;
            q.pendingAoh.clear();
            Emit(s, VB_EVENT_CALLER_ID, q.number, 0);
        });
    s.cv.notify_all();
    return 0;
}

#ifndef VOICEBOARDSIM_NO_PAUSE  // the second build lacks it (the program refuses such a library)
VB_EXPORT int VoiceBoard_Pause(int port, int milliseconds) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    int r = 1;
    Port* p = Enter(s, "Pause", std::to_string(port) + "," + std::to_string(milliseconds), port, r);
    if (!p || !p->offHook || p->busyOp || milliseconds < 0) return 1;
    Done(s, *p, milliseconds);
    return 0;
}
#endif

VB_EXPORT int VoiceBoard_PlayFile(int port, const char* path, int, int) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    int r = 1;
    Port* p = Enter(s, "PlayFile", std::to_string(port) + "," + (path ? path : ""), port, r);
    if (!p || !p->offHook || p->busyOp || !path) return 1;
    int ms = WavDurationMs(path);
    if (ms < 0) {
        ++s.stats["unplayable"];
        return 1;
    }
    Done(s, *p, ms);
    return 0;
}

VB_EXPORT int VoiceBoard_Hangup(int port) {
    Sim& s = S();
    std::unique_lock lock(s.m);
    int r = 1;
    Port* p = Enter(s, "Hangup", std::to_string(port), port, r);
    if (!p) return 1;
    ++p->generation;  // what the call still had due is dropped
    p->busyOp = false;
    p->pendingAoh.clear();
    Done(s, *p, kHangupMs, [](Sim& sim, Port& q) {
        bool wasCall = q.call;
        EndCall(sim, q);
        if (wasCall) SetLine(sim, q, VB_LINE_IDLE);
    });
    return 0;
}

VB_EXPORT int VoiceBoardSim_Control(const char* line, char* reply, int replySize) {
    Sim& s = S();
    std::string r;
    {
        std::unique_lock lock(s.m);
        r = Control(s, lock, line ? line : "");
        s.cv.notify_all();
    }
    if (reply && replySize > 0) {
        size_t n = std::min(r.size(), size_t(replySize - 1));
        std::memcpy(reply, r.data(), n);
        reply[n] = 0;
    }
    return r.rfind("OK", 0) == 0 ? 0 : 1;
}
