#pragma once
// The text rules of photo metadata, apart from the parsing library: the strict EXIF date, the caption
// text cleaned for display, and the UCS-2 text of the EXIF XP tags. Pure functions, no state.

#include "gfx/codecs/photo_metadata.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vorlin::gfx::detail {

// Longest caption text kept, in UTF-8 bytes.
inline constexpr std::size_t kMaxTitleBytes = 2048;

// "YYYY:MM:DD HH:MM:SS" exactly (trailing NULs allowed), with a real calendar day, hours 0..23 and
// minutes and seconds 0..59; anything else (blank dates "0000:00:00 00:00:00", other separators) is none.
std::optional<PhotoDate> parseExifDate(std::string_view text);

// Display text: UTF-8 kept, bytes that are no UTF-8 read as Latin-1, tabs and line breaks turned into
// one space, other control characters (C0, DEL, C1) and byte-order marks dropped, spaces trimmed, and
// cut to kMaxTitleBytes on a character boundary.
std::string cleanTitle(std::string_view text);

// UTF-16LE bytes (the EXIF XP tags) up to the first NUL, as UTF-8; unpaired surrogates become U+FFFD.
std::string utf16leToUtf8(std::span<const std::uint8_t> bytes);

} // namespace vorlin::gfx::detail
