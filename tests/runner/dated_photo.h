#pragma once
// A JPEG photo of one grey made by ImageMagick, with EXIF DateTimeOriginal written by exiftool, for tests
// of what the show does with a photo's metadata.
#include "../lib/shell.h"

#include <string>

namespace vorlin::testing {

// Writes `path` (width × height) taken at `taken` ("YYYY:MM:DD HH:MM:SS"); the tools' output when they
// failed, else empty.
inline std::string writeDatedJpeg(const std::string& path, int width, int height, const std::string& taken) {
    auto [out, status] = runShell("convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                                  " xc:gray50 -quality 95 " + shellQuote(path));
    if (status == 0)
        std::tie(out, status) = runShell("exiftool -q -q -overwrite_original " +
                                         shellQuote("-DateTimeOriginal=" + taken) + " " + shellQuote(path));
    return status == 0 ? std::string() : out + " (exit " + std::to_string(status) + ")";
}

} // namespace vorlin::testing
