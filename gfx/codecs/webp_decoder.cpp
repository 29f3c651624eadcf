// Still WebP pictures through libwebp, lossy or lossless. Pictures without alpha are decoded straight
// into the bitmap's rows; with alpha, into a blue-green-red-alpha buffer that is then split. Animated
// files are refused (libwebp's simple decoder reads no animation), as are files that end early.

#include "gfx/codecs/codec_util.h"

#include <vector>

#include <webp/decode.h>

namespace vorlin::gfx {

DecodedPicture decodeWebp(ByteSpan data, const std::string& name, const DecodeLimits& limits) {
    WebPBitstreamFeatures f{};
    const VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &f);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) detail::fail(name, "file ends inside the WebP header");
    if (status != VP8_STATUS_OK) detail::fail(name, "not a WebP file");
    if (f.has_animation) detail::fail(name, "animated WebP is not supported");
    detail::checkPictureSize(f.width, f.height, limits, name);

    DecodedPicture out;
    out.pixels = Bitmap(f.width, f.height);
    Bitmap& b = out.pixels;
    if (!f.has_alpha) {
        if (!WebPDecodeBGRInto(data.data(), data.size(), b.bits(), b.byteCount(), b.stride()))
            detail::fail(name, "damaged or incomplete WebP data");
        return out;
    }
    const std::size_t w = static_cast<std::size_t>(f.width), h = static_cast<std::size_t>(f.height);
    std::vector<std::uint8_t> bgra(w * h * 4);
    if (!WebPDecodeBGRAInto(data.data(), data.size(), bgra.data(), bgra.size(), static_cast<int>(w * 4)))
        detail::fail(name, "damaged or incomplete WebP data");
    out.alpha.resize(w * h);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* s = bgra.data() + y * w * 4;
        std::uint8_t* d = b.scanLine(static_cast<int>(y));
        for (std::size_t x = 0; x < w; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            out.alpha[y * w + x] = s[3];
        }
    }
    return out;
}

} // namespace vorlin::gfx
