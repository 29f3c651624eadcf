#pragma once
// The drawing state of a metafile being played (the device context of GDI: mapping, pen, brush, font,
// colours, clip, current position, path) and the drawing operations that the WMF and EMF readers call
// with logical coordinates. The player turns them into outlines in picture pixels for the canvas.
//
// Mapping: logical → (world transform, EMF only) → page → (mapping mode: window and viewport) → device →
// picture. The reader supplies device → picture; for WMF the window is mapped straight onto the picture.

#include "gfx/metafile/canvas.h"
#include "gfx/metafile/text.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vorlin::gfx::metafile {

struct PenObject {
    int style = 0;         // PS_SOLID, PS_DASH … PS_NULL (5), PS_INSIDEFRAME (6)
    double width = 0;      // logical units; 0 is one pixel
    bool cosmetic = false; // always one pixel
    Color color;
};

struct BrushObject {
    int style = 0; // BS_SOLID (0), BS_NULL (1), BS_HATCHED (2), pattern (3)
    Color color;
    int hatch = 0;
    std::shared_ptr<const Bitmap> pattern;
};

struct FontObject {
    int height = 0;     // logical; negative: character (em) height, positive: cell height
    int escapement = 0; // tenths of a degree
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    std::string face; // UTF-8
};

// A region object as WMF and EMF create them; kept in device pixels of the picture once selected.
struct RegionObject {
    std::vector<Rect> rects; // logical coordinates
};

using GdiObject = std::variant<std::monostate, PenObject, BrushObject, FontObject, RegionObject>;

// The GDI stock object with index i (WHITE_BRUSH 0 … DEFAULT_GUI_FONT 17), or monostate.
GdiObject stockObject(std::uint32_t index);

struct DcState {
    int mapMode = 1; // MM_TEXT
    PointD windowOrg{0, 0};
    PointD windowExt{1, 1};
    PointD viewportOrg{0, 0};
    PointD viewportExt{1, 1};
    Affine world;

    PenObject pen;     // BLACK_PEN
    BrushObject brush; // WHITE_BRUSH
    FontObject font;
    Color textColor{0, 0, 0};
    Color bkColor{255, 255, 255};
    int bkMode = 2;                     // OPAQUE
    int textAlign = 0;                  // TA_LEFT | TA_TOP
    int polyFillMode = 1;               // ALTERNATE
    int rop2 = 13;                      // R2_COPYPEN
    int arcDirection = 1;               // AD_COUNTERCLOCKWISE
    std::shared_ptr<const Region> clip; // picture pixels; null: no clip
    PointD current{0, 0};               // logical
};

class Player {
public:
    // deviceToPicture maps device units onto picture pixels. With windowToPicture set (WMF), the window
    // (origin and extent) is mapped onto the picture rectangle instead of going through the viewport.
    Player(Canvas& canvas, const Affine& deviceToPicture, bool windowToPicture);

    DcState dc;
    // Device units per millimetre of the reference device (for the metric mapping modes of EMF).
    PointD deviceUnitsPerMm{96 / 25.4, 96 / 25.4};

    void invalidateMapping() { mappingValid_ = false; }
    const Affine& logicalToPicture();
    const Affine& deviceToPicture() const { return deviceToPicture_; }

    // Shapes (logical coordinates; rectangles as left, top, right, bottom).
    void rectangle(double l, double t, double r, double b);
    void roundRect(double l, double t, double r, double b, double w, double h);
    void ellipse(double l, double t, double r, double b);
    enum class ArcKind { Arc, Pie, Chord, ArcTo };
    void arc(ArcKind kind, double l, double t, double r, double b, PointD start, PointD end);
    // AngleArc: a line from the current position to the arc's start, then the arc (degrees,
    // counter-clockwise for a positive sweep); the current position moves to its end.
    void angleArc(PointD centre, double radius, double startDeg, double sweepDeg);
    void polygon(const std::vector<PointD>& pts);
    void polyPolygon(const std::vector<std::vector<PointD>>& polys);
    void polyline(const std::vector<PointD>& pts);
    void polyPolyline(const std::vector<std::vector<PointD>>& lines);
    // With `to`, starts at the current position and moves it to the last point.
    void polyBezier(const std::vector<PointD>& pts, bool to);
    void polylineTo(const std::vector<PointD>& pts);
    void moveTo(PointD p);
    void lineTo(PointD p);
    void setPixel(PointD p, Color c);

    // Paths.
    void beginPath();
    void endPath() { inPath_ = false; }
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(int mode);

    // Clipping (logical rectangles; device rectangles for regions, as EMF stores them).
    void intersectClipRect(double l, double t, double r, double b);
    void excludeClipRect(double l, double t, double r, double b);
    void offsetClip(double dx, double dy);
    // Combines the clip with device-unit rectangles (none: the whole picture for RGN_COPY, nothing else).
    void selectClipRects(const std::vector<Rect>& deviceRects, int mode, bool logicalUnits);
    void resetClip() { dc.clip.reset(); }

    // Text at a logical point; dx: logical advances (may be empty); rect (logical) for ETO_OPAQUE/CLIPPED.
    void text(PointD at, const std::u32string& s, const std::vector<double>& dx, std::uint32_t options,
              std::optional<std::array<double, 4>> rect);

    // Draws the source rectangle of an image onto the logical rectangle (x, y, w, h).
    void image(const Bitmap& src, long long sx, long long sy, long long sw, long long sh, double x, double y,
               double w, double h, std::uint32_t rop, const ImageBlend* blend = nullptr);
    // PatBlt and the raster operations of BitBlt without a source.
    void patBlt(double x, double y, double w, double h, std::uint32_t rop);
    // Fills the rectangles of a region (logical or device units) with a brush.
    void fillRegion(const std::vector<Rect>& rects, const BrushObject& brush, bool deviceUnits);

    void saveDC();
    void restoreDC(int which);

private:
    PointD toPicture(PointD logical);
    Contour mapContour(const std::vector<PointD>& logical, bool closed);
    // Fills and/or strokes device outlines with the current brush and pen, or adds them to the path.
    void emit(Outline outline, bool fillable);
    void fillOutline(const Outline& o);
    void strokeOutline(const Outline& o);
    double penPixels();
    Paint brushPaint(const BrushObject& b) const;
    std::vector<PointD> ellipsePoints(double l, double t, double r, double b, double a0, double sweep,
                                      bool full);
    std::vector<PointD> bezierPoints(PointD p0, PointD p1, PointD p2, PointD p3, int maxPoints);
    void clearPath();
    void applyClip(const Region& region, CombineMode mode);
    Rect pictureRect(double l, double t, double r, double b);

    Canvas& canvas_;
    TextRenderer text_;
    Affine deviceToPicture_;
    bool windowToPicture_;
    Affine mapping_;
    bool mappingValid_ = false;
    std::vector<DcState> saved_;
    bool inPath_ = false;
    Outline path_;
    std::size_t pathPoints_ = 0;
    bool figureOpen_ = false;
};

} // namespace vorlin::gfx::metafile
