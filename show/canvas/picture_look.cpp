#include "show/canvas/picture_look.h"

#include "gfx/backdrop.h"
#include "gfx/blit.h"
#include "gfx/codecs/fit_inside.h"
#include "gfx/view_render.h"

#include <cmath>

namespace vorlin::canvas {
namespace {

using Rule = gfx::PictureFit::Rule;

// A side scaled by num / den, rounded halves to even, at least 1.
int scaledSide(int side, int num, int den) {
    return static_cast<int>(std::max(1LL, gfx::mulDivHalfEven(side, num, den)));
}

// The picture scaled to fit inside the screen (cover = false) or to cover it (cover = true), keeping
// its aspect. The limiting side is the one the fit-inside rule takes, so that a picture decoded inside
// the screen keeps its decoded size here.
gfx::PictureSize scaledToScreen(int pw, int ph, int sw, int sh, bool cover) {
    const bool wider = static_cast<long long>(pw) * sh > static_cast<long long>(ph) * sw;
    if (wider != cover) return {sw, scaledSide(ph, sw, pw)};
    return {scaledSide(pw, sh, ph), sh};
}

Rect centred(gfx::PictureSize size, int sw, int sh) {
    const int x = (sw - size.width) / 2, y = (sh - size.height) / 2;
    return {x, y, x + size.width, y + size.height};
}

} // namespace

gfx::PictureFit lookFit(const PictureLook& look, const gfx::PictureFit& plain) {
    gfx::PictureFit fit = plain;
    if (plain.rule == Rule::Whole || plain.boxWidth <= 0 || plain.boxHeight <= 0) return fit;
    if (look.fill == show::pfBlur) fit.rule = Rule::Inside;
    if (look.fill == show::pfCrop) fit.rule = Rule::Cover;
    // The canvas does not stretch a composed picture (its Stretch is off with a look): the look does, so
    // the whole picture is decoded for it, not the part an unscaled picture would show.
    if (look.fill == show::pfColor && look.stretch && fit.rule == Rule::Visible) fit.rule = Rule::EachSide;
    fit.center = true;
    // A picture shrunk inside the box (a preview) keeps its own size in its place with pfColor: decoded
    // larger it would reach past the box.
    const bool placedAtOwnSize = look.fill == show::pfColor && fit.rule == Rule::Inside;
    if (look.panZoom && fit.rule != Rule::Visible && !placedAtOwnSize) {
        fit.boxWidth = static_cast<int>(std::lround(plain.boxWidth * kDriftZoom));
        fit.boxHeight = static_cast<int>(std::lround(plain.boxHeight * kDriftZoom));
    }
    return fit;
}

PicturePlacement placePicture(const PictureLook& look, int screenWidth, int screenHeight, int pictureWidth,
                              int pictureHeight) {
    const int sw = screenWidth, sh = screenHeight, pw = pictureWidth, ph = pictureHeight;
    if (sw <= 0 || sh <= 0 || pw <= 0 || ph <= 0) return {};
    const gfx::PictureSize own{pw, ph};
    switch (look.fill) {
    case show::pfBlur: {
        const bool fits = pw <= sw && ph <= sh;
        const gfx::PictureSize size = fits && !look.stretch ? own : scaledToScreen(pw, ph, sw, sh, false);
        return {centred(size, sw, sh), size.width < sw || size.height < sh};
    }
    case show::pfCrop:
        return {centred(scaledToScreen(pw, ph, sw, sh, true), sw, sh), false};
    case show::pfColor:
        break;
    }
    if (look.stretch) return {rectOfSize(sw, sh), false};
    return {centred(own, sw, sh), false};
}

gfx::Bitmap composeLook(const gfx::Bitmap& picture, const PictureLook& look, int screenWidth,
                        int screenHeight, gfx::Color color) {
    if (picture.isEmpty() || screenWidth <= 0 || screenHeight <= 0) return {};
    const PicturePlacement placed =
        placePicture(look, screenWidth, screenHeight, picture.width(), picture.height());
    gfx::Bitmap screen = placed.backdrop ? gfx::makeBackdrop(picture, screenWidth, screenHeight)
                                         : gfx::Bitmap(screenWidth, screenHeight, color);
    const Rect& p = placed.picture;
    if (p.width() == picture.width() && p.height() == picture.height()) {
        const Rect part = intersect(p, screen.rect());
        if (!part.isEmpty())
            gfx::copyRect(screen, part.Left, part.Top, picture, part.translated(-p.Left, -p.Top));
    } else {
        gfx::renderScaled(picture, screen, p);
    }
    return screen;
}

} // namespace vorlin::canvas
