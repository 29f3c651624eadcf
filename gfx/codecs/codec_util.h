#pragma once
// Helpers shared by the decoders (not part of the library's interface): errors that name the file,
// the size check every decoder makes before it allocates, and bounds-checked little-endian reads.

#include "gfx/codecs/codecs.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlin::gfx::detail {

[[noreturn]] inline void fail(const std::string& name, const std::string& what) {
    throw PictureError(name + ": " + what);
}

// Refuses a picture that is empty or larger than the limits allow.
inline void checkPictureSize(long long width, long long height, const DecodeLimits& limits,
                             const std::string& name) {
    if (width <= 0 || height <= 0)
        fail(name, "empty picture (" + std::to_string(width) + "x" + std::to_string(height) + ")");
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
        fail(name, "picture too large (" + std::to_string(width) + "x" + std::to_string(height) + ")");
}

// A read cursor over a byte span that refuses to step outside it.
class Reader {
public:
    Reader(ByteSpan data, const std::string& name) : data_(data), name_(name) {}

    std::size_t size() const { return data_.size(); }
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    void need(std::size_t offset, std::size_t count, const char* what) const {
        if (!has(offset, count)) fail(name_, std::string("file ends inside the ") + what);
    }
    std::uint8_t u8(std::size_t at) const { return data_[at]; }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
    }
    std::uint32_t u32(std::size_t at) const {
        return std::uint32_t{data_[at]} | (std::uint32_t{data_[at + 1]} << 8) |
               (std::uint32_t{data_[at + 2]} << 16) | (std::uint32_t{data_[at + 3]} << 24);
    }
    std::int32_t s32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    const std::uint8_t* ptr(std::size_t at) const { return data_.data() + at; }
    ByteSpan sub(std::size_t offset, std::size_t count) const { return data_.subspan(offset, count); }
    const std::string& name() const { return name_; }

private:
    ByteSpan data_;
    const std::string& name_;
};

} // namespace vorlin::gfx::detail
