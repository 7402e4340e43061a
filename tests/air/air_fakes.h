// Stand-ins for what the air frame talks to: the engine's command operations (recorded), the
// view and the window parts, and the content objects of the other parts of the program.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "air/air_content.h"
#include "air/device_commands.h"
#include "pages/bitmap32.h"
#include "platform/message_target.h"

namespace airtest {

struct Cmd {
    uint16_t code = 0;
    device::Rect rect;
    int flags = 0;                 // FillRect / LoadRect flags, InEffect and Scroll flags, SetMode value
    uint32_t param = 0;            // InEffect parameter, Scroll length, Reply value
    size_t bytes = 0;              // data block size
    uint16_t seq = 0;              // the number the engine gave the command
    std::vector<uint8_t> block{};  // a copy of a LoadRect's data, when the commands keep them
    device::DataRef ref{};         // and the block itself, as the engine holds it while it sends
    bool operator==(uint16_t c) const { return code == c; }
};
inline Cmd Code(uint16_t code) {
    Cmd c;
    c.code = code;
    return c;
}

// Numbers the commands as the engine does (from 1, skipping 0 when it wraps).
class FakeCommands final : public air::DeviceCommands {
public:
    void Init(platform::MessageTarget* r) override {
        receiver = r;
        ++inits;
    }
    void Done() override { ++dones; }
    bool Running() const override { return running; }
    uint16_t ResetDevice() override { return add(Code(device::CMD_RESET_DEVICE)); }
    uint16_t FillRect(const device::Rect& r, device::DataRef b, int f) override {
        const size_t have = (f & device::RECT_FILL_BLOCK) ? 6 : b.size();
        return data({device::CMD_FILL_RECT, r, f, 0, have}, 6, have);
    }
    uint16_t LoadRect(const device::Rect& r, device::DataRef p, int f) override {
        Cmd c{device::CMD_LOAD_RECT, r, f, 0, p.size()};
        if (keepBlocks && p.data()) {
            c.block.assign(p.data(), p.data() + p.size());
            c.ref = p;
        }
        return data(std::move(c), device::RectBlockSize(r.right - r.left, r.bottom - r.top), p.size());
    }
    uint16_t InEffect(uint16_t f, uint32_t p, const device::Rect& r) override {
        return add({device::CMD_IN_EFFECT, r, f, p});
    }
    uint16_t Scroll(const device::Rect& r, uint16_t f, uint32_t length, device::DataRef d) override {
        if (refuse) {
            // Recorded all the same: the tests look at what was asked.
            cmds.push_back({device::CMD_SCROLL, r, f, length, d.size()});
            return 0;
        }
        return add({device::CMD_SCROLL, r, f, length, d.size()});
    }
    uint16_t EndScroll() override { return add(Code(device::CMD_END_SCROLL)); }
    uint16_t Cut() override { return add(Code(device::CMD_CUT)); }
    uint16_t SetMode(uint16_t v) override { return add({device::CMD_SET_MODE, {}, v}); }
    uint16_t LoadRectData(const device::Rect& r, device::DataRef p) override {
        return data({device::CMD_LOAD_RECT_DATA, r, 0, 0, p.size()},
                    device::RectBlockSize(r.right - r.left, r.bottom - r.top), p.size());
    }
    uint16_t Reply(uint16_t code, uint16_t value) override {
        if (!running) return 0;
        replies.push_back({code, value});
        return number();
    }
    uint16_t Pause() override {
        if (!running) return 0;
        ++pauses;
        return number();
    }

    // The last command sent (code 0 when none).
    Cmd last() const { return cmds.empty() ? Cmd{} : cmds.back(); }
    // The number of the last command sent: what its finish carries.
    uint16_t lastSeq() const { return last().seq; }
    size_t count(uint16_t code) const {
        size_t n = 0;
        for (const Cmd& c : cmds) n += c.code == code;
        return n;
    }

    std::vector<Cmd> cmds;
    std::vector<std::pair<int, int>> replies;
    platform::MessageTarget* receiver = nullptr;
    int inits = 0, dones = 0, pauses = 0;
    bool refuse = false;      // every data command is refused
    bool running = true;      // false: the engine takes nothing
    bool keepBlocks = false;  // LoadRect keeps a copy of its data
    uint16_t sequence = 0;

private:
    uint16_t number() {
        if (++sequence == 0) ++sequence;
        return sequence;
    }
    uint16_t add(Cmd c) {
        if (!running) return 0;
        c.seq = number();
        cmds.push_back(c);
        return c.seq;
    }
    uint16_t data(Cmd c, size_t need, size_t have) {
        // The engine refuses blocks smaller than what the command sends.
        if (refuse || have < need) return 0;
        return add(c);
    }
};

// The view: every MSG_AIR it got.
class ViewRecorder final : public platform::MessageTarget {
public:
    void post(uint32_t msg, uintptr_t w, intptr_t l) override { send(msg, w, l); }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg == platform::MSG_AIR) notes.push_back({int(w), l});
        return 0;
    }
    int count(int code) const {
        int n = 0;
        for (auto& [c, l] : notes) n += c == code;
        return n;
    }
    intptr_t lastOf(int code) const {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->first == code) return it->second;
        return -1;
    }
    std::vector<std::pair<int, intptr_t>> notes;
};

class WindowRecorder final : public air::AirFrameWindow {
public:
    void EnableActions(uint16_t a) override { actions = a; }
    void ShowTimes(const std::string& a, const std::string& b) override {
        first = a;
        second = b;
    }
    void SetIndicator(int pane, int state) override { indicators[pane] = state; }
    void Beep() override { ++beeps; }
    bool EditEffect(air::ShowParams& p, const air::PageMotion*, bool out, bool) override {
        ++effectDialogs;
        outApplies = out;
        if (!editTo) return false;
        p = *editTo;
        return true;
    }
    void RebuildHotkeys(const air::HotkeyTable&) override { ++hotkeyBuilds; }

    uint16_t actions = 0;
    std::string first, second;
    int indicators[3] = {};
    int beeps = 0, effectDialogs = 0, hotkeyBuilds = 0;
    bool outApplies = false;
    const air::ShowParams* editTo = nullptr;
};

class FakeVideo final : public air::AirVideo {
public:
    bool CreateProcess(int boards) override {
        created = boards;
        return createOk;
    }
    int Send(int board, int command, const std::string& file) override {
        sent.push_back({board, command, file});
        if (command == air::VIDEO_QUERY) return holds[board];
        return failBoard == board ? 0 : 1;
    }
    void StopAll() override { ++stops; }
    void CloseAll() override { ++closes; }
    int Notify(uintptr_t window, int report) override {
        const int board = window == 100 ? 0 : window == 101 ? 1 : -1;
        if (board >= 0) playing[board] = report == 0;
        return board;
    }
    bool Playing(int board) const override { return playing[board]; }
    uint32_t ClipLength(const std::string&) override { return clipLength; }

    struct Sent {
        int board, command;
        std::string file;
    };
    std::vector<Sent> sent;
    int created = 0, stops = 0, closes = 0;
    bool createOk = true;
    int failBoard = -1;
    int holds[2] = {1, 1};
    bool playing[2] = {false, false};
    uint32_t clipLength = 0;
};

class FakeRemote final : public air::AirRemote {
public:
    int Seize(bool) override { return seizeResult; }
    int SendCmd(int action, const std::string& button) override {
        commands.push_back(button + ":" + std::to_string(action));
        return sendOk ? 1 : 0;
    }
    void Restore(bool cutFirst, int input) override { restores.push_back({cutFirst, input}); }
    void RearmError() override { ++rearms; }
    int RunScript(const std::string& path) override {
        scripts.push_back(path);
        return 3;
    }

    int seizeResult = 0;
    std::vector<std::string> scripts;
    bool sendOk = true;
    std::vector<std::string> commands;
    std::vector<std::pair<bool, int>> restores;
    int rearms = 0;
};

class FakePlaylist final : public air::AirPlaylist {
public:
    const std::vector<air::PlaylistClip>& Track(int board) const override { return tracks[board]; }
    const std::vector<air::PlaylistButton>& Buttons() const override { return buttons; }
    uint32_t TotalMs() const override { return total; }
    int RestoreInput() const override { return 2; }

    std::vector<air::PlaylistClip> tracks[2];
    std::vector<air::PlaylistButton> buttons;
    uint32_t total = 0;
};

class FakeClock final : public air::AirClock {
public:
    FakeClock() { preview.create(360, 288); }
    bool Prepare() override {
        ++prepares;
        flag = false;
        return true;
    }
    device::DataRef FullFrame() const override { return device::DataRef::Borrow(face.data(), face.size()); }
    const pages::CBitmap32* Preview() const override { return &preview; }
    bool HandsBelowFace() const override { return belowFace; }
    bool BufferFlag() const override { return flag; }
    device::Rect HiddenRect() const override { return {90, 0, 100, 10}; }
    device::DataRef HiddenBlock() const override { return device::DataRef::Borrow(block.data(), block.size()); }
    void Render(int h, int m, int s) override {
        rendered.push_back(h * 3600 + m * 60 + s);
        flag = !flag;
    }
    int LoadForAir(const std::string& path) override {
        loads.push_back(path);
        return loadResult;
    }
    int LoadPreview(const std::string&, pages::CBitmap32& out) const override {
        out = preview;
        return loadResult;
    }

    std::vector<uint8_t> face = std::vector<uint8_t>(829442);
    std::vector<uint8_t> block = std::vector<uint8_t>(202);
    pages::CBitmap32 preview;
    bool flag = false;
    bool belowFace = false;
    int prepares = 0;
    int loadResult = 0;
    std::vector<int> rendered;  // seconds of the day (hours mod 12)
    std::vector<std::string> loads;
};

class FakeInteractive final : public air::AirInteractive {
public:
    void Rebuild() override {
        ++rebuilds;
        queue.clear();
    }
    device::DataRef FullPicture() const override { return device::DataRef::Borrow(full.data(), full.size()); }
    bool BufferFlag() const override { return flag; }
    void SetBufferFlag(bool s) override { flag = s; }
    bool QueueEmpty() const override { return queue.empty(); }
    Entry Front() const override { return {queue.front(), device::DataRef::Borrow(pixels.data(), pixels.size())}; }
    void PopFront() override { queue.pop_front(); }

    void add(const device::Rect& r) { queue.push_back(r); }
    std::vector<uint8_t> full = std::vector<uint8_t>(829442);
    std::vector<uint8_t> pixels = std::vector<uint8_t>(2 * 100 * 100 + 2);
    std::deque<device::Rect> queue;  // rectangles of at most 100 × 100
    bool flag = false;
    int rebuilds = 0;
};

class FakeCaption final : public air::AirCaption {
public:
    device::Rect Rect() const override { return {100, 400, 620, 460}; }
    device::DataRef Picture() const override { return device::DataRef::Borrow(pixels.data(), pixels.size()); }
    uint32_t ShowTimeMs() const override { return 4000; }
    int Border() const override { return 2; }
    bool Fade() const override { return true; }
    std::vector<uint8_t> pixels = std::vector<uint8_t>(2 * 520 * 60 + 2);
};

class FakeBanner final : public air::AirBanner {
public:
    FakeBanner() { preview.create(360, 288); }
    bool Open(const std::string& path) override {
        opened = path;
        return openOk;
    }
    void Rewind() override {
        delivered = 0;
        finished = false;
        half = true;
    }
    bool NextFrame() override {
        if (finished) return true;
        if (delivered == frames) {
            if (loop) delivered = 0;
            else return finished = true;
        }
        ++delivered;
        half = !half;
        return false;
    }
    bool Finished() const override { return finished; }
    int Width() const override { return 80; }
    int Height() const override { return 40; }
    device::Rect Rect() const override { return rect; }
    void SetRect(const device::Rect& r) override { rect = r; }
    int Border() const override { return 3; }
    uint32_t FramePeriodMs() const override { return 40; }
    uint32_t TotalMs() const override { return uint32_t(frames) * 40; }
    bool Half() const override { return half; }
    device::DataRef FrameBlock() const override { return device::DataRef::Borrow(block.data(), block.size()); }
    const pages::CBitmap32* Preview() const override { return &preview; }
    void SetLoop(bool l) override { loop = l; }

    std::vector<uint8_t> block = std::vector<uint8_t>(2 * 80 * 40 + 2);
    pages::CBitmap32 preview;
    device::Rect rect{600, 20, 680, 60};
    std::string opened;
    bool openOk = true, loop = false, finished = false, half = false;
    int frames = 3, delivered = 0;
};

}  // namespace airtest
