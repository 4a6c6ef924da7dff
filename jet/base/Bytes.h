#pragma once
// Bounds-checked little-endian access to bytes read from a file. Every read names the offset it
// wants; one that falls outside the view throws Corrupt instead of reading past the buffer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "jet/base/Error.h"

namespace jet {

class ByteView {
public:
    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Whether the bytes are those of `text`.
    bool holds(std::string_view text) const {
        return size_ == text.size() && (size_ == 0 || std::memcmp(data_, text.data(), size_) == 0);
    }

    bool contains(std::size_t offset, std::size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    // The check is inlined where bytes are read; only the error is made out of line.
    void need(std::size_t offset, std::size_t length, const char* what = "field") const {
        if (!contains(offset, length)) [[unlikely]]
            outside(offset, length, what);
    }

    ByteView sub(std::size_t offset, std::size_t length, const char* what = "field") const {
        need(offset, length, what);
        return ByteView(data_ + offset, length);
    }
    ByteView from(std::size_t offset) const {
        need(offset, 0);
        return ByteView(data_ + offset, size_ - offset);
    }

    std::uint8_t u8(std::size_t o) const {
        need(o, 1);
        return data_[o];
    }
    std::uint16_t u16(std::size_t o) const {
        need(o, 2);
        return static_cast<std::uint16_t>(data_[o] | data_[o + 1] << 8);
    }
    std::uint32_t u24(std::size_t o) const {
        need(o, 3);
        return data_[o] | data_[o + 1] << 8 | static_cast<std::uint32_t>(data_[o + 2]) << 16;
    }
    std::uint32_t u32(std::size_t o) const {
        need(o, 4);
        return data_[o] | data_[o + 1] << 8 | static_cast<std::uint32_t>(data_[o + 2]) << 16 |
               static_cast<std::uint32_t>(data_[o + 3]) << 24;
    }
    std::int32_t i32(std::size_t o) const { return static_cast<std::int32_t>(u32(o)); }
    std::uint64_t u64(std::size_t o) const { return u32(o) | static_cast<std::uint64_t>(u32(o + 4)) << 32; }
    std::int64_t i64(std::size_t o) const { return static_cast<std::int64_t>(u64(o)); }
    float f32(std::size_t o) const {
        std::uint32_t bits = u32(o);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double f64(std::size_t o) const {
        std::uint64_t bits = u64(o);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    [[noreturn, gnu::cold, gnu::noinline]] void outside(std::size_t offset, std::size_t length,
                                                        const char* what) const;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace jet
