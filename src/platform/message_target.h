// Messages between the program's parts, in place of window messages. A worker thread posts to
// the part that owns it (engine -> air frame, SMS engine -> chat view, ...); post never waits,
// send waits for the handler's answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// A block a worker hands over with a posted message (a status, a record): the message's lParam
// points to data() while the handler runs; the block lives until then, or until the message is
// dropped. A sender that has closed makes its blocks stale, and stale blocks are not delivered.
class PostedBlock {
public:
    virtual ~PostedBlock() = default;
    virtual const void* data() const = 0;
    virtual bool stale() const { return false; }
};
using PostedBlockPtr = std::shared_ptr<const PostedBlock>;

// A copy of a value as a posted block, stale once the sender's flag says it has closed.
template <class T>
class BlockCopy final : public PostedBlock {
public:
    BlockCopy(const T& value, std::shared_ptr<std::atomic<bool>> closed) : value_(value), closed_(std::move(closed)) {}
    const void* data() const override { return &value_; }
    bool stale() const override { return closed_ && closed_->load(); }

private:
    T value_;
    std::shared_ptr<std::atomic<bool>> closed_;
};

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    virtual intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
    // Runs fn on the target's thread without waiting for it (requests from other programs reach
    // their window this way). The default runs it at once, for targets that handle a message on
    // the caller's thread.
    virtual void postCall(std::function<void()> fn) { fn(); }
    // Posts msg with a block, through postCall: the worker never waits for the handler, which
    // runs on the target's thread with lParam pointing to the block.
    virtual void postBlock(uint32_t msg, uintptr_t wParam, PostedBlockPtr block) {
        if (!block) return;
        postCall([this, msg, wParam, block = std::move(block)] {
            if (!block->stale()) send(msg, wParam, intptr_t(block->data()));
        });
    }
};

using MessageHandler = std::function<intptr_t(uint32_t msg, uintptr_t wParam, intptr_t lParam)>;

// Message numbers shared between parts.
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t MSG_ENGINE = 0x040B;       // command engine -> air frame
constexpr uint32_t MSG_AIR = 0x040C;          // air frame -> active view
constexpr uint32_t MSG_INTERACTIVE = 0x040D;  // interactive engine -> interactive view
constexpr uint32_t MSG_SMS = 0x0410;          // SMS engine -> chat or interactive view

}  // namespace platform
