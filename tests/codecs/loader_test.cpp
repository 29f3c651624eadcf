// The loading rules: format by extension, flattening onto a colour, the fit-inside box, the builder's
// LoadPictureToBitmap, and the reduced-scale JPEG decode for a box.

#include "gfx/codecs/picture_loader.h"
#include "picture_files.h"

#include "../lib/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vorlin::gfx {
namespace {

using test::meanDifference;

TEST(Loader, FormatComesFromTheExtensionInAnyCase) {
    const std::pair<const char*, PictureFormat> rows[] = {
        {"a.jpg", PictureFormat::Jpeg},        {"A.JPEG", PictureFormat::Jpeg},
        {"x/y.Gif", PictureFormat::Gif},       {"p.bmp", PictureFormat::Bmp},
        {"i.ICO", PictureFormat::Ico},         {"m.wmf", PictureFormat::Wmf},
        {"e.Emf", PictureFormat::Emf},         {"p.png", PictureFormat::Png},
        {"w.WebP", PictureFormat::Webp},       {"noext", PictureFormat::Unknown},
        {"a.tiff", PictureFormat::Unknown},    {"d.jpg/f", PictureFormat::Unknown},
        {"a.jpg.txt", PictureFormat::Unknown}, {"IMG_1.HEIC", PictureFormat::Heif},
        {"b.heif", PictureFormat::Heif},       {"c.Avif", PictureFormat::Heif},
        {"c.avi", PictureFormat::Unknown},     {".heic", PictureFormat::Heif},
    };
    for (const auto& [path, format] : rows) EXPECT_EQ(pictureFormatForPath(path), format) << path;
}

TEST(Loader, FailuresNameTheFile) {
    const vorlin::testing::TempDir dir;
    const std::string missing = test::picturePath("no_such_picture.png");
    const std::string wrongContent = dir / "really_a_png.bmp";
    std::filesystem::copy_file(test::picturePath("png_rgb.png"), wrongContent);
    const std::string folder = test::picturePath("");
    const auto folderNamedBmp = dir.path() / "folder.bmp";
    std::filesystem::create_directories(folderNamedBmp);
    for (const std::string& path : {missing, wrongContent, std::string("unknown.tiff"), folder + "x.jpg/",
                                    folderNamedBmp.string(), std::string("drawing.wmf")}) {
        try {
            loadPicture(path, Color{});
            ADD_FAILURE() << path << " loaded";
        } catch (const PictureError& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

// Transparent parts take the fill colour, opaque ones keep theirs, half-transparent ones blend;
// the reference alpha and colours are ImageMagick's decode of the file.
void expectFlattenedOnto(const std::string& file, Color fill) {
    const Bitmap got = loadPicture(test::picturePath(file), fill);
    const std::vector<std::uint8_t> ref = test::pictureBytes(file + ".rgba");
    ASSERT_EQ(ref.size(), static_cast<std::size_t>(got.width()) * got.height() * 4) << file;
    int transparent = 0;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x) {
            const std::uint8_t* r = &ref[(static_cast<std::size_t>(y) * got.width() + x) * 4];
            const Color c = got.pixel(x, y);
            const double a = r[3] / 255.0;
            const double want[3] = {r[0] * a + fill.r * (1 - a), r[1] * a + fill.g * (1 - a),
                                    r[2] * a + fill.b * (1 - a)};
            const int have[3] = {c.r, c.g, c.b};
            for (int k = 0; k < 3; ++k)
                ASSERT_NEAR(have[k], want[k], 0.51) << file << " at " << x << "," << y;
            transparent += r[3] == 0;
        }
    EXPECT_GT(transparent, 0) << file << " has no transparent pixel to test";
}

TEST(Loader, TransparentPicturesAreFlattenedOntoTheColour) {
    for (const char* file :
         {"ico_bmp32.ico", "ico_palette.ico", "ico_png.ico", "gif_transparent.gif", "gif_animated.gif",
          "png_rgba.png", "png_palette_trns.png", "webp_alpha_lossless.webp"})
        for (const Color fill : {Color{0, 128, 255}, Color{255, 255, 0}}) expectFlattenedOnto(file, fill);
}

// Metafiles come through the general loader, on the colour wherever they do not paint.
TEST(Loader, MetafilesAreFlattenedOntoTheColour) {
    for (const char* file : {"drawing-paths.wmf", "drawing-paths.emf"}) {
        const std::string path = std::string(VORLIN_TEST_DATA_DIR) + "/metafiles/" + file;
        const DecodedPicture decoded = decodePictureFile(path);
        ASSERT_FALSE(decoded.alpha.empty()) << file;
        const Color fill{3, 200, 77};
        const Bitmap got = loadPicture(path, fill);
        ASSERT_EQ(got.width(), decoded.pixels.width());
        int background = 0;
        for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x) {
                const std::uint8_t a = decoded.alpha[static_cast<std::size_t>(y) * got.width() + x];
                if (a == 0) {
                    ++background;
                    ASSERT_EQ(got.pixel(x, y), fill) << file << " " << x << "," << y;
                } else if (a == 255) {
                    ASSERT_EQ(got.pixel(x, y), decoded.pixels.pixel(x, y)) << file << " " << x << "," << y;
                }
            }
        EXPECT_GT(background, 0) << file;
    }
}

TEST(Loader, JpegAndBmpAreNotFlattened) {
    for (const char* file : {"bmp_32bit_alpha.bmp", "bmp_24bit.bmp", "jpeg_baseline.jpg"}) {
        const DecodedPicture decoded = decodePictureFile(test::picturePath(file));
        EXPECT_TRUE(loadPicture(test::picturePath(file), Color{1, 2, 3}).samePixels(decoded.pixels)) << file;
    }
}

TEST(Loader, LoadPictureToBitmapAppliesTheBoxOnlyWhenBothSidesArePositive) {
    const std::string gif = test::picturePath("gif_89a.gif");
    Bitmap b(5, 5, Color{7, 7, 7});
    LoadPictureToBitmap(b, "", 10, Color{}, 10); // an empty name leaves the bitmap alone
    EXPECT_TRUE(b.samePixels(Bitmap(5, 5, Color{7, 7, 7})));

    LoadPictureToBitmap(b, gif, 0, Color{}, 10);
    EXPECT_EQ(b.width(), 37);
    EXPECT_EQ(b.height(), 23);
    LoadPictureToBitmap(b, gif, 20, Color{}, 20); // 17/20 > 3/20: width limits, 23 × 20 / 37 = 12.4
    EXPECT_EQ(b.width(), 20);
    EXPECT_EQ(b.height(), 12);
    EXPECT_EQ(b.pixel(0, 0), (Color{255, 0, 0}));
    EXPECT_EQ(b.pixel(19, 0), (Color{0, 255, 0}));
    EXPECT_EQ(b.pixel(0, 11), (Color{0, 0, 255}));
    EXPECT_EQ(b.pixel(19, 11), (Color{255, 255, 0}));
}

TEST(Loader, JpegScaleForABoxIsTheStrongestThatCoversTheFittedSize) {
    struct Row {
        int w, h, boxW, boxH, denom;
    };
    const Row rows[] = {
        {160, 120, 40, 30, 4},      // 1/4 is 40 x 30: covers the box exactly
        {160, 120, 41, 30, 4},      // 41 wide, but the fitted size is 40 x 30
        {160, 120, 50, 50, 2},      // fitted 50 x 38; 1/4 is only 40 x 30
        {160, 120, 19, 19, 8},      // fitted 19 x 14; 1/8 is 20 x 15
        {161, 121, 20, 15, 8},      // 1/8 rounds up to 21 x 16
        {160, 120, 150, 150, 1},    // fitted 150 x 113: no scaling covers it
        {160, 120, 200, 200, 1},    // nothing to shrink
        {6000, 4000, 1920, 1080, 2} // fitted 1620 x 1080; 1/4 is 1500 x 1000
    };
    for (const Row& r : rows)
        EXPECT_EQ(jpegScaleDenominator(r.w, r.h, r.boxW, r.boxH), r.denom)
            << r.w << "x" << r.h << " in " << r.boxW;
}

// Decoding for a box gives the fitted size; at full scale the pixels are exactly those of a full decode
// stretched by the fit-inside rule, at a reduced scale close to them.
TEST(Loader, JpegForABoxComesAtTheFittedSize) {
    struct Row {
        const char* file;
        int boxW, boxH;
        bool exact;
    };
    const Row rows[] = {
        {"jpeg_smooth.jpg", 150, 150, true}, {"jpeg_smooth.jpg", 40, 30, false},
        {"jpeg_smooth.jpg", 50, 50, false},  {"jpeg_smooth.jpg", 19, 19, false},
        {"jpeg_smooth.jpg", 300, 300, true}, // nothing to shrink
        {"jpeg_orient6.jpg", 20, 20, true},  {"jpeg_orient8.jpg", 20, 20, true},
        {"jpeg_orient3.jpg", 30, 30, true},  {"jpeg_orient7.jpg", 20, 30, true},
        {"jpeg_cmyk.jpg", 30, 20, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.file) + " in " + std::to_string(r.boxW) + "x" + std::to_string(r.boxH));
        const std::vector<std::uint8_t> bytes = test::pictureBytes(r.file);
        Bitmap full = decodeJpeg(bytes, r.file).pixels;
        const int fullW = full.width(), fullH = full.height();
        fitInside(full, r.boxW, r.boxH, Color{});
        JpegOptions options;
        options.boxWidth = r.boxW;
        options.boxHeight = r.boxH;
        const DecodedPicture boxed = decodeJpeg(bytes, r.file, options);
        ASSERT_EQ(boxed.pixels.width(), full.width());
        ASSERT_EQ(boxed.pixels.height(), full.height());
        if (fullW != full.width() || fullH != full.height()) {
            EXPECT_EQ(boxed.fullWidth, fullW);
            EXPECT_EQ(boxed.fullHeight, fullH);
        }
        if (r.exact)
            EXPECT_TRUE(boxed.pixels.samePixels(full));
        else
            EXPECT_LT(meanDifference(boxed.pixels, full), 4.0);
        EXPECT_TRUE(loadPicture(test::picturePath(r.file), Color{}, PictureSize{r.boxW, r.boxH})
                        .samePixels(boxed.pixels));
    }
}

} // namespace
} // namespace vorlin::gfx
