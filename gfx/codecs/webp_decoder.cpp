// Still WebP pictures through libwebp, lossy or lossless. With a fit, libwebp crops and scales while it
// decodes, so the picture is never held at its full size. Pictures without alpha are decoded straight
// into the bitmap's rows; with alpha, into a blue-green-red-alpha buffer of the result's size that is
// then split. Animated files are refused (libwebp's simple decoder reads no animation), as are files that
// end early.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/picture_fit.h"

#include <vector>

#include <webp/decode.h>

namespace vorlin::gfx {

DecodedPicture decodeWebp(ByteSpan data, const std::string& name, const DecodeLimits& limits,
                          const PictureFit& fit) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) detail::fail(name, "WebP decoder version mismatch");
    WebPBitstreamFeatures& f = config.input;
    const VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &f);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) detail::fail(name, "file ends inside the WebP header");
    if (status != VP8_STATUS_OK) detail::fail(name, "not a WebP file");
    if (f.has_animation) detail::fail(name, "animated WebP is not supported");
    detail::checkPictureSize(f.width, f.height, limits, name);

    const FitPlan plan = planFit(fit, f.width, f.height);
    DecodedPicture out;
    if (!plan.whole(f.width, f.height)) {
        out.fullWidth = f.width;
        out.fullHeight = f.height;
        const Rect& c = plan.crop;
        if (c != Rect{0, 0, f.width, f.height}) {
            // libwebp moves a crop's corner to even coordinates; an odd one keeps one column or row more.
            config.options.use_cropping = 1;
            config.options.crop_left = c.Left & ~1;
            config.options.crop_top = c.Top & ~1;
            config.options.crop_width = c.Right - config.options.crop_left;
            config.options.crop_height = c.Bottom - config.options.crop_top;
        }
        if (plan.size.width != c.width() || plan.size.height != c.height() || (c.Left | c.Top) & 1) {
            config.options.use_scaling = 1;
            config.options.scaled_width = plan.size.width;
            config.options.scaled_height = plan.size.height;
        }
    }
    const int w = plan.size.width, h = plan.size.height;
    out.pixels = Bitmap(w, h);
    Bitmap& b = out.pixels;
    std::vector<std::uint8_t> bgra;
    WebPDecBuffer& o = config.output;
    o.is_external_memory = 1;
    if (!f.has_alpha) {
        o.colorspace = MODE_BGR;
        o.u.RGBA.rgba = b.bits();
        o.u.RGBA.stride = b.stride();
        o.u.RGBA.size = b.byteCount();
    } else {
        bgra.resize(static_cast<std::size_t>(w) * h * 4);
        o.colorspace = MODE_BGRA;
        o.u.RGBA.rgba = bgra.data();
        o.u.RGBA.stride = w * 4;
        o.u.RGBA.size = bgra.size();
    }
    const VP8StatusCode decoded = WebPDecode(data.data(), data.size(), &config);
    WebPFreeDecBuffer(&o);
    if (decoded != VP8_STATUS_OK) detail::fail(name, "damaged or incomplete WebP data");
    if (!f.has_alpha) return out;
    out.alpha.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = bgra.data() + static_cast<std::size_t>(y) * w * 4;
        std::uint8_t* d = b.scanLine(y);
        for (int x = 0; x < w; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            out.alpha[static_cast<std::size_t>(y) * w + x] = s[3];
        }
    }
    return out;
}

} // namespace vorlin::gfx
