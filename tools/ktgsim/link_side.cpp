#include "ktgsim/link_side.h"

#include <algorithm>
#include <cstring>

namespace ktgsim {

EthernetSide::EthernetSide(Device& device)
    : device_(device),
      chunkLimit_(device.statusClass() == 2 ? device::kNetChunkClass2 : device::kNetChunk),
      class2_(device.statusClass() == 2) {}

void EthernetSide::endBlock() {
    if (!inBlock_) return;
    inBlock_ = false;
    if (blockTooLarge_) {
        // Nothing the Device could hold: refused like a damaged block.
        const uint8_t none[1] = {0};
        device_.block(none, 0);
    } else {
        device_.block(block_.data(), block_.size());
    }
    block_.clear();
    block_.shrink_to_fit();
    blockTooLarge_ = false;
}

void EthernetSide::message(const uint8_t* data, size_t size, std::vector<uint8_t>& reply) {
    reply.clear();
    if (size == 0) {
        ++malformed_;
        return;
    }
    const uint8_t type = data[0];
    if (type != device::NET_MSG_DATA) endBlock();
    if (type != device::NET_MSG_COMMAND) partial_.clear();

    if (type == device::NET_MSG_STATUS) {
        uint8_t record[6];
        size_t length = 0;
        if (device_.status(Link::Ethernet, record, length)) reply.assign(record, record + length);
        return;
    }
    if (type != device::NET_MSG_COMMAND && type != device::NET_MSG_DATA) {
        ++malformed_;
        return;
    }
    size_t header = 1;
    if (class2_) {
        if (size < 2 || data[1] != 0x01) {
            ++malformed_;
            if (type == device::NET_MSG_DATA) endBlock();
            return;
        }
        header = 2;
    }
    const uint8_t* payload = data + header;
    const size_t n = size - header;

    if (type == device::NET_MSG_COMMAND) {
        // Register writes are 3 bytes; a split one waits for the next command message.
        std::vector<uint8_t> writes;
        writes.reserve(partial_.size() + n);
        writes.insert(writes.end(), partial_.begin(), partial_.end());
        writes.insert(writes.end(), payload, payload + n);
        const size_t whole = writes.size() / 3;
        partial_.assign(writes.begin() + long(whole * 3), writes.end());
        if (whole) device_.commandWrites(writes.data(), whole);
        return;
    }

    // A data chunk. A full chunk means more of the same block follows.
    if (!inBlock_) {
        inBlock_ = true;
        block_.clear();
        blockTooLarge_ = false;
    }
    if (!blockTooLarge_) {
        if (block_.size() + n > kMaxBlock) {
            blockTooLarge_ = true;
            ++malformed_;
            block_.clear();
        } else {
            block_.insert(block_.end(), payload, payload + n);
        }
    }
    if (n < chunkLimit_) endBlock();
}

void LptSide::write(const uint8_t* data, size_t size) {
    if (address_ == device::ECP_ADDR_DATA) {
        device_.block(data, size);
        return;
    }
    if (address_ != device::ECP_ADDR_REGISTER) return;  // other channels lead nowhere on this Device
    size_t i = 0;
    if (!partial_.empty()) {
        while (partial_.size() < 5 && i < size) partial_.push_back(data[i++]);
        if (partial_.size() < 5) return;
        device_.packet(partial_.data());
        partial_.clear();
    }
    for (; i + 5 <= size; i += 5) device_.packet(data + i);
    partial_.assign(data + i, data + size);
}

size_t LptSide::read(uint8_t* out, size_t size) {
    if (address_ != device::ECP_ADDR_REGISTER) return 0;
    uint8_t record[6];
    size_t length = 0;
    if (!device_.status(Link::Lpt, record, length)) return 0;
    size_t n = std::min(size, length);
    std::memcpy(out, record, n);
    return n;
}

}  // namespace ktgsim
