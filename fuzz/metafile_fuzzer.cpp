// libFuzzer target for the WMF/EMF decoder: any input must give a picture or a PictureError, within the
// fuzzer's time and memory limits. The limits below keep single inputs fast while still exercising every
// record path.
#include "gfx/metafile/metafile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorlin::gfx::MetafileLimits limits;
    limits.maxPixels = 1 << 20;
    limits.workBudget = 20'000'000;
    try {
        vorlin::gfx::decodeMetafileData(data, size, "fuzz", limits);
    } catch (const vorlin::gfx::PictureError&) {
    }
    return 0;
}
