#pragma once
// What a picture's caption says (ShowSettings::Caption), before it is put into words for the user's
// locale: the file name without its extension, the date the photo was taken, or the photo's own title.
// A caption the picture has nothing for is empty (no placeholder). No Qt here: the date is formatted where
// it is drawn.

#include "gfx/codecs/photo_metadata.h"
#include "show/settings/show_settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace vorlin::canvas {

struct CaptionContent {
    std::string text;                   // UTF-8 (a file name: its bytes as they are)
    std::optional<gfx::PhotoDate> date; // shown as a date alone, in the locale's short format
    bool empty() const { return text.empty() && !date; }
    bool operator==(const CaptionContent&) const = default;
};

// Whether the caption mode needs the photo's metadata read (only then is it read: a second read of the
// file).
bool captionNeedsMetadata(std::int32_t mode);

// The caption of the picture at `path` for `mode` (a TCaptionMode; other values: none). `metadata` is what
// was read from the picture (empty when it was not read).
CaptionContent captionFor(std::int32_t mode, std::string_view path, const gfx::PhotoMetadata& metadata);

} // namespace vorlin::canvas
