// Loading only what a place shows: the fit rules' plans, and pictures of every format loaded for a fit
// compared with what the whole picture gives when it is shown there (placed and clipped, or stretched).

#include "gfx/blit.h"
#include "gfx/codecs/picture_loader.h"
#include "picture_files.h"

#include <gtest/gtest.h>

namespace vorlin::gfx {
namespace {

using Rule = PictureFit::Rule;
using test::meanDifference;

TEST(PictureFit, PlansKeepWhatThePlaceShows) {
    struct Row {
        Rule rule;
        int w, h, boxW, boxH;
        bool center;
        Rect crop;
        PictureSize size;
    };
    const Row rows[] = {
        {Rule::Whole, 6000, 4000, 1920, 1080, true, {0, 0, 6000, 4000}, {6000, 4000}},
        {Rule::Inside, 6000, 4000, 1920, 1080, true, {0, 0, 6000, 4000}, {1620, 1080}},
        {Rule::EachSide, 6000, 4000, 1920, 1080, true, {0, 0, 6000, 4000}, {1920, 1080}},
        {Rule::EachSide, 800, 4000, 1920, 1080, true, {0, 0, 800, 4000}, {800, 1080}},
        // Centred: (1920 − 6000) div 2 = −2040 and (1080 − 4001) div 2 = −1460 (toward zero).
        {Rule::Visible, 6000, 4001, 1920, 1080, true, {2040, 1460, 3960, 2540}, {1920, 1080}},
        {Rule::Visible, 6000, 4000, 1920, 1080, false, {0, 0, 1920, 1080}, {1920, 1080}},
        {Rule::Visible, 640, 4000, 1920, 1080, true, {0, 1460, 640, 2540}, {640, 1080}},
        {Rule::Visible, 640, 480, 1920, 1080, true, {0, 0, 640, 480}, {640, 480}},
        // Cover: the largest centred part with the box's aspect (6000 × 1080 / 1920 = 3375 rows), shrunk
        // to the box; a part smaller than the box keeps its size (562.5 rows round to even).
        {Rule::Cover, 6000, 4000, 1920, 1080, true, {0, 312, 6000, 3687}, {1920, 1080}},
        {Rule::Cover, 1000, 2000, 1920, 1080, true, {0, 719, 1000, 1281}, {1000, 562}},
        {Rule::Cover, 4000, 1000, 1920, 1080, true, {1111, 0, 2889, 1000}, {1778, 1000}},
        {Rule::Cover, 3840, 2160, 1920, 1080, true, {0, 0, 3840, 2160}, {1920, 1080}},
        // A box without area keeps the whole picture.
        {Rule::Visible, 640, 480, 0, 0, true, {0, 0, 640, 480}, {640, 480}},
    };
    for (const Row& r : rows) {
        const FitPlan plan = planFit(PictureFit{r.rule, r.boxW, r.boxH, r.center}, r.w, r.h);
        EXPECT_EQ(plan.crop, r.crop) << static_cast<int>(r.rule) << " " << r.w << "x" << r.h;
        EXPECT_EQ(plan.size, r.size) << static_cast<int>(r.rule) << " " << r.w << "x" << r.h;
    }
}

// What a box × box control shows of a picture placed centred and unscaled, with `fill` elsewhere.
Bitmap shownCentred(const Bitmap& picture, int boxW, int boxH, Color fill) {
    Bitmap screen(boxW, boxH, fill);
    const int x = (boxW - picture.width()) / 2, y = (boxH - picture.height()) / 2;
    const Rect placed = intersect(Rect{x, y, x + picture.width(), y + picture.height()}, screen.rect());
    copyRect(screen, placed.Left, placed.Top, picture, placed.translated(-x, -y));
    return screen;
}

// Every format, cut to what an unscaled centred show displays and shrunk side by side for a stretched
// one: exactly the pixels the whole picture gives there. Close only where the decoder scales with its own
// filter: a JPEG at a reduced DCT scale, and WebP (libwebp scales; an odd cut-out corner is scaled too).
TEST(PictureFit, EveryFormatLoadsWhatTheWholePictureShows) {
    const char* files[] = {"jpeg_smooth.jpg",      "jpeg_orient6.jpg",    "jpeg_progressive.jpg",
                           "jpeg_cmyk.jpg",        "png_rgb.png",         "png_interlaced.png",
                           "png_palette_trns.png", "gif_transparent.gif", "bmp_24bit.bmp",
                           "ico_png.ico",          "webp_lossless.webp",  "webp_alpha_lossless.webp"};
    const Color fill{10, 200, 30};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        const std::string path = test::picturePath(file);
        const Bitmap whole = loadPicture(path, fill);
        const bool webp = std::string(file).find("webp") != std::string::npos;
        // Boxes smaller than the picture on one side, on both, and with odd differences.
        const PictureSize boxes[] = {{whole.width() * 2 / 3, whole.height() + 10},
                                     {whole.width() - 7, whole.height() / 2 + 1},
                                     {whole.width() / 3 + 2, whole.height() / 3}};
        for (const PictureSize box : boxes) {
            SCOPED_TRACE(std::to_string(box.width) + "x" + std::to_string(box.height));
            const Bitmap visible =
                loadFittedPicture(path, fill, {Rule::Visible, box.width, box.height, true});
            ASSERT_LE(visible.width(), box.width);
            ASSERT_LE(visible.height(), box.height);
            const Bitmap expected = shownCentred(whole, box.width, box.height, fill);
            const Bitmap got = shownCentred(visible, box.width, box.height, fill);
            if (webp)
                EXPECT_LT(meanDifference(got, expected), 12.0);
            else
                EXPECT_TRUE(got.samePixels(expected));

            const Bitmap each = loadFittedPicture(path, fill, {Rule::EachSide, box.width, box.height, true});
            const int w = std::min(whole.width(), box.width), h = std::min(whole.height(), box.height);
            ASSERT_EQ(each.width(), w);
            ASSERT_EQ(each.height(), h);
            Bitmap stretched(w, h);
            stretchCopy(stretched, stretched.rect(), whole, whole.rect());
            // A JPEG decoded at a reduced DCT scale comes close to the stretched full decode.
            const bool reduced = std::string(file).find("jpeg") != std::string::npos &&
                                 jpegScaleCovering(whole.width(), whole.height(), {w, h}) > 1;
            if (webp || reduced)
                EXPECT_LT(meanDifference(each, stretched), 12.0);
            else
                EXPECT_TRUE(each.samePixels(stretched));

            // Cover: the covering centre cut out and sampled down to the box, as a stretch of the whole
            // picture's part.
            const FitPlan plan =
                planFit({Rule::Cover, box.width, box.height, true}, whole.width(), whole.height());
            const Bitmap cover = loadFittedPicture(path, fill, {Rule::Cover, box.width, box.height, true});
            ASSERT_EQ(cover.width(), plan.size.width);
            ASSERT_EQ(cover.height(), plan.size.height);
            Bitmap part(plan.size.width, plan.size.height);
            stretchCopy(part, part.rect(), whole, plan.crop);
            const bool coverReduced = std::string(file).find("jpeg") != std::string::npos &&
                                      jpegScaleCovering(plan.crop.width(), plan.crop.height(), plan.size) > 1;
            if (webp || coverReduced)
                EXPECT_LT(meanDifference(cover, part), 12.0);
            else
                EXPECT_TRUE(cover.samePixels(part));
        }
    }
}

// A covering cut-out of a JPEG shrunk far is decoded at a reduced DCT scale with its columns cut at that
// scale: close to the part of the full decode (a smooth picture, where the DCT's averaging and sampling
// agree).
TEST(PictureFit, AJpegCoverIsDecodedReducedAndCut) {
    const std::string path = test::picturePath("jpeg_smooth.jpg");
    const Bitmap whole = loadPicture(path, Color{});
    // A tall narrow box: half the width is kept, shrunk three times.
    const PictureFit fit{Rule::Cover, whole.width() / 6, whole.height() / 3, true};
    const FitPlan plan = planFit(fit, whole.width(), whole.height());
    ASSERT_GT(jpegScaleCovering(plan.crop.width(), plan.crop.height(), plan.size), 1);
    ASSERT_LT(plan.crop.width(), whole.width());
    const Bitmap cover = loadFittedPicture(path, Color{}, fit);
    ASSERT_EQ(cover.width(), plan.size.width);
    ASSERT_EQ(cover.height(), plan.size.height);
    Bitmap part(plan.size.width, plan.size.height);
    stretchCopy(part, part.rect(), whole, plan.crop);
    EXPECT_LT(meanDifference(cover, part), 8.0);
}

TEST(PictureFit, ACancelledLoadStops) {
    std::atomic<bool> cancel{true};
    for (const char* file : {"jpeg_smooth.jpg", "png_rgb.png", "bmp_24bit.bmp"})
        EXPECT_THROW(loadFittedPicture(test::picturePath(file), Color{}, {}, &cancel), PictureError) << file;
}

} // namespace
} // namespace vorlin::gfx
