// HEIC, HEIF and AVIF pictures through libheif (HEVC and AV1 inside one container). The file is read
// from the caller's bytes without a copy; libheif refuses any image whose declared size passes the side
// limit while it reads the boxes, and the primary image's size is checked against the limits before
// anything is decoded. The picture comes out as 8-bit RGB or RGBA (deeper pictures are brought to 8 bits
// by libheif) on the caller's thread, already turned and mirrored by the container's own transforms
// (irot/imir; an EXIF orientation in the file is not applied on top). With a fit, the kept part is
// sampled from libheif's picture straight into the result, so the picture is held at full size once; a
// picture that is only shrunk is decoded from an embedded thumbnail instead when one covers the result.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/picture_fit.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include <libheif/heif.h>

namespace vorlin::gfx {

namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(const heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<const heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<const heif_image, ImageRelease>;

void check(const heif_error& error, const std::string& name) {
    if (error.code != heif_error_Ok)
        detail::fail(name, error.message && *error.message ? error.message : "unreadable HEIF data");
}

// The primary image decoded to interleaved 8-bit RGB(A).
Image decodeImage(const heif_image_handle* handle, bool alpha, const std::string& name) {
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options) detail::fail(name, "out of memory");
    options->convert_hdr_to_8bit = 1;
    heif_image* image = nullptr;
    const heif_error error =
        heif_decode_image(handle, &image, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    Image owned(image);
    check(error, name);
    if (!owned) detail::fail(name, "unreadable HEIF data");
    return owned;
}

// The smallest embedded thumbnail that still covers what the plan keeps of a W × H picture: only for a
// plan that keeps the whole picture (a crop needs full-size pixels), and only a thumbnail of the
// picture's shape (so one that was not turned with the picture is never taken for it).
Handle coveringThumbnail(const heif_image_handle* picture, const FitPlan& plan, int w, int h,
                         const DecodeLimits& limits) {
    if (plan.crop != Rect{0, 0, w, h} || (plan.size.width >= w && plan.size.height >= h)) return {};
    const int count = heif_image_handle_get_number_of_thumbnails(picture);
    if (count <= 0) return {};
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    ids.resize(
        static_cast<std::size_t>(heif_image_handle_get_list_of_thumbnail_IDs(picture, ids.data(), count)));
    Handle best;
    long long bestArea = 0;
    for (const heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(picture, id, &raw).code != heif_error_Ok || !raw) continue;
        Handle thumb(raw);
        const long long tw = heif_image_handle_get_width(raw), th = heif_image_handle_get_height(raw);
        const bool sameShape = std::llabs(tw * h - th * static_cast<long long>(w)) <= std::max(w, h);
        const bool covers = tw >= plan.size.width && th >= plan.size.height && tw < w && th < h;
        const bool allowed = tw * th <= limits.maxPixels && tw <= limits.maxSide && th <= limits.maxSide;
        if (sameShape && covers && allowed && (!best || tw * th < bestArea)) {
            bestArea = tw * th;
            best = std::move(thumb);
        }
    }
    return best;
}

} // namespace

DecodedPicture decodeHeif(ByteSpan data, const std::string& name, const DecodeLimits& limits,
                          const PictureFit& fit) {
    Context context(heif_context_alloc());
    if (!context) detail::fail(name, "out of memory");
    // libheif refuses a side at or above its limit as it reads the boxes.
    heif_context_set_maximum_image_size_limit(context.get(), limits.maxSide + 1);
    // Tiles (grid pictures) are decoded here rather than on threads of libheif's own.
    heif_context_set_max_decoding_threads(context.get(), 0);
    check(heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(), nullptr), name);

    heif_image_handle* rawHandle = nullptr;
    const heif_error found = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    const Handle handle(rawHandle);
    check(found, name);
    if (!handle) detail::fail(name, "no picture in the HEIF file");
    const int fullW = heif_image_handle_get_width(handle.get());
    const int fullH = heif_image_handle_get_height(handle.get());
    detail::checkPictureSize(fullW, fullH, limits, name);

    // A picture only going to be shrunk is decoded from an embedded thumbnail that covers the result; a
    // thumbnail that does not decode leaves the picture itself to be decoded.
    Handle thumbnail = coveringThumbnail(handle.get(), planFit(fit, fullW, fullH), fullW, fullH, limits);
    bool hasAlpha = false;
    Image image;
    if (thumbnail) {
        try {
            hasAlpha = heif_image_handle_has_alpha_channel(thumbnail.get()) != 0;
            image = decodeImage(thumbnail.get(), hasAlpha, name);
        } catch (const PictureError&) {
            thumbnail.reset();
        }
    }
    if (!image) {
        hasAlpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
        image = decodeImage(handle.get(), hasAlpha, name);
    }
    // The decoded size rules from here on: the declared one may differ from what the stream held.
    const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
    detail::checkPictureSize(w, h, limits, name);
    const int channels = hasAlpha ? 4 : 3;
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || heif_image_get_bits_per_pixel(image.get(), heif_channel_interleaved) != 8 * channels ||
        stride < w * channels)
        detail::fail(name, "unexpected HEIF pixel layout");
    const bool premultiplied =
        hasAlpha && heif_image_is_premultiplied_alpha(const_cast<heif_image*>(image.get()));

    // The plan in the picture's pixels; a thumbnail stands for the whole picture at its smaller size.
    const int pw = thumbnail ? fullW : w, ph = thumbnail ? fullH : h;
    const FitPlan plan = planFit(fit, pw, ph);
    const int ow = plan.size.width, oh = plan.size.height;
    const std::vector<int> xs = sampleAxis(ow, plan.crop.Left, plan.crop.width(), w, pw);
    const std::vector<int> ys = sampleAxis(oh, plan.crop.Top, plan.crop.height(), h, ph);
    DecodedPicture out;
    out.pixels = Bitmap(ow, oh);
    if (thumbnail || !plan.whole(w, h)) {
        out.fullWidth = pw;
        out.fullHeight = ph;
    }
    if (hasAlpha) out.alpha.resize(static_cast<std::size_t>(ow) * oh);
    for (int y = 0; y < oh; ++y) {
        const std::uint8_t* row = plane + static_cast<std::size_t>(ys[y]) * stride;
        std::uint8_t* d = out.pixels.scanLine(y);
        std::uint8_t* a = hasAlpha ? out.alpha.data() + static_cast<std::size_t>(y) * ow : nullptr;
        for (int x = 0; x < ow; ++x, d += 3) {
            const std::uint8_t* s = row + static_cast<std::size_t>(xs[x]) * channels;
            unsigned r = s[0], g = s[1], b = s[2];
            if (a) {
                const unsigned k = s[3];
                a[x] = static_cast<std::uint8_t>(k);
                if (premultiplied && k != 0 && k != 255) {
                    r = std::min(255u, (r * 255 + k / 2) / k);
                    g = std::min(255u, (g * 255 + k / 2) / k);
                    b = std::min(255u, (b * 255 + k / 2) / k);
                }
            }
            d[0] = static_cast<std::uint8_t>(b);
            d[1] = static_cast<std::uint8_t>(g);
            d[2] = static_cast<std::uint8_t>(r);
        }
    }
    return out;
}

} // namespace vorlin::gfx
