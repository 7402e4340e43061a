// zx adapter ...: the phone-lines adapter through the interactive engine and its protocols (on the
// port the settings name, a device, or the stand-in with --sim); zx voice ...: voice messages in
// the adapters' own formats; zx phonesim: a control command to a running stand-in.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <mutex>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "interactive/interactive.h"
#include "interactive/itv_result.h"
#include "interactive/serial.h"
#include "interactive/voice_message.h"
#include "phonesim/embedded.h"
#include "platform/files.h"
#include "sms/serial_settings.h"

namespace {

using namespace interactive;

std::atomic<bool> gInterrupted{false};
void onInterrupt(int) { gInterrupted = true; }

// Where and what the adapter is: from the settings, overridden by the options.
struct Target {
    int port = 1;
    int version = ITV_VERSION_1;
    bool useCID = false;
    int cidLength = 1;
    int cidType = 0;
    std::string device;  // "" = the port's configured device
    bool sim = false;
};

bool ReadTarget(const zx::Args& a, const char* cmd, Target& t, int onlyVersion = -1) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    const app::Settings& s = theApp.settings();
    t.port = s.itvPortNo;
    t.version = s.itvModel == 1 ? ITV_VERSION_2 : ITV_VERSION_1;
    t.useCID = s.useCID != 0;
    t.cidLength = s.cidLength;
    t.cidType = s.cidType;
    long long v = 0;
    if (auto o = a.get("port")) {
        if (!zx::ParseNumber(*o, 0, sms::kSerialPorts - 1, v)) {
            std::cerr << cmd << ": --port is a port index, 0 (COM1) to 7 (COM8)\n";
            return false;
        }
        t.port = int(v);
    }
    if (auto o = a.get("version")) {
        if (*o != "1" && *o != "2") {
            std::cerr << cmd << ": --version 1|2\n";
            return false;
        }
        t.version = *o == "1" ? ITV_VERSION_1 : ITV_VERSION_2;
    }
    if (onlyVersion >= 0) t.version = onlyVersion;
    t.device = a.get("device", "");
    t.sim = a.has("sim") || (t.device.empty() && sms::SerialDevice(theApp.profile(), t.port) == sms::kSimDevice);
    if (t.sim) {
        phonesim::SimulatorOptions o;
        o.control = platform::RuntimeDir() + "phonesim.ctl";
        phonesim::RegisterEmbeddedAdapter(o);
        t.device = GetEmbeddedAdapter().devicePath(t.port, t.version);
        if (t.device.empty()) {
            std::cerr << cmd << ": the adapter stand-in cannot start\n";
            return false;
        }
        phonesim::WithEmbeddedAdapter(t.port, [](phonesim::Simulator& s) {
            std::cout << "adapter stand-in: " << s.devicePath() << ", control on " << s.controlAddress()
                      << " (zx phonesim --control " << s.controlAddress() << " ...)" << std::endl;
        });
    } else if (t.device.empty()) {
        t.device = AdapterDevicePath(t.port, t.version);
    }
    return true;
}

void EndTarget(const Target& t) {
    if (t.sim) phonesim::UnregisterEmbeddedAdapter();
}

std::string ResultText(int r) {
    switch (r) {
        case ITV_OK: return "success";
        case ITV_NO_PORT: return "the port cannot be opened";
        case ITV_NO_REPLY: return "the adapter does not answer";
        case ITV_COMM_ERROR: return "communications error";
        case ITV_ABORTED: return "aborted";
        case ITV_FLASH: return "flash memory failure";
        default: return "result " + std::to_string(r);
    }
}

int check(const zx::Args& a) {
    Target t;
    if (!ReadTarget(a, "zx adapter check", t)) return 2;
    SerialAdapterPort port;
    int r = port.Open(t.device, t.version);
    if (r == ITV_OK) {
        CSerial serial(port, platform::SystemClock::instance());
        if (t.version == ITV_VERSION_1) {
            AdapterStatus s;
            r = serial.Status(s);
            if (r == ITV_OK)
                std::printf("status: mode %02X, lines %02X, %02X, pending %02X\n", s.mode, s.active, s.other,
                            s.pending);
        } else {
            uint8_t reply[kReplyBufferSize];
            r = serial.SendRecvPacket(CMD_ERASE_STATUS, 0, nullptr, reply, true);
            if (r == ITV_OK) std::printf("flash status %02X, erasing %s\n", reply[3], reply[4] ? "yes" : "no");
        }
    }
    std::cout << "adapter (version " << (t.version == ITV_VERSION_1 ? 1 : 2) << ") on " << t.device << ": "
              << ResultText(r) << std::endl;
    EndTarget(t);
    return r;
}

int packet(const zx::Args& a) {
    Target t;
    if (!ReadTarget(a, "zx adapter packet", t, ITV_VERSION_2)) return 2;
    uint8_t code = 0;
    std::vector<uint8_t> data;
    if (a.positional.empty() || !zx::ParseNumber(a.positional[0], uint8_t(0), uint8_t(255), code, zx::NUMBER_C)) {
        std::cerr << "zx adapter packet: CODE [BYTES...] (numbers 0-255, 0x.. for hex)\n";
        EndTarget(t);
        return 2;
    }
    for (size_t i = 1; i < a.positional.size(); ++i) {
        uint8_t b = 0;
        if (!zx::ParseNumber(a.positional[i], uint8_t(0), uint8_t(255), b, zx::NUMBER_C) || data.size() == 255) {
            std::cerr << "zx adapter packet: bad byte " << a.positional[i] << "\n";
            EndTarget(t);
            return 2;
        }
        data.push_back(b);
    }
    SerialAdapterPort port;
    int r = port.Open(t.device, ITV_VERSION_2);
    if (r == ITV_OK) {
        CSerial serial(port, platform::SystemClock::instance());
        uint8_t reply[kReplyBufferSize];
        r = serial.SendRecvPacket(code, uint8_t(data.size()), data.data(), reply, code >= 1 && code <= 4);
        if (r == ITV_OK || r == ITV_FLASH) {
            std::printf("reply:");
            for (size_t i = 0; i < size_t(reply[2]) + 4; ++i) std::printf(" %02X", reply[i]);
            std::printf("\n");
        }
    }
    std::cout << ResultText(r) << std::endl;
    EndTarget(t);
    return r;
}

// The owner of the engine for zx: notifications queued for the main thread.
class Listener final : public platform::MessageTarget {
public:
    struct Note {
        uintptr_t code;
        intptr_t value;
        CallRecord record;
    };
    void post(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg != platform::MSG_INTERACTIVE) return;
        std::lock_guard lk(m_);
        notes_.push_back({w, l, {}});
        cv_.notify_all();
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg != platform::MSG_INTERACTIVE) return 0;
        std::lock_guard lk(m_);
        notes_.push_back({w, 0, *reinterpret_cast<const CallRecord*>(l)});
        cv_.notify_all();
        return 0;
    }
    bool next(Note& out, int ms) {
        std::unique_lock lk(m_);
        if (!cv_.wait_for(lk, std::chrono::milliseconds(ms), [&] { return !notes_.empty(); })) return false;
        out = notes_.front();
        notes_.pop_front();
        return true;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Note> notes_;
};

void CatchInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Opens the engine on the target; 0 or the result.
int OpenEngine(const Target& t, CInteractive& engine, Listener& listener) {
    engine.Configure(t.port, t.useCID, t.cidLength, t.version, t.cidType);
    return engine.Open(&listener);
}

InteractiveOptions EngineOptions(const Target& t) {
    InteractiveOptions o;
    const std::string device = t.device;
    o.makePort = [device](int, int version, int& result) -> std::unique_ptr<AdapterPort> {
        auto p = std::make_unique<SerialAdapterPort>();
        result = p->Open(device, version);
        if (result) return nullptr;
        return p;
    };
    return o;
}

int listen(const zx::Args& a) {
    Target t;
    if (!ReadTarget(a, "zx adapter listen", t)) return 2;
    uint8_t lines = 0xFF;
    long long seconds = 0;
    if (auto v = a.get("lines"); v && !zx::ParseNumber(*v, uint8_t(1), uint8_t(255), lines, zx::NUMBER_C)) {
        std::cerr << "zx adapter listen: --lines is a mask of lines, 1-255 (0xFF: all eight)\n";
        EndTarget(t);
        return 2;
    }
    if (auto v = a.get("for"); v && !zx::ParseNumber(*v, 1, 86400 * 365, seconds)) {
        std::cerr << "zx adapter listen: --for takes seconds\n";
        EndTarget(t);
        return 2;
    }
    CatchInterrupt();
    Listener listener;
    int result = ITV_OK;
    {
        CInteractive engine(EngineOptions(t));
        result = OpenEngine(t, engine, listener);
        if (result == ITV_OK) {
            engine.StartLines(lines, 3);
            std::printf("listening on lines %02X (%s)\n", lines, t.device.c_str());
            std::fflush(stdout);
            const auto start = std::chrono::steady_clock::now();
            while (!gInterrupted) {
                if (seconds && std::chrono::steady_clock::now() - start >= std::chrono::seconds(seconds)) break;
                Listener::Note n;
                if (!listener.next(n, 200)) continue;
                if (n.code == ITV_NOTE_CALL) {
                    std::printf("call on line %d: number %s, caller-ID byte %02X\n", n.record.line,
                                n.record.hasNumber ? n.record.number : "(none)", n.record.cidByte);
                } else {
                    std::printf("notification %d: %s\n", int(n.code), ResultText(int(n.value)).c_str());
                    if (n.value && (n.code == ITV_NOTE_DONE || n.code == ITV_NOTE_POLL_STOPPED)) {
                        result = int(n.value);
                        break;
                    }
                }
                std::fflush(stdout);
            }
            engine.Close();
        }
    }
    if (result) std::cout << ResultText(result) << std::endl;
    EndTarget(t);
    return result;
}

// Runs one transfer command and waits for its end, printing progress; Ctrl-C aborts it.
int Transfer(CInteractive& engine, Listener& listener, const std::function<bool()>& give, size_t total) {
    if (!give()) return ITV_NO_REPLY;
    bool aborted = false;
    for (;;) {
        Listener::Note n;
        if (gInterrupted && !aborted) {
            engine.AbortTransfer();
            aborted = true;
        }
        if (!listener.next(n, 100)) continue;
        if (n.code == ITV_NOTE_PROGRESS) {
            std::printf("\r%zd / %zu bytes", ssize_t(n.value), total);
            std::fflush(stdout);
        } else if (n.code == ITV_NOTE_DONE) {
            std::printf("\n");
            return int(n.value);
        }
    }
}

int voice(const zx::Args& a) {
    const auto& p = a.positional;
    if (p.empty() || (p[0] != "write" && p[0] != "read" && p[0] != "clear") || (p[0] == "clear" && p.size() != 2) ||
        (p[0] != "clear" && p.size() != 3)) {
        std::cerr << "zx adapter voice: write LINES FILE.wav | read LINE FILE.wav | clear LINES\n";
        return 2;
    }
    Target t;
    if (!ReadTarget(a, "zx adapter voice", t)) return 2;
    uint8_t lines = 0;
    if (!zx::ParseNumber(p[1], uint8_t(0), uint8_t(255), lines, zx::NUMBER_C)) {
        std::cerr << "zx adapter voice: LINES is a mask of lines (second version) or a line 0-7 (first); LINE 0-7\n";
        EndTarget(t);
        return 2;
    }
    std::vector<uint8_t> message;
    if (p[0] == "write") {
        int e = LoadVoiceWav(p[2], t.version, message);
        if (e == WAV_TOO_LONG) std::cerr << "voice message too long: only the first samples are loaded\n";
        else if (e) {
            std::cerr << "zx adapter voice: " << p[2] << ": "
                      << (e == WAV_CANNOT_OPEN ? "cannot open" : "only PCM / 8000 Hz / 8 or 16 bits / mono") << "\n";
            EndTarget(t);
            return 2;
        }
        if (t.version == ITV_VERSION_2) std::reverse(message.begin(), message.end());
        std::printf("%s s of voice\n", PlayTime(message.size()).c_str());
    } else if (p[0] == "clear") {
        message = ClearVoiceMessage();
    }
    if (p[0] == "read" && t.version == ITV_VERSION_1) {
        std::cerr << "zx adapter voice: the first version cannot read its message back\n";
        EndTarget(t);
        return 2;
    }
    CatchInterrupt();
    Listener listener;
    int r;
    {
        CInteractive engine(EngineOptions(t));
        r = OpenEngine(t, engine, listener);
        std::vector<uint8_t> buffer(kVoiceBufferSize);
        if (r == ITV_OK && p[0] == "read") {
            const uint8_t mask = uint8_t(1 << (lines & 7));
            r = Transfer(
                engine, listener, [&] { return engine.ReadVoiceMessage(mask, buffer.data()); }, 0);
        } else if (r == ITV_OK) {
            r = Transfer(
                engine, listener,
                [&] { return engine.WriteVoiceMessage(lines, uint16_t(message.size()), message.data()); },
                message.size());
        }
        engine.Close();
        if (r == ITV_OK && p[0] == "read") {
            size_t n = size_t(buffer[0] | buffer[1] << 8);
            if (n == 0) {
                std::cout << "There's no voice message on this line!" << std::endl;
            } else {
                std::vector<uint8_t> m(buffer.begin() + 2, buffer.begin() + 2 + long(n));
                std::reverse(m.begin(), m.end());
                if (!SaveVoiceWav(p[2], m)) {
                    std::cerr << "zx adapter voice: cannot write " << p[2] << "\n";
                    r = 2;
                } else {
                    std::printf("%zu samples (%s s) to %s\n", n, PlayTime(n).c_str(), p[2].c_str());
                }
            }
        }
    }
    std::cout << ResultText(r) << std::endl;
    EndTarget(t);
    return r;
}

int encode(const zx::Args& a) {
    const std::string v = a.get("version", "");
    const std::string out = a.get("out", "");
    if (a.positional.size() != 1 || (v != "1" && v != "2") || out.empty()) {
        std::cerr << "zx voice encode: IN.wav --version 1|2 --out FILE\n";
        return 2;
    }
    const int version = v == "1" ? ITV_VERSION_1 : ITV_VERSION_2;
    std::vector<uint8_t> m;
    int e = LoadVoiceWav(a.positional[0], version, m);
    if (e == WAV_TOO_LONG) std::cerr << "voice message too long: only the first samples are kept\n";
    else if (e) {
        std::cerr << "zx voice encode: " << a.positional[0] << ": "
                  << (e == WAV_CANNOT_OPEN ? "cannot open" : "only PCM / 8000 Hz / 8 or 16 bits / mono") << "\n";
        return 2;
    }
    if (version == ITV_VERSION_2) std::reverse(m.begin(), m.end());
    if (!platform::WriteFileAtomic(out, m)) {
        std::cerr << "zx voice encode: cannot write " << out << "\n";
        return 1;
    }
    std::printf("%zu samples (%s s) to %s\n", m.size(), PlayTime(m.size()).c_str(), out.c_str());
    return e == WAV_TOO_LONG ? 1 : 0;
}

int decode(const zx::Args& a) {
    const std::string out = a.get("out", "");
    const std::string v = a.get("version", "2");
    if (a.positional.size() != 1 || out.empty() || (v != "1" && v != "2")) {
        std::cerr << "zx voice decode: FILE --out OUT.wav [--version 1|2]\n";
        return 2;
    }
    std::vector<uint8_t> m;
    if (!platform::ReadFile(a.positional[0], m)) {
        std::cerr << "zx voice decode: cannot read " << a.positional[0] << "\n";
        return 2;
    }
    const size_t limit = v == "1" ? kMaxSamplesV1 : kMaxSamplesV2;
    if (m.size() > limit) {
        std::cerr << "zx voice decode: " << a.positional[0] << " holds more than " << limit << " samples\n";
        return 2;
    }
    std::vector<uint8_t> wav;
    if (v == "2") {
        std::reverse(m.begin(), m.end());
        wav = MakeVoiceWav(m);
    } else {
        wav = MakeVoiceWavLinear8(m);
    }
    if (!platform::WriteFileAtomic(out, wav)) {
        std::cerr << "zx voice decode: cannot write " << out << "\n";
        return 1;
    }
    std::printf("%zu samples (%s s) to %s\n", m.size(), PlayTime(m.size()).c_str(), out.c_str());
    return 0;
}

// One control line to a stand-in's control socket (default: name in the runtime folder); prints
// the reply, exit status 0 for "OK ...".
int controlCommand(const zx::Args& a, const std::string& cmd, const std::string& defaultName,
                   const std::string& commands, const std::string& startHint) {
    if (a.positional.empty()) {
        std::cerr << "zx " << cmd << ": [--control PATH] COMMAND... (" << commands << ")\n";
        return 2;
    }
    std::string line;
    for (const auto& w : a.positional) line += (line.empty() ? "" : " ") + w;
    // The stand-in's own options (ring --cid, --rings) go along.
    for (const auto& [name, value] : a.all)
        if (name != "control") line += " --" + name + " " + value;
    const std::string address = a.get("control", platform::RuntimeDir() + defaultName);
    int fd = -1;
    const size_t colon = address.rfind(':');
    if (colon != std::string::npos && address.find('/') == std::string::npos) {
        std::cerr << "zx " << cmd << ": TCP control addresses: use a socket path (or nc " << address << ")\n";
        return 2;
    }
    sockaddr_un un{};
    un.sun_family = AF_UNIX;
    if (address.size() >= sizeof un.sun_path) {
        std::cerr << "zx " << cmd << ": control path too long\n";
        return 2;
    }
    std::strcpy(un.sun_path, address.c_str());
    fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&un), sizeof un) != 0) {
        std::cerr << "zx " << cmd << ": no stand-in answers on " << address << " (" << startHint << ")\n";
        if (fd >= 0) ::close(fd);
        return 1;
    }
    line += "\n";
    std::string reply;
    if (platform::WriteAll(fd, line.data(), line.size())) {
        char buf[512];
        ssize_t n;
        while (reply.find('\n') == std::string::npos && (n = ::read(fd, buf, sizeof buf)) > 0)
            reply.append(buf, size_t(n));
    }
    ::close(fd);
    std::cout << reply;
    return reply.compare(0, 2, "OK") == 0 ? 0 : 1;
}

int phonesimCommand(const zx::Args& a) {
    return controlCommand(a, "phonesim", "phonesim.ctl",
                          "ring, hangup, fault, silent, power, voice, stats, quit: tools/phonesim/README.md",
                          "start one: phonesim --version 2");
}

int voiceboardCommand(const zx::Args& a) {
    std::string def = "voiceboardsim.ctl";
    if (const char* p = std::getenv("ZX_VOICEBOARD_CONTROL"); p && *p && !a.has("control")) {
        zx::Args b = a;
        b.options["control"] = p;
        b.all.emplace_back("control", p);
        return voiceboardCommand(b);
    }
    return controlCommand(a, "voiceboard", def,
                          "ports, ring, hangup, event, fail, busy, unplug, plug, stats, log: "
                          "tools/voiceboardsim/README.md",
                          "the simulated USB library listens while it runs: zx usb listen");
}

const std::vector<std::string> kTargetOptions = {"home", "port", "device", "version"};
std::vector<std::string> With(std::vector<std::string> v, std::initializer_list<std::string> more) {
    v.insert(v.end(), more);
    return v;
}

zx::Register r1({"adapter check", "[--home DIR] [--port N|--device PATH|--sim] [--version 1|2]",
                 "Ask the phone-lines adapter for its status; the exit status is the result code (0-5).",
                 kTargetOptions, check});
zx::Register r2({"adapter listen", "[--lines MASK] [--for S] [--port N|--device PATH|--sim] [--version 1|2]",
                 "Answer calls on lines and print every call record and notification.",
                 With(kTargetOptions, {"lines", "for"}), listen});
zx::Register r3(
    {"adapter voice",
     "write LINES FILE.wav | read LINE FILE.wav | clear LINES [--port N|--device PATH|--sim] [--version 1|2]",
     "Write, read back or clear the adapter's voice message (Ctrl-C aborts with 4).", kTargetOptions, voice});
zx::Register r4({"adapter packet", "CODE [BYTES...] [--port N|--device PATH|--sim]",
                 "Send one second-version packet and print the reply.", kTargetOptions, packet});
zx::Register r5({"voice encode",
                 "IN.wav --version 1|2 --out FILE",
                 "A WAV file as the adapter keeps it (mu-law reversed for 2, unsigned 8-bit for 1).",
                 {"version", "out"},
                 encode});
zx::Register r6({"voice decode",
                 "FILE --out OUT.wav [--version 1|2]",
                 "The adapter's bytes (default the second version's) as a 16-bit WAV file.",
                 {"version", "out"},
                 decode});
zx::Register r7({"phonesim",
                 "[--control PATH] COMMAND...",
                 "Send a control command to a running phone-lines adapter stand-in and print its reply.",
                 {"control", "cid", "rings"},
                 phonesimCommand});
zx::Register r8({"voiceboard",
                 "[--control PATH] COMMAND...",
                 "Send a control command to the running simulated USB adapter library and print its reply.",
                 {"control", "cid", "rings"},
                 voiceboardCommand});

}  // namespace
