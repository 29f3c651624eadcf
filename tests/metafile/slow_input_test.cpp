// Files found by fuzzing that once kept the decoder busy for seconds. Loaded through the public loader
// with its default limits; ctest's time limit on this program is what asserts that they end quickly.

#include "gfx/metafile/metafile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kCorpus = METAFILE_CORPUS_DIR;

TEST(SlowInputs, WidePenEllipseEndsAsAPicture) {
    // A placeable WMF of 301 × 3229 pixels whose pen is tens of thousands of pixels wide: every vertex of
    // its ellipse becomes a disc larger than the picture, thousands of edges cross every row.
    const vorlin::gfx::DecodedPicture p =
        vorlin::gfx::decodeMetafile(kCorpus + "/regress-wide-pen-ellipse.wmf");
    ASSERT_EQ(p.pixels.width(), 301);
    ASSERT_EQ(p.pixels.height(), 3229);
    // The pen's union covers the whole picture (red, as the pen is).
    long long covered = 0;
    for (std::uint8_t a : p.alpha) covered += a != 0;
    EXPECT_GT(covered, 301LL * 3229 * 9 / 10);
    EXPECT_EQ(p.pixels.pixel(150, 1600), (vorlin::gfx::Color{255, 0, 0}));
}

} // namespace
