#pragma once
// A photo's own date taken and title, for captions. The metadata blocks are found by our own code in the
// file held in memory (JPEG, PNG, WebP, HEIF/AVIF, told apart by their content, not by the file name);
// their EXIF and XMP are parsed by exiv2. Hostile files leave fields empty: every read is bounds-checked,
// the blocks are capped, and no exception leaves. Safe to call from several threads at once.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vorlin::gfx {

// A local date and time as the camera wrote it (no time zone).
struct PhotoDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const PhotoDate&) const = default;
};

struct PhotoMetadata {
    // EXIF DateTimeOriginal, parsed strictly ("YYYY:MM:DD HH:MM:SS" with valid ranges); empty otherwise.
    std::optional<PhotoDate> taken;
    // UTF-8: XMP dc:title, else XMP dc:description, else EXIF XPTitle, else EXIF ImageDescription; control
    // characters dropped (tabs and line breaks become spaces), trimmed, at most 2 KB (cut on a character
    // boundary). Empty when the photo has none.
    std::string title;
};

// Reads the metadata of a whole picture file held in memory. Never throws: anything unreadable gives
// fields left empty.
PhotoMetadata readPhotoMetadata(std::span<const std::uint8_t> file) noexcept;

} // namespace vorlin::gfx
