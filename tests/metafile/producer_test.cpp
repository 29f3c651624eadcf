// Metafiles written by a real producer (Inkscape, from tests/data/metafiles/drawing.svg): each must come
// out the size of the drawing, with every shape's colour centred where the SVG puts it.

#include "gfx/metafile/metafile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using vorlin::gfx::Color;
using vorlin::gfx::DecodedPicture;

namespace {

// drawing.svg is 240 × 160 user units (pixels at 96 dpi).
constexpr double kSvgW = 240, kSvgH = 160;

struct ProducerFile {
    const char* name;
    bool exactSize; // WMF bounding boxes are exact; Inkscape rounds an EMF frame up to whole millimetres
};

class ProducerTest : public testing::TestWithParam<ProducerFile> {
protected:
    void SetUp() override {
        pic =
            vorlin::gfx::decodeMetafile(std::string(VORLIN_TEST_DATA_DIR) + "/metafiles/" + GetParam().name);
        sx = pic.pixels.width() / kSvgW;
        sy = pic.pixels.height() / kSvgH;
    }
    bool painted(int x, int y) const {
        return pic.alpha[static_cast<std::size_t>(y) * pic.pixels.width() + x];
    }

    // Centroid and count of the painted pixels of one colour (within 60 per channel) in picture pixels.
    struct Blob {
        double cx = 0, cy = 0;
        int count = 0;
        int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    };
    Blob find(Color want) const {
        Blob b;
        for (int y = 0; y < pic.pixels.height(); ++y)
            for (int x = 0; x < pic.pixels.width(); ++x) {
                const Color c = pic.pixels.pixel(x, y);
                if (!painted(x, y) || std::abs(c.r - want.r) > 60 || std::abs(c.g - want.g) > 60 ||
                    std::abs(c.b - want.b) > 60)
                    continue;
                // Pixel x covers [x, x + 1) of the picture: its centre is x + 0.5.
                b.cx += x + 0.5;
                b.cy += y + 0.5;
                ++b.count;
                b.minX = std::min(b.minX, x), b.maxX = std::max(b.maxX, x);
                b.minY = std::min(b.minY, y), b.maxY = std::max(b.maxY, y);
            }
        if (b.count) b.cx /= b.count, b.cy /= b.count;
        return b;
    }

    DecodedPicture pic;
    double sx = 1, sy = 1;
};

TEST_P(ProducerTest, DecodesToTheDrawingSize) {
    ASSERT_EQ(pic.alpha.size(), static_cast<std::size_t>(pic.pixels.width()) * pic.pixels.height());
    if (GetParam().exactSize) {
        EXPECT_EQ(pic.pixels.width(), 240);
        EXPECT_EQ(pic.pixels.height(), 160);
    } else {
        EXPECT_NEAR(pic.pixels.width(), 240, 3);
        EXPECT_NEAR(pic.pixels.height(), 160, 3);
    }
}

TEST_P(ProducerTest, ShapesSitWhereTheDrawingPutsThem) {
    struct Shape {
        const char* what;
        Color color;
        double cx, cy; // centroid in SVG units
        double area;   // in SVG units²
    };
    const Shape shapes[] = {
        {"rectangle", {255, 0, 0}, 50, 40, 80 * 60},
        {"ellipse", {0, 0, 255}, 170, 40, 3.14159265 * 55 * 28},
        {"triangle", {0, 255, 0}, (15 + 60 + 105) / 3.0, (150 + 85 + 150) / 3.0, 90 * 65 / 2.0},
        {"picture, yellow half", {255, 255, 0}, 185 + 12, 80 + 16, 24 * 32},
        {"picture, magenta half", {255, 0, 255}, 185 + 36, 80 + 16, 24 * 32},
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.what);
        const Blob b = find(s.color);
        ASSERT_GT(b.count, 0);
        EXPECT_NEAR(b.cx, s.cx * sx, 2.0);
        EXPECT_NEAR(b.cy, s.cy * sy, 2.0);
        EXPECT_NEAR(b.count, s.area * sx * sy, s.area * sx * sy * 0.08);
    }
}

TEST_P(ProducerTest, TextIsDrawnInsideItsBox) {
    // "Vorlin", 22 px DejaVu Sans, baseline at y = 148 from x = 115: about 70 px wide, 17 px tall.
    const Blob b = find({0, 0, 0});
    ASSERT_GT(b.count, 120);
    EXPECT_GE(b.minX, std::floor(113 * sx));
    EXPECT_LE(b.maxX, std::ceil(195 * sx));
    EXPECT_GE(b.minY, std::floor(128 * sy));
    EXPECT_LE(b.maxY, std::ceil(154 * sy));
    EXPECT_GT(b.maxX - b.minX, 55 * sx);
}

TEST_P(ProducerTest, UnpaintedAreasAreTransparent) {
    const double points[][2] = {{110, 5}, {235, 155}, {5, 80}, {150, 80}, {100, 110}, {200, 125}};
    for (const auto& p : points) {
        const int x = static_cast<int>(p[0] * sx), y = static_cast<int>(p[1] * sy);
        EXPECT_FALSE(painted(x, y)) << "at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Inkscape, ProducerTest,
                         testing::Values(ProducerFile{"drawing-text.emf", false},
                                         ProducerFile{"drawing-text.wmf", true},
                                         ProducerFile{"drawing-paths.emf", false},
                                         ProducerFile{"drawing-paths.wmf", true}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (c == '-' || c == '.') c = '_';
                             return n;
                         });

} // namespace
