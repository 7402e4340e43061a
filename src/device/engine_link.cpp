#include "device/engine_link.h"

#include "device/net_transport.h"

namespace device {

int LptEngineLink::connect() { return LptConnect(h_); }

void LptEngineLink::disconnect() { LptDisconnect(h_); }

int LptEngineLink::sendPacket(const Packet& packet, bool) {
    if (int e = LptWriteAddress(h_, ECP_ADDR_REGISTER)) return e;
    return LptWrite(h_, packet.data(), uint32_t(packet.size()));
}

int LptEngineLink::sendData(const uint8_t* data, size_t length) {
    if (length > UINT32_MAX) return LINK_WRITE_ERROR;
    if (int e = LptWriteAddress(h_, ECP_ADDR_DATA)) return e;
    return LptWrite(h_, data, uint32_t(length));
}

int LptEngineLink::readStatus(uint8_t* buffer, size_t length) {
    if (int e = LptWriteAddress(h_, ECP_ADDR_REGISTER)) return e;
    return LptRead(h_, buffer, uint32_t(length));
}

void LptEngineLink::close() { LptClose(h_); }

int NetEngineLink::connect() { return NetConnect(); }

void NetEngineLink::disconnect() { NetDisconnect(); }

int NetEngineLink::sendPacket(const Packet& packet, bool moreFollows) {
    NetQueueRegister(packet.data(), moreFollows);
    return NetSendCommand(packet.data());
}

int NetEngineLink::sendData(const uint8_t* data, size_t length) { return NetSendData(data, length); }

int NetEngineLink::readStatus(uint8_t* buffer, size_t length) { return NetReadStatus(buffer, length); }

int NetEngineLink::batchCount() { return NetBatchCount(); }

void NetEngineLink::resetBatch() { NetResetBatch(); }

bool NetEngineLink::emulating() const { return NetEmulating(); }

void NetEngineLink::close() {
    if (closed_) return;
    closed_ = true;
    NetClose();
}

}  // namespace device
