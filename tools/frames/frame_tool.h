#pragma once
// vorlin-frames: renders frames of a transition without a window, for looking at effects and for
// comparing them across changes. Everything but the command's entry point lives here so that tests can
// drive it. No Qt.
//
//   vorlin-frames --old FILE --new FILE --effect N --progress LIST [--step S] [--seed K] [--reverse]
//                 [--format png|bmp] [--sheet] --out DIR

#include "gfx/bitmap.h"

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlin::frames {

// A bad command line; the message says what is wrong.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A file that cannot be read or written; the message names it.
struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string oldPath, newPath, outDir;
    int effect = -1;
    std::vector<int> progress; // empty with allProgress set
    bool allProgress = false;
    int step = 4;
    std::uint32_t seed = 1;
    bool reverse = false;
    std::string format = "png";
    bool sheet = false;
};

Options parseArguments(const std::vector<std::string>& args);

// The progress values a run at this step draws, in order: step, 2·step, ... up to 100 (the last one
// clamped to 100) forward; 100 − step, ... down to 0 (the last one floored at 0) in reverse.
std::vector<int> runProgressValues(int step, bool reverse);

// A picture file decoded by the show's loading rules (format by extension) and flattened onto black.
// Throws gfx::PictureError naming the file.
gfx::Bitmap loadPicture(const std::string& path);

void writePng(const gfx::Bitmap& picture, const std::string& path);
void writeBmp(const gfx::Bitmap& picture, const std::string& path);

// The three bitmaps of a transition, prepared as the canvas prepares them: the old frame is the old
// picture stretched to the new picture's size, the new frame the new picture, the screen of that size.
struct Frames {
    gfx::Bitmap oldFrame, newFrame, screen;
};
Frames prepareFrames(const gfx::Bitmap& oldPicture, const gfx::Bitmap& newPicture);

// Draws one frame into frames.screen: the shared generator is seeded with `seed` just before. Reversed,
// the frames change roles as in the show (the run ends on the new picture). Returns whether the run ends
// with this frame.
bool renderFrame(Frames& frames, int effect, int progress, int step, std::uint32_t seed, bool reverse);

// Draws a number's decimal digits with a 3×5 bitmap font, each font pixel scale × scale screen pixels,
// with the top-left corner at (x, y); clipped to the bitmap. Returns the width drawn.
int drawNumber(gfx::Bitmap& target, int x, int y, int number, int scale, gfx::Color color);

// Every effect 0..127 at one progress, as a labelled grid of thumbnails.
gfx::Bitmap contactSheet(const gfx::Bitmap& oldPicture, const gfx::Bitmap& newPicture, int progress,
                         const Options& options);

// The whole command: returns the exit status; reports go to out, errors to err.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vorlin::frames
