// The photo looks' placement and composed picture: where landscape, portrait and small pictures land with
// each fill (sizes worked out by hand from the screen's and the picture's proportions), that loading
// first and placing afterwards lands the picture where placing the whole picture would, and the composed
// screens: a portrait with the blurred fill leaves no background colour, its bars darker and smooth;
// the crop covers the screen with the picture's centre.

#include "show/canvas/picture_look.h"

#include "gfx/backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

namespace vorlin::canvas {
namespace {

using gfx::Bitmap;
using gfx::Color;
using Rule = gfx::PictureFit::Rule;

constexpr int kW = 1920, kH = 1080;
constexpr Color kMagenta{255, 0, 255};

PictureLook lookOf(show::TPictureFill fill, bool stretch = false, bool panZoom = false) {
    return PictureLook{fill, stretch, panZoom, false};
}

TEST(PictureLook, ShapesLandWhereTheFillPutsThem) {
    struct Row {
        show::TPictureFill fill;
        bool stretch;
        int w, h;
        Rect picture;
        bool backdrop;
    };
    const Row rows[] = {
        // Landscape 4:3, larger than the screen: inside 1440 × 1080; covering 1920 × 1440, 180 rows cut
        // above and below; plain: centred at its own size.
        {show::pfBlur, false, 4000, 3000, {240, 0, 1680, 1080}, true},
        {show::pfCrop, false, 4000, 3000, {0, -180, 1920, 1260}, false},
        {show::pfColor, false, 4000, 3000, {-1040, -960, 2960, 2040}, false},
        {show::pfColor, true, 4000, 3000, {0, 0, 1920, 1080}, false},
        // Portrait 1:2: inside 540 × 1080; covering 1920 × 3840.
        {show::pfBlur, false, 1000, 2000, {690, 0, 1230, 1080}, true},
        {show::pfBlur, true, 1000, 2000, {690, 0, 1230, 1080}, true},
        {show::pfCrop, false, 1000, 2000, {0, -1380, 1920, 2460}, false},
        // Small 400 × 300: kept at its size, enlarged keeping its aspect only with StetchImage; the crop
        // always covers.
        {show::pfBlur, false, 400, 300, {760, 390, 1160, 690}, true},
        {show::pfBlur, true, 400, 300, {240, 0, 1680, 1080}, true},
        {show::pfCrop, false, 400, 300, {0, -180, 1920, 1260}, false},
        {show::pfColor, false, 400, 300, {760, 390, 1160, 690}, false},
        // The screen's own shape leaves no bars: no backdrop to make.
        {show::pfBlur, false, 3840, 2160, {0, 0, 1920, 1080}, false},
        {show::pfCrop, false, 3840, 2160, {0, 0, 1920, 1080}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.fill) + (r.stretch ? " stretched " : " ") + std::to_string(r.w) + "x" +
                     std::to_string(r.h));
        const PicturePlacement p = placePicture(lookOf(r.fill, r.stretch), kW, kH, r.w, r.h);
        EXPECT_EQ(p.picture, r.picture);
        EXPECT_EQ(p.backdrop, r.backdrop);
    }
    EXPECT_EQ(placePicture(lookOf(show::pfBlur), 0, kH, 400, 300), PicturePlacement{});
    EXPECT_EQ(placePicture(lookOf(show::pfBlur), kW, kH, 0, 300), PicturePlacement{});
}

// The loader decodes what lookFit asks for; the canvas places the decoded picture. That must put the
// picture where placing the full picture would (to a pixel of rounding), and with pan and zoom leave
// room for the deepest zoom: the decoded picture is at least kDriftZoom times its place, or whole.
TEST(PictureLook, DecodedPicturesLandWhereTheWholeOnesWould) {
    const gfx::PictureSize shapes[] = {{4000, 3000}, {1000, 2000}, {400, 300},  {6000, 1000},
                                       {1919, 1081}, {3, 2000},    {1920, 1080}};
    const gfx::PictureFit plainFits[] = {{Rule::Visible, kW, kH, true}, {Rule::EachSide, kW, kH, true}};
    for (const auto fill : {show::pfColor, show::pfBlur, show::pfCrop})
        for (const bool stretch : {false, true})
            for (const bool panZoom : {false, true})
                for (const gfx::PictureSize shape : shapes) {
                    const PictureLook look = lookOf(fill, stretch, panZoom);
                    SCOPED_TRACE(std::to_string(fill) + " stretch " + std::to_string(stretch) + " drift " +
                                 std::to_string(panZoom) + " " + std::to_string(shape.width) + "x" +
                                 std::to_string(shape.height));
                    // The runner's canvas: stretched with StetchImage, else shown unscaled.
                    const gfx::PictureFit fit = lookFit(look, plainFits[stretch]);
                    const gfx::FitPlan plan = gfx::planFit(fit, shape.width, shape.height);
                    const Rect whole = placePicture(look, kW, kH, shape.width, shape.height).picture;
                    const Rect decoded =
                        placePicture(look, kW, kH, plan.size.width, plan.size.height).picture;
                    // What of the picture the screen shows, in the picture's own pixels, both ways.
                    auto shownPart = [&](const Rect& placed, const Rect& crop) {
                        const Rect onScreen = intersect(placed, rectOfSize(kW, kH));
                        const double sx = double(crop.width()) / placed.width();
                        const double sy = double(crop.height()) / placed.height();
                        return std::array<double, 4>{crop.Left + (onScreen.Left - placed.Left) * sx,
                                                     crop.Top + (onScreen.Top - placed.Top) * sy,
                                                     crop.Left + (onScreen.Right - placed.Left) * sx,
                                                     crop.Top + (onScreen.Bottom - placed.Top) * sy};
                    };
                    const auto fromWhole = shownPart(whole, rectOfSize(shape.width, shape.height));
                    const auto fromDecoded = shownPart(decoded, plan.crop);
                    // One screen pixel of rounding, in picture pixels.
                    const double tolerance =
                        1.5 * std::max(1.0, std::max(double(shape.width) / whole.width(),
                                                     double(shape.height) / whole.height()));
                    for (int i = 0; i < 4; ++i) EXPECT_NEAR(fromWhole[i], fromDecoded[i], tolerance) << i;
                    EXPECT_LE(std::abs(intersect(whole, rectOfSize(kW, kH)).width() -
                                       intersect(decoded, rectOfSize(kW, kH)).width()),
                              1);
                    EXPECT_LE(std::abs(intersect(whole, rectOfSize(kW, kH)).height() -
                                       intersect(decoded, rectOfSize(kW, kH)).height()),
                              1);
                    const bool scaled = whole.width() != shape.width || whole.height() != shape.height;
                    // Each side either decoded whole or with room for the deepest zoom.
                    if (panZoom && scaled) {
                        EXPECT_TRUE(plan.size.width == plan.crop.width() ||
                                    plan.size.width + 2 >= kDriftZoom * decoded.width());
                        EXPECT_TRUE(plan.size.height == plan.crop.height() ||
                                    plan.size.height + 2 >= kDriftZoom * decoded.height());
                    }
                }
}

// A portrait picture of four bands (red, green, blue, white from the top), 600 × 1200.
Bitmap bandedPortrait() {
    const Color bands[] = {{220, 30, 30}, {30, 220, 30}, {30, 30, 220}, {255, 255, 255}};
    Bitmap picture(600, 1200);
    for (int i = 0; i < 4; ++i) picture.fillRect({0, i * 300, 600, (i + 1) * 300}, bands[i]);
    return picture;
}

int luminance(Color c) {
    return (c.r * 3 + c.g * 6 + c.b) / 10;
}

int channelDifference(Color a, Color b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

TEST(PictureLook, BlurredFillLeavesNoBackgroundBesideAPortrait) {
    const Bitmap picture = bandedPortrait();
    const Bitmap screen = composeLook(picture, lookOf(show::pfBlur), kW, kH, kMagenta);
    ASSERT_EQ(screen.width(), kW);
    ASSERT_EQ(screen.height(), kH);
    // The picture shrunk to 540 × 1080 in the middle: columns 690..1229. Its bands' middles keep their
    // colours.
    EXPECT_EQ(channelDifference(screen.pixel(960, 135), Color{220, 30, 30}), 0);
    EXPECT_LE(channelDifference(screen.pixel(960, 945), Color{255, 255, 255}), 1);

    int maxStep = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Color c = screen.pixel(x, y);
            ASSERT_GT(channelDifference(c, kMagenta), 60) << x << "," << y;
            if (x >= 690 && x < 1230) continue;
            // The bars: darkened to at most 141/256 of full brightness.
            ASSERT_LE(std::max({c.r, c.g, c.b}), 142) << x << "," << y;
            if (x + 1 < 690 || (x >= 1230 && x + 1 < kW))
                maxStep = std::max(maxStep, channelDifference(c, screen.pixel(x + 1, y)));
            if (y + 1 < kH) maxStep = std::max(maxStep, channelDifference(c, screen.pixel(x, y + 1)));
        }
    // Smooth: the hard band edge the bars cover (green to blue at the middle row) is spread over many
    // pixels; without the blur it changes by ~17 a pixel (a step of 190 × 0.55 over 8 enlarged pixels).
    EXPECT_LE(maxStep, 4);
    // The bars take the picture's colours: the covering copy shows the green band above the middle and
    // the blue one below, darkened.
    const Color top = screen.pixel(100, 20), bottom = screen.pixel(1800, 1060);
    EXPECT_GT(top.g, top.b + 20);
    EXPECT_GT(bottom.b, bottom.g + 20);
    EXPECT_LT(luminance(top), luminance(Color{30, 220, 30}));
}

TEST(PictureLook, CropCoversTheScreenKeepingTheCentre) {
    // 400 × 400 in rows of 50 with colours of their own, and a marker at the centre: on 640 × 360 it is
    // enlarged 1.6 times to 640 × 640, 140 rows cut above and below (picture rows 87.5..312.5 show).
    Bitmap picture(400, 400);
    for (int band = 0; band < 8; ++band)
        picture.fillRect(
            {0, band * 50, 400, band * 50 + 50},
            Color{static_cast<std::uint8_t>(band * 30), 100, static_cast<std::uint8_t>(250 - band * 30)});
    picture.fillRect({190, 190, 210, 210}, Color{255, 255, 0});
    const Bitmap screen = composeLook(picture, lookOf(show::pfCrop), 640, 360, kMagenta);
    ASSERT_EQ(screen.width(), 640);
    ASSERT_EQ(screen.height(), 360);
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x) ASSERT_GT(channelDifference(screen.pixel(x, y), kMagenta), 60);
    EXPECT_EQ(screen.pixel(320, 180), (Color{255, 255, 0}));
    // Away from band edges, screen row y shows picture row (y + 140) / 1.6.
    for (const int y : {5, 60, 120, 250, 355}) {
        const int band = static_cast<int>((y + 140) / 1.6) / 50;
        EXPECT_EQ(screen.pixel(30, y).r, band * 30) << y;
    }
    // The first and the last bands stay outside.
    EXPECT_GT(screen.pixel(30, 0).r, 0);
    EXPECT_LT(screen.pixel(30, 359).r, 7 * 30);
}

TEST(PictureLook, ColourFillKeepsThePictureAndTheColour) {
    Bitmap picture(40, 30, Color{10, 20, 30});
    const Bitmap screen = composeLook(picture, lookOf(show::pfColor), 100, 80, kMagenta);
    Bitmap expected(100, 80, kMagenta);
    expected.fillRect({30, 25, 70, 55}, Color{10, 20, 30});
    EXPECT_TRUE(screen.samePixels(expected));
}

} // namespace
} // namespace vorlin::canvas
