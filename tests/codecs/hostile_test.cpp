// Damaged and hostile files: giant sizes, bad colour tables, RLE data that leaves the picture, files cut
// short or with bytes changed. Each gives a PictureError or a picture, never a crash, an endless loop or
// an allocation beyond the size limits (the sanitizer builds run these too).

#include "gfx/codecs/orientation.h"
#include "gfx/codecs/picture_loader.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace vorlin::gfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Decoder = std::function<DecodedPicture(const Bytes&)>;

Decoder decoderFor(const std::string& file) {
    switch (pictureFormatForPath(file)) {
    case PictureFormat::Jpeg:
        return [](const Bytes& b) { return decodeJpeg(b, "t"); };
    case PictureFormat::Gif:
        return [](const Bytes& b) { return decodeGif(b, "t"); };
    case PictureFormat::Bmp:
        return [](const Bytes& b) { return decodeBmp(b, "t"); };
    case PictureFormat::Ico:
        return [](const Bytes& b) { return decodeIco(b, "t"); };
    case PictureFormat::Png:
        return [](const Bytes& b) { return decodePng(b, "t"); };
    default:
        return [](const Bytes& b) { return decodeWebp(b, "t"); };
    }
}

// True when the bytes decode, false for a PictureError; any other outcome fails the test.
bool decodes(const Decoder& decode, const Bytes& bytes, DecodedPicture* out = nullptr) {
    try {
        DecodedPicture p = decode(bytes);
        EXPECT_FALSE(p.pixels.isEmpty());
        if (!p.alpha.empty()) {
            EXPECT_EQ(p.alpha.size(), static_cast<std::size_t>(p.pixels.width()) * p.pixels.height());
        }
        if (out) *out = std::move(p);
        return true;
    } catch (const PictureError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("t: ", 0), 0u) << e.what();
        return false;
    }
}

std::uint32_t crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

void putBe32(Bytes& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = (x >> (24 - 8 * i)) & 0xFF;
}

Bytes pngWithSize(std::uint32_t w, std::uint32_t h) {
    Bytes b = test::pictureBytes("png_rgb.png");
    putBe32(b, 16, w);
    putBe32(b, 20, h);
    putBe32(b, 29, crc32(&b[12], 17)); // IHDR's type and data
    return b;
}

Bytes jpegWithSize(unsigned w, unsigned h) {
    Bytes b = test::pictureBytes("jpeg_baseline.jpg");
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
        if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) {
            b[i + 5] = h >> 8, b[i + 6] = h & 0xFF, b[i + 7] = w >> 8, b[i + 8] = w & 0xFF;
            return b;
        }
    ADD_FAILURE() << "no frame header";
    return b;
}

Bytes gifScreen(unsigned w, unsigned h) {
    Bytes b = test::pictureBytes("gif_89a.gif");
    test::put16(b, 6, w);
    test::put16(b, 8, h);
    return b;
}

// A 1 × 1 GIF89a with an optional 2-colour global table whose only pixel has the given index
// (LZW with 2-bit codes: clear, index, end).
Bytes tinyGif(bool table, int index) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, static_cast<std::uint8_t>(table ? 0x80 : 0), 0, 0};
    if (table) b.insert(b.end(), {10, 20, 30, 40, 50, 60});
    const unsigned codes = 4u | (static_cast<unsigned>(index) << 3) | (5u << 6);
    b.insert(b.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, static_cast<std::uint8_t>(codes & 0xFF),
                       static_cast<std::uint8_t>(codes >> 8), 0, 0x3B});
    return b;
}

Bytes bmpHeaderOnly(int w, int h, int bits) {
    return test::makeBmp(w, h, bits, 0, {}, Bytes(16, 0));
}

Bytes os2Core(unsigned w, unsigned h) {
    Bytes b(26 + 16, 0);
    b[0] = 'B', b[1] = 'M';
    test::put32(b, 10, 26);
    test::put32(b, 14, 12);
    test::put16(b, 18, w);
    test::put16(b, 20, h);
    test::put16(b, 22, 1);
    test::put16(b, 24, 24);
    return b;
}

Bytes icoWithBmpEntry(int w, int h) {
    Bytes dib = bmpHeaderOnly(w, 2 * h, 32);
    dib.erase(dib.begin(), dib.begin() + 14);
    Bytes ico = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    test::put32(ico, 14, static_cast<std::uint32_t>(dib.size()));
    ico.resize(22 + dib.size());
    std::copy(dib.begin(), dib.end(), ico.begin() + 22);
    return ico;
}

// An icon whose only image is a PNG with the given IHDR size.
Bytes icoWithPngEntry(std::uint32_t w, std::uint32_t h) {
    const Bytes png = pngWithSize(w, h);
    Bytes ico = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    test::put32(ico, 14, static_cast<std::uint32_t>(png.size()));
    ico.resize(22 + png.size());
    std::copy(png.begin(), png.end(), ico.begin() + 22);
    return ico;
}

// The lossless picture in an extended file whose canvas claims the given size.
Bytes webpCanvas(unsigned w, unsigned h) {
    const Bytes simple = test::pictureBytes("webp_lossless.webp");
    Bytes b = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'E', 'B', 'P',
               'V', 'P', '8', 'X', 10, 0, 0, 0, 0,   0,   0,   0};
    for (int i = 0; i < 3; ++i) b.push_back(((w - 1) >> (8 * i)) & 0xFF);
    for (int i = 0; i < 3; ++i) b.push_back(((h - 1) >> (8 * i)) & 0xFF);
    b.insert(b.end(), simple.begin() + 12, simple.end());
    test::put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

TEST(Hostile, GiantSizesAreRefusedBeforeAllocating) {
    const std::pair<const char*, std::function<Bytes()>> cases[] = {
        {"a.bmp", [] { return bmpHeaderOnly(40000, 10, 24); }},
        {"a.bmp", [] { return bmpHeaderOnly(20000, 20000, 24); }},
        {"a.bmp", [] { return bmpHeaderOnly(32768, -32768, 8); }},
        {"a.bmp", [] { return os2Core(65535, 65535); }},
        {"a.gif", [] { return gifScreen(65535, 65535); }},
        {"a.gif", [] { return gifScreen(20000, 20000); }},
        {"a.png", [] { return pngWithSize(100000, 10); }},
        {"a.png", [] { return pngWithSize(20000, 20000); }},
        {"a.png", [] { return pngWithSize(20000, 9000); }}, // within the limits, but from 370 bytes
        {"a.jpg", [] { return jpegWithSize(40000, 100); }},
        {"a.jpg", [] { return jpegWithSize(30000, 30000); }},
        {"a.jpg", [] { return jpegWithSize(30000, 6000); }}, // within the limits, but from 738 bytes
        {"a.webp", [] { return webpCanvas(40000, 10); }},
        {"a.webp", [] { return webpCanvas(16000, 16000); }},
        {"a.ico", [] { return icoWithBmpEntry(40000, 40000); }},
        {"a.ico", [] { return icoWithPngEntry(0xFFFFFFFF, 0xFFFFFFFF); }}, // sizes whose product overflows
    };
    for (const auto& [file, make] : cases) EXPECT_FALSE(decodes(decoderFor(file), make())) << file;
}

TEST(Hostile, BadColourTables) {
    const Decoder bmp = decoderFor("a.bmp");
    // More entries than the bit count allows.
    EXPECT_FALSE(decodes(bmp, test::makeBmp(4, 1, 8, 0, Bytes(300 * 4, 0), Bytes(4, 0))));
    EXPECT_FALSE(decodes(bmp, test::makeBmp(8, 1, 4, 0, Bytes(17 * 4, 0), Bytes(4, 0))));
    // A table that runs past the end of the file.
    Bytes cut = test::makeBmp(4, 1, 8, 0, Bytes(256 * 4, 0), Bytes(4, 0));
    cut.resize(54 + 40);
    test::put32(cut, 10, 54);
    EXPECT_FALSE(decodes(bmp, cut));
    // An index beyond a 2-entry table gives black.
    DecodedPicture p;
    ASSERT_TRUE(decodes(bmp, test::makeBmp(4, 1, 8, 0, {0, 0, 255, 0, 0, 255, 0, 0}, {1, 200, 0, 7}), &p));
    EXPECT_EQ(p.pixels.pixel(0, 0), (Color{0, 255, 0}));
    EXPECT_EQ(p.pixels.pixel(1, 0), (Color{0, 0, 0}));
    EXPECT_EQ(p.pixels.pixel(2, 0), (Color{255, 0, 0}));
    EXPECT_EQ(p.pixels.pixel(3, 0), (Color{0, 0, 0}));

    const Decoder gif = decoderFor("a.gif");
    EXPECT_FALSE(decodes(gif, tinyGif(false, 1))); // no colour table at all
    ASSERT_TRUE(decodes(gif, tinyGif(true, 1), &p));
    EXPECT_EQ(p.pixels.pixel(0, 0), (Color{40, 50, 60}));
    ASSERT_TRUE(decodes(gif, tinyGif(true, 3), &p)); // beyond the 2 entries
    EXPECT_EQ(p.pixels.pixel(0, 0), (Color{0, 0, 0}));
}

const Bytes kPalette4 = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
const Color kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

TEST(Hostile, RleRunsThatLeaveThePicture) {
    const Decoder bmp = decoderFor("a.bmp");
    auto rle8 = [](Bytes data) { return test::makeBmp(4, 2, 8, 1, kPalette4, std::move(data)); };
    // A third row in a picture of two.
    EXPECT_FALSE(decodes(bmp, rle8({4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1})));
    // A move past the right edge, and past the top.
    EXPECT_FALSE(decodes(bmp, rle8({0, 2, 5, 0, 1, 1, 0, 1})));
    EXPECT_FALSE(decodes(bmp, rle8({0, 2, 0, 3, 0, 1})));
    // A literal run whose bytes are not there.
    EXPECT_FALSE(decodes(bmp, rle8({0, 5, 1, 2})));
    // Top-down RLE does not exist.
    Bytes topDown = rle8({4, 1, 0, 1});
    test::put32(topDown, 22, static_cast<std::uint32_t>(-2));
    EXPECT_FALSE(decodes(bmp, topDown));

    // Runs longer than a row are cut at its end (writers encode the row padding); data that stops early
    // leaves the rest at colour 0; a move skips pixels, which keep colour 0.
    DecodedPicture p;
    ASSERT_TRUE(decodes(bmp, rle8({8, 1, 0, 0, 1, 2}), &p));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(p.pixels.pixel(x, 1), kRed) << x;
    EXPECT_EQ(p.pixels.pixel(0, 0), kGreen);
    EXPECT_EQ(p.pixels.pixel(1, 0), kBlack);
    ASSERT_TRUE(decodes(bmp, rle8({0, 2, 2, 1, 1, 3, 0, 1}), &p));
    EXPECT_EQ(p.pixels.pixel(2, 0), kBlue);
    EXPECT_EQ(p.pixels.pixel(0, 1), kBlack);
    EXPECT_EQ(p.pixels.pixel(3, 0), kBlack);
}

TEST(Hostile, Rle4DecodesRunsAndLiterals) {
    // Bottom row: a run of 4 alternating 1, 2; top row: a literal 3, 4, 1, 2 (two bytes, no padding).
    const Bytes data = {4, 0x12, 0, 0, 0, 4, 0x34, 0x12, 0, 1};
    DecodedPicture p;
    ASSERT_TRUE(decodes(decoderFor("a.bmp"), test::makeBmp(4, 2, 4, 2, kPalette4, data), &p));
    const Color bottom[] = {kRed, kGreen, kRed, kGreen}, top[] = {kBlue, kWhite, kRed, kGreen};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(p.pixels.pixel(x, 1), bottom[x]) << x;
        EXPECT_EQ(p.pixels.pixel(x, 0), top[x]) << x;
    }
    // An odd literal run is padded to a 16-bit boundary: 3 pixels in 2 bytes, then the next command.
    ASSERT_TRUE(decodes(decoderFor("a.bmp"),
                        test::makeBmp(4, 1, 4, 2, kPalette4, {0, 3, 0x43, 0x20, 1, 0x10, 0, 1}), &p));
    EXPECT_EQ(p.pixels.pixel(0, 0), kWhite);
    EXPECT_EQ(p.pixels.pixel(1, 0), kBlue);
    EXPECT_EQ(p.pixels.pixel(2, 0), kGreen);
    EXPECT_EQ(p.pixels.pixel(3, 0), kRed);
}

const char* const kCorpus[] = {
    "jpeg_baseline.jpg",  "jpeg_progressive.jpg", "jpeg_grey.jpg",
    "jpeg_cmyk.jpg",      "jpeg_orient6.jpg",     "gif_89a.gif",
    "gif_interlaced.gif", "gif_transparent.gif",  "gif_animated.gif",
    "bmp_1bit.bmp",       "bmp_4bit.bmp",         "bmp_rle8.bmp",
    "bmp_565.bmp",        "bmp_24bit.bmp",        "bmp_32bit_alpha.bmp",
    "bmp_os2_4bit.bmp",   "bmp_topdown.bmp",      "ico_bmp32.ico",
    "ico_palette.ico",    "ico_png.ico",          "png_rgb.png",
    "png_rgba.png",       "png_palette_trns.png", "png_interlaced.png",
    "png_rgb16.png",      "webp_lossless.webp",   "webp_alpha_lossless.webp",
    "webp_lossy.webp",
};

TEST(Hostile, EveryCutOfEveryFileDecodesOrFails) {
    for (const char* file : kCorpus) {
        const Bytes whole = test::pictureBytes(file);
        const Decoder decode = decoderFor(file);
        const std::size_t step = std::max<std::size_t>(1, whole.size() / 400);
        for (std::size_t n = 0; n < whole.size(); n += step) {
            SCOPED_TRACE(std::string(file) + " cut at " + std::to_string(n));
            decodes(decode, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)));
        }
    }
}

TEST(Hostile, EveryChangedByteDecodesOrFails) {
    for (const char* file : kCorpus) {
        const Bytes whole = test::pictureBytes(file);
        const Decoder decode = decoderFor(file);
        const std::size_t step = std::max<std::size_t>(1, whole.size() / 300);
        for (std::size_t i = 0; i < whole.size(); i += step)
            for (const std::uint8_t value :
                 {std::uint8_t{0xFF}, std::uint8_t{0x00}, static_cast<std::uint8_t>(whole[i] ^ 0x41)}) {
                Bytes changed = whole;
                changed[i] = value;
                SCOPED_TRACE(std::string(file) + " byte " + std::to_string(i) + " = " +
                             std::to_string(value));
                decodes(decode, changed);
            }
    }
}

TEST(Hostile, WhatACutFileGivesPerFormat) {
    struct Row {
        const char* file;
        bool decodes;
    };
    // JPEG and GIF show what is there; the others refuse a file whose pixel data is incomplete.
    const Row rows[] = {{"jpeg_baseline.jpg", true},  {"jpeg_progressive.jpg", true}, {"gif_89a.gif", true},
                        {"bmp_24bit.bmp", false},     {"ico_bmp32.ico", false},       {"png_rgb.png", false},
                        {"webp_lossless.webp", false}};
    for (const Row& r : rows) {
        const Bytes whole = test::pictureBytes(r.file);
        DecodedPicture p;
        EXPECT_EQ(decodes(decoderFor(r.file), Bytes(whole.begin(), whole.begin() + whole.size() / 2), &p),
                  r.decodes)
            << r.file;
        if (r.decodes) {
            EXPECT_EQ(p.pixels.width(), 37) << r.file;
        }
    }
    // A cut GIF keeps its first rows and leaves the missing ones transparent.
    const Bytes gif = test::pictureBytes("gif_smooth_interlaced.gif");
    DecodedPicture p;
    ASSERT_TRUE(decodes(decoderFor("a.gif"), Bytes(gif.begin(), gif.begin() + gif.size() / 2), &p));
    ASSERT_EQ(p.pixels.width(), 160);
    EXPECT_EQ(p.alpha[0], 255);
    EXPECT_EQ(p.alpha[p.alpha.size() - 1], 0);
}

TEST(Exif, OrientationTagIsFoundOnlyInAWellFormedBlock) {
    auto block = [](bool bigEndian, unsigned value, unsigned type = 3) {
        Bytes b = {'E', 'x', 'i', 'f', 0, 0};
        const Bytes le = {'I',
                          'I',
                          42,
                          0,
                          8,
                          0,
                          0,
                          0,
                          1,
                          0,
                          0x12,
                          0x01,
                          static_cast<std::uint8_t>(type),
                          0,
                          1,
                          0,
                          0,
                          0,
                          static_cast<std::uint8_t>(value),
                          0,
                          0,
                          0,
                          0,
                          0,
                          0,
                          0};
        const Bytes be = {'M',  'M',
                          0,    42,
                          0,    0,
                          0,    8,
                          0,    1,
                          0x01, 0x12,
                          0,    static_cast<std::uint8_t>(type),
                          0,    0,
                          0,    1,
                          0,    static_cast<std::uint8_t>(value),
                          0,    0,
                          0,    0,
                          0,    0};
        const Bytes& t = bigEndian ? be : le;
        b.insert(b.end(), t.begin(), t.end());
        return b;
    };
    for (unsigned v = 1; v <= 8; ++v) {
        const Bytes le = block(false, v), be = block(true, v);
        EXPECT_EQ(exifOrientation(le.data(), le.size()), static_cast<int>(v));
        EXPECT_EQ(exifOrientation(be.data(), be.size()), static_cast<int>(v));
    }
    const Bytes nine = block(false, 9), longType = block(false, 6, 4);
    EXPECT_EQ(exifOrientation(nine.data(), nine.size()), 1);
    EXPECT_EQ(exifOrientation(longType.data(), longType.size()), 1);
    const Bytes whole = block(true, 6);
    for (std::size_t n = 0; n < whole.size() - 7; ++n) EXPECT_EQ(exifOrientation(whole.data(), n), 1) << n;
}

} // namespace
} // namespace vorlin::gfx
