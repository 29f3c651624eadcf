#include "gfx/codecs/picture_loader.h"

#include "gfx/blit.h"
#include "gfx/codecs/codec_util.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#ifdef VORLIN_HAVE_METAFILE
#include "gfx/metafile/metafile.h"
#endif

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

PictureFormat pictureFormatForPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return PictureFormat::Unknown;
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (ext == ".JPG" || ext == ".JPEG") return PictureFormat::Jpeg;
    if (ext == ".GIF") return PictureFormat::Gif;
    if (ext == ".BMP") return PictureFormat::Bmp;
    if (ext == ".ICO") return PictureFormat::Ico;
    if (ext == ".WMF") return PictureFormat::Wmf;
    if (ext == ".EMF") return PictureFormat::Emf;
    if (ext == ".PNG") return PictureFormat::Png;
    if (ext == ".WEBP") return PictureFormat::Webp;
    return PictureFormat::Unknown;
}

DecodedPicture decodePictureFile(const std::string& path, std::optional<PictureSize> jpegBox) {
    const PictureFormat format = pictureFormatForPath(path);
    switch (format) {
    case PictureFormat::Wmf:
    case PictureFormat::Emf:
#ifdef VORLIN_HAVE_METAFILE
        return decodeMetafile(path);
#else
        detail::fail(path, "metafiles not supported yet");
#endif
    case PictureFormat::Unknown:
        detail::fail(path, "unknown picture format");
    default:
        break;
    }
    const std::vector<std::uint8_t> bytes = readPictureFile(path);
    switch (format) {
    case PictureFormat::Jpeg: {
        JpegOptions options;
        if (jpegBox) {
            options.boxWidth = jpegBox->width;
            options.boxHeight = jpegBox->height;
        }
        return decodeJpeg(bytes, path, options);
    }
    case PictureFormat::Gif:
        return decodeGif(bytes, path);
    case PictureFormat::Bmp:
        return decodeBmp(bytes, path);
    case PictureFormat::Ico:
        return decodeIco(bytes, path);
    case PictureFormat::Png:
        return decodePng(bytes, path);
    case PictureFormat::Webp:
        return decodeWebp(bytes, path);
    default:
        detail::fail(path, "unknown picture format");
    }
}

Bitmap flatten(const DecodedPicture& picture, Color fill) {
    Bitmap out = picture.pixels;
    if (picture.alpha.empty()) return out;
    const int w = out.width();
    const unsigned fb = fill.b, fg = fill.g, fr = fill.r;
    for (int y = 0; y < out.height(); ++y) {
        std::uint8_t* p = out.scanLine(y);
        const std::uint8_t* a = picture.alpha.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x, p += 3) {
            const unsigned k = a[x], rest = 255 - k;
            if (k == 255) continue;
            p[0] = static_cast<std::uint8_t>((p[0] * k + fb * rest + 127) / 255);
            p[1] = static_cast<std::uint8_t>((p[1] * k + fg * rest + 127) / 255);
            p[2] = static_cast<std::uint8_t>((p[2] * k + fr * rest + 127) / 255);
        }
    }
    return out;
}

Bitmap loadPicture(const std::string& path, Color fill, std::optional<PictureSize> box) {
    const PictureFormat format = pictureFormatForPath(path);
    const bool boxed = box && box->width > 0 && box->height > 0;
    DecodedPicture decoded = decodePictureFile(path, boxed ? box : std::nullopt);
    Bitmap picture = (format == PictureFormat::Jpeg || format == PictureFormat::Bmp)
                         ? std::move(decoded.pixels)
                         : flatten(decoded, fill);
    if (!boxed) return picture;
    // The fitted size comes from the picture's own size, so a reduced-scale decode ends at the same
    // size as a full one.
    const int fullW = decoded.fullWidth ? decoded.fullWidth : picture.width();
    const int fullH = decoded.fullHeight ? decoded.fullHeight : picture.height();
    const PictureSize target = fitInsideSize(fullW, fullH, box->width, box->height);
    if (target.width == picture.width() && target.height == picture.height()) return picture;
    Bitmap shrunk(target.width, target.height, fill);
    stretchCopy(shrunk, 0, 0, target.width, target.height, picture, 0, 0, picture.width(), picture.height());
    return shrunk;
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
