// Which text a caption mode takes from a picture: the file name without its extension, the date taken, the
// photo's title, or nothing when the picture has none of it.
#include "show/canvas/caption_text.h"

#include <gtest/gtest.h>

namespace vorlin::canvas {
namespace {

constexpr gfx::PhotoDate kTaken{2021, 7, 4, 18, 30, 5};

struct CaptionCase {
    const char* name;
    std::int32_t mode;
    const char* path;
    gfx::PhotoMetadata metadata;
    CaptionContent expected;
};

class CaptionChoice : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionChoice, TakesTheModesTextOrNothing) {
    const CaptionCase& c = GetParam();
    EXPECT_EQ(captionFor(c.mode, c.path, c.metadata), c.expected);
}

const gfx::PhotoMetadata kBoth{kTaken, "Grüße aus Köln"};

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptionChoice,
    ::testing::Values(
        CaptionCase{"None", show::cpNone, "/p/IMG_0042.jpg", kBoth, {}},
        CaptionCase{"FileName", show::cpFileName, "/p/IMG_0042.jpg", kBoth, {"IMG_0042", {}}},
        CaptionCase{"OnlyTheLastDotEndsTheName",
                    show::cpFileName,
                    "/p.d/Urlaub 2024.final.heic",
                    {},
                    {"Urlaub 2024.final", {}}},
        CaptionCase{"NoExtension", show::cpFileName, "/photos.d/scan", {}, {"scan", {}}},
        CaptionCase{"ADotFileKeepsItsName", show::cpFileName, "/p/.hidden", {}, {".hidden", {}}},
        CaptionCase{"NoFolder", show::cpFileName, "beach.png", {}, {"beach", {}}},
        CaptionCase{"ControlCharactersBecomeSpaces", show::cpFileName, "/p/a\nb\tc.jpg", {}, {"a b c", {}}},
        CaptionCase{"UTF8NameKept", show::cpFileName, "/p/Grüße.jpg", {}, {"Grüße", {}}},
        CaptionCase{"DateTaken", show::cpDateTaken, "/p/IMG_1.jpg", kBoth, {{}, kTaken}},
        CaptionCase{"NoDateNoCaption", show::cpDateTaken, "/p/IMG_1.jpg", {std::nullopt, "title"}, {}},
        CaptionCase{"Title", show::cpTitle, "/p/IMG_1.jpg", kBoth, {"Grüße aus Köln", {}}},
        CaptionCase{"NoTitleNoCaption", show::cpTitle, "/p/IMG_1.jpg", {kTaken, ""}, {}},
        CaptionCase{"UnknownModeNoCaption", 7, "/p/IMG_1.jpg", kBoth, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CaptionMetadata, ReadOnlyForTheDateAndTheTitle) {
    EXPECT_FALSE(captionNeedsMetadata(show::cpNone));
    EXPECT_FALSE(captionNeedsMetadata(show::cpFileName));
    EXPECT_TRUE(captionNeedsMetadata(show::cpDateTaken));
    EXPECT_TRUE(captionNeedsMetadata(show::cpTitle));
}

} // namespace
} // namespace vorlin::canvas
