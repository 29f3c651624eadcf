// Every committed test picture (made by ImageMagick, see tests/data/pictures/make.sh) decodes to
// ImageMagick's own decode of the same file: the same size, the same alpha, and the same colours where a
// pixel is not fully transparent (exactly for lossless formats, within a mean difference of 2 per channel
// for JPEG and lossy WebP).

#include "gfx/codecs/picture_loader.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vorlin::gfx {
namespace {

struct CorpusCase {
    const char* file;
    int width;
    int height;
    bool lossy;
};

std::ostream& operator<<(std::ostream& os, const CorpusCase& c) {
    return os << c.file;
}

class Corpus : public testing::TestWithParam<CorpusCase> {};

TEST_P(Corpus, MatchesImageMagicksDecode) {
    const CorpusCase& c = GetParam();
    const DecodedPicture pic = decodePictureFile(test::picturePath(c.file));
    ASSERT_EQ(pic.pixels.width(), c.width);
    ASSERT_EQ(pic.pixels.height(), c.height);
    const std::vector<std::uint8_t> ref = test::pictureBytes(std::string(c.file) + ".rgba");
    ASSERT_EQ(ref.size(), static_cast<std::size_t>(c.width) * c.height * 4);
    if (!pic.alpha.empty()) {
        ASSERT_EQ(pic.alpha.size(), static_cast<std::size_t>(c.width) * c.height);
    }

    long long diffSum = 0, samples = 0;
    int exactMismatches = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const std::uint8_t* r = &ref[(static_cast<std::size_t>(y) * c.width + x) * 4];
            const int alpha = pic.alpha.empty() ? 255 : pic.alpha[static_cast<std::size_t>(y) * c.width + x];
            ASSERT_EQ(alpha, r[3]) << "alpha at " << x << "," << y;
            if (alpha == 0) continue; // colour under a fully transparent pixel is not shown
            const Color got = pic.pixels.pixel(x, y);
            const int d[3] = {std::abs(got.r - r[0]), std::abs(got.g - r[1]), std::abs(got.b - r[2])};
            for (int k : d) {
                diffSum += k;
                ++samples;
                if (k != 0 && !c.lossy && exactMismatches++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << int(got.r) << "," << int(got.g)
                                  << "," << int(got.b) << "; ImageMagick: " << int(r[0]) << "," << int(r[1])
                                  << "," << int(r[2]);
            }
        }
    if (c.lossy) {
        EXPECT_LE(static_cast<double>(diffSum) / samples, 2.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, Corpus,
    testing::Values(
        CorpusCase{"jpeg_baseline.jpg", 37, 23, true}, CorpusCase{"jpeg_progressive.jpg", 37, 23, true},
        CorpusCase{"jpeg_grey.jpg", 37, 23, true}, CorpusCase{"jpeg_cmyk.jpg", 37, 23, true},
        // EXIF orientations: the upright size and pixels.
        CorpusCase{"jpeg_orient1.jpg", 37, 23, true}, CorpusCase{"jpeg_orient2.jpg", 37, 23, true},
        CorpusCase{"jpeg_orient3.jpg", 37, 23, true}, CorpusCase{"jpeg_orient4.jpg", 37, 23, true},
        CorpusCase{"jpeg_orient5.jpg", 23, 37, true}, CorpusCase{"jpeg_orient6.jpg", 23, 37, true},
        CorpusCase{"jpeg_orient7.jpg", 23, 37, true}, CorpusCase{"jpeg_orient8.jpg", 23, 37, true},
        CorpusCase{"gif_89a.gif", 37, 23, false}, CorpusCase{"gif_87a.gif", 37, 23, false},
        CorpusCase{"gif_interlaced.gif", 37, 23, false}, CorpusCase{"gif_transparent.gif", 37, 23, false},
        CorpusCase{"gif_animated.gif", 37, 23, false}, CorpusCase{"bmp_1bit.bmp", 37, 23, false},
        CorpusCase{"bmp_4bit.bmp", 37, 23, false}, CorpusCase{"bmp_8bit.bmp", 37, 23, false},
        CorpusCase{"bmp_rle8.bmp", 37, 23, false}, CorpusCase{"bmp_565.bmp", 37, 23, false},
        CorpusCase{"bmp_555.bmp", 37, 23, false}, CorpusCase{"bmp_24bit.bmp", 37, 23, false},
        CorpusCase{"bmp_v5_24bit.bmp", 37, 23, false}, CorpusCase{"bmp_os2_24bit.bmp", 37, 23, false},
        CorpusCase{"bmp_os2_4bit.bmp", 37, 23, false}, CorpusCase{"bmp_topdown.bmp", 37, 23, false},
        CorpusCase{"ico_bmp32.ico", 37, 23, false}, CorpusCase{"ico_palette.ico", 37, 23, false},
        CorpusCase{"ico_png.ico", 256, 256, false}, CorpusCase{"ico_depths.ico", 37, 23, false},
        CorpusCase{"png_rgb.png", 37, 23, false}, CorpusCase{"png_rgba.png", 37, 23, false},
        CorpusCase{"png_palette_trns.png", 37, 23, false}, CorpusCase{"png_grey.png", 37, 23, false},
        CorpusCase{"png_rgb16.png", 37, 23, false}, CorpusCase{"png_interlaced.png", 37, 23, false},
        CorpusCase{"webp_lossless.webp", 37, 23, false},
        CorpusCase{"webp_alpha_lossless.webp", 37, 23, false}, CorpusCase{"webp_lossy.webp", 37, 23, true}));

// The 32-bit BMP's fourth bytes are alpha to some programs; a BMP is drawn opaque here, its colours as
// stored (its reference is ImageMagick's decode with the alpha switched off).
TEST(CorpusBmp, ThirtyTwoBitAlphaBytesAreNotTransparency) {
    const DecodedPicture pic = decodePictureFile(test::picturePath("bmp_32bit_alpha.bmp"));
    EXPECT_TRUE(pic.alpha.empty());
    const std::vector<std::uint8_t> ref = test::pictureBytes("bmp_32bit_alpha.bmp.rgba");
    ASSERT_EQ(pic.pixels.width(), 37);
    ASSERT_EQ(pic.pixels.height(), 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const std::uint8_t* r = &ref[(static_cast<std::size_t>(y) * 37 + x) * 4];
            ASSERT_EQ(pic.pixels.pixel(x, y), (Color{r[0], r[1], r[2]})) << x << "," << y;
        }
}

} // namespace
} // namespace vorlin::gfx
