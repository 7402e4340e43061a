// Scripted adapters of both versions for the engine's tests: just enough of each protocol to
// answer the engine, with the faults a test asks for.
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "interactive/call_record.h"
#include "interactive/interactive_core.h"
#include "interactive/serial.h"
#include "scripted_adapter.h"

namespace zxtest {

// The second version: line modes, a call buffer, voice memory per line mask.
struct PeerV2 {
    bool silent = false;
    int eraseBusyPolls = 0;   // erase-status replies that say busy
    bool eraseStuck = false;  // busy for ever
    int readCountSkew = 0;    // added to the count of read replies
    uint8_t modes[8] = {};
    bool started = false;
    std::deque<Bytes> calls;      // poll replies' data
    std::map<int, Bytes> memory;  // mask -> 65536 bytes
    int busy = 0;

    Bytes& mem(int mask) {
        auto& m = memory[mask];
        if (m.empty()) m.assign(65536, 0xFF);
        return m;
    }

    void attach(ScriptedAdapter& port) {
        port.respond = [this](ScriptedAdapter& p, const Bytes& w) {
            if (silent || w.size() < 4) return;
            const uint8_t code = w[1];
            const uint8_t* d = w.data() + 3;
            const size_t n = w[2];
            switch (code) {
                case interactive::CMD_START:
                    started = true;
                    p.queue(Packet(0x88, {}));
                    break;
                case interactive::CMD_LINE_MODES:
                    std::memcpy(modes, d, 8);
                    p.queue(Packet(0x87, {}));
                    break;
                case interactive::CMD_POLL:
                    if (calls.empty()) p.queue(Packet(0x85, {}));
                    else p.queue(Packet(0x85, calls.front()));
                    break;
                case interactive::CMD_RELEASE:
                    if (!calls.empty()) calls.pop_front();
                    p.queue(Packet(0x86, {}));
                    break;
                case interactive::CMD_ERASE:
                    mem(d[0]).assign(65536, 0xFF);
                    busy = eraseBusyPolls;
                    p.queue(Packet(0x83, {0}));
                    break;
                case interactive::CMD_ERASE_STATUS:
                    p.queue(Packet(0x84, {0, uint8_t(eraseStuck || busy-- > 0 ? 1 : 0)}));
                    break;
                case interactive::CMD_WRITE_VOICE: {
                    const size_t at = size_t(d[1] | d[2] << 8);
                    Bytes& m = mem(d[0]);
                    for (size_t i = 3; i < n && at + i - 3 < m.size(); ++i) m[at + i - 3] = d[i];
                    p.queue(Packet(0x82, {0}));
                    break;
                }
                case interactive::CMD_READ_VOICE: {
                    const size_t at = size_t(d[1] | d[2] << 8);
                    Bytes r{0};
                    Bytes& m = mem(d[0]);
                    for (size_t i = 0; i < size_t(d[3] + readCountSkew) && at + i < m.size(); ++i)
                        r.push_back(m[at + i]);
                    p.queue(Packet(0x81, r));
                    break;
                }
                default: break;
            }
        };
    }
};

// The first version: echoes, the mode and active bytes, pending calls and their table.
struct PeerV1 {
    bool silent = false;
    int badEchoes = 0;  // the next commands answered with a wrong echo
    uint8_t mode = 0, active = 0, pending = 0;
    uint8_t table[80] = {};
    Bytes uploaded;
    size_t uploadLeft = 0;
    bool awaitSum = false;
    uint8_t sum = 0;
    int line = -1;

    void attach(ScriptedAdapter& port) {
        port.respond = [this](ScriptedAdapter& p, const Bytes& w) {
            if (silent) return;
            if (uploadLeft) {
                uploaded.insert(uploaded.end(), w.begin(), w.end());
                uploadLeft -= std::min(uploadLeft, w.size());
                awaitSum = uploadLeft == 0;
                return;
            }
            if (awaitSum) {
                awaitSum = false;
                const uint8_t want = uint8_t(sum + interactive::Sum8(uploaded.data(), uploaded.size()));
                p.queue(Bytes{uint8_t(w[0] == want ? 0 : 1)});
                return;
            }
            Bytes echo = w;
            if (badEchoes > 0) {
                --badEchoes;
                echo.back() ^= 1;
                p.queue(echo);
                return;
            }
            switch (w[0]) {
                case 'i':
                    mode = active = pending = 0;
                    p.queue(echo);
                    break;
                case 'm':
                    mode |= uint8_t(1 << (w[1] - '1'));
                    p.queue(echo);
                    break;
                case 'a':
                    active |= uint8_t(1 << (w[1] - '1'));
                    p.queue(echo);
                    break;
                case 'c':
                    line = w[1] - '1';
                    uploaded.clear();
                    p.queue(echo);
                    break;
                case 'l':
                    uploadLeft = size_t(w[2] | w[3] << 8);
                    sum = interactive::Sum8(w.data(), 4);
                    uploaded.clear();
                    p.queue(echo);
                    break;
                case 'n':
                    pending = 0;
                    p.queue(echo);
                    break;
                case 's': {
                    Bytes s{'s', mode, active, 0x5A, pending, 0};
                    s[5] = interactive::Sum8(s.data(), 5);
                    p.queue(s);
                    break;
                }
                case 'r': {
                    Bytes r{'r'};
                    r.insert(r.end(), table, table + 80);
                    r.push_back(interactive::Sum8(r.data(), 81));
                    p.queue(r);
                    break;
                }
                default: break;
            }
        };
    }
    // Digits right-aligned in a line's block.
    void number(int lineNo, const std::string& digits, uint8_t cid = 0x11) {
        uint8_t* b = table + 2 + 10 * lineNo;
        std::memset(b, 0, 8);  // the last two bytes of line 7 lie past the table
        b[0] = cid;
        for (size_t i = 0; i < digits.size(); ++i) b[8 - digits.size() + i] = uint8_t(digits[i] - '0');
    }
};

// Collects what the core reports.
struct SinkRecorder final : interactive::CoreSink {
    std::vector<interactive::CallRecord> calls;
    std::vector<size_t> progress;
    size_t abortAfter = size_t(-1);
    void OnCall(const interactive::CallRecord& r) override { calls.push_back(r); }
    bool OnProgress(size_t bytes) override {
        progress.push_back(bytes);
        return bytes < abortAfter;
    }
};

}  // namespace zxtest
