#include "show/canvas/pan_zoom.h"

#include "base/random.h"

#include <algorithm>
#include <cmath>

namespace vorlin::canvas {

gfx::ViewRect viewAt(const TDriftPlan& plan, double width, double height, double t) {
    if (!(width > 0 && height > 0)) return {};
    t = std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0);
    const double e = t * t * (3 - 2 * t);
    const auto zoom = [](double z) { return std::isnan(z) ? 1.0 : std::clamp(z, 1.0, kDriftZoomMax); };
    const auto place = [](double p) { return std::isnan(p) ? 0.5 : std::clamp(p, 0.0, 1.0); };
    const double z0 = zoom(plan.zoomFrom), z1 = zoom(plan.zoomTo);
    const double z = z0 * std::pow(z1 / z0, e);
    const double px = place(plan.fromX) + (place(plan.toX) - place(plan.fromX)) * e;
    const double py = place(plan.fromY) + (place(plan.toY) - place(plan.fromY)) * e;
    const double w = width / z, h = height / z;
    return {px * (width - w), py * (height - h), w, h};
}

TDriftPlan chooseDrift() {
    // The eight directions, as (dx, dy) steps from the centre.
    static constexpr int kDirections[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                              {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
    const bool zoomIn = vorlin::random(2) == 0;
    const auto& d = kDirections[vorlin::random(8)];
    TDriftPlan plan;
    plan.zoomFrom = zoomIn ? 1.0 : kDriftZoomMax;
    plan.zoomTo = zoomIn ? kDriftZoomMax : 1.0;
    plan.fromX = 0.5 - 0.5 * d[0];
    plan.fromY = 0.5 - 0.5 * d[1];
    plan.toX = 0.5 + 0.5 * d[0];
    plan.toY = 0.5 + 0.5 * d[1];
    return plan;
}

} // namespace vorlin::canvas
