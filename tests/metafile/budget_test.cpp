// The work budget: every kind of work a file can make the rasteriser do is charged, even when it paints
// nothing. Each file below does one kind of expensive but invisible work several times, then draws a
// blue square: under a small budget the work spends it and the square is missing; under the default
// limits the same file is drawn whole.

#include "builder.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <functional>
#include <ostream>
#include <string>

using namespace metafile_test;
using vorlin::gfx::DecodedPicture;
using vorlin::gfx::MetafileLimits;

namespace {

struct Costly {
    const char* name;
    std::function<void(Emf&)> work; // draws nothing on the 96 × 48 picture
};

// An EMF region (RGNDATA) of the given rectangles: header, bounds, rectangles.
Bytes regionData(const std::vector<std::array<int, 4>>& rects) {
    Bytes b;
    put32(b, 32);
    put32(b, 1);
    put32(b, static_cast<std::uint32_t>(rects.size()));
    put32(b, static_cast<std::uint32_t>(16 * rects.size()));
    for (int v : {-10000, -10000, 10000, 10000}) put32(b, static_cast<std::uint32_t>(v));
    for (const auto& r : rects)
        for (int v : r) put32(b, static_cast<std::uint32_t>(v));
    return b;
}

// EXTSELECTCLIPRGN with a region of the given rectangles (none: the clip is reset by RGN_COPY).
void selectClip(Emf& e, const std::vector<std::array<int, 4>>& rects, std::uint32_t mode = 5) {
    Bytes body;
    const Bytes rgn = rects.empty() ? Bytes{} : regionData(rects);
    put32(body, static_cast<std::uint32_t>(rgn.size()));
    put32(body, mode);
    body.insert(body.end(), rgn.begin(), rgn.end());
    e.raw(75, body);
}

// A comb of one-pixel rectangles, all inside the picture.
std::vector<std::array<int, 4>> comb() {
    std::vector<std::array<int, 4>> rects;
    for (int y = 0; y < 48; y += 2)
        for (int x = 0; x < 96; x += 2) rects.push_back({x, y, x + 1, y + 1});
    return rects;
}

// POLYGON with the given points (bounds left zero: players recompute them).
void polygon(Emf& e, const std::vector<std::array<int, 2>>& pts) {
    Bytes body;
    for (int i = 0; i < 4; ++i) put32(body, 0);
    put32(body, static_cast<std::uint32_t>(pts.size()));
    for (const auto& p : pts)
        for (int v : p) put32(body, static_cast<std::uint32_t>(v));
    e.raw(3, body);
}

// EXTCREATEFONTINDIRECTW for DejaVu Sans with an em height of `height` pixels, selected.
void bigFont(Emf& e, int height) {
    Bytes font;
    put32(font, 7); // handle
    for (std::int32_t v : {-height, 0, 0, 0, 400}) put32(font, static_cast<std::uint32_t>(v));
    for (int i = 0; i < 8; ++i) font.push_back(0);
    const std::u16string face = u"DejaVu Sans";
    for (int i = 0; i < 32; ++i) put16(font, i < static_cast<int>(face.size()) ? face[i] : 0);
    while (font.size() < 324) font.push_back(0);
    e.raw(82, font).rec(37, {7});
}

// EXTTEXTOUTW of "WM" at (x, y).
void textWM(Emf& e, int x, int y) {
    Bytes text;
    for (std::int64_t v : {0, 0, 0, 0, 1, 0, 0, x, y, 2, 76, 0, 0, 0, 0, 0, 0})
        put32(text, static_cast<std::uint32_t>(v));
    put16(text, 'W');
    put16(text, 'M');
    e.raw(84, text);
}

const Costly kCostly[] = {
    {"wide pen ellipse around the picture",
     [](Emf& e) {
         // The ring of a 20000-pixel pen lies 40000 pixels out: the picture sits in its hole.
         emfPen(e, 3, 0, 20000, 0x0000FF);
         e.rec(37, {0x80000005}); // NULL_BRUSH
         for (int i = 0; i < 8; ++i) e.rec(42, {48 - 50000, 24 - 50000, 48 + 50000, 24 + 50000});
     }},
    {"polygon edges across the picture that enclose nothing",
     [](Emf& e) {
         // Edges up and down one column, over every row: each row has 2000 crossings and no run.
         emfBrush(e, 3, kSolid, 0x0000FF);
         emfNoPen(e);
         std::vector<std::array<int, 2>> pts;
         for (int i = 0; i < 2000; ++i) pts.push_back({20, i % 2 ? 60 : -10});
         for (int i = 0; i < 6; ++i) polygon(e, pts);
     }},
    {"glyphs above the picture",
     [](Emf& e) {
         bigFont(e, 1500);
         e.rec(22, {0}); // TA_TOP
         for (int i = 0; i < 4; ++i) textWM(e, 0, -3000);
     }},
    {"clip algebra on a fine region",
     [](Emf& e) {
         selectClip(e, comb());
         for (int i = 0; i < 400; ++i) e.rec(29, {200, 200, 201, 201}); // EXCLUDECLIPRECT outside
         selectClip(e, {});
     }},
    {"fills under an empty clip",
     [](Emf& e) {
         emfNoPen(e);
         emfBrush(e, 3, kSolid, 0x0000FF);
         e.rec(30, {0, 0, 0, 0}); // INTERSECTCLIPRECT: nothing left
         for (int i = 0; i < 1000; ++i) e.rec(43, {0, 0, 96, 48});
         selectClip(e, {});
     }},
    {"one-pixel lines through a fine clip that misses them",
     [](Emf& e) {
         // The clip keeps the odd columns of even rows; horizontal lines on odd rows meet none of them.
         selectClip(e, comb());
         emfPen(e, 3, 0, 0, 0x0000FF);
         for (int i = 0; i < 200; ++i)
             for (int y = 1; y < 48; y += 2) e.rec(27, {0, y}).rec(54, {96, y}); // MOVETOEX, LINETO
         selectClip(e, {});
     }},
};

void PrintTo(const Costly& c, std::ostream* os) {
    *os << c.name;
}

class InvisibleWork : public testing::TestWithParam<Costly> {};

Bytes withSquareAfter(const Costly& c) {
    Emf e(96, 48);
    c.work(e);
    emfNoPen(e);
    emfBrush(e, 2, kSolid, 0xFF0000);
    e.rec(43, {60, 10, 80, 30});
    return e.finish();
}

TEST_P(InvisibleWork, IsCharged) {
    const Bytes file = withSquareAfter(GetParam());
    const DecodedPicture whole = decode(file);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x)
            ASSERT_EQ(painted(whole, x, y), x >= 60 && x < 80 && y >= 10 && y < 30)
                << "the work draws nothing and the square is drawn, at " << x << "," << y;

    MetafileLimits small;
    small.workBudget = 1'000'000;
    small.workPerPixel = 0;
    const DecodedPicture cut = decode(file, small);
    EXPECT_FALSE(painted(cut, 70, 20)) << "the work did not spend a budget of a million units";
}

INSTANTIATE_TEST_SUITE_P(Kinds, InvisibleWork, testing::ValuesIn(kCostly),
                         [](const testing::TestParamInfo<Costly>& i) {
                             std::string n;
                             for (const char* c = i.param.name; *c; ++c)
                                 n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return n;
                         });

TEST(WorkBudget, PerPixelShareGrowsWithThePicture) {
    // Twenty whole-picture fills cost twenty units a pixel whatever the picture's size: a per-pixel share
    // of 15 stops them on a small picture and a large one alike, a share of 25 lets both finish.
    auto flood = [](int w, int h) {
        Emf e(w, h);
        emfNoPen(e);
        emfBrush(e, 1, kSolid, 0x00FF00);
        for (int i = 0; i < 20; ++i) e.rec(43, {0, 0, w, h});
        emfBrush(e, 2, kSolid, 0xFF0000);
        e.rec(43, {0, 0, 24, 24});
        return e.finish();
    };
    const vorlin::gfx::Color blue{0, 0, 255};
    for (int side : {48, 480}) {
        SCOPED_TRACE(side);
        MetafileLimits limits;
        limits.workBudget = 0;
        limits.workPerPixel = 15;
        EXPECT_FALSE(decode(flood(side, side), limits).pixels.pixel(10, 10) == blue);
        limits.workPerPixel = 25;
        EXPECT_TRUE(decode(flood(side, side), limits).pixels.pixel(10, 10) == blue);
    }
}

} // namespace
