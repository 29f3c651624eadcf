// One libFuzzer entry for the picture decoders; VORLIN_FUZZ_CODEC picks the decoder of the target. The
// input is a whole file. A PictureError is the expected answer to most inputs; anything else (a crash, a
// sanitizer report, a hang, an allocation beyond the limits) is a finding. The limits are smaller than
// the program's so that each run stays fast.

#include "gfx/codecs/codecs.h"
#include "gfx/codecs/picture_loader.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace vorlin::gfx;

[[maybe_unused]] constexpr DecodeLimits kLimits{4096, 4'000'000};
// Tighter for HEIF: the codecs inside allocate their own frames before our check of the decoded size.
constexpr DecodeLimits kHeifLimits{1024, 1'000'000};

DecodedPicture decode(ByteSpan data) {
#if VORLIN_FUZZ_CODEC == 1
    return decodeJpeg(data, "fuzz", {}, kLimits);
#elif VORLIN_FUZZ_CODEC == 2
    return decodeGif(data, "fuzz", kLimits);
#elif VORLIN_FUZZ_CODEC == 3
    return decodeBmp(data, "fuzz", kLimits);
#elif VORLIN_FUZZ_CODEC == 4
    return decodeIco(data, "fuzz", kLimits);
#elif VORLIN_FUZZ_CODEC == 5
    return decodePng(data, "fuzz", kLimits);
#elif VORLIN_FUZZ_CODEC == 6
    return decodeWebp(data, "fuzz", kLimits);
#elif VORLIN_FUZZ_CODEC == 7 || VORLIN_FUZZ_CODEC == 8
    // HEIC and AVIF share the decoder; the two targets differ in their seeds (HEVC or AV1 inside).
    return decodeHeif(data, "fuzz", kHeifLimits, PictureFit{PictureFit::Rule::Inside, 97, 61, true});
#else
#error "VORLIN_FUZZ_CODEC must name a decoder"
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const DecodedPicture picture = decode(ByteSpan(data, size));
        const Bitmap flat = flatten(picture, Color{12, 34, 56});
        if (flat.width() != picture.pixels.width()) __builtin_trap();
#if VORLIN_FUZZ_CODEC == 1
        // The reduced-scale path for a box a third of the picture's size.
        JpegOptions options;
        options.boxWidth = picture.pixels.width() / 3;
        options.boxHeight = picture.pixels.height() / 3;
        if (options.boxWidth > 0 && options.boxHeight > 0)
            decodeJpeg(ByteSpan(data, size), "fuzz", options, kLimits);
#endif
    } catch (const PictureError&) {
    }
    return 0;
}
