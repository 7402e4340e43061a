// Little-endian reading and writing of fixed binary records. Every read is bounds-checked:
// a reader that runs past its data stops, remembers the failure and hands out zeros, so a
// caller checks ok() once after a whole record instead of after every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> s) : p_(s.data()), size_(s.size()) {}
    explicit ByteReader(std::string_view s) : p_(reinterpret_cast<const uint8_t*>(s.data())), size_(s.size()) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return ok_ ? size_ - pos_ : 0; }
    const uint8_t* data() const { return p_; }
    const uint8_t* here() const { return p_ + pos_; }

    // Moves to an absolute offset; an offset past the end fails the reader.
    bool seek(size_t offset) {
        if (!ok_ || offset > size_) return fail();
        pos_ = offset;
        return true;
    }
    bool skip(size_t n) {
        if (!need(n)) return false;
        pos_ += n;
        return true;
    }

    uint8_t u8() {
        if (!need(1)) return 0;
        return p_[pos_++];
    }
    uint16_t u16() {
        if (!need(2)) return 0;
        uint16_t v = uint16_t(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = uint32_t(p_[pos_]) | (uint32_t(p_[pos_ + 1]) << 8) | (uint32_t(p_[pos_ + 2]) << 16) |
                     (uint32_t(p_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    int16_t i16() { return int16_t(u16()); }
    int32_t i32() { return int32_t(u32()); }

    // Copies n bytes; on failure the destination is zero-filled.
    bool bytes(void* dst, size_t n) {
        if (!need(n)) {
            if (n) std::memset(dst, 0, n);
            return false;
        }
        if (n) std::memcpy(dst, p_ + pos_, n);
        pos_ += n;
        return true;
    }
    std::span<const uint8_t> view(size_t n) {
        if (!need(n)) return {};
        auto s = std::span<const uint8_t>(p_ + pos_, n);
        pos_ += n;
        return s;
    }
    // A string stored as a 32-bit length and that many bytes, no terminator. maxLen guards
    // against a damaged length asking for gigabytes.
    std::string str32(size_t maxLen = 1u << 20) {
        uint32_t n = u32();
        if (!ok_) return {};
        if (n > maxLen || !need(n)) {
            fail();
            return {};
        }
        std::string s(reinterpret_cast<const char*>(p_ + pos_), n);
        pos_ += n;
        return s;
    }

    bool fail() {
        ok_ = false;
        return false;
    }

private:
    bool need(size_t n) {
        if (!ok_ || n > size_ - pos_) return fail();
        return true;
    }
    const uint8_t* p_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(&out) {}
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    std::vector<uint8_t>& buffer() { return *out_; }
    size_t size() const { return out_->size(); }

    void u8(uint8_t v) { out_->push_back(v); }
    void u16(uint16_t v) {
        out_->push_back(uint8_t(v));
        out_->push_back(uint8_t(v >> 8));
    }
    void u32(uint32_t v) {
        out_->push_back(uint8_t(v));
        out_->push_back(uint8_t(v >> 8));
        out_->push_back(uint8_t(v >> 16));
        out_->push_back(uint8_t(v >> 24));
    }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void bytes(const void* src, size_t n) {
        auto b = static_cast<const uint8_t*>(src);
        out_->insert(out_->end(), b, b + n);
    }
    void zeros(size_t n) { out_->insert(out_->end(), n, 0); }
    void str32(std::string_view s) {
        u32(uint32_t(s.size()));
        bytes(s.data(), s.size());
    }
    // Overwrites a 32-bit value written earlier (offsets filled in after the data).
    void patchU32(size_t at, uint32_t v) {
        (*out_)[at] = uint8_t(v);
        (*out_)[at + 1] = uint8_t(v >> 8);
        (*out_)[at + 2] = uint8_t(v >> 16);
        (*out_)[at + 3] = uint8_t(v >> 24);
    }

private:
    std::vector<uint8_t> own_;
    std::vector<uint8_t>* out_ = &own_;
};

}  // namespace platform
