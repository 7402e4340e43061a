#include "device/net_transport.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "app/log/event_log.h"
#include "app/profile.h"
#include "app/zentrix_app.h"
#include "device/embedded_device.h"

namespace device {

NetTransport::NetTransport(NetBios& netbios, app::Profile& ini, bool is400M)
    : nb_(netbios), ini_(&ini), is400M_(is400M) {}

void NetTransport::setProfile(app::Profile& ini, bool is400M) {
    ini_ = &ini;
    is400M_ = is400M;
}

NetName NetTransport::LocalName(bool is400M) { return MakeNetName(is400M ? "KTG_CONTROM" : "KTG_CONTROL"); }

NetName NetTransport::DeviceName(bool is400M) {
    NetName n = MakeNetName(is400M ? "KTG320E_RTM" : "KTG320E_RTL");
    n[11] = 0x04;
    n[12] = 0x90;
    n[13] = 0xDD;
    return n;
}

int NetTransport::Open() {
    if (open_) Close();
    emulate_ = ini_->getInt("Debug", "Emulate", 0) != 0;
    int result = openSteps();
    open_ = result == LINK_OK || emulate_;
    if (!open_) sendBuf_ = {};
    return emulate_ ? LINK_OK : result;
}

int NetTransport::openSteps() {
    lanas_.clear();
    connected_ = false;
    count_ = 0;
    sendBuf_.assign(kNetSendBufferSize, 0);

    // The adapters are the configured Device addresses, or the embedded Device.
    std::vector<std::string> hosts = SplitHosts(ini_->getString(kEthernetSection, kHostsKey, ""));
    if (hosts.empty()) {
        EmbeddedDevice embedded = GetEmbeddedDevice();
        std::string address = embedded.sessionAddress ? embedded.sessionAddress() : std::string();
        if (!address.empty()) hosts.push_back(address);
    }
    nb_.setAdapters(hosts);

    std::vector<uint8_t> all;
    if (nb_.Enum(all) != NRC_GOODRET) return LINK_ADAPTER_ERROR;
    if (!nb_.protocolInstalled() && ini_->getInt(kEthernetSection, kNoCheckKey, 0) != 1) return LINK_NO_NETBEUI;

    localName_ = LocalName(is400M_);
    for (uint8_t lana : all)
        if (nb_.Reset(lana) == NRC_GOODRET) lanas_.push_back(lana);
    if (lanas_.empty()) return LINK_ADAPTER_ERROR;

    bool named = false;
    for (uint8_t lana : lanas_) {
        uint8_t rc = nb_.AddName(lana, localName_);
        LogMessage("NCBADDNAME returns: %02X, lana: %02X", rc, lana);
        named = named || rc == NRC_GOODRET;
    }
    if (!named) return LINK_NAME_IN_USE;

    int pos = ini_->getInt(kEthernetSection, kLanaPosKey, 0);
    if (pos > 0 && size_t(pos) < lanas_.size()) std::swap(lanas_[0], lanas_[size_t(pos)]);
    deviceName_ = DeviceName(is400M_);
    return LINK_OK;
}

void NetTransport::Close() {
    // The resets end any session still open as well.
    for (uint8_t lana : lanas_) {
        uint8_t rc = nb_.Reset(lana);
        LogMessage("NCBRESET returns: %02X, lana: %02X", rc, lana);
    }
    lanas_.clear();
    sendBuf_ = {};
    batch_ = {};
    count_ = 0;
    connected_ = false;
    open_ = false;
}

int NetTransport::Connect() {
    if (connected_) Disconnect();
    for (size_t i = 0; i < lanas_.size(); ++i) {
        uint8_t lana = lanas_[i];
        LogMessage("NCBCALL start at lana: %02X", lana);
        uint8_t lsn = 0;
        uint8_t rc = nb_.Call(lana, deviceName_, localName_, kNetRecvTimeout, kNetSendTimeout, lsn);
        if (rc != NRC_GOODRET) {
            LogMessage("NCBCALL error: %02X, lana: %02X", rc, lana);
            continue;
        }
        lana_ = lana;
        lsn_ = lsn;
        connected_ = true;
        LogMessage("NCBCALL connected to lana: %02X, lsn: %02X", lana, lsn);
        if (i != 0) {
            // Try this adapter first next time, in this run and the next.
            ini_->putInt(kEthernetSection, kLanaPosKey, int(i));
            std::swap(lanas_[0], lanas_[i]);
        }
        return LINK_OK;
    }
    return emulate_ ? LINK_OK : LINK_NOT_RESPONDING;
}

void NetTransport::Disconnect() {
    uint8_t rc = nb_.Hangup(lana_, lsn_);
    LogMessage("NCBHANGUP returns: %02X, lana: %02X", rc, lana_);
    connected_ = false;
    // Writes still waiting belonged to the command the link was dropped under.
    count_ = 0;
}

void NetTransport::QueueRegister(const uint8_t* packet, bool moreFollows) {
    if (moreFollows || count_ > 0) {
        size_t at = 2 + 3 * size_t(count_);
        if (batch_.size() < at + 3) batch_.resize(std::max(at + 3, size_t(2 + 3 * 64)));
        std::memcpy(batch_.data() + at, packet + 2, 3);
        ++count_;
        batch_[0] = 0;
        batch_[1] = 0;
        if (moreFollows) return;
        // This write ends the run: the batch may go.
        batch_[0] = NET_BATCH_DONE;
    }
}

int NetTransport::SendCommand(const uint8_t* packet) {
    if (count_ > 0) {
        if (batch_[0] != NET_BATCH_DONE) return LINK_OK;  // joined a batch; it goes with the last write
        size_t length = 3 * size_t(count_);
        count_ = 0;
        return sendMessages(NET_MSG_COMMAND, batch_.data() + 2, length);
    }
    return sendMessages(NET_MSG_COMMAND, packet + 2, 3);
}

int NetTransport::SendData(const void* buffer, size_t length) {
    return sendMessages(NET_MSG_DATA, static_cast<const uint8_t*>(buffer), length);
}

bool NetTransport::sendOne(const uint8_t* message, size_t length) {
    uint8_t rc = nb_.Send(lana_, lsn_, message, length);
    if (rc == NRC_GOODRET) return true;
    LogMessage("NCBSEND error: %02X, lana: %02X", rc, lana_);
    return false;
}

int NetTransport::sendMessages(uint8_t form, const uint8_t* payload, size_t length) {
    // Emulating without a Device: nothing to send to, and nothing to report.
    if (emulate_ && !connected_) return LINK_OK;
    if (sendBuf_.size() < kNetSendBufferSize) return LINK_ETHERNET_ERROR;  // not open
    const size_t head = class2_ ? 2 : 1;
    const size_t chunk = class2_ ? kNetChunkClass2 : kNetChunk;
    size_t done = 0;
    do {
        size_t n = std::min(chunk, length - done);
        sendBuf_[0] = form;
        if (class2_) sendBuf_[1] = 0x01;
        if (n) std::memcpy(sendBuf_.data() + head, payload + done, n);
        if (!sendOne(sendBuf_.data(), head + n) && !emulate_) return LINK_ETHERNET_ERROR;
        done += n;
    } while (done < length);
    return LINK_OK;
}

int NetTransport::ReadStatus(void* buffer, size_t length) {
    auto emulated = [&] {
        // An idle Device without errors.
        std::memset(buffer, 0, length);
        if (length) static_cast<uint8_t*>(buffer)[0] = 0x80;
        return LINK_OK;
    };
    if (emulate_ && !connected_) return emulated();
    const uint8_t request = NET_MSG_STATUS;
    if (!sendOne(&request, 1)) return emulate_ ? emulated() : LINK_ETHERNET_ERROR;
    size_t got = length;
    uint8_t rc = nb_.Recv(lana_, lsn_, buffer, got);
    if (rc != NRC_GOODRET || got != length) {
        LogMessage("NCBRECV error: %02X, lana: %02X, length: %d", rc, lana_, int(got));
        return emulate_ ? emulated() : LINK_ETHERNET_ERROR;
    }
    return emulate_ ? emulated() : LINK_OK;
}

// The program's one Ethernet link.
namespace {

struct Global {
    NetBios netbios;
    app::Profile defaults;  // settings when there is no application object (tools)
    NetTransport transport{netbios, defaults};
};

Global& G() {
    static Global g;
    return g;
}

}  // namespace

void NetSetStatusClass(int statusClass) { G().transport.setStatusClass(statusClass); }

int NetOpen() {
    Global& g = G();
    if (app::CZentrixApp* app = app::CZentrixApp::Instance()) g.transport.setProfile(app->profile(), app->is400M());
    else g.transport.setProfile(g.defaults, false);
    return g.transport.Open();
}

void NetSetLockFolder(const std::string& folder) { G().netbios.setLockFolder(folder); }

void NetClose() { G().transport.Close(); }
int NetConnect() { return G().transport.Connect(); }
void NetDisconnect() { G().transport.Disconnect(); }
void NetQueueRegister(const uint8_t* packet, bool moreFollows) { G().transport.QueueRegister(packet, moreFollows); }
int NetSendCommand(const uint8_t* packet) { return G().transport.SendCommand(packet); }
int NetSendData(const void* buffer, size_t length) { return G().transport.SendData(buffer, length); }
int NetReadStatus(void* buffer, size_t length) { return G().transport.ReadStatus(buffer, length); }
int NetBatchCount() { return G().transport.batchCount(); }
void NetResetBatch() { G().transport.resetBatch(); }
bool NetEmulating() { return G().transport.emulating(); }

}  // namespace device
