#include "tools/frames/frame_tool.h"

#include "base/random.h"
#include "effects/catalogue.h"
#include "effects/draw_frame.h"
#include "gfx/blit.h"
#include "gfx/codecs/picture_loader.h"

#include <png.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

namespace vorlin::frames {
namespace {

constexpr const char* kUsage =
    "usage: vorlin-frames --old FILE --new FILE (--effect N | --sheet) --progress LIST [--step S]\n"
    "                     [--seed K] [--reverse] [--format png|bmp] --out DIR\n"
    "  LIST     comma-separated progress values 0..100, or 'all' for the values a run draws\n"
    "  writes DIR/e<N>-p<P>.<format> per progress value; with --sheet, DIR/sheet-p<P>.<format>, a\n"
    "  labelled grid of every effect at that progress\n";

bool parseInt(const std::string& text, long long lo, long long hi, long long& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && !text.empty() && value >= lo && value <= hi;
}

int intOption(const std::string& name, const std::string& text, long long lo, long long hi) {
    long long v = 0;
    if (!parseInt(text, lo, hi, v))
        throw UsageError(name + " wants a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not '" + text + "'");
    return static_cast<int>(v);
}

std::vector<int> parseProgressList(const std::string& text) {
    std::vector<int> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        values.push_back(intOption("--progress", item, 0, 100));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return values;
}

void put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

} // namespace

Options parseArguments(const std::vector<std::string>& args) {
    Options o;
    bool haveProgress = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--old")
            o.oldPath = value();
        else if (a == "--new")
            o.newPath = value();
        else if (a == "--out")
            o.outDir = value();
        else if (a == "--effect")
            o.effect = intOption(a, value(), 0, effects::kEffectCount - 1);
        else if (a == "--step")
            o.step = intOption(a, value(), 1, 100);
        else if (a == "--seed") {
            long long seed = 0;
            if (!parseInt(value(), 0, 0xFFFFFFFFll, seed))
                throw UsageError("--seed wants a whole number from 0 to 4294967295, not '" + args[i] + "'");
            o.seed = static_cast<std::uint32_t>(seed);
        } else if (a == "--reverse")
            o.reverse = true;
        else if (a == "--sheet")
            o.sheet = true;
        else if (a == "--format") {
            o.format = value();
            if (o.format != "png" && o.format != "bmp")
                throw UsageError("--format is png or bmp, not '" + o.format + "'");
        } else if (a == "--progress") {
            const std::string& list = value();
            haveProgress = true;
            if (list == "all")
                o.allProgress = true;
            else
                o.progress = parseProgressList(list);
        } else {
            throw UsageError("unknown argument '" + a + "'");
        }
    }
    if (o.oldPath.empty()) throw UsageError("--old FILE is missing");
    if (o.newPath.empty()) throw UsageError("--new FILE is missing");
    if (o.outDir.empty()) throw UsageError("--out DIR is missing");
    if (!haveProgress) throw UsageError("--progress LIST is missing");
    if (!o.sheet && o.effect < 0) throw UsageError("--effect N is missing");
    return o;
}

std::vector<int> runProgressValues(int step, bool reverse) {
    step = std::clamp(step, 1, 100);
    std::vector<int> values;
    if (reverse)
        for (int p = 100; p > 0;) values.push_back(p = std::max(p - step, 0));
    else
        for (int p = 0; p < 100;) values.push_back(p = std::min(p + step, 100));
    return values;
}

gfx::Bitmap loadPicture(const std::string& path) {
    return gfx::loadPicture(path, gfx::Color{0, 0, 0});
}

void writeBmp(const gfx::Bitmap& picture, const std::string& path) {
    const std::uint32_t rowBytes = static_cast<std::uint32_t>(gfx::Bitmap::strideFor(picture.width()));
    const std::uint32_t dataSize = rowBytes * static_cast<std::uint32_t>(picture.height());
    unsigned char header[54] = {'B', 'M'};
    put32(header + 2, 54 + dataSize);
    put32(header + 10, 54);
    put32(header + 14, 40);
    put32(header + 18, static_cast<std::uint32_t>(picture.width()));
    put32(header + 22, static_cast<std::uint32_t>(picture.height()));
    put16(header + 26, 1);
    put16(header + 28, 24);
    put32(header + 34, dataSize);
    put32(header + 38, 2835); // 72 dpi
    put32(header + 42, 2835);
    std::ofstream out(path, std::ios::binary);
    if (!out) throw FileError(path + ": cannot create the file");
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    // The bitmap's rows already have the file's layout (blue-green-red, padded to 4 bytes); the file
    // stores them bottom row first.
    for (int y = picture.height() - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(picture.scanLine(y)), rowBytes);
    if (!out.flush()) throw FileError(path + ": cannot write the file");
}

void writePng(const gfx::Bitmap& picture, const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width());
    image.height = static_cast<png_uint_32>(picture.height());
    image.format = PNG_FORMAT_BGR;
    if (!png_image_write_to_file(&image, path.c_str(), 0, picture.bits(), picture.stride(), nullptr))
        throw FileError(path + ": cannot write the PNG file (" + image.message + ")");
}

Frames prepareFrames(const gfx::Bitmap& oldPicture, const gfx::Bitmap& newPicture) {
    Frames f;
    const int w = newPicture.width(), h = newPicture.height();
    f.screen = gfx::Bitmap(w, h);
    f.newFrame = newPicture;
    f.oldFrame = gfx::Bitmap(w, h);
    gfx::stretchCopy(f.oldFrame, f.oldFrame.rect(), oldPicture, oldPicture.rect());
    return f;
}

bool renderFrame(Frames& frames, int effect, int progress, int step, std::uint32_t seed, bool reverse) {
    // As in the show: a reversed run plays the effect backwards over exchanged frames and ends on the
    // new picture.
    const bool exchanged = effects::exchangesFrames(effect, reverse, false);
    effects::FrameContext ctx(frames.screen, exchanged ? frames.newFrame : frames.oldFrame,
                              exchanged ? frames.oldFrame : frames.newFrame);
    ctx.FProgress = progress;
    ctx.Style = effect;
    ctx.Step = step;
    ctx.Reverse = reverse;
    setRandomSeed(seed);
    return effects::DrawFrame(ctx).runEnded;
}

int drawNumber(gfx::Bitmap& target, int x, int y, int number, int scale, gfx::Color color) {
    // Rows of each digit, three bits each, the leftmost pixel in the highest bit.
    static const unsigned char kDigits[10][5] = {
        {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
        {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
    };
    const std::string text = std::to_string(std::max(number, 0));
    int cx = x;
    for (char ch : text) {
        const auto& glyph = kDigits[ch - '0'];
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (glyph[row] & (4 >> col))
                    target.fillRect(
                        {cx + col * scale, y + row * scale, cx + (col + 1) * scale, y + (row + 1) * scale},
                        color);
        cx += 4 * scale;
    }
    return cx - x - scale;
}

gfx::Bitmap contactSheet(const gfx::Bitmap& oldPicture, const gfx::Bitmap& newPicture, int progress,
                         const Options& options) {
    constexpr int kColumns = 16, kCellW = 160, kCellH = 120, kGap = 4, kScale = 2;
    const int rows = (effects::kEffectCount + kColumns - 1) / kColumns;
    // Thumbnails keep the picture's proportions inside the cell.
    const int w = std::max(newPicture.width(), 1), h = std::max(newPicture.height(), 1);
    int tw = kCellW, th = std::max(1, h * kCellW / w);
    if (th > kCellH) th = kCellH, tw = std::max(1, w * kCellH / h);

    gfx::Bitmap sheet(kGap + kColumns * (kCellW + kGap), kGap + rows * (kCellH + kGap), {48, 48, 48});
    Frames frames = prepareFrames(oldPicture, newPicture);
    for (int n = 0; n < effects::kEffectCount; ++n) {
        renderFrame(frames, n, progress, options.step, options.seed, options.reverse);
        const int cx = kGap + (n % kColumns) * (kCellW + kGap), cy = kGap + (n / kColumns) * (kCellH + kGap);
        gfx::stretchCopy(sheet, {cx, cy, cx + tw, cy + th}, frames.screen, frames.screen.rect());
        // The number on a black plate in the cell's corner.
        const int digits = static_cast<int>(std::to_string(n).size());
        sheet.fillRect({cx, cy, cx + digits * 4 * kScale + kScale, cy + 7 * kScale}, {0, 0, 0});
        drawNumber(sheet, cx + kScale, cy + kScale, n, kScale, {255, 255, 0});
    }
    return sheet;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const Options o = parseArguments(args);
        const gfx::Bitmap oldPicture = loadPicture(o.oldPath);
        const gfx::Bitmap newPicture = loadPicture(o.newPath);
        std::error_code ec;
        std::filesystem::create_directories(o.outDir, ec);
        if (!std::filesystem::is_directory(o.outDir)) throw FileError(o.outDir + ": cannot make the folder");
        const std::string ext = "." + o.format;
        auto save = [&](const gfx::Bitmap& b, const std::string& name) {
            const std::string path = (std::filesystem::path(o.outDir) / name).string();
            if (o.format == "bmp")
                writeBmp(b, path);
            else
                writePng(b, path);
            out << path << "\n";
        };
        const std::vector<int> values = o.allProgress ? runProgressValues(o.step, o.reverse) : o.progress;
        if (o.sheet) {
            for (int p : values)
                save(contactSheet(oldPicture, newPicture, p, o), "sheet-p" + std::to_string(p) + ext);
            return 0;
        }
        Frames frames = prepareFrames(oldPicture, newPicture);
        for (int p : values) {
            const bool ended = renderFrame(frames, o.effect, p, o.step, o.seed, o.reverse);
            save(frames.screen, "e" + std::to_string(o.effect) + "-p" + std::to_string(p) + ext);
            // A listed run stops where the run would: a cut ends at its first frame.
            if (o.allProgress && ended) break;
        }
        return 0;
    } catch (const UsageError& e) {
        err << "vorlin-frames: " << e.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        err << "vorlin-frames: " << e.what() << "\n";
        return 1;
    }
}

} // namespace vorlin::frames
