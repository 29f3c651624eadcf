#pragma once
// Finds the EXIF and XMP blocks of a picture file held in memory, by the file's content: JPEG (APP1
// segments), PNG (eXIf, iTXt "XML:com.adobe.xmp" and ImageMagick's hex "Raw profile type" text chunks), WebP
// (RIFF chunks "EXIF" and "XMP ") and HEIF/AVIF (metadata items, through libheif). Every read is
// bounds-checked; a cut or damaged container gives the blocks found before the damage. The first block of
// each kind wins.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorlin::gfx::detail {

// An EXIF block longer than this is cut (the tags read for captions sit in its first directories; a long
// block carries a thumbnail at its end). An XMP packet longer than this is left out: a cut packet is no XML.
inline constexpr std::size_t kMaxExifBytes = 64 * 1024;
inline constexpr std::size_t kMaxXmpBytes = 1024 * 1024;

struct MetadataBlocks {
    std::vector<std::uint8_t> exif; // from the TIFF header ("II*\0" or "MM\0*") on; empty if none
    std::string xmp;                // the XMP packet; empty if none
};

MetadataBlocks findMetadataBlocks(std::span<const std::uint8_t> file);

// Takes an EXIF block (with or without the "Exif\0\0" of JPEG's APP1 in front, cut to kMaxExifBytes) or an
// XMP packet (left out beyond kMaxXmpBytes) unless one of its kind was found before.
void keepExifBlock(MetadataBlocks& blocks, std::span<const std::uint8_t> data);
void keepXmpBlock(MetadataBlocks& blocks, std::span<const std::uint8_t> data);

// The HEIF/AVIF part of findMetadataBlocks (its own file: it alone needs libheif).
MetadataBlocks findHeifMetadataBlocks(std::span<const std::uint8_t> file);

} // namespace vorlin::gfx::detail
