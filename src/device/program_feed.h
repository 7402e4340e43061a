// The Device's program output handed from whoever renders it (the embedded virtual Device's field
// clock) to whoever shows it (the program monitor), across threads. The producer publishes only
// when the picture changed; the consumer polls a serial number and takes the picture only when it
// is new, without copying it again.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace device {

class ProgramFeed {
public:
    // A new picture: width x height pixels of red, green, blue, alpha, rows top to bottom.
    void publish(const uint8_t* rgba, int width, int height);
    // Counts the pictures published so far (0: none yet).
    uint64_t serial() const { return serial_.load(std::memory_order_acquire); }
    // When a picture newer than `seen` is there: swaps it into rgba (whose old contents the feed
    // reuses), sets the size and seen, and answers true. Otherwise touches nothing.
    bool take(uint64_t& seen, std::vector<uint8_t>& rgba, int& width, int& height);

private:
    std::mutex m_;
    std::vector<uint8_t> latest_;
    int width_ = 0;
    int height_ = 0;
    std::atomic<uint64_t> serial_{0};
};

}  // namespace device
