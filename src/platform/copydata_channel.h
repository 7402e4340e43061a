// Synchronous messages between programs, in place of window messages with a block of data
// (WM_COPYDATA through SendMessage) and of finding a window by its title. A window is a
// CopyDataWindow: it has a handle, unique on the machine while it lives, and may have a title;
// it answers on one Unix-domain socket per title and one per handle in the runtime folder.
// A CopyDataChannel sends to windows and waits for their reply value, a bounded time.
//
// Requests reach a window's owner on the owner's thread through its MessageTarget: send(
// MSG_COPYDATA, sender's handle, const CopyData*) answers the reply value, send(MSG_CLOSE, sender,
// 0) a close request. A thread that waits for a reply meanwhile handles the requests to its own
// windows, so two programs that send to each other at once do not lock each other up.
//
// The wire format is described in tools/zx-remote/README.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/message_target.h"

namespace platform {

constexpr uint32_t MSG_CLOSE = 0x0010;
constexpr uint32_t MSG_COPYDATA = 0x004A;

// What MSG_COPYDATA's lParam points to while the handler runs.
struct CopyData {
    uint32_t dwData = 0;
    uint32_t cbData = 0;
    const uint8_t* lpData = nullptr;
};

// The frames on the wire, for the channel and for the fuzz harnesses.
namespace copydata {

constexpr uint16_t kVersion = 1;
constexpr uint32_t kMaxData = 64 * 1024;
constexpr size_t kRequestFields = 24;  // what follows the length field, before the data
constexpr size_t kReplyFields = 8;

enum class Kind : uint8_t {
    Data,   // "ZXCD": dwData and the data, answered by the owner
    Close,  // "ZXCQ": a close request, answered by the owner
    Probe,  // "ZXCP": answered with 1 once the owner's thread gets to it (is the window hung?)
    Who,    // "ZXCW": answered at once with the window's handle (finding a window by title)
};

struct Request {
    Kind kind = Kind::Data;
    uint32_t dwData = 0;
    uint64_t wParam = 0;
    std::vector<uint8_t> data;
};

enum class Parse { NeedMore, Ok, Bad };

std::vector<uint8_t> EncodeRequest(Kind kind, uint32_t dwData, uint64_t wParam, std::span<const uint8_t> data);
// Reads one request from the start of bytes; used = its size on Ok. Bad for a damaged frame
// (unknown magic or version, a length that does not match, more than kMaxData of data).
Parse ParseRequest(std::span<const uint8_t> bytes, Request& out, size_t& used);
std::vector<uint8_t> EncodeReply(int64_t value);
Parse ParseReply(std::span<const uint8_t> bytes, int64_t& value, size_t& used);

// The socket file names inside the runtime folder. Titles are escaped into short names: letters,
// digits, '-', '_' and '.' stay, every other byte is %XX; a long title keeps its start and gets a
// hash of the whole.
std::string TitleFileStem(const std::string& title);
std::string HandleFileName(uint64_t handle);

}  // namespace copydata

// One window: its sockets, and a thread that reads the requests and hands them to the owner.
class CopyDataWindow {
public:
    CopyDataWindow();
    ~CopyDataWindow();
    CopyDataWindow(const CopyDataWindow&) = delete;
    CopyDataWindow& operator=(const CopyDataWindow&) = delete;

    // Opens the window on the calling thread, which must be the one target delivers to. dir
    // defaults to RuntimeDir(). False when the title belongs to another live window or the
    // sockets cannot be made; Windows left behind by ended programs are cleared away.
    bool Open(MessageTarget* target, const std::string& title = {}, const std::string& dir = {});
    // Requests not handled yet are answered 0. Call it on the owner's thread.
    void Close();
    bool isOpen() const;

    uintptr_t handle() const { return handle_; }
    const std::string& title() const { return title_; }

    struct Core;  // the sockets and the reader, shared with requests in flight

private:
    std::shared_ptr<Core> core_;
    uintptr_t handle_ = 0;
    std::string title_;
};

// Sends to windows. Each channel remembers which windows did not answer in time.
class CopyDataChannel {
public:
    struct Options {
        int timeoutMs = 3000;  // the longest wait for a reply
        int probeMs = 100;     // the quick check of a window that timed out before
        std::string dir;       // "" = RuntimeDir()
    };
    enum Error {
        OK = 0,
        NO_WINDOW,  // no socket answers (never there, ended, or vanished mid-request)
        TOO_LARGE,  // more than 64 KiB of data
        TIMED_OUT,  // no reply within timeoutMs: the window counts as hung from now on
        HUNG,       // not sent: the window timed out before and still does not answer a probe
        DAMAGED,    // the reply frame was damaged
    };

    CopyDataChannel();
    explicit CopyDataChannel(Options options);

    // The handle of the window with exactly this title; 0 when none answers.
    uintptr_t FindWindow(const std::string& title);
    bool IsWindow(uintptr_t window);
    // The reply value; 0 on any failure (lastError() says which).
    intptr_t Send(uintptr_t window, uint32_t dwData, uintptr_t wParam, std::span<const uint8_t> data);
    // Asks the window to close; the owner's answer (0 on failure).
    intptr_t RequestClose(uintptr_t window, uintptr_t wParam = 0);

    Error lastError() const { return lastError_; }
    bool isHung(uintptr_t window) const { return hung_.count(window) != 0; }
    const Options& options() const { return options_; }

private:
    intptr_t request(uintptr_t window, copydata::Kind kind, uint32_t dwData, uintptr_t wParam,
                     std::span<const uint8_t> data);
    std::string dir() const;

    Options options_;
    Error lastError_ = OK;
    std::set<uintptr_t> hung_;
};

}  // namespace platform
