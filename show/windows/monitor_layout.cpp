#include "show/windows/monitor_layout.h"

#include <algorithm>
#include <cstdint>

namespace vorlin::showwindows {

Rect boundingBox(const std::vector<Rect>& monitors) {
    Rect box;
    bool any = false;
    for (const Rect& m : monitors) {
        if (m.isEmpty()) continue;
        box = any ? Rect{std::min(box.Left, m.Left), std::min(box.Top, m.Top), std::max(box.Right, m.Right),
                         std::max(box.Bottom, m.Bottom)}
                  : m;
        any = true;
    }
    return box;
}

Rect spanPart(const Rect& monitor, const Rect& box) {
    return monitor.translated(-box.Left, -box.Top);
}

int positionRank(const std::vector<Rect>& monitors, int i) {
    const auto before = [&](int a, int b) {
        const Rect &x = monitors[a], &y = monitors[b];
        if (x.Left != y.Left) return x.Left < y.Left;
        if (x.Top != y.Top) return x.Top < y.Top;
        return a < b;
    };
    int rank = 0;
    for (int j = 0; j < static_cast<int>(monitors.size()); ++j)
        if (j != i && before(j, i)) ++rank;
    return rank;
}

int monitorOf(const Rect& window, const std::vector<Rect>& monitors) {
    const int cx = window.Left + window.width() / 2, cy = window.Top + window.height() / 2;
    int best = -1;
    std::int64_t bestArea = 0;
    for (int i = 0; i < static_cast<int>(monitors.size()); ++i) {
        if (monitors[i].contains(cx, cy)) return i;
        const Rect common = intersect(window, monitors[i]);
        const std::int64_t area = std::int64_t{common.width()} * common.height();
        if (area > bestArea) best = i, bestArea = area;
    }
    return best;
}

} // namespace vorlin::showwindows
