#include "effects/families/strip_regions.h"

namespace vorlin::effects::families {
namespace {

// One pass of lines along one axis, written for rows; `rect` turns (along-from, across-from, along-to,
// across-to) into a row or a column rectangle. `len` is the side the lines run along (W for rows),
// `across` the other side (H for rows).
template <typename MakeRect>
void linePass(std::vector<Rect>& out, int extent, int len, int across, int mode, int snapBand,
              MakeRect rect) {
    if (mode == 0) return;
    int e = extent;
    if (e > len) {
        // Second phase: the first-phase lines (0, 10, 20, ...) are full, the ones in between grow.
        for (int i = 5; i < across + 5; i += 10) {
            out.push_back(rect(0, i - 5, len, i));
            if (mode == 1 || mode == 4)
                out.push_back(rect(2 * len - e, i, len, i + 5));
            else if (mode == 2 || mode == 5)
                out.push_back(rect(0, i, e - len, i + 5));
        }
        return;
    }
    for (int i = 0; i < across + 5; i += 10) {
        if (e + snapBand > len) e = len; // close enough: the line jumps to the full length
        switch (mode) {
        case 1:
        case 5:
            out.push_back(rect(len - e, i, len, i + 5));
            break;
        case 2:
        case 4:
            out.push_back(rect(0, i, e, i + 5));
            break;
        case 3:
            out.push_back(rect(len - e, i, len, i + 5));
            out.push_back(rect(0, i + 5, e, i + 10));
            break;
        default:
            break;
        }
    }
}

} // namespace

void makeLineRects(std::vector<Rect>& out, int xe, int ye, int w, int h, int rowMode, int columnMode,
                   int snapBand) {
    linePass(out, xe, w, h, rowMode, snapBand, [](int a0, int c0, int a1, int c1) {
        return Rect{a0, c0, a1, c1};
    });
    linePass(out, ye, h, w, columnMode, snapBand, [](int a0, int c0, int a1, int c1) {
        return Rect{c0, a0, c1, a1};
    });
}

} // namespace vorlin::effects::families
