#include "effects/families/strip_regions.h"

#include "base/random.h"

namespace vorlin::effects::families {
namespace {

// Random(a) − Random(a): the left draw is taken first, in its own statement.
int jitter(int a) {
    const int first = vorlin::random(a);
    const int second = vorlin::random(a);
    return first - second;
}

// One pass of bands, written for rows (see linePass for `rect`). `extent` is X for rows, `len` W,
// `across` H.
template <typename MakeRect>
void wavePass(std::vector<Rect>& out, int extent, int len, int across, int mode, MakeRect rect) {
    if (mode == 0) return;
    const int a = extent < len ? len / 7 : 0;
    const int overlap = across % 5;
    for (int off = 0; off < across; off += 5) {
        const int b = off + 5 + overlap;
        switch (mode) {
        case 1:
            out.push_back(rect(len - extent + jitter(a), off, len, b));
            break;
        case 2:
            out.push_back(rect(0, off, extent + jitter(a), b));
            break;
        case 3: {
            const int j1 = jitter(a);
            const int j2 = jitter(a);
            out.push_back(rect((len - extent + j1) / 2, off, len / 2, b));
            out.push_back(rect(len / 2, off, (len + extent + j2) / 2, b));
            break;
        }
        case 4: {
            const int j1 = jitter(a);
            const int j2 = jitter(a);
            out.push_back(rect(len - (extent + j1) / 2, off, len, b));
            out.push_back(rect(0, off, (extent + j2) / 2, b));
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

void makeWaveRects(std::vector<Rect>& out, int x, int y, int w, int h, int rowMode, int columnMode) {
    wavePass(out, x, w, h, rowMode, [](int a0, int c0, int a1, int c1) { return Rect{a0, c0, a1, c1}; });
    wavePass(out, y, h, w, columnMode, [](int a0, int c0, int a1, int c1) { return Rect{c0, a0, c1, a1}; });
}

} // namespace vorlin::effects::families
