#include "effects/families/strip_regions.h"

#include "base/random.h"

#include <algorithm>

namespace vorlin::effects::families {
namespace {

// One swarm pass, written for rows (see linePass for `rect`). `extent` is X for rows, `len` W, `across`
// H; `fromFar` is true when the front advances from the far end (the right, or the bottom).
template <typename MakeRect>
void swarmPass(std::vector<Rect>& out, int extent, int len, int across, bool fromFar, MakeRect rect) {
    const int depth = extent < len ? len / 10 : 0;
    const int f = std::max(depth / 20, 2);
    const int slots = depth / f;
    const int near = ((3 * depth) / f) / 4;
    for (int s = 0; s < across; s += f / 2) {
        if (fromFar)
            out.push_back(rect(len - extent, s, len, s + f));
        else
            out.push_back(rect(0, s, extent, s + f));
        for (int i = slots; i >= 1; --i) {
            const int r = vorlin::random(i);
            if (!(i <= near ? r <= 1 : r == 0)) continue;
            if (fromFar)
                out.push_back(rect(len - extent - f * i, s, len - extent - f * i + f, s + f));
            else
                out.push_back(rect(extent + f * i - f, s, extent + f * i, s + f));
        }
    }
}

} // namespace

void makeSwarmRects(std::vector<Rect>& out, int x, int y, int w, int rowMode, int columnMode, int h) {
    if (rowMode != 0)
        swarmPass(out, x, w, h, rowMode == 1, [](int a0, int c0, int a1, int c1) {
            return Rect{a0, c0, a1, c1};
        });
    if (columnMode != 0)
        swarmPass(out, y, h, w, columnMode == 1, [](int a0, int c0, int a1, int c1) {
            return Rect{c0, a0, c1, a1};
        });
}

void makeRandomBlockRects(std::vector<Rect>& out, int w, int h, int progress) {
    const int b = std::max(std::min(w, h) / 50 + progress / 10, 1);
    for (int x = 0; x < w; x += b)
        for (int y = 0; y < h; y += b)
            if (vorlin::random(100) < progress) out.push_back({x - b, y - b, x + b, y + b});
}

} // namespace vorlin::effects::families
