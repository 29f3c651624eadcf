#include "gfx/codecs/metadata_blocks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace vorlin::gfx::detail {
namespace {

using Bytes = std::span<const std::uint8_t>;

bool startsWith(Bytes data, std::string_view prefix) {
    return data.size() >= prefix.size() && std::memcmp(data.data(), prefix.data(), prefix.size()) == 0;
}

std::uint32_t be16(Bytes d, std::size_t at) {
    return std::uint32_t(d[at] << 8 | d[at + 1]);
}
std::uint32_t be32(Bytes d, std::size_t at) {
    return std::uint32_t(d[at]) << 24 | std::uint32_t(d[at + 1]) << 16 | std::uint32_t(d[at + 2]) << 8 |
           d[at + 3];
}
std::uint32_t le32(Bytes d, std::size_t at) {
    return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
           std::uint32_t(d[at + 3]) << 24;
}

// JPEG: the segments from SOI up to the first scan; APP1 holds EXIF ("Exif\0" and a pad byte) or XMP.
void findInJpeg(Bytes f, MetadataBlocks& blocks) {
    static constexpr std::string_view kXmpId("http://ns.adobe.com/xap/1.0/\0", 29);
    std::size_t at = 2;
    while (at + 2 <= f.size() && f[at] == 0xFF) {
        const std::uint8_t marker = f[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue; // no length
        if (marker == 0xD9 || marker == 0xDA || at + 2 > f.size()) return; // end, scan or cut file
        const std::size_t length = be16(f, at);
        if (length < 2) return;
        // A segment cut by the end of the file still gives what it holds.
        const Bytes payload = f.subspan(at + 2, std::min(length - 2, f.size() - at - 2));
        if (marker == 0xE1) {
            if (startsWith(payload, std::string_view("Exif\0", 5)) && payload.size() >= 6)
                keepExifBlock(blocks, payload.subspan(6));
            else if (startsWith(payload, kXmpId))
                keepXmpBlock(blocks, payload.subspan(kXmpId.size()));
        }
        at += length;
    }
}

// A zlib stream inflated, or nothing when it is damaged or inflates to more than `limit` bytes.
std::string inflateAtMost(Bytes data, std::size_t limit) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return {};
    std::string out(std::min<std::size_t>(limit + 1, std::max<std::size_t>(data.size() * 4, 4096)), '\0');
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    int status = Z_OK;
    std::size_t produced = 0;
    while (status == Z_OK) {
        if (produced == out.size()) {
            if (out.size() > limit) break;
            out.resize(std::min(out.size() * 2, limit + 1));
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z.avail_out = static_cast<uInt>(out.size() - produced);
        status = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END || produced > limit) return {};
    out.resize(produced);
    return out;
}

// ImageMagick's PNG text "Raw profile type xmp" (or "exif", "APP1"): a line with the profile's name, one
// with its length in bytes, then the bytes in hex, wrapped over lines. Nothing when it is damaged; at most
// `limit` bytes are decoded.
std::vector<std::uint8_t> rawProfile(std::string_view text, std::size_t limit) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const std::size_t nameEnd = text.find('\n', 1);
    if (text.empty() || text[0] != '\n' || nameEnd == std::string_view::npos) return {};
    std::size_t at = text.find_first_not_of(' ', nameEnd + 1);
    std::size_t length = 0;
    for (; at < text.size() && digit(text[at]); ++at)
        length = std::min(length * 10 + static_cast<std::size_t>(text[at] - '0'), limit);
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (; at < text.size() && bytes.size() < length; ++at) {
        const char c = text[at];
        if (c == '\n' || c == '\r' || c == ' ') continue;
        const int value = digit(c)                 ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (value < 0) return {};
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    return bytes;
}

// PNG text chunks: tEXt (keyword, NUL, text), zTXt (keyword, NUL, method, zlib text) and iTXt (keyword, NUL,
// compression flag and method, language, NUL, translated keyword, NUL, text). XMP is in iTXt
// "XML:com.adobe.xmp", or hex in ImageMagick's raw profiles.
void keepPngText(MetadataBlocks& blocks, std::string_view type, Bytes chunk) {
    static constexpr std::string_view kXmp("XML:com.adobe.xmp"), kRawXmp("Raw profile type xmp"),
        kRawExif("Raw profile type exif"), kRawApp1("Raw profile type APP1");
    const auto nul = std::find(chunk.begin(), chunk.end(), std::uint8_t{0});
    if (nul == chunk.end()) return;
    const std::string_view keyword(reinterpret_cast<const char*>(chunk.data()),
                                   static_cast<std::size_t>(nul - chunk.begin()));
    const bool exif = keyword == kRawExif || keyword == kRawApp1;
    if (exif ? !blocks.exif.empty() : (!blocks.xmp.empty() || (keyword != kXmp && keyword != kRawXmp)))
        return;

    Bytes rest = chunk.subspan(keyword.size() + 1);
    bool compressed = type == "zTXt";
    if (type == "iTXt") {
        if (rest.size() < 2) return;
        compressed = rest[0] != 0;
        rest = rest.subspan(2);
        for (int skip = 0; skip < 2; ++skip) { // language tag, translated keyword
            const auto end = std::find(rest.begin(), rest.end(), std::uint8_t{0});
            if (end == rest.end()) return;
            rest = rest.subspan(static_cast<std::size_t>(end - rest.begin()) + 1);
        }
    } else if (compressed) {
        if (rest.empty()) return;
        rest = rest.subspan(1); // compression method
    }
    // Hex doubles the bytes, and its lines add a little.
    std::string inflated;
    if (compressed) {
        inflated = inflateAtMost(rest, 2 * kMaxXmpBytes + kMaxXmpBytes / 8);
        rest = Bytes(reinterpret_cast<const std::uint8_t*>(inflated.data()), inflated.size());
    }
    const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
    if (keyword == kXmp) return keepXmpBlock(blocks, rest);
    const std::vector<std::uint8_t> profile = rawProfile(text, exif ? kMaxExifBytes + 6 : kMaxXmpBytes + 1);
    if (exif)
        keepExifBlock(blocks, profile);
    else
        keepXmpBlock(blocks, profile);
}

void findInPng(Bytes f, MetadataBlocks& blocks) {
    std::size_t at = 8;
    while (at + 8 <= f.size()) {
        const std::size_t length = be32(f, at);
        const Bytes type = f.subspan(at + 4, 4);
        const Bytes chunk = f.subspan(at + 8, std::min(length, f.size() - at - 8));
        if (startsWith(type, "IEND")) return;
        if (startsWith(type, "eXIf")) keepExifBlock(blocks, chunk);
        if (startsWith(type, "tEXt") || startsWith(type, "zTXt") || startsWith(type, "iTXt"))
            keepPngText(blocks, std::string_view(reinterpret_cast<const char*>(type.data()), 4), chunk);
        if (length > f.size() - at - 8) return; // cut file
        at += 12 + length;
    }
}

// WebP: RIFF chunks after "RIFF", size, "WEBP"; each chunk is padded to an even length.
void findInWebp(Bytes f, MetadataBlocks& blocks) {
    const std::size_t end = std::min<std::size_t>(f.size(), std::size_t{le32(f, 4)} + 8);
    std::size_t at = 12;
    while (at + 8 <= end) {
        const std::size_t length = le32(f, at + 4);
        const Bytes chunk = f.subspan(at + 8, std::min(length, end - at - 8));
        if (startsWith(f.subspan(at), "EXIF")) keepExifBlock(blocks, chunk);
        if (startsWith(f.subspan(at), "XMP ")) keepXmpBlock(blocks, chunk);
        if (length > end - at - 8) return;
        at += 8 + length + (length & 1);
    }
}

} // namespace

// Some WebP and PNG writers keep JPEG's "Exif\0\0" in front of the TIFF header.
void keepExifBlock(MetadataBlocks& blocks, Bytes data) {
    if (!blocks.exif.empty()) return;
    if (startsWith(data, std::string_view("Exif\0\0", 6))) data = data.subspan(6);
    data = data.first(std::min(data.size(), kMaxExifBytes));
    blocks.exif.assign(data.begin(), data.end());
}

void keepXmpBlock(MetadataBlocks& blocks, Bytes data) {
    if (!blocks.xmp.empty() || data.empty() || data.size() > kMaxXmpBytes) return;
    blocks.xmp.assign(reinterpret_cast<const char*>(data.data()), data.size());
}

MetadataBlocks findMetadataBlocks(std::span<const std::uint8_t> file) {
    MetadataBlocks blocks;
    if (file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF)
        findInJpeg(file, blocks);
    else if (startsWith(file, "\x89PNG\r\n\x1a\n"))
        findInPng(file, blocks);
    else if (file.size() >= 12 && startsWith(file, "RIFF") && startsWith(file.subspan(8), "WEBP"))
        findInWebp(file, blocks);
    else if (file.size() >= 12 && startsWith(file.subspan(4), "ftyp"))
        blocks = findHeifMetadataBlocks(file);
    return blocks;
}

} // namespace vorlin::gfx::detail
