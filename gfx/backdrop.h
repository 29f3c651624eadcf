#pragma once
// The backdrop behind a picture that does not fill the screen: a blurred, darkened copy of the picture
// covering the screen (centre kept), so the bars beside a portrait photo take its colours instead of a
// flat colour. Made once per picture, never per frame: the picture's covering part is averaged down to
// about an eighth of the screen, box-blurred there (three passes, close to a Gaussian), darkened and
// enlarged bilinear (view_render). A few milliseconds at 1920 × 1080.

#include "gfx/bitmap.h"

namespace vorlin::gfx {

// How bright the backdrop is against the picture, in 256ths (about 55 %).
inline constexpr int kBackdropBrightness = 141;

// The backdrop of `picture` for a width × height screen. Empty when the picture or the screen is.
Bitmap makeBackdrop(const Bitmap& picture, int width, int height);

} // namespace vorlin::gfx
