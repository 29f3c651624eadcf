#include "gfx/metafile/metafile.h"

#include "gfx/metafile/canvas.h"
#include "gfx/metafile/readers.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace vorlin::gfx {

namespace {

// Metafiles larger than this are refused before they are read: no real drawing comes near it.
constexpr std::uintmax_t kMaxFileBytes = 512ull << 20;

bool isEmf(const std::uint8_t* d, std::size_t n) {
    return n >= 44 && metafile::readU32(d) == 1 && metafile::readU32(d + 40) == 0x464D4520u;
}

bool isWmf(const std::uint8_t* d, std::size_t n) {
    if (n >= 4 && metafile::readU32(d) == 0x9AC6CDD7u) return true;
    return n >= 18 && (metafile::readU16(d) == 1 || metafile::readU16(d) == 2) &&
           metafile::readU16(d + 2) == 9;
}

} // namespace

bool looksLikeMetafile(const std::uint8_t* data, std::size_t size) {
    return data && (isEmf(data, size) || isWmf(data, size));
}

DecodedPicture decodeMetafileData(const std::uint8_t* data, std::size_t size, const std::string& name,
                                  const MetafileLimits& limits) {
    if (!data || size == 0) throw PictureError(name + ": empty file");
    if (isEmf(data, size)) return metafile::playEmf(data, size, name, limits);
    if (isWmf(data, size)) return metafile::playWmf(data, size, name, limits);
    throw PictureError(name + ": not a WMF or EMF file");
}

DecodedPicture decodeMetafile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw PictureError(path + ": cannot open the file");
    const std::streamoff length = in.tellg();
    if (length < 0 || static_cast<std::uintmax_t>(length) > kMaxFileBytes)
        throw PictureError(path + ": file too large for a metafile");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    in.seekg(0);
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), length))
        throw PictureError(path + ": cannot read the file");
    return decodeMetafileData(bytes.data(), bytes.size(), path);
}

namespace metafile {

void checkPictureSize(long long width, long long height, const std::string& name,
                      const MetafileLimits& limits) {
    if (width <= 0 || height <= 0) throw PictureError(name + ": picture has no size");
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > limits.maxPixels ||
        width * height > kMaxPicturePixels)
        throw PictureError(name + ": picture too large (" + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels)");
}

long long workBudget(long long width, long long height, const MetafileLimits& limits) {
    // Saturates instead of overflowing: callers may pass anything.
    constexpr long long kMax = std::numeric_limits<long long>::max() / 2;
    const long long pixels = std::max(0LL, width) * std::max(0LL, height);
    const long long perPixel = std::clamp(limits.workPerPixel, 0LL, kMax / std::max(1LL, pixels));
    return std::min(std::max(0LL, limits.workBudget), kMax) + perPixel * pixels;
}

DecodedPicture finishPicture(Canvas& canvas) {
    DecodedPicture out;
    out.pixels = std::move(canvas.pixels());
    out.alpha = std::move(canvas.coverage());
    return out;
}

} // namespace metafile

} // namespace vorlin::gfx
