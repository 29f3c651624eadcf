#include "gfx/metafile/text.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace vorlin::gfx::metafile {

namespace {

// Glyphs larger than this are not drawn: a hostile font height must not ask for giant glyph bitmaps.
constexpr double kMaxTextPixels = 2048;

std::mutex fcMutex;
std::map<std::string, std::pair<std::string, int>> fcCache; // request key -> (file, face index)

std::pair<std::string, int> matchFont(const FontRequest& f) {
    const std::string key = f.family + '\n' + std::to_string(f.weight) + (f.italic ? "i" : "r");
    std::lock_guard lock(fcMutex);
    if (auto it = fcCache.find(key); it != fcCache.end()) return it->second;
    std::pair<std::string, int> found{"", 0};
    FcConfig* config = FcConfigGetCurrent();
    FcPattern* pat = FcPatternCreate();
    if (config && pat) {
        FcPatternAddString(
            pat, FC_FAMILY,
            reinterpret_cast<const FcChar8*>(f.family.empty() ? "sans-serif" : f.family.c_str()));
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
        FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(std::clamp(f.weight, 1, 1000)));
        FcPatternAddInteger(pat, FC_SLANT, f.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(config, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult result = FcResultNoMatch;
        if (FcPattern* m = FcFontMatch(config, pat, &result)) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file) {
                FcPatternGetInteger(m, FC_INDEX, 0, &index);
                found = {reinterpret_cast<const char*>(file), index};
            }
            FcPatternDestroy(m);
        }
    }
    if (pat) FcPatternDestroy(pat);
    fcCache[key] = found;
    return found;
}

FT_Error load(FT_Face f, const TextRun& run, std::size_t i, FT_Int32 flags) {
    if (run.glyphIndices) return FT_Load_Glyph(f, run.text[i], flags);
    return FT_Load_Char(f, run.text[i], flags);
}

} // namespace

TextRenderer::TextRenderer() {
    if (FT_Init_FreeType(&lib_) != 0) lib_ = nullptr;
}

TextRenderer::~TextRenderer() {
    for (auto& [key, f] : faces_)
        if (f) FT_Done_Face(f);
    if (lib_) FT_Done_FreeType(lib_);
}

FT_Face TextRenderer::face(const FontRequest& req) {
    if (!lib_) return nullptr;
    const auto [file, index] = matchFont(req);
    if (file.empty()) return nullptr;
    const std::string key = file + '#' + std::to_string(index);
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    FT_Face f = nullptr;
    if (FT_New_Face(lib_, file.c_str(), index, &f) != 0) f = nullptr;
    faces_[key] = f;
    return f;
}

bool TextRenderer::setSize(FT_Face f, const TextRun& run) {
    double em = std::fabs(run.height);
    if (run.cellHeight && f->units_per_EM > 0 && f->ascender - f->descender > 0)
        em = em * f->units_per_EM / (f->ascender - f->descender);
    if (!(em >= 1) || em > kMaxTextPixels) return false;
    return FT_Set_Char_Size(f, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72) == 0;
}

bool TextRenderer::measure(const TextRun& run, TextMetrics& m) {
    FT_Face f = face(run.font);
    if (!f || !setSize(f, run)) return false;
    FT_Set_Transform(f, nullptr, nullptr);
    m = {};
    m.ascent = f->size->metrics.ascender / 64.0;
    m.descent = -f->size->metrics.descender / 64.0;
    for (std::size_t i = 0; i < run.text.size(); ++i) {
        if (i < run.advances.size()) {
            m.width += run.advances[i];
        } else if (load(f, run, i, FT_LOAD_DEFAULT) == 0) {
            m.width += f->glyph->advance.x / 64.0;
        }
    }
    return true;
}

void TextRenderer::draw(Canvas& canvas, const TextRun& run, PointD origin, const Paint& paint) {
    FT_Face f = face(run.font);
    if (!f || !setSize(f, run)) return;
    const double cs = std::cos(run.angle), sn = std::sin(run.angle);
    // FreeType's y axis points up; the canvas's points down, hence the signs.
    FT_Matrix matrix{
        static_cast<FT_Fixed>(std::lround(cs * 0x10000)), static_cast<FT_Fixed>(std::lround(-sn * 0x10000)),
        static_cast<FT_Fixed>(std::lround(sn * 0x10000)), static_cast<FT_Fixed>(std::lround(cs * 0x10000))};
    FT_Set_Transform(f, &matrix, nullptr);
    double along = 0;
    for (std::size_t i = 0; i < run.text.size() && !canvas.exhausted(); ++i) {
        const PointD pen{origin.x + along * cs, origin.y - along * sn};
        double advance = 0;
        if (!(std::fabs(pen.x) < 1e6 && std::fabs(pen.y) < 1e6)) break; // far off the canvas
        if (load(f, run, i, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) == 0) {
            const FT_Bitmap& bm = f->glyph->bitmap;
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.pitch > 0 && bm.buffer)
                canvas.drawMask(bm.buffer, bm.pitch,
                                static_cast<int>(std::lround(pen.x)) + f->glyph->bitmap_left,
                                static_cast<int>(std::lround(pen.y)) - f->glyph->bitmap_top,
                                static_cast<int>(bm.width), static_cast<int>(bm.rows), paint);
            // The transformed advance has length advance; its unrotated length is what we step along.
            advance = std::hypot(f->glyph->advance.x / 64.0, f->glyph->advance.y / 64.0);
        }
        along += i < run.advances.size() ? run.advances[i] : advance;
    }
    FT_Set_Transform(f, nullptr, nullptr);
}

} // namespace vorlin::gfx::metafile
