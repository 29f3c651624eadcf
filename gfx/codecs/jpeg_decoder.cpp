// JPEG through libjpeg, called directly. libjpeg reports a fatal fault by calling error_exit; ours jumps
// back here with longjmp and the fault becomes a PictureError, so libjpeg never ends the process. All C++
// objects the jump could cross are created before setjmp. Warnings (such as "premature end of data",
// where libjpeg fills the rest of the picture with grey) are not fatal and are dropped.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/fit_inside.h"
#include "gfx/codecs/orientation.h"
#include "gfx/codecs/picture_fit.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <vector>

#include <jpeglib.h>

namespace vorlin::gfx {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr) {}

// Pictures above this many pixels must come with at least one byte per kMaxJpegPixelsPerByte pixels
// (a flat grey picture from ImageMagick has about one byte per 250 pixels).
constexpr long long kPlausibilityCheckedPixels = 16'000'000;
constexpr long long kMaxJpegPixelsPerByte = 1024;

// A hostile progressive file can hold thousands of tiny scans, each a pass over the whole picture.
constexpr int kMaxScans = 1000;

struct Progress {
    jpeg_progress_mgr pub;
};

void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, JMSG_LENGTH_MAX, "more than %d scans", kMaxScans);
        std::longjmp(err->jump, 1);
    }
}

inline std::uint8_t mul255(unsigned a, unsigned b) {
    return static_cast<std::uint8_t>((a * b + 127) / 255);
}

void cmykToBgr(const std::uint8_t* s, std::uint8_t* d, int width, bool inverted) {
    for (int x = 0; x < width; ++x, s += 4, d += 3) {
        const unsigned c = inverted ? s[0] : 255 - s[0], m = inverted ? s[1] : 255 - s[1],
                       y = inverted ? s[2] : 255 - s[2], k = inverted ? s[3] : 255 - s[3];
        d[0] = mul255(y, k);
        d[1] = mul255(m, k);
        d[2] = mul255(c, k);
    }
}

// The source pixel under the centre of pixel j when m pixels are shrunk to n: the stretch rule of the
// blits, so that a streamed shrink equals a decode followed by a stretch.
inline int centreSample(long long j, long long n, long long m) {
    return static_cast<int>((2 * j + 1) * m / (2 * n));
}

// Copies the pixels of one decoded row (sy of a W x H stored picture) that the fitted, upright picture
// samples. Orientations 1-4 turn a stored row into an upright row, 5-8 into an upright column.
void sampleRow(const std::uint8_t* row, int sy, int W, int H, int orientation, const std::vector<int>& uxOf,
               const std::vector<int>& uyOf, Bitmap& out) {
    auto copy = [&](int sx, int ox, int oy) {
        const std::uint8_t* s = row + 3 * sx;
        std::uint8_t* d = out.scanLine(oy) + 3 * ox;
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    };
    if (!orientationSwapsSides(orientation)) {
        const int uy = (orientation == 3 || orientation == 4) ? H - 1 - sy : sy;
        const bool mirror = orientation == 2 || orientation == 3;
        for (int oy = 0; oy < out.height(); ++oy) {
            if (uyOf[oy] != uy) continue;
            for (int ox = 0; ox < out.width(); ++ox) copy(mirror ? W - 1 - uxOf[ox] : uxOf[ox], ox, oy);
        }
        return;
    }
    const int ux = (orientation == 6 || orientation == 7) ? H - 1 - sy : sy;
    const bool mirror = orientation == 7 || orientation == 8;
    for (int ox = 0; ox < out.width(); ++ox) {
        if (uxOf[ox] != ux) continue;
        for (int oy = 0; oy < out.height(); ++oy) copy(mirror ? W - 1 - uyOf[oy] : uyOf[oy], ox, oy);
    }
}

} // namespace

int jpegScaleCovering(int width, int height, PictureSize target) {
    // libjpeg's scaled size is the size divided by the denominator, rounded up.
    for (const int d : {8, 4, 2})
        if ((width + d - 1) / d >= target.width && (height + d - 1) / d >= target.height) return d;
    return 1;
}

int jpegScaleDenominator(int width, int height, int boxWidth, int boxHeight) {
    return jpegScaleCovering(width, height, fitInsideSize(width, height, boxWidth, boxHeight));
}

DecodedPicture decodeJpeg(ByteSpan data, const std::string& name, const JpegOptions& options,
                          const DecodeLimits& limits) {
    DecodedPicture out;
    Bitmap stored;
    std::vector<std::uint8_t> cmykRow, row;
    std::vector<int> uxOf, uyOf;
    PictureSize fit_;
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    Progress progress{};
    volatile int orientation = 1; // set after setjmp

    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        detail::fail(name, err.message);
    }
    jpeg_create_decompress(&cinfo);
    progress.pub.progress_monitor = onProgress;
    cinfo.progress = &progress.pub;
    if (data.empty()) {
        std::snprintf(err.message, JMSG_LENGTH_MAX, "empty file");
        std::longjmp(err.jump, 1);
    }
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);

    if (options.applyOrientation)
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
            if (m->marker == JPEG_APP0 + 1) {
                const int found = exifOrientation(m->data, m->data_length);
                orientation = found;
                if (found != 1) break;
            }

    if (cinfo.image_width > static_cast<unsigned>(limits.maxSide) ||
        cinfo.image_height > static_cast<unsigned>(limits.maxSide) ||
        static_cast<long long>(cinfo.image_width) * cinfo.image_height > limits.maxPixels) {
        std::snprintf(err.message, JMSG_LENGTH_MAX, "picture too large (%ux%u)", cinfo.image_width,
                      cinfo.image_height);
        std::longjmp(err.jump, 1);
    }
    // Even a flat grey picture costs a bit or two per 8x8 block (Huffman coding); a large picture from
    // far less data than that is a hostile header: libjpeg would allocate all of it and fill it with grey.
    const long long pixels = static_cast<long long>(cinfo.image_width) * cinfo.image_height;
    if (pixels > kPlausibilityCheckedPixels &&
        pixels > kMaxJpegPixelsPerByte * static_cast<long long>(data.size())) {
        std::snprintf(err.message, JMSG_LENGTH_MAX, "too little data for a %ux%u picture", cinfo.image_width,
                      cinfo.image_height);
        std::longjmp(err.jump, 1);
    }

    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        break;
    default:
        std::snprintf(err.message, JMSG_LENGTH_MAX, "unsupported colour space (%d components)",
                      cinfo.num_components);
        std::longjmp(err.jump, 1);
    }
    cinfo.dct_method = JDCT_ISLOW;

    // Only what the fit keeps is decoded: at the strongest DCT scaling whose result still covers the kept
    // size over the kept part (a cut-out shown unscaled is decoded at full scale); a cut-out skips the rows
    // above it and decodes only the columns around it.
    const int upright = orientation;
    const bool swap = orientationSwapsSides(upright);
    const int uprightW = static_cast<int>(swap ? cinfo.image_height : cinfo.image_width);
    const int uprightH = static_cast<int>(swap ? cinfo.image_width : cinfo.image_height);
    PictureFit fit = options.fit;
    if (fit.rule == PictureFit::Rule::Whole && options.boxWidth > 0 && options.boxHeight > 0)
        fit = PictureFit::inside(options.boxWidth, options.boxHeight);
    const FitPlan plan = planFit(fit, uprightW, uprightH);
    const bool cropped = plan.crop != Rect{0, 0, uprightW, uprightH};
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        static_cast<unsigned>(jpegScaleCovering(plan.crop.width(), plan.crop.height(), plan.size));

    jpeg_start_decompress(&cinfo);
    const int W = static_cast<int>(cinfo.output_width), H = static_cast<int>(cinfo.output_height);
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    // Adobe writes CMYK inverted (0 = full ink); other writers store plain ink amounts.
    const bool inverted = cinfo.saw_Adobe_marker;
    const int decodedUprightW = swap ? H : W, decodedUprightH = swap ? W : H;
    fit_ = plan.size;
    const bool streaming = cropped || fit_.width != decodedUprightW || fit_.height != decodedUprightH;

    int rowWidth = W, firstRow = 0, endRow = H, rowOffset = 0;
    if (streaming) {
        // Each row is sampled into the kept picture as it arrives, so that neither the full picture nor
        // the scaled one is ever held.
        out.pixels = Bitmap(fit_.width, fit_.height);
        uxOf = sampleAxis(fit_.width, plan.crop.Left, plan.crop.width(), decodedUprightW, uprightW);
        uyOf = sampleAxis(fit_.height, plan.crop.Top, plan.crop.height(), decodedUprightH, uprightH);
        if (cropped && upright == 1) {
            // Stored rows are upright rows: decode only the columns and rows the cut-out needs. libjpeg
            // widens the columns to whole blocks and says where they start.
            JDIMENSION x = static_cast<JDIMENSION>(uxOf.front());
            JDIMENSION width = static_cast<JDIMENSION>(uxOf.back() + 1) - x;
            jpeg_crop_scanline(&cinfo, &x, &width);
            rowOffset = static_cast<int>(x);
            rowWidth = static_cast<int>(width);
            firstRow = uyOf.front();
            endRow = uyOf.back() + 1;
            if (firstRow > 0) jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(firstRow));
            for (int& c : uxOf) c -= rowOffset;
        }
        row.resize(static_cast<std::size_t>(rowWidth) * 3);
    } else {
        stored = Bitmap(W, H);
    }
    if (cmyk) cmykRow.resize(static_cast<std::size_t>(rowWidth) * 4);
    while (static_cast<int>(cinfo.output_scanline) < endRow) {
        if (options.cancel && options.cancel->load(std::memory_order_relaxed)) {
            std::snprintf(err.message, JMSG_LENGTH_MAX, "loading cancelled");
            std::longjmp(err.jump, 1);
        }
        const int sy = static_cast<int>(cinfo.output_scanline);
        std::uint8_t* bgr = streaming ? row.data() : stored.scanLine(sy);
        JSAMPROW dest = cmyk ? cmykRow.data() : bgr;
        jpeg_read_scanlines(&cinfo, &dest, 1);
        if (cmyk) cmykToBgr(cmykRow.data(), bgr, rowWidth, inverted);
        if (streaming) sampleRow(bgr, sy, W, H, upright, uxOf, uyOf, out.pixels);
    }
    const bool reduced = cinfo.scale_denom > 1 || streaming;
    // The rows below a cut-out are never read: the decoder is released without finishing.
    if (endRow == H) jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    if (!streaming) out.pixels = upright == 1 ? std::move(stored) : applyOrientation(stored, upright);
    if (reduced) {
        out.fullWidth = uprightW;
        out.fullHeight = uprightH;
    }
    return out;
}

} // namespace vorlin::gfx
