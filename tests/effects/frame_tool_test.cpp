#include "effect_pictures.h"
#include "tools/frames/frame_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorlin::frames {
namespace {

namespace fs = std::filesystem;
using effects::testing::codedPicture;
using effects::testing::decode;

class FrameTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(VORLIN_BINARY_DIR) / "frame_tool_test" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    int runTool(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = run(args, out, err);
        errors = err.str();
        return status;
    }

    fs::path dir;
    std::string errors;
};

TEST(FrameToolProgress, ValuesOfARun) {
    struct Row {
        int step;
        bool reverse;
        std::vector<int> values;
    };
    std::vector<int> fours;
    for (int p = 4; p <= 100; p += 4) fours.push_back(p);
    const Row rows[] = {
        {4, false, fours},
        {6, false, {6, 12, 18, 24, 30, 36, 42, 48, 54, 60, 66, 72, 78, 84, 90, 96, 100}},
        {6, true, {94, 88, 82, 76, 70, 64, 58, 52, 46, 40, 34, 28, 22, 16, 10, 4, 0}},
        {100, false, {100}},
        {100, true, {0}},
        {30, true, {70, 40, 10, 0}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(runProgressValues(r.step, r.reverse), r.values) << r.step << " " << r.reverse;
}

TEST_F(FrameTool, RejectsBadArgumentsWithAMessage) {
    const std::vector<std::string> base = {"--old", "a.bmp", "--new", "b.bmp", "--out", "d"};
    const std::vector<std::vector<std::string>> bad = {
        {"--effect", "5"},                         // no progress
        {"--progress", "50"},                      // no effect
        {"--effect", "128", "--progress", "50"},   // effect out of range
        {"--effect", "x", "--progress", "50"},     // not a number
        {"--effect", "5", "--progress", "101"},    // progress out of range
        {"--effect", "5", "--progress", "10,,20"}, // empty item
        {"--effect", "5", "--progress", "50", "--step", "0"},
        {"--effect", "5", "--progress", "50", "--format", "gif"},
        {"--effect", "5", "--progress", "50", "--seed", "-1"},
        {"--effect", "5", "--progress", "50", "--bogus"},
        {"--effect", "5", "--progress"}, // value missing
    };
    for (const auto& extra : bad) {
        std::vector<std::string> args = base;
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(runTool(args), 2) << ::testing::PrintToString(extra);
        EXPECT_NE(errors.find("vorlin-frames: "), std::string::npos);
        EXPECT_NE(errors.find("usage:"), std::string::npos);
    }
    EXPECT_THROW(parseArguments({"--old", "a", "--out", "d", "--effect", "1", "--progress", "1"}),
                 UsageError);
}

TEST_F(FrameTool, UnreadablePictureNamesTheFile) {
    writeBmp(codedPicture(10, 10, false), path("good.bmp"));
    {
        std::ofstream(path("short.bmp"), std::ios::binary) << "BM\x10\x00";
        std::ofstream(path("text.png"), std::ios::binary) << "not a picture at all";
    }
    for (const std::string& badFile : {path("missing.bmp"), path("short.bmp"), path("text.png")}) {
        EXPECT_EQ(runTool({"--old", path("good.bmp"), "--new", badFile, "--effect", "5", "--progress", "50",
                           "--out", path("out")}),
                  1);
        EXPECT_NE(errors.find(badFile), std::string::npos) << errors;
    }
}

TEST_F(FrameTool, WritesTheFramesOfARun) {
    // The old picture is smaller: it is stretched to the new picture's size.
    writeBmp(codedPicture(100, 75, false), path("old.bmp"));
    writeBmp(codedPicture(201, 151, true), path("new.bmp"));
    ASSERT_EQ(runTool({"--old", path("old.bmp"), "--new", path("new.bmp"), "--effect", "5", "--progress",
                       "50,0", "--format", "bmp", "--out", path("out")}),
              0)
        << errors;
    const gfx::Bitmap half = loadPicture(path("out/e5-p50.bmp"));
    ASSERT_EQ(half.width(), 201);
    ASSERT_EQ(half.height(), 151);
    // A wipe from the left at 50 %: columns 0..100 (X = 100.5 → 101) are new, in place.
    for (int x : {0, 57, 100}) {
        const auto d = decode(half.pixel(x, 80));
        EXPECT_TRUE(d.isNew && d.x == x && d.y == 80) << x;
    }
    // The rest is the old picture at half the scale.
    const auto d = decode(half.pixel(200, 150));
    EXPECT_FALSE(d.isNew);
    EXPECT_EQ(d.x, 99);
    EXPECT_EQ(d.y, 74);
    EXPECT_TRUE(fs::exists(path("out/e5-p0.bmp")));

    // 'all' stops where the run stops: the cut ends at its first frame.
    ASSERT_EQ(runTool({"--old", path("old.bmp"), "--new", path("new.bmp"), "--effect", "0", "--progress",
                       "all", "--step", "25", "--out", path("cut")}),
              0);
    EXPECT_EQ(std::distance(fs::directory_iterator(path("cut")), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::exists(path("cut/e0-p25.png")));
    ASSERT_EQ(runTool({"--old", path("old.bmp"), "--new", path("new.bmp"), "--effect", "3", "--progress",
                       "all", "--step", "25", "--reverse", "--out", path("rev")}),
              0);
    for (int p : {75, 50, 25, 0}) EXPECT_TRUE(fs::exists(path("rev/e3-p" + std::to_string(p) + ".png"))) << p;
    // Played backwards, as the show plays it: the reversed run ends on the new picture whole.
    const gfx::Bitmap end = loadPicture(path("rev/e3-p0.png"));
    for (int y = 0; y < end.height(); y += 7)
        for (int x = 0; x < end.width(); x += 7) ASSERT_TRUE(decode(end.pixel(x, y)).isNew) << x << "," << y;
}

TEST_F(FrameTool, PngRoundTripAndContactSheet) {
    const gfx::Bitmap picture = codedPicture(37, 23, true);
    writePng(picture, path("p.png"));
    EXPECT_TRUE(loadPicture(path("p.png")).samePixels(picture));

    writeBmp(codedPicture(40, 30, false), path("old.bmp"));
    writeBmp(picture, path("new.bmp"));
    ASSERT_EQ(runTool({"--old", path("old.bmp"), "--new", path("new.bmp"), "--sheet", "--progress", "100",
                       "--format", "bmp", "--out", path("out")}),
              0)
        << errors;
    const gfx::Bitmap sheet = loadPicture(path("out/sheet-p100.bmp"));
    EXPECT_EQ(sheet.width(), 4 + 16 * 164);
    EXPECT_EQ(sheet.height(), 4 + 8 * 124);
}

TEST(FrameToolFont, DigitsAreDistinctAndClipped) {
    // Each digit lights a different set of the 3×5 cells.
    std::vector<std::string> shapes;
    for (int digit = 0; digit <= 9; ++digit) {
        gfx::Bitmap b(3, 5);
        EXPECT_EQ(drawNumber(b, 0, 0, digit, 1, {255, 255, 255}), 3);
        std::string s;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 3; ++x) s += b.pixel(x, y).r ? '#' : '.';
        shapes.push_back(s);
    }
    std::sort(shapes.begin(), shapes.end());
    EXPECT_EQ(std::unique(shapes.begin(), shapes.end()), shapes.end());
    gfx::Bitmap small(4, 4);
    EXPECT_EQ(drawNumber(small, -3, 2, 127, 2, {1, 1, 1}), 22); // partly outside: clipped, no fault
}

} // namespace
} // namespace vorlin::frames
