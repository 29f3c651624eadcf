#pragma once
// The picture decoders. Each takes the bytes of a whole file (so that the same entry serves files,
// memory and the fuzz targets) plus a name used only in error messages, and gives a DecodedPicture or
// throws a PictureError "<name>: <what was wrong>". No decoder ever reads outside the given bytes, and
// each checks the picture's size against the limits before it allocates the pixels.
//
// What each does with a file that ends early:
//   JPEG  decodes what is there; the missing part comes out grey (libjpeg's own filling).
//   GIF   keeps the rows decoded before the data ran out (a data sub-block counts only when it is
//         whole); the missing rows are transparent.
//   BMP   refuses uncompressed pixel data that is not all there; RLE data that stops early leaves
//         the rest of the picture at colour 0 (as does a skip by an RLE move).
//   ICO   refuses an image that is not all there (pixels and AND mask).
//   PNG   refuses image data that is not all there; what follows the image data is not read.
//   WebP  refuses the file.
//   HEIF  refuses the file (HEIC, HEIF and AVIF).

#include "gfx/codecs/decoded_picture.h"
#include "gfx/codecs/picture_fit.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorlin::gfx {

using ByteSpan = std::span<const std::uint8_t>;

// The size limits a decoder applies. The defaults are the program's; the fuzz targets use smaller ones
// to keep each run fast.
struct DecodeLimits {
    int maxSide = kMaxPictureSide;
    long long maxPixels = kMaxPicturePixels;
};

struct JpegOptions {
    // When both are > 0 the picture is only going to be shrunk into this box (in its upright size): the
    // decoder then gives the picture at the size of the fit-inside rule, decoding at the strongest DCT
    // scaling (1/2, 1/4 or 1/8) that still covers that size and sampling the rows into the result as
    // they arrive (the stretch rule of the blits), with fullWidth/fullHeight set to the picture's own
    // size.
    int boxWidth = 0;
    int boxHeight = 0;
    // What is kept of the picture for where it will be shown (see picture_fit.h); when it keeps less
    // than the whole picture it wins over the box.
    PictureFit fit;
    // Set from another thread to give up: the decoder stops at its next row with a PictureError.
    const std::atomic<bool>* cancel = nullptr;
    // Turn the picture upright from its EXIF orientation tag.
    bool applyOrientation = true;
};

// The DCT scaling (1, 2, 4 or 8: the picture is decoded at 1/n) used for a width × height picture (its
// upright size) that is only going to be shrunk into the box.
int jpegScaleDenominator(int width, int height, int boxWidth, int boxHeight);
// The strongest DCT scaling whose result still covers `target`.
int jpegScaleCovering(int width, int height, PictureSize target);

// Baseline, progressive, greyscale, RGB, CMYK and YCCK JPEG, turned upright by the EXIF orientation.
DecodedPicture decodeJpeg(ByteSpan data, const std::string& name, const JpegOptions& options = {},
                          const DecodeLimits& limits = {});
// The first image of a GIF87a/GIF89a file on its logical screen; outside the image and where its
// transparent colour is used, the alpha is 0.
DecodedPicture decodeGif(ByteSpan data, const std::string& name, const DecodeLimits& limits = {});
// Windows and OS/2 bitmaps: 1/4/8/16/24/32 bits, RLE4/RLE8, bit fields, bottom-up and top-down. Always
// opaque (a 32-bit bitmap's fourth byte is not used, as when such a bitmap is drawn).
DecodedPicture decodeBmp(ByteSpan data, const std::string& name, const DecodeLimits& limits = {});
// The largest and then deepest image of an icon (or cursor) file, BMP or PNG, with its transparency.
DecodedPicture decodeIco(ByteSpan data, const std::string& name, const DecodeLimits& limits = {});
// With a fit, rows are sampled into the kept picture as they arrive (interlaced files: after the last
// pass, from one full-size buffer).
DecodedPicture decodePng(ByteSpan data, const std::string& name, const DecodeLimits& limits = {},
                         const PictureFit& fit = {});
// Still WebP pictures, lossy or lossless, with or without alpha. With a fit, libwebp's own cropping and
// scaling decode straight to the kept size.
DecodedPicture decodeWebp(ByteSpan data, const std::string& name, const DecodeLimits& limits = {},
                          const PictureFit& fit = {});

// HEIC, HEIF and AVIF pictures (HEVC or AV1), the file's primary image, turned and mirrored as its
// container says (an EXIF orientation inside is not applied again), with alpha when it has one; deeper
// pictures come out at 8 bits. With a fit, the kept part is sampled from the decoded picture into the
// result (libheif cannot decode at a reduced size); a picture that is only shrunk is decoded from an
// embedded thumbnail of its shape that covers the result, when the file has one (fullWidth/fullHeight
// then give the picture's own size).
DecodedPicture decodeHeif(ByteSpan data, const std::string& name, const DecodeLimits& limits = {},
                          const PictureFit& fit = {});

// The whole content of a file; a PictureError names the file when it cannot be read.
std::vector<std::uint8_t> readPictureFile(const std::string& path);

} // namespace vorlin::gfx
