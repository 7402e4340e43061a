// The control interface's HTTP server: its own threads answer the requests through ControlApi
// and carry the event stream; they reach the air frame only through an AirPort on its
// MessageTarget, so the air frame's state machine is never touched from them. Requests are
// bounded (body size, header size, read and write time-outs), the event streams are limited
// in number, and stopping ends every wait at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "control/control_api.h"
#include "control/event_hub.h"
#include "control/listen_address.h"
#include "control/state_board.h"
#include "platform/message_target.h"

namespace control {

struct ServerOptions {
    ListenAddress listen{"127.0.0.1", 8139};
    std::string token;
    int codePage = 1251;
    ProgramGrabber program;
    uint32_t airTimeoutMs = 5000;  // the longest wait for the air frame's answer
    int threads = 48;              // connections served at once (an event stream holds one)
    size_t maxStreams = 16;        // event streams at once
    int ioTimeoutSec = 5;          // a client that sends or takes nothing this long is dropped
    uint32_t heartbeatMs = 15000;  // a comment on a quiet event stream, so a dead reader is found
};

class ControlServer {
public:
    // host: answers on the air frame's thread, which airTarget posts to.
    ControlServer(AirHost& host, platform::MessageTarget& airTarget, ServerOptions options);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Binds and starts serving; false with why (a bad address, no token for a non-loopback one,
    // the port taken).
    bool start(std::string& why);
    // Ends the streams and the waits for the air frame, then the threads. Safe to call twice,
    // and from the air frame's thread.
    void stop();
    bool running() const;
    // The port bound (the one asked for, or the one given for port 0).
    int port() const { return port_; }
    // "http://127.0.0.1:8139/"
    std::string url() const;

    // Where the air frame's thread tells the state (see AirWatch).
    StateBoard& board() { return board_; }
    EventHub& hub() { return hub_; }
    ControlApi& api() { return api_; }
    // The calls made to the air frame's thread so far.
    uint64_t airCalls() const { return port_air_.calls(); }

private:
    struct Impl;
    ServerOptions options_;
    EventHub hub_;
    StateBoard board_;
    AirPort port_air_;
    ControlApi api_;
    std::unique_ptr<Impl> impl_;
    int port_ = 0;
};

}  // namespace control
