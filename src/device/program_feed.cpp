#include "device/program_feed.h"

#include <cstring>

namespace device {

void ProgramFeed::publish(const uint8_t* rgba, int width, int height) {
    if (!rgba || width <= 0 || height <= 0) return;
    const size_t size = size_t(width) * size_t(height) * 4;
    std::lock_guard lock(m_);
    latest_.resize(size);
    std::memcpy(latest_.data(), rgba, size);
    width_ = width;
    height_ = height;
    serial_.fetch_add(1, std::memory_order_acq_rel);
}

bool ProgramFeed::take(uint64_t& seen, std::vector<uint8_t>& rgba, int& width, int& height) {
    if (serial() == seen) return false;  // the usual case: nothing new, no lock taken
    std::lock_guard lock(m_);
    const uint64_t now = serial_.load(std::memory_order_acquire);
    if (now == seen || latest_.empty()) return false;
    rgba.swap(latest_);
    width = width_;
    height = height_;
    seen = now;
    return true;
}

}  // namespace device
