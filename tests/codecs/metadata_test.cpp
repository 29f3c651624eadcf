// A photo's date taken and title: from files that ImageMagick and exiftool make at test time in each
// container (JPEG, PNG, WebP, HEIC, AVIF), the order in which the title sources win, the text rules, and
// hand-built hostile EXIF blocks and containers, which leave fields empty but never crash or hang (the
// sanitizer builds run these too).

#include "../lib/shell.h"
#include "../lib/test_files.h"
#include "gfx/codecs/metadata_text.h"
#include "gfx/codecs/photo_metadata.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vorlin::gfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::runShell;
using testing::shellQuote;

constexpr PhotoDate kDate{2021, 7, 4, 18, 30, 5};
const std::string kUtf8Title = "Grüße – 東京";

Bytes toBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

PhotoMetadata read(const Bytes& file) {
    return readPhotoMetadata(file);
}

// The fixture maker: a small grey picture of the given extension from ImageMagick, with the tags written by
// exiftool ("-Tag=value" arguments); its bytes. Empty with the tool's output in `error` if a tool failed.
class PhotoMaker {
public:
    static bool haveExiftool() { return runShell("exiftool -ver").second == 0; }

    Bytes make(const std::string& extension, const std::vector<std::string>& tags, std::string& error) {
        const std::string path = dir_ / ("photo" + std::to_string(++count_) + "." + extension);
        auto [out, status] = runShell("convert -size 24x16 xc:gray60 " + shellQuote(path));
        if (status == 0 && !tags.empty()) {
            std::string command = "exiftool -q -q -overwrite_original";
            for (const std::string& tag : tags) command += " " + shellQuote(tag);
            std::tie(out, status) = runShell(command + " " + shellQuote(path));
        }
        if (status != 0) {
            error = out;
            return {};
        }
        return toBytes(testing::readFile(path));
    }

private:
    testing::TempDir dir_;
    int count_ = 0;
};

struct PhotoCase {
    const char* name;
    const char* extension;
    std::vector<std::string> tags;
    std::optional<PhotoDate> taken;
    std::string title;
};

class PhotoFileTest : public ::testing::TestWithParam<PhotoCase> {
protected:
    static void SetUpTestSuite() { maker_ = std::make_unique<PhotoMaker>(); }
    static void TearDownTestSuite() { maker_.reset(); }
    void SetUp() override {
        if (!PhotoMaker::haveExiftool()) GTEST_SKIP() << "exiftool is not installed (libimage-exiftool-perl)";
    }
    static std::unique_ptr<PhotoMaker> maker_;
};
std::unique_ptr<PhotoMaker> PhotoFileTest::maker_;

TEST_P(PhotoFileTest, ReadsDateAndTitle) {
    const PhotoCase& c = GetParam();
    std::string error;
    const Bytes file = maker_->make(c.extension, c.tags, error);
    ASSERT_FALSE(file.empty()) << error;
    const PhotoMetadata m = read(file);
    EXPECT_EQ(m.taken, c.taken);
    EXPECT_EQ(m.title, c.title);
}

const std::string kDateTag = "-DateTimeOriginal=2021:07:04 18:30:05";

INSTANTIATE_TEST_SUITE_P(
    Files, PhotoFileTest,
    ::testing::Values(
        PhotoCase{"JpegDate", "jpg", {kDateTag}, kDate, ""},
        PhotoCase{
            "JpegDescription", "jpg", {"-ImageDescription=  A walk by the lake  "}, {}, "A walk by the lake"},
        PhotoCase{"JpegXmpTitleWinsOverDescription",
                  "jpg",
                  {"-ImageDescription=from EXIF", "-XMP-dc:Title=from XMP", "-XMP-dc:Description=described"},
                  {},
                  "from XMP"},
        PhotoCase{"JpegXmpDescriptionWinsOverExif",
                  "jpg",
                  {"-ImageDescription=from EXIF", "-XPTitle=xp", "-XMP-dc:Description=described"},
                  {},
                  "described"},
        PhotoCase{"JpegUtf8Title", "jpg", {"-XMP-dc:Title=" + kUtf8Title, kDateTag}, kDate, kUtf8Title},
        PhotoCase{"JpegXpTitleWinsOverDescription",
                  "jpg",
                  {"-XPTitle=" + kUtf8Title, "-ImageDescription=from EXIF"},
                  {},
                  kUtf8Title},
        PhotoCase{"JpegLineBreaksBecomeSpaces",
                  "jpg",
                  {"-ImageDescription=Line one\r\nLine\ttwo\n"},
                  {},
                  "Line one Line two"},
        PhotoCase{"JpegOtherDatesAreNotTaken",
                  "jpg",
                  {"-ModifyDate=2020:01:02 03:04:05", "-CreateDate=2020:01:02 03:04:05"},
                  {},
                  ""},
        PhotoCase{"JpegNone", "jpg", {}, {}, ""},
        PhotoCase{"PngDateAndTitle", "png", {kDateTag, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title},
        PhotoCase{"PngDescription", "png", {"-ImageDescription=png text"}, {}, "png text"},
        PhotoCase{"PngNone", "png", {}, {}, ""},
        PhotoCase{"WebpDateAndTitle", "webp", {kDateTag, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title},
        PhotoCase{"WebpNone", "webp", {}, {}, ""},
        PhotoCase{"HeicDateAndTitle", "heic", {kDateTag, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title},
        PhotoCase{"HeicDescription", "heic", {"-ImageDescription=heic text"}, {}, "heic text"},
        PhotoCase{"AvifDate", "avif", {kDateTag}, kDate, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vorlin::gfx
