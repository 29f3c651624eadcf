#pragma once
// The two record readers behind decodeMetafileData, and the small byte helpers they share.

#include "gfx/metafile/metafile.h"

#include <cstring>
#include <string>

namespace vorlin::gfx::metafile {

DecodedPicture playEmf(const std::uint8_t* data, std::size_t size, const std::string& name,
                       const MetafileLimits& limits);
DecodedPicture playWmf(const std::uint8_t* data, std::size_t size, const std::string& name,
                       const MetafileLimits& limits);

// Pixels that the pattern brushes of one metafile may keep; further patterns paint as solid grey, so that
// thousands of brush objects cannot hold gigabytes.
inline constexpr std::size_t kMaxPatternBytes = 64u << 20;

// The integer of type T at `p` (any alignment; the files' little-endian order is the machine's).
template <class T> inline T readAt(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline std::uint32_t readU32(const std::uint8_t* p) {
    return readAt<std::uint32_t>(p);
}
inline std::int32_t readI32(const std::uint8_t* p) {
    return readAt<std::int32_t>(p);
}
inline std::uint16_t readU16(const std::uint8_t* p) {
    return readAt<std::uint16_t>(p);
}
inline std::int16_t readI16(const std::uint8_t* p) {
    return readAt<std::int16_t>(p);
}

// True when [offset, offset + count·unit) lies inside a record of `size` bytes, without overflow.
inline bool fits(std::uint64_t offset, std::uint64_t count, std::uint64_t unit, std::uint64_t size) {
    return offset <= size && (unit == 0 || count <= (size - offset) / unit);
}

// Checks a picture size against the limits before anything is allocated; throws PictureError.
void checkPictureSize(long long width, long long height, const std::string& name,
                      const MetafileLimits& limits);

// The work budget for a picture of width × height pixels (see MetafileLimits).
long long workBudget(long long width, long long height, const MetafileLimits& limits);

// The canvas's pixels and coverage as a decoded picture.
DecodedPicture finishPicture(class Canvas& canvas);

} // namespace vorlin::gfx::metafile
