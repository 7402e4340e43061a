// zx engine program, zx engine run: the register programs of the Device commands, and running
// commands on the Device the settings name (for setting up and checking a Device).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "device/command_set.h"
#include "device/engine.h"
#include "device/link_errors.h"

namespace {

using device::CmdRecord;

bool parseRect(const std::string& s, device::Rect& r) {
    int v[4];
    char tail;
    if (std::sscanf(s.c_str(), "%d,%d,%d,%d%c", &v[0], &v[1], &v[2], &v[3], &tail) != 4) return false;
    r = {v[0], v[1], v[2], v[3]};
    return true;
}

struct Kind {
    const char* name;
    uint16_t code;
};
constexpr Kind kKinds[] = {
    {"reset", device::CMD_RESET_DEVICE},
    {"fill", device::CMD_FILL_RECT},
    {"load", device::CMD_LOAD_RECT},
    {"effect", device::CMD_IN_EFFECT},
    {"scroll", device::CMD_SCROLL},
    {"end-scroll", device::CMD_END_SCROLL},
    {"cut", device::CMD_CUT},
    {"set-mode", device::CMD_SET_MODE},
    {"load-data", device::CMD_LOAD_RECT_DATA},
};

// Builds a command record from the options; data blocks are zero-filled and sized to fit.
bool recordOf(const std::string& name, const zx::Args& a, CmdRecord& rec, std::vector<uint8_t>& data) {
    rec = CmdRecord{};
    for (const Kind& k : kKinds)
        if (name == k.name) rec.code = k.code;
    if (!rec.code) {
        std::cerr << "zx engine: unknown command '" << name
                  << "' (reset, fill, load, load-data, effect, scroll, end-scroll, cut, set-mode)\n";
        return false;
    }
    device::Rect rect{0, 0, 720, 576};
    if (auto r = a.get("rect"); r && !parseRect(*r, rect)) {
        std::cerr << "zx engine: --rect takes LEFT,TOP,RIGHT,BOTTOM\n";
        return false;
    }
    rec.setRect(rect);
    unsigned long v = 0;
    if (auto f = a.get("flags")) {
        if (!zx::ParseNumber(*f, 0ul, 0xFFFFul, v, zx::NUMBER_C)) {
            std::cerr << "zx engine: --flags takes a 16-bit number\n";
            return false;
        }
        rec.param1 = uint16_t(v);
    }
    const char* p2 = rec.code == device::CMD_SCROLL ? "length" : "param";
    if (auto p = a.get(p2)) {
        if (!zx::ParseNumber(*p, 0ul, 0xFFFFFFFFul, v, zx::NUMBER_C)) {
            std::cerr << "zx engine: --" << p2 << " takes a 32-bit number\n";
            return false;
        }
        rec.param2 = uint32_t(v);
    }
    if (rec.code == device::CMD_FILL_RECT) rec.param1 &= 1;
    size_t need = 0;
    if (!device::DataFits(rec, need)) {
        if (need == 0) {
            std::cerr << "zx engine: the rectangle is upside down\n";
            return false;
        }
        data.assign(need, 0);
        if (rec.code == device::CMD_FILL_RECT) data.assign(device::kFillBlock.begin(), device::kFillBlock.end());
        rec.param3 = device::DataRef::Borrow(data.data(), data.size());
    }
    return true;
}

int program(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx engine program: give one COMMAND\n";
        return 2;
    }
    CmdRecord rec;
    std::vector<uint8_t> data;
    if (!recordOf(a.positional[0], a, rec, data)) return 2;
    unsigned long bank = 0, control = 0;
    if (auto b = a.get("bank"); b && !zx::ParseNumber(*b, 0ul, 1ul, bank, zx::NUMBER_C)) {
        std::cerr << "zx engine program: --bank takes 0 or 1\n";
        return 2;
    }
    if (auto c = a.get("control"); c && !zx::ParseNumber(*c, 0ul, 0xFFFFul, control, zx::NUMBER_C)) {
        std::cerr << "zx engine program: --control takes a 16-bit number\n";
        return 2;
    }
    device::CommandSet set;
    set.restore(int(bank), uint16_t(control));
    std::vector<device::Step> steps = device::ProgramSteps(set, rec);
    for (size_t i = 0; i < steps.size(); ++i) std::cout << i << "\t" << device::DescribeStep(steps[i]) << "\n";
    std::printf("bank after: %d, control word: 0x%04X\n", set.bank(), set.controlWord());
    return 0;
}

// Prints the engine's notifications and lets the command wait for them.
class Printer final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t w, intptr_t value) override {
        const int code = device::NoteCode(w);
        std::lock_guard l(m_);
        notes_.push_back({int(code), int(value)});
        std::string text = "note " + std::to_string(code) + " " + std::to_string(value);
        if (code == device::NOTE_LINK_ERROR || code == device::NOTE_COMMAND_ERROR) {
            const std::string why = zx::OneLine(device::LinkErrorText(int(value)));
            text += ": " + why;
        }
        std::cout << text << std::endl;
        cv_.notify_all();
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        post(msg, w, l);
        return 0;
    }
    // Waits for any of the codes after position `from`; 0 after the time-out.
    int waitFor(size_t& from, std::initializer_list<int> codes, int timeoutMs) {
        std::unique_lock l(m_);
        int found = 0;
        cv_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] {
            for (; from < notes_.size(); ++from)
                for (int c : codes)
                    if (notes_[from].first == c) {
                        found = c;
                        ++from;
                        return true;
                    }
            return false;
        });
        return found;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::pair<int, int>> notes_;
};

int run(const zx::Args& a) {
    if (a.positional.empty()) {
        std::cerr << "zx engine run: give one or more COMMANDs\n";
        return 2;
    }
    std::vector<CmdRecord> records(a.positional.size());
    std::vector<std::vector<uint8_t>> blocks(a.positional.size());
    for (size_t i = 0; i < a.positional.size(); ++i)
        if (!recordOf(a.positional[i], a, records[i], blocks[i])) return 2;
    unsigned long seconds = 30;
    if (auto t = a.get("timeout"); t && !zx::ParseNumber(*t, 0ul, 3600ul, seconds, zx::NUMBER_C)) {
        std::cerr << "zx engine run: --timeout takes seconds\n";
        return 2;
    }

    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(zx::CommandLineOf(a));
    const app::DeviceModel& m = theApp.deviceModel();
    std::cout << "model: " << m.name << ", status class " << m.statusClass << "\n";
    device::CEngine engine;
    int e = engine.Open(m.link, theApp.settings().portNo, m.statusClass);
    if (e) {
        const std::string why = zx::OneLine(device::LinkErrorText(e));
        std::cout << "open: link error " << e << ": " << why << "\n";
        return 1;
    }
    Printer printer;
    engine.Init(&printer);
    const int timeoutMs = int(seconds) * 1000;
    size_t seen = 0;
    int status = 0;
    if (printer.waitFor(seen, {device::NOTE_LINK_UP}, timeoutMs) != device::NOTE_LINK_UP) {
        std::cout << "no link\n";
        status = 1;
    }
    for (size_t i = 0; i < records.size() && status == 0; ++i) {
        std::cout << a.positional[i] << std::endl;
        engine.PutCmd(records[i]);
        int got = printer.waitFor(seen, {device::NOTE_FINISHED, device::NOTE_COMMAND_ERROR}, timeoutMs);
        if (got != device::NOTE_FINISHED) status = 1;
    }
    engine.Done();
    engine.Close();
    return status;
}

constexpr const char* kOptions = "[--rect L,T,R,B] [--flags N] [--param N | --length N]";

zx::Register r1({"engine program",
                 std::string("COMMAND ") + kOptions + " [--bank 0|1] [--control N]",
                 "Print a Device command's register program (numbers may be hex, 0x...).",
                 {"rect", "flags", "param", "length", "bank", "control"},
                 program});
zx::Register r2({"engine run",
                 std::string("COMMAND... ") + kOptions + " [--timeout S] [--home DIR] [--400m]",
                 "Open the Device link as the settings say and run commands, printing the notifications.",
                 {"rect", "flags", "param", "length", "timeout", "home"},
                 run});

}  // namespace
