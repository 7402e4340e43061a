// zx sms listen, zx sms decode: the SMS engine on the modem the settings name (or the modem
// simulator), printing its status and every message; and one stored PDU decoded.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <variant>

#include "app/settings.h"
#include "app/zentrix_app.h"
#include "cli/command.h"
#include "gsmsim/embedded.h"
#include "platform/code_page.h"
#include "sms/embedded_modem.h"
#include "sms/pdu.h"
#include "sms/serial_modem_port.h"
#include "sms/serial_settings.h"
#include "sms/sms_engine.h"
#include "sms/status_text.h"

namespace {

std::string json(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string hexByte(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\"%02X\"", v & 0xFF);
    return buf;
}

std::string timeText(const sms::SmsTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

// --- decode ----------------------------------------------------------------------------------

int decode(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx sms decode: give one PDU in hexadecimal\n";
        return 2;
    }
    const std::string& line = a.positional[0];
    long long length = -1, codePage = 1251;
    if (auto l = a.get("length"); l && !zx::ParseNumber(*l, -100000, 100000, length)) {
        std::cerr << "zx sms decode: --length takes a number of octets\n";
        return 2;
    }
    if (auto c = a.get("codepage"); c && !zx::ParseNumber(*c, 1, 65535, codePage)) {
        std::cerr << "zx sms decode: --codepage takes a code page number\n";
        return 2;
    }
    if (length < 0) {
        // As a modem lists it: the service-centre address's length octet comes first.
        unsigned first = 0;
        length = line.size() >= 2 && std::sscanf(line.substr(0, 2).c_str(), "%2X", &first) == 1
                     ? long(line.size() / 2) - 1 - long(first)
                     : long(line.size() / 2);
    }
    const platform::CodePage cp{int(codePage)};
    sms::PduResult r;
    if (!sms::DecodePdu(line, int(length), cp, r)) {
        std::cerr << "zx sms decode: " << r.reason << "\n";
        return 1;
    }
    const sms::SMSRecord& rec = r.record;
    std::string out = "{\n  \"kind\": " + std::to_string(rec.kind) + ",\n  \"firstOctet\": " + hexByte(r.firstOctet);
    out += ",\n  \"number\": " + json(cp.toUtf8(rec.number)) + ",\n  \"time\": " + json(timeText(rec.time));
    if (rec.kind == sms::SMS_KIND_DELIVER) {
        static const char* alphabets[] = {"7bit", "8bit", "ucs2", "reserved"};
        out += ",\n  \"pid\": " + hexByte(r.pid) + ",\n  \"dcs\": " + hexByte(r.dcs);
        out += ",\n  \"alphabet\": " + (r.alphabet < 0 ? std::string("null") : json(alphabets[r.alphabet / 4]));
        out += ",\n  \"udl\": " + std::to_string(r.udl);
        if (r.hasHeader) {
            out += ",\n  \"header\": [";
            for (size_t i = 0; i < r.header.size(); ++i) {
                std::string data;
                for (uint8_t b : r.header[i].data) data += hexByte(b).substr(1, 2);
                out += std::string(i ? ", " : "") + "{\"id\": " + hexByte(r.header[i].id) + ", \"data\": \"" + data +
                       "\"}";
            }
            out += "]";
        }
    } else {
        out += ",\n  \"reference\": " + std::to_string(r.reference) + ",\n  \"status\": " + hexByte(r.reportStatus);
    }
    out += ",\n  \"textLength\": " + std::to_string(rec.textLength) +
           ",\n  \"text\": " + json(cp.toUtf8(std::string(rec.text, size_t(rec.textLength)))) + "\n}\n";
    std::cout << out;
    return 0;
}

// --- listen ----------------------------------------------------------------------------------

std::atomic<bool> gInterrupted{false};
void onInterrupt(int) { gInterrupted = true; }

using Note = std::variant<sms::SMSStatus, sms::SMSRecord>;

// The engine's owner: takes the posted copies and hands them to the command's thread.
class Listener final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t, intptr_t) override {}
    intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
    void postBlock(uint32_t, uintptr_t code, platform::PostedBlockPtr block) override {
        if (!block || block->stale()) return;
        std::lock_guard l(m_);
        if (code == sms::SMS_NOTE_STATUS) notes_.push_back(*static_cast<const sms::SMSStatus*>(block->data()));
        else notes_.push_back(*static_cast<const sms::SMSRecord*>(block->data()));
        cv_.notify_all();
    }
    bool next(Note& note, int ms) {
        std::unique_lock l(m_);
        if (!cv_.wait_for(l, std::chrono::milliseconds(ms), [&] { return !notes_.empty(); })) return false;
        note = notes_.front();
        notes_.pop_front();
        return true;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Note> notes_;
};

int listen(const zx::Args& a) {
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    const app::Settings& s = theApp.settings();
    long long port = s.itvPortNo, baudIndex = s.baudRate, count = 0, timeout = 0;
    if (auto v = a.get("port"); v && !zx::ParseNumber(*v, 0, sms::kSerialPorts - 1, port)) {
        std::cerr << "zx sms listen: --port is a port index, 0 (COM1) to 7 (COM8)\n";
        return 2;
    }
    if (auto v = a.get("baud"); v && !zx::ParseNumber(*v, 0, 9, baudIndex)) {
        std::cerr << "zx sms listen: --baud is an index 0-9 into 300 ... 115200\n";
        return 2;
    }
    if (auto v = a.get("count"); v && !zx::ParseNumber(*v, 1, 1000000, count)) {
        std::cerr << "zx sms listen: --count takes a number of messages\n";
        return 2;
    }
    if (auto v = a.get("timeout"); v && !zx::ParseNumber(*v, 1, 86400 * 365, timeout)) {
        std::cerr << "zx sms listen: --timeout takes seconds\n";
        return 2;
    }
    const bool useMe = a.has("use-me") || s.useME;
    const bool asJson = a.has("json");
    const std::string device = a.get("device", "");
    const bool sim =
        a.has("sim") || (device.empty() && sms::SerialDevice(theApp.profile(), int(port)) == sms::kSimDevice);
    const uint32_t baud = uint32_t(app::kBaudRates[baudIndex]);
    platform::CodePage cp(s.codePage);

    gsmsim::SimulatorOptions simOptions;
    simOptions.control = "127.0.0.1:0";  // so that a user can make messages arrive
    if (sim) gsmsim::RegisterEmbeddedModem(simOptions);
    sms::EngineOptions options;
    const std::string script = sms::SimScriptPath(theApp.profile(), theApp.GetPath(app::FOLDER_PROGRAM));
    if (!device.empty()) {
        options.makePort = [device](int) {
            return std::make_unique<sms::SerialModemPort>([device] { return device; });
        };
    } else if (sim) {
        options.makePort = [script](int index) {
            return std::make_unique<sms::SerialModemPort>([index, script] {
                auto modem = sms::GetEmbeddedModem();
                return modem.devicePath ? modem.devicePath(index, script) : std::string();
            });
        };
    }
    std::string shown = !device.empty() ? device
                        : sim           ? std::string("the modem simulator")
                                        : sms::SerialDevice(theApp.profile(), int(port));
    if (!asJson)
        std::cout << "port: " << sms::SerialKey(int(port)) << " (" << shown << "), " << baud << " baud"
                  << (useMe ? ", phone memory preferred" : "") << std::endl;

    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    Listener listener;
    sms::CSMSEngine engine(options);
    engine.Open(&listener, int(port), baud, true, true, useMe);
    const auto start = std::chrono::steady_clock::now();
    int lastCode = 0;
    bool ready = false, simShown = false;
    long records = 0;
    while (!gInterrupted) {
        if (timeout && std::chrono::steady_clock::now() - start >= std::chrono::seconds(timeout)) break;
        Note note;
        if (!listener.next(note, 200)) continue;
        if (auto* st = std::get_if<sms::SMSStatus>(&note)) {
            lastCode = st->status;
            ready = ready || st->status == sms::SMS_READY;
            std::string text = cp.toUtf8(sms::StatusText(*st));
            if (asJson) {
                std::cout << "{\"status\": " << st->status << ", \"text\": " << json(text)
                          << ", \"manufacturer\": " << json(cp.toUtf8(st->manufacturer))
                          << ", \"model\": " << json(cp.toUtf8(st->model)) << ", \"battery\": " << st->batteryCharge
                          << ", \"signal\": " << st->signalQuality
                          << ", \"storage\": " << json(cp.toUtf8(st->storageName)) << ", \"used\": " << st->storageUsed
                          << ", \"total\": " << st->storageTotal << "}" << std::endl;
            } else {
                std::cout << "status " << st->status << ": " << text << std::endl;
            }
            if (sim && !simShown && !asJson) {
                simShown = gsmsim::WithEmbeddedModem(int(port), [](gsmsim::Simulator& m) {
                    std::cout << "modem simulator: " << m.devicePath() << ", control on " << m.controlAddress()
                              << " (tools/gsmsim/README.md)" << std::endl;
                });
            }
        } else {
            const auto& rec = std::get<sms::SMSRecord>(note);
            std::string number = cp.toUtf8(rec.number);
            std::string text = cp.toUtf8(std::string(rec.text, size_t(rec.textLength)));
            if (asJson) {
                std::cout << "{\"kind\": " << rec.kind << ", \"number\": " << json(number)
                          << ", \"time\": " << json(timeText(rec.time)) << ", \"textLength\": " << rec.textLength
                          << ", \"text\": " << json(text) << "}" << std::endl;
            } else if (rec.kind == sms::SMS_KIND_DELIVER) {
                std::cout << "sms from " << number << " at " << timeText(rec.time) << ": " << text << std::endl;
            } else {
                std::cout << "status report for " << number << " at " << timeText(rec.time) << std::endl;
            }
            if (count && ++records >= count) break;
        }
    }
    engine.Close();
    if (sim) gsmsim::UnregisterEmbeddedModem();
    return ready ? 0 : lastCode;
}

zx::Register r1(
    {"sms listen",
     "[--home DIR] [--port N|--device PATH] [--baud I] [--use-me] [--sim] [--count N] [--timeout S] [--json]",
     "Run the SMS engine on the modem the settings name (or the simulator) and print each status and message.",
     {"home", "port", "device", "baud", "count", "timeout"},
     listen});
zx::Register r2({"sms decode",
                 "HEX [--length N] [--codepage N]",
                 "Decode one stored short message (PDU as the modem lists it) and print it as JSON.",
                 {"length", "codepage"},
                 decode});

}  // namespace
