#include "gfx/codecs/picture_loader.h"

#include "gfx/blit.h"
#include "gfx/codecs/codec_util.h"
#include "gfx/metafile/metafile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

namespace vorlin::gfx {

std::vector<std::uint8_t> readPictureFile(const std::string& path) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> f(std::fopen(path.c_str(), "rb"));
    if (!f) detail::fail(path, std::strerror(errno));
    struct stat info {};
    if (fstat(fileno(f.get()), &info) != 0 || !S_ISREG(info.st_mode)) detail::fail(path, "not a file");
    // Larger than any picture within the size limits can be in any of the formats.
    if (info.st_size > kMaxPictureFileBytes) detail::fail(path, "file too large for a picture");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f.get());
    if (std::ferror(f.get())) detail::fail(path, "cannot be read");
    bytes.resize(n); // a file that shrank while being read
    return bytes;
}

namespace {

// Decodes a file by its extension. JPEG, PNG, WebP and HEIF apply the fit while they decode; the other
// formats are decoded whole and then sampled (one full-size picture, never a second copy of it).
DecodedPicture decodeFitted(const std::string& path, PictureFormat format, const PictureFit& fit,
                            const std::atomic<bool>* cancel) {
    auto cancelled = [&] {
        if (cancel && cancel->load(std::memory_order_relaxed)) detail::fail(path, "loading cancelled");
    };
    DecodedPicture decoded;
    switch (format) {
    case PictureFormat::Wmf:
    case PictureFormat::Emf:
        decoded = decodeMetafile(path);
        break;
    case PictureFormat::Unknown:
        detail::fail(path, "unknown picture format");
    default: {
        const std::vector<std::uint8_t> bytes = readPictureFile(path);
        cancelled();
        switch (format) {
        case PictureFormat::Jpeg: {
            JpegOptions options;
            options.fit = fit;
            options.cancel = cancel;
            return decodeJpeg(bytes, path, options);
        }
        case PictureFormat::Png:
            return decodePng(bytes, path, {}, fit);
        case PictureFormat::Webp:
            return decodeWebp(bytes, path, {}, fit);
        case PictureFormat::Heif:
            return decodeHeif(bytes, path, {}, fit);
        case PictureFormat::Gif:
            decoded = decodeGif(bytes, path);
            break;
        case PictureFormat::Bmp:
            decoded = decodeBmp(bytes, path);
            break;
        case PictureFormat::Ico:
            decoded = decodeIco(bytes, path);
            break;
        default:
            detail::fail(path, "unknown picture format");
        }
    }
    }
    cancelled();
    const int w = decoded.pixels.width(), h = decoded.pixels.height();
    const FitPlan plan = planFit(fit, w, h);
    if (!plan.whole(w, h)) {
        applyPlan(plan, decoded.pixels, decoded.alpha);
        decoded.fullWidth = w;
        decoded.fullHeight = h;
    }
    return decoded;
}

void flattenInPlace(Bitmap& pixels, const std::vector<std::uint8_t>& alpha, Color fill) {
    if (alpha.empty()) return;
    const int w = pixels.width();
    const unsigned fb = fill.b, fg = fill.g, fr = fill.r;
    for (int y = 0; y < pixels.height(); ++y) {
        std::uint8_t* p = pixels.scanLine(y);
        const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x, p += 3) {
            const unsigned k = a[x], rest = 255 - k;
            if (k == 255) continue;
            p[0] = static_cast<std::uint8_t>((p[0] * k + fb * rest + 127) / 255);
            p[1] = static_cast<std::uint8_t>((p[1] * k + fg * rest + 127) / 255);
            p[2] = static_cast<std::uint8_t>((p[2] * k + fr * rest + 127) / 255);
        }
    }
}

} // namespace

DecodedPicture decodePictureFile(const std::string& path, std::optional<PictureSize> jpegBox) {
    const PictureFormat format = pictureFormatForPath(path);
    if (format == PictureFormat::Jpeg && jpegBox) {
        const PictureFit fit = PictureFit::inside(jpegBox->width, jpegBox->height);
        return decodeFitted(path, format, fit, nullptr);
    }
    return decodeFitted(path, format, PictureFit{}, nullptr);
}

Bitmap flatten(const DecodedPicture& picture, Color fill) {
    Bitmap out = picture.pixels;
    flattenInPlace(out, picture.alpha, fill);
    return out;
}

Bitmap loadFittedPicture(const std::string& path, Color fill, const PictureFit& fit,
                         const std::atomic<bool>* cancel) {
    const PictureFormat format = pictureFormatForPath(path);
    DecodedPicture decoded = decodeFitted(path, format, fit, cancel);
    // JPEG and BMP are shown as they are; the rest take the fill where they are transparent.
    if (format != PictureFormat::Jpeg && format != PictureFormat::Bmp)
        flattenInPlace(decoded.pixels, decoded.alpha, fill);
    return std::move(decoded.pixels);
}

Bitmap loadPicture(const std::string& path, Color fill, std::optional<PictureSize> box) {
    const bool boxed = box && box->width > 0 && box->height > 0;
    return loadFittedPicture(path, fill, boxed ? PictureFit::inside(box->width, box->height) : PictureFit{});
}

void LoadPictureToBitmap(Bitmap& bitmap, const std::string& FileName, int MaxWidth, Color color,
                         int MaxHeight) {
    if (FileName.empty()) return;
    std::optional<PictureSize> box;
    if (MaxWidth > 0 && MaxHeight > 0) box = PictureSize{MaxWidth, MaxHeight};
    bitmap = loadPicture(FileName, color, box);
}

int padOffset(int paddedSide, int pictureSide) {
    const int diff = paddedSide > pictureSide ? paddedSide - pictureSide : pictureSide - paddedSide;
    // |diff| / 2 rounded halves to even: an even diff halves exactly; an odd one is k + 0.5.
    const int half = diff / 2;
    return ((diff & 1) && (half & 1) ? half + 1 : half) + 1;
}

Bitmap padPicture(const Bitmap& picture, int referenceWidth, int referenceHeight, Color fill) {
    const int w = std::max(picture.width(), referenceWidth) + 3;
    const int h = std::max(picture.height(), referenceHeight) + 3;
    Bitmap padded(w, h, fill);
    copyRect(padded, padOffset(w, picture.width()), padOffset(h, picture.height()), picture, picture.rect());
    return padded;
}

} // namespace vorlin::gfx
