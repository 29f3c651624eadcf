#pragma once
// Text of metafile records drawn with FreeType glyphs from the font that fontconfig picks for the
// record's face name, weight and slant. Glyphs are drawn without antialiasing (coverage of half or more).
//
// One TextRenderer belongs to one decode (its FreeType library and faces are not shared between threads);
// the fontconfig look-ups are shared and guarded by a lock.

#include "gfx/metafile/canvas.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace vorlin::gfx::metafile {

struct FontRequest {
    std::string family; // UTF-8 face name; empty picks the default sans-serif font
    int weight = 400;   // 100..900 as LOGFONT's lfWeight
    bool italic = false;
};

struct TextRun {
    std::u32string text;
    FontRequest font;
    double height = 16;           // pixels
    bool cellHeight = false;      // height counts the cell (ascent + descent), not the em
    double angle = 0;             // radians, counter-clockwise on screen
    std::vector<double> advances; // pixels per character; empty: the font's own advances
    bool glyphIndices = false;    // text holds the font's glyph indices (ETO_GLYPH_INDEX), not characters
};

struct TextMetrics {
    double width = 0;   // along the baseline
    double ascent = 0;  // above the baseline
    double descent = 0; // below the baseline (positive)
};

class TextRenderer {
public:
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // False when no font could be loaded (the text is then left out).
    bool measure(const TextRun& run, TextMetrics& m);
    // Draws the run with its baseline starting at `origin` (device pixels).
    void draw(Canvas& canvas, const TextRun& run, PointD origin, const Paint& paint);

private:
    FT_Face face(const FontRequest& f);
    bool setSize(FT_Face f, const TextRun& run);

    FT_Library lib_ = nullptr;
    std::map<std::string, FT_Face> faces_; // by file and index
};

} // namespace vorlin::gfx::metafile
