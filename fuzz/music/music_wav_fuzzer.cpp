// The MCI wave device on arbitrary bytes: libsndfile's reader through our virtual I/O, then rendering.
#include "music/mci/mci_device.h"
#include "music/mci/mci_player.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        auto dev = vorlin::music::openWaveMemory(std::vector<uint8_t>(data, data + size));
        std::vector<int16_t> buf(2048 * size_t(dev->channels()));
        // A header may claim hours of sound: a few seconds show the reader's behaviour.
        for (size_t total = 0; total < 200000;) {
            const size_t got = dev->render(buf.data(), 2048);
            if (got == 0) break;
            total += got;
        }
    } catch (const vorlin::music::MciError&) {
    }
    return 0;
}
