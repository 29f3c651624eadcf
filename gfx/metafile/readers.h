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

inline std::uint32_t readU32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline std::int32_t readI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(readU32(p));
}
inline std::uint16_t readU16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline std::int16_t readI16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(readU16(p));
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
