// PNG through libpng, from memory. libpng reports a fatal fault through longjmp to the setjmp below; the
// C++ objects the jump could cross are all created before it. Every colour type and depth is expanded to
// 8-bit blue-green-red-alpha; the alpha plane is kept only when the file has transparency (an alpha
// channel or a tRNS chunk). A file that ends early is refused.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/picture_fit.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

namespace vorlin::gfx {

namespace {

struct Source {
    ByteSpan data;
    std::size_t pos = 0;
    char message[256] = {};
};

void readBytes(png_structp png, png_bytep out, png_size_t len) {
    auto* s = static_cast<Source*>(png_get_io_ptr(png));
    if (len > s->data.size() - s->pos) png_error(png, "file ends inside the PNG data");
    std::memcpy(out, s->data.data() + s->pos, len);
    s->pos += len;
}

void onError(png_structp png, png_const_charp text) {
    auto* s = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(s->message, sizeof s->message, "%s", text ? text : "unreadable PNG data");
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

} // namespace

DecodedPicture decodePng(ByteSpan data, const std::string& name, const DecodeLimits& limits,
                         const PictureFit& fit) {
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) detail::fail(name, "not a PNG file");
    DecodedPicture out;
    std::vector<std::uint8_t> bgra;
    std::vector<png_bytep> rows;
    std::vector<int> xs, ys;
    Source src{data};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, onError, onWarning);
    if (!png) detail::fail(name, "out of memory");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        detail::fail(name, "out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        detail::fail(name, src.message);
    }
    png_set_read_fn(png, &src, readBytes);
    png_set_user_limits(png, static_cast<png_uint_32>(limits.maxSide),
                        static_cast<png_uint_32>(limits.maxSide));
    png_set_chunk_malloc_max(png, 16u << 20); // text and other ancillary chunks
    png_read_info(png, info);

    const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (static_cast<long long>(w) * h > limits.maxPixels) png_error(png, "picture too large");
    // Deflate packs at most 1032 bytes into one, so the file must hold at least the filtered rows / 1032:
    // a tiny file declaring a large picture is refused before the picture is allocated.
    const long long rawBytes =
        static_cast<long long>(h) * (1 + static_cast<long long>(png_get_rowbytes(png, info)));
    if (rawBytes / 1032 > static_cast<long long>(data.size()))
        png_error(png, "too little data for the picture size");
    const int colorType = png_get_color_type(png, info);
    const bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);

    png_set_expand(png); // palette → RGB, grey below 8 bits → 8 bits, tRNS → alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(w) * 4)
        png_error(png, "unexpected row layout");

    // The kept part of the picture, sampled row by row (source row ys[o] gives result row o).
    const FitPlan plan = planFit(fit, static_cast<int>(w), static_cast<int>(h));
    const int ow = plan.size.width, oh = plan.size.height;
    xs = sampleAxis(ow, plan.crop.Left, plan.crop.width(), static_cast<int>(w), static_cast<int>(w));
    ys = sampleAxis(oh, plan.crop.Top, plan.crop.height(), static_cast<int>(h), static_cast<int>(h));
    out.pixels = Bitmap(ow, oh);
    if (hasAlpha) out.alpha.resize(static_cast<std::size_t>(ow) * oh);
    if (!plan.whole(static_cast<int>(w), static_cast<int>(h))) {
        out.fullWidth = static_cast<int>(w);
        out.fullHeight = static_cast<int>(h);
    }
    // Writes every result row that samples source row y.
    std::size_t next = 0;
    auto split = [&](const std::uint8_t* s, png_uint_32 y) {
        for (; next < ys.size() && ys[next] == static_cast<int>(y); ++next) {
            std::uint8_t* d = out.pixels.scanLine(static_cast<int>(next));
            std::uint8_t* a = hasAlpha ? out.alpha.data() + next * ow : nullptr;
            for (int x = 0; x < ow; ++x, d += 3) {
                const std::uint8_t* p = s + 4 * xs[x];
                d[0] = p[0];
                d[1] = p[1];
                d[2] = p[2];
                if (a) a[x] = p[3];
            }
        }
    };
    if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
        // Row by row through one row buffer: the picture is never held at its full size. Every row is
        // read, kept or not, so that a damaged file fails as it does without a fit.
        bgra.resize(static_cast<std::size_t>(w) * 4);
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, bgra.data(), nullptr);
            split(bgra.data(), y);
        }
    } else {
        // Interlaced passes revisit every row: keep the whole picture until the last pass.
        bgra.resize(static_cast<std::size_t>(w) * h * 4);
        rows.resize(h);
        for (png_uint_32 y = 0; y < h; ++y) rows[y] = bgra.data() + static_cast<std::size_t>(y) * w * 4;
        png_read_image(png, rows.data());
        for (png_uint_32 y = 0; y < h; ++y) split(rows[y], y);
    }
    // The chunks after the image data are not needed: a file cut after its last IDAT still shows.
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

} // namespace vorlin::gfx
