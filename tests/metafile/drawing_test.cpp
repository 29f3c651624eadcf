// Hand-built metafiles with one feature each: where the pixels must land follows from GDI's rules
// (fills cover [left, right) × [top, bottom) of device pixels; the mapping modes' formulas), not from
// the decoder.

#include "builder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace metafile_test;
using vorlin::gfx::Color;
using vorlin::gfx::DecodedPicture;
using vorlin::gfx::PictureError;

namespace {

constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000; // COLORREF 0x00BBGGRR

// True when exactly the pixels of [l, r) × [t, b) are painted.
::testing::AssertionResult paintsExactly(const DecodedPicture& p, int l, int t, int r, int b) {
    for (int y = 0; y < p.pixels.height(); ++y)
        for (int x = 0; x < p.pixels.width(); ++x) {
            const bool inside = x >= l && x < r && y >= t && y < b;
            if (painted(p, x, y) != inside)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << (inside ? " not" : "") << " painted";
        }
    return ::testing::AssertionSuccess();
}

// A 96 × 48 EMF with a red brush and no pen, set up by `setup`, then one rectangle.
Bytes redRectangle(const std::function<void(Emf&)>& setup, std::initializer_list<std::int64_t> rect) {
    Emf e(96, 48);
    emfBrush(e, 1, kSolid, kRed);
    emfNoPen(e);
    setup(e);
    e.rec(43, rect);
    return e.finish();
}

struct MappingCase {
    const char* name;
    std::function<void(Emf&)> setup;
    std::int64_t l, t, r, b; // logical rectangle
    int el, et, er, eb;      // painted pixels
};

// A map mode of fixed units (y up) with the viewport origin at the picture's bottom left.
std::function<void(Emf&)> fixedMode(std::int64_t mode) {
    return [mode](Emf& e) { e.rec(17, {mode}).rec(12, {0, 48}); };
}

class EmfMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(EmfMapping, RectangleLandsOnTheMappedPixels) {
    const MappingCase& c = GetParam();
    const DecodedPicture p = decode(redRectangle(c.setup, {c.l, c.t, c.r, c.b}));
    ASSERT_EQ(p.pixels.width(), 96);
    ASSERT_EQ(p.pixels.height(), 48);
    EXPECT_TRUE(paintsExactly(p, c.el, c.et, c.er, c.eb));
    EXPECT_EQ(p.pixels.pixel(c.el, c.et), (Color{255, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EmfMapping,
    testing::Values(
        MappingCase{"text", [](Emf&) {}, 10, 10, 30, 20, 10, 10, 30, 20},
        MappingCase{"anisotropic",
                    [](Emf& e) {
                        e.rec(17, {8}).rec(9, {1000, 1000}).rec(11, {96, 48});
                    },
                    0, 0, 500, 500, 0, 0, 48, 24},
        MappingCase{
            "anisotropic_origins",
            [](Emf& e) {
                e.rec(17, {8}).rec(10, {100, 100}).rec(9, {200, 200}).rec(11, {96, 48}).rec(12, {8, 4});
            },
            100, 100, 200, 200, 8, 4, 56, 28},
        // 0.1 mm units, y up: 127 units are 12.7 mm = 48 pixels at 96 dpi.
        MappingCase{"lometric", fixedMode(2), 0, 0, 127, 127, 0, 0, 48, 48},
        // 0.01 mm, 0.01 inch and 1/1440 inch units: half an inch is 48 pixels.
        MappingCase{"himetric", fixedMode(3), 0, 0, 1270, 1270, 0, 0, 48, 48},
        MappingCase{"loenglish", fixedMode(4), 0, 0, 50, 25, 0, 24, 48, 48},
        MappingCase{"twips", fixedMode(6), 0, 0, 360, 360, 0, 24, 24, 48},
        MappingCase{"isotropic",
                    [](Emf& e) {
                        e.rec(17, {7}).rec(9, {100, 100}).rec(11, {96, 48});
                    },
                    0, 0, 100, 100, 0, 0, 48, 48},
        MappingCase{"world_transform",
                    [](Emf& e) {
                        // eM11 = 2, eM22 = 2, eDx = 10, eDy = 4 (IEEE floats)
                        e.rec(35, {0x40000000, 0, 0, 0x40000000, 0x41200000, 0x40800000});
                    },
                    0, 0, 10, 5, 10, 4, 30, 14}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EmfFill, AlternateLeavesTheStarsCentreWindingFillsIt) {
    for (int mode : {1, 2}) {
        Emf e(96, 96);
        emfBrush(e, 1, kSolid, kGreen);
        emfNoPen(e);
        e.rec(19, {mode});
        // A pentagram around (48, 48).
        e.rec(3, {0, 0, 95, 95, 5, 48, 8, 72, 84, 10, 36, 86, 36, 24, 84});
        const DecodedPicture p = decode(e.finish());
        EXPECT_EQ(painted(p, 48, 50), mode == 2) << "mode " << mode;
        EXPECT_TRUE(painted(p, 48, 14)) << "a point of the star";
    }
}

TEST(EmfClip, RectanglesRegionsPathsAndSavedStates) {
    struct Case {
        const char* name;
        std::function<void(Emf&)> clip;
        int l, t, r, b;
    };
    const Case cases[] = {
        {"intersect",
         [](Emf& e) {
             e.rec(30, {20, 10, 40, 30});
         },
         20, 10, 40, 30},
        {"intersect twice",
         [](Emf& e) {
             e.rec(30, {20, 10, 40, 30}).rec(30, {30, 0, 96, 20});
         },
         30, 10, 40, 20},
        {"restored",
         [](Emf& e) {
             e.rec(33, {}).rec(30, {20, 10, 40, 30}).rec(34, {-1});
         },
         0, 0, 96, 48},
        {"region copy",
         [](Emf& e) {
             // RGNDATAHEADER (32 bytes) + one rectangle, RGN_COPY.
             e.rec(75, {48, 5, 32, 1, 1, 16, 4, 6, 50, 40, 4, 6, 50, 40});
         },
         4, 6, 50, 40},
        {"empty region resets",
         [](Emf& e) {
             e.rec(30, {20, 10, 40, 30}).rec(75, {0, 5});
         },
         0, 0, 96, 48},
        {"path",
         [](Emf& e) {
             e.rec(59, {}).rec(43, {8, 8, 24, 40}).rec(60, {}).rec(67, {5});
         },
         8, 8, 24, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(paintsExactly(decode(redRectangle(c.clip, {0, 0, 96, 48})), c.l, c.t, c.r, c.b));
    }
    // Excluding leaves a hole.
    const DecodedPicture hole = decode(redRectangle(
        [](Emf& e) {
            e.rec(29, {20, 10, 40, 30});
        },
        {0, 0, 96, 48}));
    EXPECT_FALSE(painted(hole, 30, 20));
    EXPECT_TRUE(painted(hole, 19, 20));
    EXPECT_TRUE(painted(hole, 40, 20));
}

TEST(EmfClip, RegionModesCombineWithTheClip) {
    // The clip is the rectangle A, then EXTSELECTCLIPRGN combines it with the region B by each mode.
    constexpr int al = 20, at = 10, ar = 60, ab = 30, bl = 40, bt = 20, br = 80, bb = 40;
    struct Mode {
        std::int64_t mode;
        bool (*keeps)(bool inA, bool inB);
    };
    const Mode modes[] = {
        {1, [](bool a, bool b) { return a && b; }},  // RGN_AND
        {2, [](bool a, bool b) { return a || b; }},  // RGN_OR
        {3, [](bool a, bool b) { return a != b; }},  // RGN_XOR
        {4, [](bool a, bool b) { return a && !b; }}, // RGN_DIFF
        {5, [](bool, bool b) { return b; }},         // RGN_COPY
    };
    for (const Mode& m : modes) {
        const DecodedPicture p = decode(redRectangle(
            [&m](Emf& e) {
                e.rec(30, {al, at, ar, ab});
                e.rec(75, {48, m.mode, 32, 1, 1, 16, bl, bt, br, bb, bl, bt, br, bb});
            },
            {0, 0, 96, 48}));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 96; ++x) {
                const bool inA = x >= al && x < ar && y >= at && y < ab;
                const bool inB = x >= bl && x < br && y >= bt && y < bb;
                ASSERT_EQ(painted(p, x, y), m.keeps(inA, inB))
                    << "mode " << m.mode << " at " << x << "," << y;
            }
    }
}

TEST(EmfPen, WideNullAndOutlineOnly) {
    {
        Emf e(96, 48);
        emfPen(e, 1, 0, 9, kBlue);
        e.rec(27, {10, 24}).rec(54, {80, 24});
        const DecodedPicture p = decode(e.finish());
        int rows = 0;
        for (int y = 0; y < 48; ++y) rows += painted(p, 40, y);
        EXPECT_NEAR(rows, 9, 1);
        EXPECT_EQ(p.pixels.pixel(40, 24), (Color{0, 0, 255}));
    }
    {
        Emf e(96, 48);
        emfNoPen(e);
        e.rec(4, {0, 0, 0, 0, 3, 10, 10, 50, 40, 90, 10}); // a polyline with a null pen draws nothing
        const DecodedPicture p = decode(e.finish());
        EXPECT_TRUE(paintsExactly(p, 0, 0, 0, 0));
    }
    {
        Emf e(96, 48);
        emfPen(e, 1, 0, 1, kBlue);
        emfBrush(e, 2, kNull, 0);
        e.rec(43, {10, 10, 50, 40});
        const DecodedPicture p = decode(e.finish());
        EXPECT_TRUE(painted(p, 10, 25));
        EXPECT_TRUE(painted(p, 30, 10));
        EXPECT_FALSE(painted(p, 30, 25)) << "a null brush leaves the inside";
    }
}

// The stock brushes WHITE_BRUSH … BLACK_BRUSH (stock objects 0 to 4) fill with GDI's greys.
TEST(EmfBrush, StockBrushesFillWithTheirGreys) {
    const std::uint8_t greys[] = {255, 192, 128, 64, 0};
    for (std::uint32_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        Emf e(48, 48);
        e.rec(37, {0x80000000 | i});
        emfNoPen(e);
        e.rec(43, {10, 10, 40, 30});
        const DecodedPicture p = decode(e.finish());
        EXPECT_TRUE(paintsExactly(p, 10, 10, 40, 30));
        EXPECT_EQ(p.pixels.pixel(20, 20), (Color{greys[i], greys[i], greys[i]}));
    }
}

TEST(EmfShapes, EllipsePieAndHatch) {
    {
        Emf e(96, 96);
        emfBrush(e, 1, kSolid, kRed);
        emfNoPen(e);
        e.rec(42, {0, 0, 96, 96});
        const DecodedPicture p = decode(e.finish());
        EXPECT_TRUE(painted(p, 48, 48));
        EXPECT_TRUE(painted(p, 2, 48));
        EXPECT_FALSE(painted(p, 5, 5));
        EXPECT_FALSE(painted(p, 90, 90));
    }
    {
        // Counter-clockwise from (96, 48) to (48, 0): the top-right quarter.
        Emf e(96, 96);
        emfBrush(e, 1, kSolid, kRed);
        emfNoPen(e);
        e.rec(47, {0, 0, 96, 96, 96, 48, 48, 0});
        const DecodedPicture p = decode(e.finish());
        EXPECT_TRUE(painted(p, 70, 25));
        EXPECT_FALSE(painted(p, 25, 25));
        EXPECT_FALSE(painted(p, 70, 70));
    }
    {
        // HS_HORIZONTAL over a transparent background: every eighth row.
        Emf e(96, 48);
        e.rec(39, {1, 2, kBlue, 0}).rec(37, {1});
        emfNoPen(e);
        e.rec(18, {1});
        e.rec(43, {0, 0, 96, 48});
        const DecodedPicture p = decode(e.finish());
        int rows = 0;
        for (int y = 0; y < 48; ++y) rows += painted(p, 30, y);
        EXPECT_EQ(rows, 6);
    }
}

TEST(EmfPath, LinesAndBeziersFill) {
    Emf e(96, 48);
    emfBrush(e, 1, kSolid, kGreen);
    emfNoPen(e);
    e.rec(59, {});
    e.rec(27, {10, 40});
    // PolyBezierTo16: (10,0) (86,0) (86,40); the curve's top is at y = 10.
    e.rec(88, {0, 0, 0, 0, 3, (0 << 16) | 10, (0 << 16) | 86, (40 << 16) | 86});
    e.rec(61, {}).rec(60, {}).rec(62, {0, 0, 0, 0});
    const DecodedPicture p = decode(e.finish());
    EXPECT_TRUE(painted(p, 48, 14));
    EXPECT_FALSE(painted(p, 48, 6));
    EXPECT_FALSE(painted(p, 12, 12));
}

// A 2 × 2 picture, red and green on top, green and red below, in each DIB depth (stored bottom-up).
struct DibCase {
    int bpp;
    std::vector<std::uint32_t> palette;
    std::vector<Bytes> rows; // bottom row first
};

class DibDepth : public testing::TestWithParam<DibCase> {};

TEST_P(DibDepth, StretchesIntoQuadrantsEmfAndWmf) {
    const DibCase& c = GetParam();
    const Bytes bmi = dib(2, 2, c.bpp, c.palette, {});
    Bytes bits;
    for (const Bytes& r : c.rows) bits.insert(bits.end(), r.begin(), r.end());

    Bytes body;
    for (std::uint32_t v : {0u, 0u, 95u, 47u, 0u, 0u, 0u, 0u, 2u, 2u}) put32(body, v);
    put32(body, 80);
    put32(body, static_cast<std::uint32_t>(bmi.size()));
    put32(body, static_cast<std::uint32_t>(80 + bmi.size()));
    put32(body, static_cast<std::uint32_t>(bits.size()));
    for (std::uint32_t v : {0u, 0xCC0020u, 96u, 48u}) put32(body, v);
    body.insert(body.end(), bmi.begin(), bmi.end());
    body.insert(body.end(), bits.begin(), bits.end());
    Emf e(96, 48);
    e.raw(81, body);

    Bytes params; // STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, dH, dW, yD, xD, packed DIB
    for (int v : {0x0020, 0xCC, 0, 2, 2, 0, 0, 48, 96, 0, 0}) put16(params, static_cast<std::uint16_t>(v));
    params.insert(params.end(), bmi.begin(), bmi.end());
    params.insert(params.end(), bits.begin(), bits.end());
    Wmf w(96, 48, 96);
    w.raw(0x0F43, params);

    for (const Bytes& file : {e.finish(), w.finish()}) {
        const DecodedPicture p = decode(file);
        ASSERT_EQ(p.pixels.width(), 96);
        EXPECT_TRUE(paintsExactly(p, 0, 0, 96, 48));
        EXPECT_EQ(p.pixels.pixel(20, 10), (Color{255, 0, 0}));
        EXPECT_EQ(p.pixels.pixel(70, 10), (Color{0, 255, 0}));
        EXPECT_EQ(p.pixels.pixel(20, 40), (Color{0, 255, 0}));
        EXPECT_EQ(p.pixels.pixel(70, 40), (Color{255, 0, 0}));
    }
}

const std::vector<std::uint32_t> kRedGreen{0xFF0000, 0x00FF00}; // RGBQUADs as 0x00RRGGBB

INSTANTIATE_TEST_SUITE_P(
    Depths, DibDepth,
    testing::Values(DibCase{1, kRedGreen, {{0x80, 0, 0, 0}, {0x40, 0, 0, 0}}},
                    DibCase{4, kRedGreen, {{0x10, 0, 0, 0}, {0x01, 0, 0, 0}}},
                    DibCase{8, kRedGreen, {{1, 0, 0, 0}, {0, 1, 0, 0}}},
                    DibCase{24, {}, {{0, 255, 0, 0, 0, 255, 0, 0}, {0, 0, 255, 0, 255, 0, 0, 0}}},
                    DibCase{32, {}, {{0, 255, 0, 0, 0, 0, 255, 0}, {0, 0, 255, 0, 0, 255, 0, 0}}}),
    [](const auto& info) { return "bpp" + std::to_string(info.param.bpp); });

// EXTCREATEFONTINDIRECTW for DejaVu Sans, 20 px em, with an escapement in tenths of a degree.
Bytes dejaVu(std::int32_t escapement = 0) {
    Bytes font;
    put32(font, 1); // handle
    for (std::int32_t v : {-20, 0, escapement, escapement, 400}) put32(font, static_cast<std::uint32_t>(v));
    for (int i = 0; i < 8; ++i) font.push_back(0);
    const std::u16string face = u"DejaVu Sans";
    for (int i = 0; i < 32; ++i) put16(font, i < static_cast<int>(face.size()) ? face[i] : 0);
    while (font.size() < 324) font.push_back(0); // rest of the LOGFONT_PANOSE
    return font;
}

// EXTTEXTOUTW "HH" at (x, y): bounds, graphics mode, scales, EMRTEXT, no dx.
Bytes textHH(std::uint32_t x, std::uint32_t y) {
    Bytes text;
    for (std::uint32_t v : {0u, 0u, 0u, 0u, 1u, 0u, 0u, x, y, 2u, 76u, 0u, 0u, 0u, 0u, 0u, 0u})
        put32(text, v);
    put16(text, 'H');
    put16(text, 'H');
    return text;
}

TEST(EmfText, EscapementTurnsTheBaselineCounterClockwise) {
    Emf e(96, 48);
    e.raw(82, dejaVu(900)).rec(37, {1}).rec(22, {24}).rec(18, {1});
    e.raw(84, textHH(48, 44));
    const DecodedPicture p = decode(e.finish());
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x)
            if (painted(p, x, y))
                minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y),
                maxY = std::max(maxY, y);
    ASSERT_GE(maxX, 0);
    EXPECT_LE(maxY, 44) << "the run goes up from the reference point";
    EXPECT_LE(maxX, 48) << "capitals stand to the left of an upward baseline";
    EXPECT_GT(maxY - minY, maxX - minX) << "the run is taller than wide";
}

TEST(EmfText, BaselineAndTopAlignment) {
    for (int align : {24 /* TA_BASELINE */, 0 /* TA_TOP */}) {
        Emf e(96, 48);
        e.raw(82, dejaVu()).rec(37, {1}).rec(22, {align}).rec(18, {1});
        e.raw(84, textHH(10, align == 24 ? 30 : 5));
        const DecodedPicture p = decode(e.finish());
        int minY = 99, maxY = -1, minX = 99, count = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 96; ++x)
                if (painted(p, x, y)) {
                    ++count;
                    minY = std::min(minY, y), maxY = std::max(maxY, y), minX = std::min(minX, x);
                    EXPECT_EQ(p.pixels.pixel(x, y), (Color{0, 0, 0}));
                }
        ASSERT_GT(count, 30) << "align " << align;
        EXPECT_GE(minX, 10);
        if (align == 24) {
            EXPECT_LE(maxY, 30) << "capitals sit on the baseline";
            EXPECT_GE(minY, 30 - 20);
        } else {
            EXPECT_GE(minY, 5) << "the cell's top is at the reference point";
            EXPECT_LE(maxY, 5 + 24);
        }
    }
}

TEST(WmfSize, BoundingBoxWindowOrError) {
    EXPECT_EQ(decode(Wmf(2880, 1440, 1440).finish()).pixels.width(), 192);
    EXPECT_EQ(decode(Wmf(2880, 1440, 1440).finish()).pixels.height(), 96);
    const DecodedPicture plain = decode(Wmf().rec(0x020B, {0, 0}).rec(0x020C, {100, 200}).finish());
    EXPECT_EQ(plain.pixels.width(), 200);
    EXPECT_EQ(plain.pixels.height(), 100);
    EXPECT_THROW(decode(Wmf().rec(0x041B, {10, 10, 0, 0}).finish()), PictureError);
}

TEST(WmfObjects, NewObjectsTakeTheLowestFreeSlot) {
    Wmf w(96, 48, 96);
    w.rec(0x02FC, {0, kRed & 0xFFFF, 0, 0});   // slot 0: red
    w.rec(0x02FC, {0, 0, kBlue >> 16, 0});     // slot 1: blue
    w.rec(0x01F0, {0});                        // free slot 0
    w.rec(0x02FC, {0, kGreen & 0xFFFF, 0, 0}); // slot 0: green
    w.rec(0x02FA, {5, 0, 0, 0, 0});            // slot 2: null pen
    w.rec(0x012D, {0}).rec(0x012D, {2});
    w.rec(0x041B, {40, 90, 8, 6}); // RECTANGLE b, r, t, l
    const DecodedPicture p = decode(w.finish());
    EXPECT_TRUE(paintsExactly(p, 6, 8, 90, 40));
    EXPECT_EQ(p.pixels.pixel(50, 20), (Color{0, 255, 0}));
}

TEST(WmfMapping, WindowIsMappedOntoThePicture) {
    // Bounding box 0..960 × 0..480 at 960 units per inch: 96 × 48 pixels; the window then covers it.
    Wmf w(960, 480, 960);
    w.rec(0x020B, {0, 0}).rec(0x020C, {480, 960});
    w.rec(0x02FC, {0, kRed & 0xFFFF, 0, 0}).rec(0x012D, {0});
    w.rec(0x02FA, {5, 0, 0, 0, 0}).rec(0x012D, {1});
    w.rec(0x0416, {400, 800, 100, 100}); // INTERSECTCLIPRECT b, r, t, l
    w.rec(0x041B, {480, 960, 0, 0});
    EXPECT_TRUE(paintsExactly(decode(w.finish()), 10, 10, 80, 40));
}

} // namespace

namespace {

TEST(Pens, StyledThinPensFollowTheirPatternWidePensStaySolid) {
    struct Case {
        int style, width;
        std::vector<int> runs; // on, off, on, … from the start of the line
    };
    const Case cases[] = {{2 /* PS_DOT */, 1, {3, 3, 3, 3}},
                          {1 /* PS_DASH */, 1, {18, 6, 18}},
                          {3 /* PS_DASHDOT */, 0, {9, 6, 3, 6, 9}},
                          {1, 5, {90}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Emf e(96, 48);
        emfPen(e, 1, static_cast<std::uint32_t>(c.style), c.width, kBlue);
        e.rec(27, {0, 20}).rec(54, {90, 20});
        const DecodedPicture p = decode(e.finish());
        int x = 0;
        bool on = true;
        for (int run : c.runs) {
            for (int i = 0; i < run; ++i, ++x) EXPECT_EQ(painted(p, x, 20), on) << "x " << x;
            on = !on;
        }
    }
}

TEST(WmfBlits, DibBitBltAndSetDibToDeviceCopyOneToOne) {
    // 2 × 2, 24-bit: red, green on top; blue, white below (rows stored bottom-up).
    const Bytes dibBytes =
        dib(2, 2, 24, {}, {{255, 0, 0, 255, 255, 255, 0, 0}, {0, 0, 255, 0, 255, 0, 0, 0}});
    Wmf w(96, 48, 96);
    Bytes bitblt; // DIBBITBLT: rop, ySrc, xSrc, h, w, yDest, xDest, DIB
    for (int v : {0x0020, 0xCC, 0, 0, 2, 2, 5, 5}) put16(bitblt, static_cast<std::uint16_t>(v));
    bitblt.insert(bitblt.end(), dibBytes.begin(), dibBytes.end());
    w.raw(0x0940, bitblt);
    Bytes todev; // SETDIBTODEV: usage, scans, start, ySrc, xSrc, h, w, yDest, xDest, DIB
    for (int v : {0, 2, 0, 0, 0, 2, 2, 5, 20}) put16(todev, static_cast<std::uint16_t>(v));
    todev.insert(todev.end(), dibBytes.begin(), dibBytes.end());
    w.raw(0x0D33, todev);
    const DecodedPicture p = decode(w.finish());
    for (int x0 : {5, 20}) {
        SCOPED_TRACE(x0);
        EXPECT_EQ(p.pixels.pixel(x0, 5), (Color{255, 0, 0}));
        EXPECT_EQ(p.pixels.pixel(x0 + 1, 5), (Color{0, 255, 0}));
        EXPECT_EQ(p.pixels.pixel(x0, 6), (Color{0, 0, 255}));
        EXPECT_EQ(p.pixels.pixel(x0 + 1, 6), (Color{255, 255, 255}));
        EXPECT_FALSE(painted(p, x0 + 2, 5));
        EXPECT_FALSE(painted(p, x0, 7));
    }
}

TEST(WmfText, TextOutDrawsInTheTextColourBelowTheReferencePoint) {
    Wmf w(96, 48, 96);
    w.rec(0x02FB, {-20, 0, 0, 0, 700, 0, 0, 0, 0, 'D' | 'e' << 8, 'j' | 'a' << 8, 'V' | 'u' << 8, 0});
    w.rec(0x012D, {0}).rec(0x0209, {0x00FF, 0}).rec(0x0102, {1});
    w.rec(0x0521, {3, 'W' | 'M' << 8, 'F', 10, 8}); // TEXTOUT "WMF" at (8, 10), TA_TOP
    const DecodedPicture p = decode(w.finish());
    int count = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x)
            if (painted(p, x, y)) {
                ++count;
                EXPECT_GE(y, 10);
                EXPECT_GE(x, 8);
                EXPECT_EQ(p.pixels.pixel(x, y), (Color{255, 0, 0}));
            }
    EXPECT_GT(count, 60);
}

} // namespace

namespace {

TEST(EmfRegion, FillRgnWithAnObjectPaintRgnWithTheCurrentBrush) {
    Emf e(96, 48);
    e.rec(39, {3, 0, kGreen, 0}); // brush 3: green, not selected
    emfBrush(e, 1, kSolid, kRed); // selected: red
    // FILLRGN with brush 3 over (2, 2)-(20, 10); PAINTRGN over (40, 30)-(60, 44), device units.
    e.rec(71, {0, 0, 0, 0, 48, 3, 32, 1, 1, 16, 2, 2, 20, 10, 2, 2, 20, 10});
    e.rec(74, {0, 0, 0, 0, 48, 32, 1, 1, 16, 40, 30, 60, 44, 40, 30, 60, 44});
    const DecodedPicture p = decode(e.finish());
    EXPECT_EQ(p.pixels.pixel(2, 2), (Color{0, 255, 0}));
    EXPECT_EQ(p.pixels.pixel(19, 9), (Color{0, 255, 0}));
    EXPECT_FALSE(painted(p, 20, 9));
    EXPECT_EQ(p.pixels.pixel(40, 30), (Color{255, 0, 0}));
    EXPECT_EQ(p.pixels.pixel(59, 43), (Color{255, 0, 0}));
    EXPECT_FALSE(painted(p, 59, 44));
}

} // namespace

namespace {

// ALPHABLEND (114) or TRANSPARENTBLT (116) of a 2 × 1 DIB onto (0, 0, 96, 48); `third` is the BLENDFUNCTION
// or the transparent colour.
void blendRecord(Emf& e, std::uint32_t type, std::uint32_t third, const Bytes& dibBytes) {
    Bytes body;
    const std::uint32_t bmiSize = 40, bitsSize = static_cast<std::uint32_t>(dibBytes.size()) - 40;
    for (std::uint32_t v :
         {0u, 0u,          95u, 47u, 0u, 0u, 96u,  48u,     third,          0u,       0u, 0x3F800000u, 0u,
          0u, 0x3F800000u, 0u,  0u,  0u, 0u, 108u, bmiSize, 108u + bmiSize, bitsSize, 2u, 1u})
        put32(body, v);
    body.insert(body.end(), dibBytes.begin(), dibBytes.end());
    e.raw(type, body);
}

TEST(EmfBlend, AlphaBlendCompositesPremultipliedPixels) {
    // Left: red premultiplied at alpha 128; right: alpha 0 (BGRA bytes).
    const Bytes pixels = dib(2, 1, 32, {}, {{0, 0, 128, 128, 0, 0, 0, 0}});
    for (bool overBlue : {false, true}) {
        SCOPED_TRACE(overBlue);
        Emf e(96, 48);
        if (overBlue) {
            emfBrush(e, 1, kSolid, kBlue);
            emfNoPen(e);
            e.rec(43, {0, 0, 96, 48});
        }
        blendRecord(e, 114, 0x01FF0000, pixels); // constant alpha 255, AC_SRC_ALPHA
        const DecodedPicture p = decode(e.finish());
        const Color left = p.pixels.pixel(20, 20);
        const int cov = p.alpha[20 * 96 + 20];
        if (overBlue) {
            // 128 red + blue × (1 − 128/255).
            EXPECT_NEAR(left.r, 128, 1);
            EXPECT_NEAR(left.b, 127, 1);
            EXPECT_EQ(cov, 255);
            EXPECT_EQ(p.pixels.pixel(70, 20), (Color{0, 0, 255})) << "alpha 0 leaves the blue";
        } else {
            // Over nothing: the straight colour is red, half covered.
            EXPECT_NEAR(left.r, 255, 1);
            EXPECT_EQ(left.b, 0);
            EXPECT_NEAR(cov, 128, 1);
            EXPECT_FALSE(painted(p, 70, 20));
        }
    }
}

TEST(EmfBlend, TransparentBltLeavesTheKeyColourOut) {
    Emf e(96, 48);
    blendRecord(e, 116, kGreen, dib(2, 1, 24, {}, {{0, 255, 0, 0, 0, 255, 0, 0}}));
    const DecodedPicture p = decode(e.finish());
    EXPECT_FALSE(painted(p, 20, 20));
    EXPECT_EQ(p.pixels.pixel(70, 20), (Color{255, 0, 0}));
}

} // namespace

namespace {

TEST(WmfObjects, AFullTableLosesNewObjectsUntilOneIsDeleted) {
    Wmf w(96, 48, 96, 2);
    w.rec(0x02FA, {5, 0, 0, 0, 0});            // slot 0: null pen
    w.rec(0x02FC, {0, kRed & 0xFFFF, 0, 0});   // slot 1: red
    w.rec(0x02FC, {0, kGreen & 0xFFFF, 0, 0}); // lost: the table is full
    w.rec(0x012D, {0}).rec(0x012D, {1});
    w.rec(0x041B, {20, 20, 0, 0});
    w.rec(0x01F0, {1});
    w.rec(0x02FC, {0, 0, kBlue >> 16, 0}); // slot 1 again: blue
    w.rec(0x012D, {1});
    w.rec(0x041B, {20, 60, 0, 40});
    const DecodedPicture p = decode(w.finish());
    EXPECT_EQ(p.pixels.pixel(10, 10), (Color{255, 0, 0}));
    EXPECT_EQ(p.pixels.pixel(50, 10), (Color{0, 0, 255}));
}

} // namespace

namespace {

TEST(EmfBrush, DibPatternTilesFromThePictureOrigin) {
    // 2 × 2, 24-bit: red, green on top; green, red below (rows bottom-up).
    const Bytes d = dib(2, 2, 24, {}, {{0, 255, 0, 0, 0, 255, 0, 0}, {0, 0, 255, 0, 255, 0, 0, 0}});
    Bytes body;
    for (std::uint32_t v : {5u, 0u, 32u, 40u, 72u, static_cast<std::uint32_t>(d.size() - 40)}) put32(body, v);
    body.insert(body.end(), d.begin(), d.end());
    Emf e(96, 48);
    e.raw(94, body).rec(37, {5});
    emfNoPen(e);
    e.rec(43, {10, 10, 40, 30});
    const DecodedPicture p = decode(e.finish());
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 40; ++x)
            ASSERT_EQ(p.pixels.pixel(x, y), ((x + y) % 2 == 0 ? Color{255, 0, 0} : Color{0, 255, 0}))
                << x << "," << y;
    EXPECT_FALSE(painted(p, 40, 20));
}

} // namespace

namespace {

TEST(EmfPath, ArcToAndAngleArcContinueTheCurrentFigure) {
    // A tombstone: up the right side, over the top by an arc, down the left side, closed.
    for (bool angleArc : {false, true}) {
        SCOPED_TRACE(angleArc);
        Emf e(96, 96);
        emfBrush(e, 1, kSolid, kRed);
        emfNoPen(e);
        e.rec(59, {}).rec(27, {78, 70}).rec(54, {78, 40});
        if (angleArc)
            e.rec(41, {48, 40, 30, 0, 0x43340000}); // centre (48, 40), radius 30, from 0° through 180°
        else
            e.rec(55, {18, 10, 78, 70, 78, 40, 18, 40});
        e.rec(54, {18, 70}).rec(61, {}).rec(60, {}).rec(62, {0, 0, 0, 0});
        const DecodedPicture p = decode(e.finish());
        EXPECT_TRUE(painted(p, 48, 20)) << "under the arc";
        EXPECT_TRUE(painted(p, 48, 60)) << "between the sides";
        EXPECT_FALSE(painted(p, 48, 75));
        EXPECT_FALSE(painted(p, 20, 14)) << "outside the arc's corner";
    }
}

} // namespace

namespace {

TEST(EmfPath, PolyDrawMovesLinesAndClosesFigures) {
    Emf e(96, 48);
    emfBrush(e, 1, kSolid, kGreen);
    emfNoPen(e);
    // POLYDRAW16: bounds, 3 points, then PT_MOVETO, PT_LINETO, PT_LINETO | PT_CLOSEFIGURE.
    e.rec(59, {}).rec(92, {0, 0, 0, 0, 3, (40 << 16) | 10, (5 << 16) | 50, (40 << 16) | 90, 0x030206});
    e.rec(60, {}).rec(62, {0, 0, 0, 0});
    const DecodedPicture p = decode(e.finish());
    EXPECT_TRUE(painted(p, 50, 30));
    EXPECT_FALSE(painted(p, 15, 10));
    EXPECT_FALSE(painted(p, 50, 44));
}

} // namespace
