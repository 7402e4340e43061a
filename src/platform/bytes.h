// Reading and writing of fixed binary records, field by field: little-endian as the files store
// them, big-endian (the *be calls) where a wire format puts the high byte first. Every read is
// bounds-checked: a reader that runs past its data stops, remembers the failure and hands out
// zeros, so a caller checks ok() once after a whole record instead of after every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform {

namespace bytes_detail {

inline uint16_t load16(const uint8_t* b) { return uint16_t(b[0] | b[1] << 8); }
inline uint32_t load32(const uint8_t* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
inline void store16(uint8_t* b, uint16_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
}
inline void store32(uint8_t* b, uint32_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
    b[2] = uint8_t(v >> 16);
    b[3] = uint8_t(v >> 24);
}

// What a field of a record may be: a whole number of 8, 16 or 32 bits (or an enum of one), or an
// array of bytes stored as it stands.
template <class T>
constexpr bool IsField() {
    if constexpr (std::is_array_v<T>) return sizeof(std::remove_extent_t<T>) == 1;
    else return (std::is_integral_v<T> || std::is_enum_v<T>)&&(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4);
}

template <class T>
void take(const uint8_t*& p, T& v) {
    if constexpr (std::is_array_v<T>) std::memcpy(v, p, sizeof v);
    else if constexpr (sizeof(T) == 1) v = T(p[0]);
    else if constexpr (sizeof(T) == 2) v = T(load16(p));
    else v = T(load32(p));
    p += sizeof(T);
}

template <class T>
void clear(T& v) {
    if constexpr (std::is_array_v<T>) std::memset(v, 0, sizeof v);
    else v = T{};
}

template <class T>
void give(uint8_t*& p, const T& v) {
    if constexpr (std::is_array_v<T>) std::memcpy(p, v, sizeof v);
    else if constexpr (sizeof(T) == 1) p[0] = uint8_t(v);
    else if constexpr (sizeof(T) == 2) store16(p, uint16_t(v));
    else store32(p, uint32_t(v));
    p += sizeof(T);
}

}  // namespace bytes_detail

// Reads from memory, or (through a derived reader such as FileReader) from a source too large to
// hold at once: then the bytes in memory are a window onto the source, and positions and sizes
// are the source's.
class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), window_(size), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> s) : ByteReader(s.data(), s.size()) {}
    explicit ByteReader(std::string_view s) : ByteReader(s.data(), s.size()) {}
    virtual ~ByteReader() = default;

    bool ok() const { return ok_; }
    size_t pos() const { return start_ + pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return ok_ ? size_ - pos() : 0; }

    // Moves to an absolute offset; an offset past the end fails the reader.
    bool seek(size_t offset) {
        if (!ok_ || offset > size_) return fail();
        if (offset >= start_ && offset - start_ <= window_) {
            pos_ = offset - start_;
        } else {  // outside a source's window: the next read brings the bytes in
            start_ = offset;
            window_ = pos_ = 0;
        }
        return true;
    }
    bool skip(size_t n) {
        if (!ok_ || n > size_ - pos()) return fail();
        return seek(pos() + n);
    }

    uint8_t u8() {
        if (!need(1)) return 0;
        return p_[pos_++];
    }
    uint16_t u16() {
        if (!need(2)) return 0;
        pos_ += 2;
        return bytes_detail::load16(p_ + pos_ - 2);
    }
    uint32_t u32() {
        if (!need(4)) return 0;
        pos_ += 4;
        return bytes_detail::load32(p_ + pos_ - 4);
    }
    int16_t i16() { return int16_t(u16()); }
    int32_t i32() { return int32_t(u32()); }
    uint16_t u16be() {
        if (!need(2)) return 0;
        const uint16_t v = uint16_t(p_[pos_] << 8 | p_[pos_ + 1]);
        pos_ += 2;
        return v;
    }

    // The fields of a record in stored order, each as wide as its type (8, 16 or 32 bits), arrays
    // of bytes as they stand. False when the reader runs short: then every field is zero.
    template <class... T>
    bool fields(T&... v) {
        static_assert((bytes_detail::IsField<T>() && ...), "fields are whole numbers or arrays of bytes");
        constexpr size_t n = (size_t(0) + ... + sizeof(T));
        if (!need(n)) {
            (bytes_detail::clear(v), ...);
            return false;
        }
        const uint8_t* p = p_ + pos_;
        pos_ += n;
        (bytes_detail::take(p, v), ...);
        return true;
    }

    // Copies n bytes; on failure the destination is zero-filled.
    bool bytes(void* dst, size_t n) {
        if (ok_ && n <= window_ - pos_) {
            if (n) std::memcpy(dst, p_ + pos_, n);
            pos_ += n;
            return true;
        }
        if (ok_ && n <= size_ - pos() && readInto(dst, n)) return true;
        if (n) std::memset(dst, 0, n);
        return fail();
    }
    // The next n bytes in place. From a source they stay valid until the next read.
    std::span<const uint8_t> view(size_t n) {
        if (!need(n)) return {};
        auto s = std::span<const uint8_t>(p_ + pos_, n);
        pos_ += n;
        return s;
    }
    // A string stored as a 32-bit length and that many bytes, no terminator. maxLen guards
    // against a damaged length asking for gigabytes.
    std::string str32(size_t maxLen = 1u << 20) {
        const uint32_t n = u32();
        if (!ok_) return {};
        if (n > maxLen || n > size_ - pos()) {
            fail();
            return {};
        }
        std::string s(n, '\0');
        bytes(s.data(), n);
        return s;
    }

    bool fail() {
        ok_ = false;
        return false;
    }

protected:
    // For a derived reader over a source: the whole size, and the window now in memory.
    void reset(size_t size) {
        p_ = nullptr;
        start_ = window_ = pos_ = 0;
        size_ = size;
        ok_ = true;
    }
    void setWindow(const uint8_t* data, size_t start, size_t length) {
        p_ = data;
        start_ = start;
        window_ = length;
        pos_ = 0;
    }
    // Brings at least n bytes from pos() into the window (n is never more than remain).
    // Memory holds everything from the start, so a reader over memory never gets here.
    virtual bool refill(size_t) { return false; }
    // Copies n bytes from pos() on, when they reach past the window, and moves on.
    virtual bool readInto(void* dst, size_t n) {
        if (!refill(n)) return false;
        std::memcpy(dst, p_ + pos_, n);
        pos_ += n;
        return true;
    }

private:
    bool need(size_t n) {
        if (ok_ && n <= window_ - pos_) return true;
        if (ok_ && n <= size_ - pos() && refill(n)) return true;
        return fail();
    }

    const uint8_t* p_ = nullptr;
    size_t start_ = 0;   // offset of the window in the whole
    size_t window_ = 0;  // bytes at p_
    size_t pos_ = 0;     // within the window
    size_t size_ = 0;
    bool ok_ = true;
};

// Appends to a growing buffer, or fills a fixed one (a header on the stack): writes past a fixed
// buffer's end are dropped and fail the writer.
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(&out) {}
    ByteWriter(void* fixed, size_t capacity) : out_(nullptr), fixed_(static_cast<uint8_t*>(fixed)), cap_(capacity) {}
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    bool ok() const { return ok_; }
    size_t size() const { return out_ ? out_->size() : len_; }

    void u8(uint8_t v) { put(&v, 1); }
    void u16(uint16_t v) {
        const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        put(b, 2);
    }
    void u32(uint32_t v) {
        const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        put(b, 4);
    }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void u16be(uint16_t v) {
        const uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
        put(b, 2);
    }
    void bytes(const void* src, size_t n) { put(src, n); }
    // The writing side of ByteReader::fields.
    template <class... T>
    void fields(const T&... v) {
        static_assert((bytes_detail::IsField<T>() && ...), "fields are whole numbers or arrays of bytes");
        constexpr size_t n = (size_t(0) + ... + sizeof(T));
        uint8_t* p = grow(n);
        if (p) (bytes_detail::give(p, v), ...);
    }
    void zeros(size_t n) {
        if (out_) {
            out_->insert(out_->end(), n, 0);
        } else if (n && room(n)) {
            std::memset(fixed_ + len_, 0, n);
            len_ += n;
        }
    }
    void str32(std::string_view s) {
        u32(uint32_t(s.size()));
        bytes(s.data(), s.size());
    }
    // Overwrites a 32-bit value written earlier (offsets filled in after the data).
    void patchU32(size_t at, uint32_t v) {
        if (at > size() || size() - at < 4) {
            ok_ = false;
            return;
        }
        bytes_detail::store32((out_ ? out_->data() : fixed_) + at, v);
    }

private:
    void put(const void* src, size_t n) {
        auto b = static_cast<const uint8_t*>(src);
        if (out_) {
            out_->insert(out_->end(), b, b + n);
        } else if (n && room(n)) {
            std::memcpy(fixed_ + len_, b, n);
            len_ += n;
        }
    }
    // Room for n bytes at the end, to fill in place; null when a fixed buffer is full.
    uint8_t* grow(size_t n) {
        if (out_) {
            const size_t at = out_->size();
            out_->resize(at + n);
            return out_->data() + at;
        }
        if (!room(n)) return nullptr;
        len_ += n;
        return fixed_ + len_ - n;
    }
    bool room(size_t n) {
        if (ok_ && n <= cap_ - len_) return true;
        ok_ = false;
        return false;
    }

    std::vector<uint8_t> own_;
    std::vector<uint8_t>* out_ = &own_;
    uint8_t* fixed_ = nullptr;
    size_t cap_ = 0, len_ = 0;
    bool ok_ = true;
};

}  // namespace platform
