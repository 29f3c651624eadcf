// HEIC and AVIF pictures: files made by ImageMagick decode to their colours; files made with libheif's
// encoder carry what ImageMagick does not write (alpha, a turn in the container, thumbnails); hostile sizes
// are refused before decoding, and cut files give a PictureError.

#include "gfx/codecs/codecs.h"
#include "gfx/codecs/picture_loader.h"
#include "tests/lib/shell.h"
#include "tests/lib/test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>

#include <libheif/heif.h>

namespace vorlin::gfx {
namespace {

using testing::readFile;
using testing::runShell;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& path) {
    const std::string s = readFile(path);
    return Bytes(s.begin(), s.end());
}

void writeBytes(const std::string& path, const Bytes& b) {
    testing::writeFile(path, std::string(b.begin(), b.end()));
}

// A 64×64 picture in four 32×32 quadrants: red, green / blue, white.
constexpr const char* kQuadrants = "-size 32x32 xc:red xc:lime +append \\( -size 32x32 xc:blue xc:white "
                                   "+append \\) -append -quality 90";

struct Rgb {
    int r, g, b;
};

::testing::AssertionResult near(const DecodedPicture& p, int x, int y, Rgb want) {
    const std::uint8_t* s = p.pixels.scanLine(y) + 3 * x;
    const Rgb got{s[2], s[1], s[0]};
    if (std::abs(got.r - want.r) <= 10 && std::abs(got.g - want.g) <= 10 && std::abs(got.b - want.b) <= 10)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << got.r << "," << got.g << ","
                                         << got.b << " want " << want.r << "," << want.g << "," << want.b;
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

using Rgba = std::array<std::uint8_t, 4>;
constexpr Rgba kOpaqueRed{255, 0, 0, 255}, kOpaqueGreen{0, 255, 0, 255}, kOpaqueBlue{0, 0, 255, 255};

// An 8-bit RGB (or RGBA) picture of `pixel(x, y)` for libheif's encoder.
template <class Pixel> std::shared_ptr<heif_image> makeImage(int w, int h, bool alpha, Pixel pixel) {
    heif_image* raw = nullptr;
    heif_image_create(w, h, heif_colorspace_RGB,
                      alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &raw);
    std::shared_ptr<heif_image> image(raw, heif_image_release);
    heif_image_add_plane(raw, heif_channel_interleaved, w, h, 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(raw, heif_channel_interleaved, &stride);
    const int n = alpha ? 4 : 3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) std::copy_n(pixel(x, y).begin(), n, plane + y * stride + x * n);
    return image;
}

// An AVIF written by libheif's own encoder: what ImageMagick does not write (alpha, a turn in the
// container, thumbnails), all of it the container's, so the same for HEIC. AV1 rather than HEVC: the
// HEVC encoder leaks a little on every picture it encodes.
class HeifWriter {
public:
    HeifWriter() {
        heif_encoder* raw = nullptr;
        EXPECT_EQ(heif_context_get_encoder_for_format(ctx_.get(), heif_compression_AV1, &raw).code,
                  heif_error_Ok);
        encoder_.reset(raw);
        heif_encoder_set_lossy_quality(raw, 95);
    }
    // The primary picture, stored turned by `orientation`.
    void picture(const heif_image* image, heif_orientation orientation = heif_orientation_normal) {
        std::unique_ptr<heif_encoding_options, void (*)(heif_encoding_options*)> options(
            heif_encoding_options_alloc(), heif_encoding_options_free);
        options->image_orientation = orientation;
        heif_image_handle* handle = nullptr;
        EXPECT_EQ(heif_context_encode_image(ctx_.get(), image, encoder_.get(), options.get(), &handle).code,
                  heif_error_Ok);
        primary_.reset(handle);
    }
    // A thumbnail of the primary picture: `image` shrunk into a `box` square.
    void thumbnail(const heif_image* image, int box) {
        heif_image_handle* handle = nullptr;
        EXPECT_EQ(heif_context_encode_thumbnail(ctx_.get(), image, primary_.get(), encoder_.get(), nullptr,
                                                box, &handle)
                      .code,
                  heif_error_Ok);
        heif_image_handle_release(handle);
    }
    Bytes bytes() {
        Bytes out;
        heif_writer writer{1, [](heif_context*, const void* data, std::size_t size, void* user) {
                               auto* o = static_cast<Bytes*>(user);
                               const auto* p = static_cast<const std::uint8_t*>(data);
                               o->insert(o->end(), p, p + size);
                               return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                           }};
        EXPECT_EQ(heif_context_write(ctx_.get(), &writer, &out).code, heif_error_Ok);
        return out;
    }

private:
    std::unique_ptr<heif_context, void (*)(heif_context*)> ctx_{heif_context_alloc(), heif_context_free};
    std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> encoder_{nullptr, heif_encoder_release};
    std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> primary_{
        nullptr, heif_image_handle_release};
};

// ImageMagick's files, made once for the suite.
class Heif : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        for (const char* ext : {"heic", "avif"}) {
            const auto [out, status] =
                runShell(std::string("convert ") + kQuadrants + " " + (*dir_ / "q.") + ext);
            ASSERT_EQ(status, 0) << out;
        }
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string path(const std::string& name) { return *dir_ / name; }
    static TempDir* dir_;
};
TempDir* Heif::dir_ = nullptr;

TEST_F(Heif, HeicAndAvifDecodeToTheirQuadrants) {
    for (const char* file : {"q.heic", "q.avif"}) {
        SCOPED_TRACE(file);
        const DecodedPicture p = decodeHeif(bytesOf(path(file)), file);
        ASSERT_EQ(p.pixels.width(), 64);
        ASSERT_EQ(p.pixels.height(), 64);
        EXPECT_TRUE(p.alpha.empty());
        EXPECT_EQ(p.fullWidth, 0);
        EXPECT_TRUE(near(p, 12, 12, kRed));
        EXPECT_TRUE(near(p, 52, 12, kGreen));
        EXPECT_TRUE(near(p, 12, 52, kBlue));
        EXPECT_TRUE(near(p, 52, 52, kWhite));
    }
}

// A fit keeps the part it names at its size, sampled from the full picture: the centred 32×32 of the
// quadrants holds a 16×16 piece of each, and Inside shrinks the whole.
TEST_F(Heif, FitsCutAndShrinkWhileDecoding) {
    const Bytes q = bytesOf(path("q.heic"));
    const DecodedPicture visible =
        decodeHeif(q, "q", {}, PictureFit{PictureFit::Rule::Visible, 32, 32, true});
    ASSERT_EQ(visible.pixels.width(), 32);
    ASSERT_EQ(visible.pixels.height(), 32);
    EXPECT_EQ(visible.fullWidth, 64);
    EXPECT_TRUE(near(visible, 4, 4, kRed));
    EXPECT_TRUE(near(visible, 27, 4, kGreen));
    EXPECT_TRUE(near(visible, 4, 27, kBlue));
    EXPECT_TRUE(near(visible, 27, 27, kWhite));

    const DecodedPicture small = decodeHeif(q, "q", {}, PictureFit::inside(16, 8));
    ASSERT_EQ(small.pixels.width(), 8);
    ASSERT_EQ(small.pixels.height(), 8);
    EXPECT_TRUE(near(small, 1, 1, kRed));
    EXPECT_TRUE(near(small, 6, 6, kWhite));
}

// The loader takes the files by extension; transparent parts take the fill colour as PNG's do.
TEST_F(Heif, LoaderFlattensAlphaOntoTheFill) {
    HeifWriter writer;
    writer.picture(makeImage(64, 32, true, [](int x, int) {
                       return x < 32 ? kOpaqueRed : Rgba{0, 0, 255, 0};
                   }).get());
    const Bytes avif = writer.bytes();
    const DecodedPicture decoded = decodeHeif(avif, "a");
    ASSERT_EQ(decoded.alpha.size(), 64u * 32u);
    EXPECT_GT(decoded.alpha[5], 245);
    EXPECT_LT(decoded.alpha[60], 10);

    const std::string file = path("alpha.AVIF");
    writeBytes(file, avif);
    const Bitmap flat = loadFittedPicture(file, Color{0, 255, 0}, PictureFit{});
    ASSERT_EQ(flat.width(), 64);
    DecodedPicture shown;
    shown.pixels = flat;
    EXPECT_TRUE(near(shown, 8, 16, kRed));
    EXPECT_TRUE(near(shown, 56, 16, kGreen));
}

// A picture turned in the container comes out turned once: a wide picture stored with a quarter turn
// clockwise is tall, its left edge on top.
TEST_F(Heif, ContainerTurnIsAppliedOnce) {
    HeifWriter writer;
    writer.picture(
        makeImage(64, 32, false, [](int x, int) { return x < 32 ? kOpaqueRed : kOpaqueBlue; }).get(),
        heif_orientation_rotate_90_cw);
    const DecodedPicture p = decodeHeif(writer.bytes(), "turned");
    ASSERT_EQ(p.pixels.width(), 32);
    ASSERT_EQ(p.pixels.height(), 64);
    EXPECT_TRUE(near(p, 16, 8, kRed));
    EXPECT_TRUE(near(p, 16, 56, kBlue));
}

// A picture only going to be shrunk comes from the smallest embedded thumbnail that covers the result (the
// thumbnails here are green, the picture red and blue); a smaller thumbnail, one of another shape, or a
// fit that cuts the picture takes the picture itself.
TEST_F(Heif, ShrinkUsesACoveringThumbnailOfThePicturesShape) {
    HeifWriter writer;
    writer.picture(
        makeImage(256, 128, false, [](int x, int) { return x < 128 ? kOpaqueRed : kOpaqueBlue; }).get());
    writer.thumbnail(makeImage(256, 128, false, [](int, int) { return kOpaqueGreen; }).get(), 64); // 64x32
    writer.thumbnail(makeImage(128, 128, false, [](int, int) { return kOpaqueGreen; }).get(), 96); // square
    const Bytes avif = writer.bytes();

    const DecodedPicture small = decodeHeif(avif, "t", {}, PictureFit::inside(60, 60));
    ASSERT_EQ(small.pixels.width(), 60);
    ASSERT_EQ(small.pixels.height(), 30);
    EXPECT_EQ(small.fullWidth, 256);
    EXPECT_EQ(small.fullHeight, 128);
    EXPECT_TRUE(near(small, 5, 15, kGreen));
    EXPECT_TRUE(near(small, 55, 15, kGreen));

    for (const PictureFit& fit : {PictureFit::inside(100, 100), PictureFit::inside(80, 80),
                                  PictureFit{PictureFit::Rule::Visible, 40, 20, true}}) {
        const DecodedPicture p = decodeHeif(avif, "t", {}, fit);
        SCOPED_TRACE(p.pixels.width());
        EXPECT_EQ(p.fullWidth, 256);
        // 80x80 gives 80x40: only the square thumbnail (96x96) covers it, and it has another shape.
        if (fit.rule == PictureFit::Rule::Visible) {
            EXPECT_TRUE(near(p, 5, 10, kRed));
            EXPECT_TRUE(near(p, 35, 10, kBlue));
        } else {
            EXPECT_TRUE(near(p, 2, p.pixels.height() / 2, kRed));
            EXPECT_TRUE(near(p, p.pixels.width() - 3, p.pixels.height() / 2, kBlue));
        }
    }
}

// The limits hold at their edge: a side of exactly maxSide decodes, one more is refused, and so is a
// pixel count over maxPixels.
TEST_F(Heif, LimitsHoldAtTheirEdge) {
    const Bytes q = bytesOf(path("q.heic"));
    EXPECT_EQ(decodeHeif(q, "q", DecodeLimits{64, 64 * 64}).pixels.width(), 64);
    EXPECT_THROW(decodeHeif(q, "q", DecodeLimits{63, 64 * 64}), PictureError);
    EXPECT_THROW(decodeHeif(q, "q", DecodeLimits{64, 64 * 64 - 1}), PictureError);
}

// The size the file declares (its `ispe` box) is checked before anything is decoded: a 64×64 stream
// declared as 40000×40000 is refused by libheif's side limit, and one declared as 20000×20000 (sides
// within the limit, pixels not) by our own check, which names the declared size.
TEST_F(Heif, DeclaredHugeSizeIsRefusedBeforeDecoding) {
    for (const char* file : {"q.heic", "q.avif"}) {
        SCOPED_TRACE(file);
        const Bytes q = bytesOf(path(file));
        const std::string box = "ispe";
        const auto at = std::search(q.begin(), q.end(), box.begin(), box.end());
        ASSERT_NE(at, q.end());
        const std::size_t sizes = static_cast<std::size_t>(at - q.begin()) + 8; // after the version/flags
        auto declared = [&](std::uint32_t side) {
            Bytes b = q;
            for (int i = 0; i < 4; ++i) b[sizes + i] = b[sizes + 4 + i] = (side >> (24 - 8 * i)) & 0xFF;
            return b;
        };
        try {
            decodeHeif(declared(40000), "bomb");
            ADD_FAILURE() << "40000x40000 decoded";
        } catch (const PictureError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("bomb: ", 0), 0u) << e.what();
        }
        try {
            decodeHeif(declared(20000), "bomb");
            ADD_FAILURE() << "20000x20000 decoded";
        } catch (const PictureError& e) {
            EXPECT_STREQ(e.what(), "bomb: picture too large (20000x20000)");
        }
    }
}

// Cut anywhere, a file is refused with a PictureError that names it; garbage is too.
TEST_F(Heif, CutFilesAndGarbageAreRefused) {
    for (const char* file : {"q.heic", "q.avif"}) {
        const Bytes q = bytesOf(path(file));
        for (std::size_t n = 0; n < q.size(); n += 7) {
            const Bytes cut(q.begin(), q.begin() + static_cast<long>(n));
            try {
                decodeHeif(cut, "cut");
                ADD_FAILURE() << file << " cut at " << n << " decoded";
            } catch (const PictureError& e) {
                EXPECT_EQ(std::string(e.what()).rfind("cut: ", 0), 0u) << e.what();
            }
        }
    }
    EXPECT_THROW(decodeHeif(Bytes(100, 0x5A), "junk"), PictureError);
}

} // namespace
} // namespace vorlin::gfx
