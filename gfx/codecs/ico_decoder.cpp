// Icon and cursor files: a directory of images, each a DIB (with its AND mask) or a whole PNG file. The
// picture shown is the largest image, and among equally large ones the deepest. The sizes used for the
// choice come from each image's own header, since directories are often wrong about them.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/dib.h"

#include <algorithm>
#include <cstring>

namespace vorlin::gfx {

using detail::fail;
using detail::Reader;

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool isPng(ByteSpan d) {
    return d.size() >= 8 && std::memcmp(d.data(), kPngSignature, 8) == 0;
}

struct Candidate {
    ByteSpan data;
    long long area = 0;
    int depth = 0;
};

} // namespace

DecodedPicture decodeIco(ByteSpan data, const std::string& name, const DecodeLimits& limits) {
    const Reader in(data, name);
    in.need(0, 6, "icon directory");
    const int type = in.u16(2);
    if (in.u16(0) != 0 || (type != 1 && type != 2)) fail(name, "not an icon file");
    const int count = in.u16(4);
    if (count == 0) fail(name, "icon file without images");
    in.need(6, static_cast<std::size_t>(count) * 16, "icon directory");

    std::optional<Candidate> best;
    for (int i = 0; i < count; ++i) {
        const std::size_t e = 6 + static_cast<std::size_t>(i) * 16;
        const std::uint32_t size = in.u32(e + 8), offset = in.u32(e + 12);
        if (!in.has(offset, size) || size == 0) continue; // an entry outside the file is skipped
        const ByteSpan img = in.sub(offset, size);
        Candidate c{img};
        if (isPng(img)) {
            // IHDR: width, height, bit depth and colour type at fixed places.
            if (img.size() < 33) continue;
            const Reader r(img, name);
            auto be32 = [&](std::size_t at) {
                return (std::uint32_t{r.u8(at)} << 24) | (r.u8(at + 1) << 16) | (r.u8(at + 2) << 8) |
                       r.u8(at + 3);
            };
            const int channels[] = {1, 0, 3, 1, 2, 0, 4};
            const int colorType = r.u8(25);
            // Sides beyond 2^31 are invalid PNG anyway; clamping keeps the product in range.
            c.area =
                static_cast<long long>(std::min(be32(16), 0x7FFFFFFFu)) * std::min(be32(20), 0x7FFFFFFFu);
            c.depth = r.u8(24) * (colorType <= 6 ? channels[colorType] : 0);
        } else {
            const auto shape = detail::peekDib(img, true);
            if (!shape) continue;
            c.area = static_cast<long long>(shape->width) * shape->height;
            c.depth = shape->bitCount;
        }
        if (!best || c.area > best->area || (c.area == best->area && c.depth > best->depth)) best = c;
    }
    if (!best) fail(name, "no readable image in the icon file");
    if (isPng(best->data)) return decodePng(best->data, name, limits);
    return detail::decodeDib(best->data, std::nullopt, true, name, limits);
}

} // namespace vorlin::gfx
