// NetBIOS as the Ethernet link uses it: enumerate adapters, reset, add name, call, send,
// receive, hang up, each answering a NetBIOS return code. Implemented as the NetBIOS session
// service over TCP: each adapter (lana) is one Device address ("host:port"), a call opens a TCP
// connection and a session request, and every send or receive is one session message.
// Every call runs under one lock, so two threads never issue calls at once.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/session_packet.h"
#include "platform/instance_lock.h"

namespace device {

// NetBIOS return codes.
enum NetReturn : uint8_t {
    NRC_GOODRET = 0x00,
    NRC_BUFLEN = 0x01,     // buffer too long for a message
    NRC_CMDTMO = 0x05,     // time-out
    NRC_INCOMP = 0x06,     // message longer than the buffer; the rest waits for the next receive
    NRC_SNUMOUT = 0x08,    // no such session
    NRC_SCLOSED = 0x0A,    // the peer closed the session
    NRC_DUPNAME = 0x0D,    // the name is already on this adapter
    NRC_LOCTFUL = 0x11,    // no free session number
    NRC_REMTFUL = 0x12,    // the peer has no room for a session
    NRC_NOCALL = 0x14,     // nobody answers to the called name
    NRC_NOWILD = 0x15,     // our name is not on this adapter
    NRC_INUSE = 0x16,      // the name is taken by another program
    NRC_SABORT = 0x18,     // the session ended abnormally
    NRC_BRIDGE = 0x23,     // no such adapter
    NRC_ENVNOTDEF = 0x34,  // the adapter's address is unusable
    NRC_SYSTEM = 0x40,     // system error
};

// NCB command codes, for the logs.
enum NetCommand : uint8_t {
    NCBCALL = 0x10,
    NCBHANGUP = 0x12,
    NCBSEND = 0x14,
    NCBRECV = 0x15,
    NCBADDNAME = 0x30,
    NCBRESET = 0x32,
    NCBENUM = 0x37,
};

constexpr size_t kMaxLanas = 254;
constexpr size_t kMaxNetMessage = 65535;  // the longest send

// "host:port", "host" (port 139), "[v6address]:port". False for anything else.
bool ParseNetAddress(std::string_view text, std::string& host, uint16_t& port);
// The entries of a "host:port;host:port" list, trimmed, empty entries dropped.
std::vector<std::string> SplitHosts(std::string_view hosts);

class NetBios {
public:
    // lockDir: where names are held against other programs (default: the runtime folder).
    explicit NetBios(std::string lockDir = {});
    virtual ~NetBios();
    NetBios(const NetBios&) = delete;
    NetBios& operator=(const NetBios&) = delete;

    // Where names added from now on are held (default: the runtime folder).
    void setLockFolder(std::string folder);

    // One adapter per address; resets everything held on the adapters before.
    void setAdapters(std::vector<std::string> addresses);
    std::vector<std::string> adapters() const;

    // Whether the session protocol is available at all (TCP sockets can be made).
    virtual bool protocolInstalled();

    virtual uint8_t Enum(std::vector<uint8_t>& lanas);
    virtual uint8_t Reset(uint8_t lana);
    virtual uint8_t AddName(uint8_t lana, const NetName& name);
    // Calls callName from name; rto and sto are the receive and send time-outs of the session
    // in units of 500 ms (0 = the default of one second: no call here waits for ever).
    virtual uint8_t Call(uint8_t lana, const NetName& callName, const NetName& name, uint8_t rto, uint8_t sto,
                         uint8_t& lsn);
    virtual uint8_t Send(uint8_t lana, uint8_t lsn, const void* data, size_t length);
    // length: in, the buffer size; out, the bytes received.
    virtual uint8_t Recv(uint8_t lana, uint8_t lsn, void* buffer, size_t& length);
    virtual uint8_t Hangup(uint8_t lana, uint8_t lsn);

    // How long a call may take to connect and to get its session response, each.
    static constexpr int kCallTimeoutMs = 1000;

private:
    struct Session;
    struct Adapter {
        std::string address;
        std::vector<NetName> names;
        std::map<uint8_t, std::unique_ptr<Session>> sessions;
        uint8_t nextLsn = 1;
    };
    struct HeldName {
        platform::InstanceLock lock;
        int uses = 0;
    };

    Adapter* adapter(uint8_t lana);
    Session* session(uint8_t lana, uint8_t lsn);
    void dropSession(uint8_t lana, uint8_t lsn);
    void resetAdapter(Adapter& a);
    bool holdName(const NetName& name);
    void releaseName(const NetName& name);
    // Connects and runs the session request; fd or -1 with the return code.
    int openSession(const std::string& address, const NetName& callName, const NetName& name, uint8_t& rc);

    mutable std::mutex m_;
    std::string lockDir_;
    std::vector<Adapter> adapters_;
    std::map<NetName, HeldName> held_;
};

}  // namespace device
