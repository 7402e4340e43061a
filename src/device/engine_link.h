// The Device link as the engine's worker uses it: connect and disconnect, send a register-write
// packet or a data block, read the status record. Implemented over the LPT/ECP transport and
// over the Ethernet transport; tests put a scripted link in their place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "device/engine_protocol.h"
#include "device/lpt_transport.h"

namespace device {

class EngineLink {
public:
    virtual ~EngineLink() = default;

    virtual int connect() = 0;  // 0 or a link error
    virtual void disconnect() = 0;
    // One register write; moreFollows lets the link hold it for the writes that follow.
    virtual int sendPacket(const Packet& packet, bool moreFollows) = 0;
    virtual int sendData(const uint8_t* data, size_t length) = 0;
    virtual int readStatus(uint8_t* buffer, size_t length) = 0;
    // Register writes held back for the next one (the engine moves on without a status read).
    virtual int batchCount() { return 0; }
    // Forgets held writes (their command was dropped).
    virtual void resetBatch() {}
    // Whether status bytes are Hamming codewords (the parallel port) or plain nibbles.
    virtual bool hammingCoded() const = 0;
    // Whether status records are made up without a Device (they carry no completion bits).
    virtual bool emulating() const { return false; }
    // Closes the transport (the worker has stopped).
    virtual void close() = 0;
};

// The LPT/ECP link over an open driver handle; takes the handle over and closes it in close().
class LptEngineLink final : public EngineLink {
public:
    explicit LptEngineLink(LptHandle handle) : h_(handle) {}
    ~LptEngineLink() override { close(); }

    int connect() override;
    void disconnect() override;
    int sendPacket(const Packet& packet, bool moreFollows) override;
    int sendData(const uint8_t* data, size_t length) override;
    int readStatus(uint8_t* buffer, size_t length) override;
    bool hammingCoded() const override { return true; }
    void close() override;

private:
    LptHandle h_;
};

// The program's Ethernet link (the transport's global session), opened with NetOpen.
class NetEngineLink final : public EngineLink {
public:
    ~NetEngineLink() override { close(); }

    int connect() override;
    void disconnect() override;
    int sendPacket(const Packet& packet, bool moreFollows) override;
    int sendData(const uint8_t* data, size_t length) override;
    int readStatus(uint8_t* buffer, size_t length) override;
    int batchCount() override;
    void resetBatch() override;
    bool hammingCoded() const override { return false; }
    bool emulating() const override;
    void close() override;

private:
    bool closed_ = false;
};

}  // namespace device
