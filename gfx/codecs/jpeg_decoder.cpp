// JPEG through libjpeg, called directly. libjpeg reports a fatal fault by calling error_exit; ours jumps
// back here with longjmp and the fault becomes a PictureError, so libjpeg never ends the process. All C++
// objects the jump could cross are created before setjmp. Warnings (such as "premature end of data",
// where libjpeg fills the rest of the picture with grey) are not fatal and are dropped.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/fit_inside.h"
#include "gfx/codecs/orientation.h"

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

} // namespace

DecodedPicture decodeJpeg(ByteSpan data, const std::string& name, const JpegOptions& options,
                          const DecodeLimits& limits) {
    DecodedPicture out;
    Bitmap stored;
    std::vector<std::uint8_t> cmykRow;
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

    // Shrinking into a box: the strongest DCT scaling whose result still covers the fitted size.
    const int upright = orientation;
    const bool swap = orientationSwapsSides(upright);
    const int uprightW = static_cast<int>(swap ? cinfo.image_height : cinfo.image_width);
    const int uprightH = static_cast<int>(swap ? cinfo.image_width : cinfo.image_height);
    if (options.boxWidth > 0 && options.boxHeight > 0) {
        const PictureSize target = fitInsideSize(uprightW, uprightH, options.boxWidth, options.boxHeight);
        for (unsigned denom : {8u, 4u, 2u}) {
            cinfo.scale_num = 1;
            cinfo.scale_denom = denom;
            jpeg_calc_output_dimensions(&cinfo);
            const int ow = static_cast<int>(swap ? cinfo.output_height : cinfo.output_width);
            const int oh = static_cast<int>(swap ? cinfo.output_width : cinfo.output_height);
            if (ow >= target.width && oh >= target.height) break;
            cinfo.scale_denom = 1;
        }
    }

    jpeg_start_decompress(&cinfo);
    stored = Bitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    if (cmyk) cmykRow.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
    // Adobe writes CMYK inverted (0 = full ink); other writers store plain ink amounts.
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = cmyk ? cmykRow.data() : stored.scanLine(y);
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk) {
            std::uint8_t* d = stored.scanLine(y);
            const std::uint8_t* s = cmykRow.data();
            for (unsigned x = 0; x < cinfo.output_width; ++x, s += 4, d += 3) {
                const unsigned c = inverted ? s[0] : 255 - s[0], m = inverted ? s[1] : 255 - s[1],
                               yy = inverted ? s[2] : 255 - s[2], k = inverted ? s[3] : 255 - s[3];
                d[0] = mul255(yy, k);
                d[1] = mul255(m, k);
                d[2] = mul255(c, k);
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    const bool scaled = cinfo.scale_denom > 1;
    jpeg_destroy_decompress(&cinfo);

    out.pixels = upright == 1 ? std::move(stored) : applyOrientation(stored, upright);
    if (scaled) {
        out.fullWidth = uprightW;
        out.fullHeight = uprightH;
    }
    return out;
}

} // namespace vorlin::gfx
