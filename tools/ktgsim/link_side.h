// The Device's side of its two links, above their framing: what one Ethernet session message or
// one parallel-port request means to the Device. The socket code hands over whole messages and
// requests; everything here is bounded and never trusts a length it was sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/lpt_transport.h"
#include "device/net_transport.h"
#include "ktgsim/device.h"

namespace ktgsim {

// The largest block the Device can hold: a whole bank.
constexpr size_t kMaxBlock = 2 + size_t(kStoreLines) * kStorePixels * 2;

// One NetBIOS session's messages: "C" command messages of 3-byte register writes, "V" data
// messages (a block split over several arrives as consecutive messages, each but the last full),
// and the "S" status request. Status class 2 Devices expect the byte 0x01 after "C" and "V".
class EthernetSide {
public:
    explicit EthernetSide(Device& device);

    // Handles one message. When it asks for status and the Device answers, the record is put
    // into reply (otherwise reply is left empty).
    void message(const uint8_t* data, size_t size, std::vector<uint8_t>& reply);
    // Messages that made no sense (unknown type, missing class-2 byte, a block too large).
    uint64_t malformed() const { return malformed_; }

private:
    void endBlock();

    Device& device_;
    size_t chunkLimit_;
    bool class2_;
    std::vector<uint8_t> block_;  // data of a block still arriving
    bool inBlock_ = false;
    bool blockTooLarge_ = false;
    std::vector<uint8_t> partial_;  // a register write split over two command messages
    uint64_t malformed_ = 0;
};

// One client of the simulated parallel-port driver: the ECP address last written selects what
// writes and reads mean.
class LptSide {
public:
    explicit LptSide(Device& device) : device_(device) {}

    void address(uint8_t a) {
        address_ = a;
        partial_.clear();
    }
    // One data write of the driver. After the register address: 5-byte packets (a packet split
    // over two writes is joined); after the data address: one block.
    void write(const uint8_t* data, size_t size);
    // One data read: after the register address, the status record. Returns the bytes the
    // Device gives, which may be fewer than asked (none while it is switched off).
    size_t read(uint8_t* out, size_t size);

private:
    Device& device_;
    uint8_t address_ = 0;
    std::vector<uint8_t> partial_;
};

}  // namespace ktgsim
