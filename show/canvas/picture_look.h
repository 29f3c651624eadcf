#pragma once
// Where a picture sits on the screen when a photo look is on, and what surrounds it. Plain C++ (no Qt):
// the canvas asks it what to decode and where the decoded picture lands, and composes a picture of the
// control's size from it, so that the transitions, the drift and the captions all work on one
// screen-sized picture.
//
// The fills (the show's Fill setting):
//   pfColor  as without a look: the picture centred at its own size (only what the screen shows is
//            decoded), or stretched over the whole screen with StetchImage; the background colour around it;
//   pfBlur   the picture fitted inside the screen keeping its aspect; a picture smaller than the screen
//            keeps its size unless StetchImage is on, which enlarges it (keeping the aspect). The bars show
//            a blurred, darkened copy of the picture covering the screen (gfx/backdrop.h);
//   pfCrop   the picture covers the screen keeping its aspect, its centre kept; nothing else shows.
//
// Sizes are the control's client size ("screen") and the decoded picture's size: the placement of a
// decoded picture is the same as that of the picture it was decoded from, so the loader may shrink and
// cut first (lookFit) and the canvas place afterwards (placePicture).

#include "base/geometry.h"
#include "gfx/bitmap.h"
#include "gfx/codecs/picture_fit.h"
#include "show/canvas/pan_zoom.h"
#include "show/settings/show_settings.h"

namespace vorlin::canvas {

// The show's look settings, as the canvas needs them.
struct PictureLook {
    show::TPictureFill fill = show::pfColor;
    bool stretch = false; // StetchImage
    bool panZoom = false; // the picture drifts while it shows: decoded with room to zoom into
    bool caption = false; // a caption is stamped onto the picture
    constexpr bool operator==(const PictureLook&) const = default;

    // Any look on: the picture is composed at the control's size. Off, every path is the plain one.
    constexpr bool active() const { return fill != show::pfColor || panZoom || caption; }
};

// The deepest zoom of the drift: a scaled picture is decoded this much larger than its place so that
// zooming in never enlarges it.
inline constexpr double kDriftZoom = kDriftZoomMax;

// What to decode for a look. `plain` is the fit the canvas uses without a look (its box is the control's
// client size); pfColor keeps its rule, pfBlur decodes inside the box, pfCrop the centre covering it. A
// scaled rule gets a box kDriftZoom times larger with panZoom.
gfx::PictureFit lookFit(const PictureLook& look, const gfx::PictureFit& plain);

struct PicturePlacement {
    Rect picture;          // where the whole picture lands, in screen pixels; may reach past the screen
    bool backdrop = false; // the area around it shows the blurred copy (otherwise the colour)
    constexpr bool operator==(const PicturePlacement&) const = default;
};

// Where a pictureWidth × pictureHeight picture lands on a screenWidth × screenHeight screen.
PicturePlacement placePicture(const PictureLook& look, int screenWidth, int screenHeight, int pictureWidth,
                              int pictureHeight);

// The screen-sized picture of a look: the colour or the backdrop, and the picture drawn bilinear into
// its placement (copied when it keeps its size). An empty picture or screen gives an empty bitmap.
gfx::Bitmap composeLook(const gfx::Bitmap& picture, const PictureLook& look, int screenWidth,
                        int screenHeight, gfx::Color color);

} // namespace vorlin::canvas
