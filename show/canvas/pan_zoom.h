#pragma once
// Pan and zoom: while a picture shows, the part of it on screen (the view) drifts slowly from one framing
// to another. A drift is a plan of two framings, each a zoom (1 shows the whole picture, kDriftZoomMax
// shows 1/kDriftZoomMax of its width and height) and a place in the area that zoom leaves spare. The
// view never leaves the picture, so no edge or background ever slides into sight.
//
// Plain C++, no Qt: the canvas draws the views (show/canvas/drift_player.h), the runner chooses the plans.

#include "base/geometry.h"
#include "gfx/view_render.h"

namespace vorlin::canvas {

// The deepest zoom. A picture that is shown scaled down is loaded this much larger than where it shows
// (picture_look.h), so that at the deepest zoom one picture pixel is one screen pixel.
inline constexpr double kDriftZoomMax = 1.15;

struct TDriftPlan {
    // Zoom at the start and at the end, each 1..kDriftZoomMax.
    double zoomFrom = 1, zoomTo = 1;
    // Where the view sits in the spare area at the start and at the end: 0 at the left (top) edge, 1 at
    // the right (bottom) edge, 0.5 centred.
    double fromX = 0.5, fromY = 0.5, toX = 0.5, toY = 0.5;
    bool operator==(const TDriftPlan&) const = default;
};

// The view of a width × height picture (or part of one) at t (0 = the start, 1 = the end; clamped), in
// picture pixels. The motion is eased in and out (smoothstep): the drift begins at rest after the transition
// that brought the picture and comes to rest where the next transition starts from, so neither the start nor
// a stop (nor a late next picture, which holds the end) shows a jolt. The zoom changes geometrically, so the
// picture grows at an even pace; the place moves linearly within the spare area of the zoom at that
// moment. Zooms and places outside their ranges are clamped.
gfx::ViewRect viewAt(const TDriftPlan& plan, double width, double height, double t);

// The next drift, drawn from the shared generator (two draws: zooming in or out, then one of eight
// directions): zooming in goes from the whole picture to the deepest zoom at the side or corner the
// direction points to; zooming out starts at the deepest zoom on the opposite side and ends on the whole
// picture. Main thread (the generator is).
TDriftPlan chooseDrift();

} // namespace vorlin::canvas
