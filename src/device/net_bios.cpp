#include "device/net_bios.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "device/socket_io.h"
#include "platform/bytes.h"
#include "platform/files.h"

namespace device {

bool ParseNetAddress(std::string_view text, std::string& host, uint16_t& port) {
    return sock::ParseAddress(text, host, port, sock::AddressFor::Connect, kSessionServicePort);
}

std::vector<std::string> SplitHosts(std::string_view hosts) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= hosts.size()) {
        size_t end = hosts.find(';', start);
        if (end == std::string_view::npos) end = hosts.size();
        std::string_view item = hosts.substr(start, end - start);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t' || item.back() == '\r'))
            item.remove_suffix(1);
        if (!item.empty()) out.emplace_back(item);
        start = end + 1;
    }
    return out;
}

struct NetBios::Session {
    int fd = -1;
    SessionPacketReader reader;
    std::vector<uint8_t> rest;  // the undelivered part of a message longer than a receive's buffer
    size_t restPos = 0;
    int rtoMs = 1000;
    int stoMs = 1000;
    ~Session() { sock::Close(fd); }
};

NetBios::NetBios(std::string lockDir) : lockDir_(lockDir.empty() ? platform::RuntimeDir() : std::move(lockDir)) {}

NetBios::~NetBios() {
    std::lock_guard lock(m_);
    for (Adapter& a : adapters_) resetAdapter(a);
}

void NetBios::setLockFolder(std::string folder) {
    std::lock_guard lock(m_);
    lockDir_ = folder.empty() ? platform::RuntimeDir() : std::move(folder);
}

void NetBios::setAdapters(std::vector<std::string> addresses) {
    std::lock_guard lock(m_);
    for (Adapter& a : adapters_) resetAdapter(a);
    adapters_.clear();
    if (addresses.size() > kMaxLanas) addresses.resize(kMaxLanas);
    for (std::string& s : addresses) {
        Adapter a;
        a.address = std::move(s);
        adapters_.push_back(std::move(a));
    }
}

std::vector<std::string> NetBios::adapters() const {
    std::lock_guard lock(m_);
    std::vector<std::string> out;
    for (const Adapter& a : adapters_) out.push_back(a.address);
    return out;
}

bool NetBios::protocolInstalled() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

NetBios::Adapter* NetBios::adapter(uint8_t lana) { return lana < adapters_.size() ? &adapters_[lana] : nullptr; }

NetBios::Session* NetBios::session(uint8_t lana, uint8_t lsn) {
    Adapter* a = adapter(lana);
    if (!a) return nullptr;
    auto it = a->sessions.find(lsn);
    return it == a->sessions.end() ? nullptr : it->second.get();
}

void NetBios::dropSession(uint8_t lana, uint8_t lsn) {
    if (Adapter* a = adapter(lana)) a->sessions.erase(lsn);
}

bool NetBios::holdName(const NetName& name) {
    auto it = held_.find(name);
    if (it != held_.end()) {
        ++it->second.uses;
        return true;
    }
    HeldName& h = held_[name];
    if (!h.lock.acquire("NetBIOS_" + EncodeNetName(name), lockDir_)) {
        held_.erase(name);
        return false;
    }
    h.uses = 1;
    return true;
}

void NetBios::releaseName(const NetName& name) {
    auto it = held_.find(name);
    if (it != held_.end() && --it->second.uses <= 0) held_.erase(it);
}

void NetBios::resetAdapter(Adapter& a) {
    a.sessions.clear();
    for (const NetName& n : a.names) releaseName(n);
    a.names.clear();
    a.nextLsn = 1;
}

uint8_t NetBios::Enum(std::vector<uint8_t>& lanas) {
    std::lock_guard lock(m_);
    lanas.clear();
    for (size_t i = 0; i < adapters_.size(); ++i) lanas.push_back(uint8_t(i));
    return NRC_GOODRET;
}

uint8_t NetBios::Reset(uint8_t lana) {
    std::lock_guard lock(m_);
    Adapter* a = adapter(lana);
    if (!a) return NRC_BRIDGE;
    resetAdapter(*a);
    std::string host;
    uint16_t port = 0;
    return ParseNetAddress(a->address, host, port) ? NRC_GOODRET : NRC_ENVNOTDEF;
}

uint8_t NetBios::AddName(uint8_t lana, const NetName& name) {
    std::lock_guard lock(m_);
    Adapter* a = adapter(lana);
    if (!a) return NRC_BRIDGE;
    if (std::find(a->names.begin(), a->names.end(), name) != a->names.end()) return NRC_DUPNAME;
    if (!holdName(name)) return NRC_INUSE;
    a->names.push_back(name);
    return NRC_GOODRET;
}

int NetBios::openSession(const std::string& address, const NetName& callName, const NetName& name, uint8_t& rc) {
    std::string host;
    uint16_t port = 0;
    if (!ParseNetAddress(address, host, port)) {
        rc = NRC_ENVNOTDEF;
        return -1;
    }
    const std::vector<uint8_t> request = SessionRequest(callName, name);
    // A Device may send us on to another address; a few hops are plenty.
    for (int hop = 0; hop < 4; ++hop) {
        sock::Deadline connectWait(kCallTimeoutMs);
        sock::Io io = sock::Io::Error;
        int fd = sock::ConnectTcp(host, port, connectWait, io);
        if (fd < 0) {
            rc = io == sock::Io::Timeout ? NRC_CMDTMO : NRC_NOCALL;
            return -1;
        }
        sock::Deadline answerWait(kCallTimeoutMs);
        io = sock::WriteAll(fd, request.data(), request.size(), answerWait);
        // The response is read exactly, so that nothing the Device sends after it is lost.
        uint8_t type = 0;
        std::vector<uint8_t> payload;
        while (io == sock::Io::Ok) {
            uint8_t head[kSessionHeaderSize];
            io = sock::ReadExact(fd, head, sizeof head, answerWait);
            if (io != sock::Io::Ok) break;
            size_t len = 0;
            // Responses are a few bytes; anything else is not a session service.
            if (!ParseSessionHeader(head, type, len) || len > 64) {
                io = sock::Io::Error;
                break;
            }
            payload.resize(len);
            io = sock::ReadExact(fd, payload.data(), len, answerWait);
            if (io == sock::Io::Ok && type != SESSION_KEEP_ALIVE) break;
        }
        if (io != sock::Io::Ok) {
            ::close(fd);
            rc = io == sock::Io::Timeout ? NRC_CMDTMO : NRC_SABORT;
            return -1;
        }
        if (type == POSITIVE_SESSION_RESPONSE) {
            rc = NRC_GOODRET;
            return fd;
        }
        ::close(fd);
        if (type == NEGATIVE_SESSION_RESPONSE) {
            uint8_t code = payload.empty() ? uint8_t(SESSION_UNSPECIFIED_ERROR) : payload[0];
            rc = code == SESSION_INSUFFICIENT_RESOURCES ? NRC_REMTFUL
                 : code == SESSION_UNSPECIFIED_ERROR    ? NRC_SYSTEM
                                                        : NRC_NOCALL;
            return -1;
        }
        if (type == RETARGET_SESSION_RESPONSE && payload.size() == 6) {
            // The new address and port, both in network order.
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, payload.data(), text, sizeof text);
            host = text;
            platform::ByteReader r(payload.data(), payload.size());
            r.skip(4);
            port = r.u16be();
            continue;
        }
        rc = NRC_SYSTEM;
        return -1;
    }
    rc = NRC_NOCALL;
    return -1;
}

uint8_t NetBios::Call(uint8_t lana, const NetName& callName, const NetName& name, uint8_t rto, uint8_t sto,
                      uint8_t& lsn) {
    std::lock_guard lock(m_);
    lsn = 0;
    Adapter* a = adapter(lana);
    if (!a) return NRC_BRIDGE;
    if (std::find(a->names.begin(), a->names.end(), name) == a->names.end()) return NRC_NOWILD;
    if (a->sessions.size() >= kMaxLanas) return NRC_LOCTFUL;
    uint8_t rc = NRC_SYSTEM;
    int fd = openSession(a->address, callName, name, rc);
    if (fd < 0) return rc;
    while (a->sessions.count(a->nextLsn) || a->nextLsn == 0) a->nextLsn = uint8_t(a->nextLsn % 254 + 1);
    lsn = a->nextLsn;
    a->nextLsn = uint8_t(a->nextLsn % 254 + 1);
    auto s = std::make_unique<Session>();
    s->fd = fd;
    s->rtoMs = rto ? rto * 500 : 1000;
    s->stoMs = sto ? sto * 500 : 1000;
    a->sessions[lsn] = std::move(s);
    return NRC_GOODRET;
}

uint8_t NetBios::Send(uint8_t lana, uint8_t lsn, const void* data, size_t length) {
    std::lock_guard lock(m_);
    Session* s = session(lana, lsn);
    if (!s) return NRC_SNUMOUT;
    if (length > kMaxNetMessage) return NRC_BUFLEN;
    auto head = SessionHeader(SESSION_MESSAGE, length);
    sock::Deadline wait(s->stoMs);
    sock::Io io = sock::WriteAll(s->fd, head.data(), head.size(), data, length, wait);
    if (io == sock::Io::Ok) return NRC_GOODRET;
    // A send that did not finish leaves the stream cut mid-message: the session is over.
    dropSession(lana, lsn);
    return io == sock::Io::Timeout ? NRC_CMDTMO : io == sock::Io::Closed ? NRC_SCLOSED : NRC_SABORT;
}

uint8_t NetBios::Recv(uint8_t lana, uint8_t lsn, void* buffer, size_t& length) {
    std::lock_guard lock(m_);
    size_t capacity = length;
    length = 0;
    Session* s = session(lana, lsn);
    if (!s) return NRC_SNUMOUT;

    auto deliver = [&](const uint8_t* p, size_t n, std::vector<uint8_t>* keep, size_t keepFrom) -> uint8_t {
        size_t take = std::min(n, capacity);
        if (take) std::memcpy(buffer, p, take);
        length = take;
        if (take == n) return NRC_GOODRET;
        if (keep) {
            s->rest.swap(*keep);
            s->restPos = keepFrom + take;
        } else {
            s->restPos += take;
        }
        return NRC_INCOMP;
    };

    if (s->restPos < s->rest.size()) {
        uint8_t rc = deliver(s->rest.data() + s->restPos, s->rest.size() - s->restPos, nullptr, 0);
        if (rc == NRC_GOODRET) {
            s->rest.clear();
            s->restPos = 0;
        }
        return rc;
    }

    sock::Deadline wait(s->rtoMs);
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    uint8_t buf[16384];
    for (;;) {
        while (s->reader.next(type, payload)) {
            if (type == SESSION_KEEP_ALIVE) continue;
            if (type != SESSION_MESSAGE) {
                dropSession(lana, lsn);
                return NRC_SABORT;
            }
            return deliver(payload.data(), payload.size(), &payload, 0);
        }
        if (s->reader.failed()) {
            dropSession(lana, lsn);
            return NRC_SABORT;
        }
        size_t got = 0;
        sock::Io io = sock::ReadSome(s->fd, buf, sizeof buf, got, wait);
        if (io == sock::Io::Timeout) return NRC_CMDTMO;  // the session stays; a late message waits
        if (io != sock::Io::Ok) {
            dropSession(lana, lsn);
            return io == sock::Io::Closed ? NRC_SCLOSED : NRC_SABORT;
        }
        s->reader.feed(buf, got);
    }
}

uint8_t NetBios::Hangup(uint8_t lana, uint8_t lsn) {
    std::lock_guard lock(m_);
    if (!session(lana, lsn)) return NRC_SNUMOUT;
    dropSession(lana, lsn);
    return NRC_GOODRET;
}

}  // namespace device
