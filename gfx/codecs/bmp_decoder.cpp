// BMP files and the DIBs inside icons. Header kinds: OS/2 core (12 bytes), OS/2 2.x (16..64 bytes) and
// the Windows info headers (40, 52, 56, 108, 124 bytes). Pixels: 1/4/8-bit palettes, 16 and 32 bits with
// bit fields (5-5-5 and 8-8-8 when none are given), 24 bits, RLE8 and RLE4 (bottom-up only). Every read
// is checked against the data; an uncompressed picture whose rows are not all there is refused before
// the pixels are allocated. RLE data that stops early leaves the rest at colour 0; a run or a move that
// would leave the picture is refused.

#include "gfx/codecs/codec_util.h"
#include "gfx/codecs/dib.h"

#include <algorithm>
#include <array>
#include <bit>

namespace vorlin::gfx {

using detail::fail;
using detail::Reader;

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct Header {
    std::uint32_t headerSize = 0;
    long long width = 0;
    long long height = 0; // rows of the picture (an icon's mask excluded)
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colorsUsed = 0;
    bool core = false;           // OS/2 core header: 3-byte colour table entries
    std::size_t afterHeader = 0; // where the bit-field masks or the colour table start
    std::array<std::uint32_t, 3> masks{};
};

Header readHeader(const Reader& in, bool iconEntry) {
    in.need(0, 4, "bitmap header");
    Header h;
    h.headerSize = in.u32(0);
    long long rawHeight = 0;
    if (h.headerSize == 12) {
        in.need(0, 12, "bitmap header");
        h.core = true;
        h.width = in.u16(4);
        rawHeight = in.u16(6);
        h.bitCount = in.u16(10);
    } else if (h.headerSize >= 16 && h.headerSize <= 1024) {
        in.need(0, h.headerSize, "bitmap header");
        h.width = in.s32(4);
        rawHeight = in.s32(8);
        h.bitCount = in.u16(14);
        if (h.headerSize >= 20) h.compression = in.u32(16);
        if (h.headerSize >= 36) h.colorsUsed = in.u32(32);
        // OS/2 2.x numbers 3 and 4 mean Huffman and RLE24, which nothing here reads.
        if (h.headerSize == 64 && (h.compression == 3 || h.compression == 4))
            fail(in.name(), "OS/2 Huffman and RLE24 bitmaps are not supported");
    } else {
        fail(in.name(), "unknown bitmap header size " + std::to_string(h.headerSize));
    }
    h.afterHeader = h.headerSize;
    if (rawHeight < 0) {
        h.topDown = true;
        rawHeight = -rawHeight;
    }
    if (iconEntry) rawHeight /= 2;
    h.height = rawHeight;
    if (h.width < 0) fail(in.name(), "negative bitmap width");
    return h;
}

// Expands an n-bit channel value to 8 bits by repeating its bits (31 → 255, 16 → 132).
std::uint8_t expandBits(std::uint32_t v, int bits) {
    if (bits <= 0) return 0;
    if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits) | v;
        filled += bits;
    }
    return static_cast<std::uint8_t>(out >> (filled - 8));
}

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::countr_one(m >> shift);
    }
    std::uint8_t operator()(std::uint32_t px) const { return expandBits((px & mask) >> shift, bits); }
};

class Rows {
public:
    Rows(Bitmap& b, bool topDown) : b_(b), topDown_(topDown) {}
    // Row i of the stored order (bottom-up files store the bottom row first).
    std::uint8_t* row(long long i) {
        return b_.scanLine(static_cast<int>(topDown_ ? i : b_.height() - 1 - i));
    }

private:
    Bitmap& b_;
    bool topDown_;
};

void decodeRle(const Reader& in, std::size_t pos, const Header& h, const std::array<Color, 256>& palette,
               Bitmap& out) {
    const bool four = h.compression == kRle4;
    const long long w = h.width, ht = h.height;
    Rows rows(out, false);
    // Pixels that the data skips keep colour 0.
    out.fill(palette[0]);
    long long x = 0, y = 0;
    // Pixels past the row's end are dropped: writers encode the row padding too.
    auto put = [&](long long px, int index) {
        if (px >= w) return;
        const Color c = palette[index];
        std::uint8_t* p = rows.row(y) + 3 * px;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    };
    auto room = [&]() {
        if (y >= ht) fail(in.name(), "RLE data runs past the last row");
    };
    while (in.has(pos, 2)) {
        const int count = in.u8(pos), value = in.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            room();
            for (int i = 0; i < count; ++i) put(x + i, four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            x += count;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // move right and up
            in.need(pos, 2, "RLE move");
            x += in.u8(pos);
            y += in.u8(pos + 1);
            pos += 2;
            if (x > w || y > ht) fail(in.name(), "RLE move leaves the picture");
        } else { // a literal run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            in.need(pos, bytes, "RLE data");
            room();
            for (int i = 0; i < value; ++i) {
                const int byte = in.u8(pos + (four ? i / 2 : i));
                put(x + i, four ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
            }
            x += value;
            pos += bytes + (bytes & 1);
        }
    }
}

} // namespace

namespace detail {

std::optional<DibShape> peekDib(ByteSpan dib, bool iconEntry) {
    static const std::string unnamed;
    try {
        const Header h = readHeader(Reader(dib, unnamed), iconEntry);
        return DibShape{static_cast<int>(std::min(h.width, 1LL << 30)),
                        static_cast<int>(std::min(h.height, 1LL << 30)), h.bitCount};
    } catch (const PictureError&) {
        return std::nullopt;
    }
}

DecodedPicture decodeDib(ByteSpan dib, std::optional<std::size_t> bitsOffset, bool iconEntry,
                         const std::string& name, const DecodeLimits& limits) {
    const Reader in(dib, name);
    Header h = readHeader(in, iconEntry);
    const int bpp = h.bitCount;
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    const bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        fail(name, "unsupported bit count " + std::to_string(bpp));
    if ((h.compression == kRle8 && bpp != 8) || (h.compression == kRle4 && bpp != 4) ||
        (fields && bpp != 16 && bpp != 32) || (!rle && !fields && h.compression != kRgb))
        fail(name, "unsupported compression " + std::to_string(h.compression) + " for " +
                       std::to_string(bpp) + " bits");
    if (rle && h.topDown) fail(name, "top-down RLE bitmap");
    detail::checkPictureSize(h.width, h.height, limits, name);

    // Bit-field masks: inside a long header, else right after a 40-byte one.
    std::size_t tablePos = h.afterHeader;
    if (fields) {
        const std::size_t count = h.compression == kAlphaBitFields ? 4 : 3;
        if (h.headerSize >= 52) {
            for (int i = 0; i < 3; ++i) h.masks[i] = in.u32(40 + 4 * i);
        } else {
            in.need(tablePos, 4 * count, "bit-field masks");
            for (int i = 0; i < 3; ++i) h.masks[i] = in.u32(tablePos + 4 * i);
            tablePos += 4 * count;
        }
    } else if (bpp == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (bpp == 32) {
        h.masks = {0xFF0000, 0xFF00, 0xFF};
    }

    // The colour table. Indices beyond it give black.
    std::array<Color, 256> palette{};
    const std::size_t entry = h.core ? 3 : 4;
    std::size_t tableCount = 0;
    if (bpp <= 8) {
        tableCount = h.colorsUsed ? h.colorsUsed : (1u << bpp);
        if (h.colorsUsed > (1u << bpp)) fail(name, "colour table larger than the bit count allows");
    } else if (h.colorsUsed) {
        if (h.colorsUsed > 256) fail(name, "colour table too large");
        tableCount = h.colorsUsed; // an optional table for display optimisation; skipped
    }
    in.need(tablePos, tableCount * entry, "colour table");
    if (bpp <= 8)
        for (std::size_t i = 0; i < tableCount; ++i) {
            const std::size_t p = tablePos + i * entry;
            palette[i] = Color{in.u8(p + 2), in.u8(p + 1), in.u8(p)};
        }
    std::size_t pos = bitsOffset.value_or(tablePos + tableCount * entry);
    if (pos > in.size()) fail(name, "pixel data offset beyond the end of the file");

    const long long w = h.width, ht = h.height;
    const long long rowBytes = (w * bpp + 31) / 32 * 4;
    const long long maskRowBytes = (w + 31) / 32 * 4;
    if (!rle) {
        const long long need = rowBytes * ht + (iconEntry ? maskRowBytes * ht : 0);
        if (need > static_cast<long long>(in.size() - pos)) fail(name, "file ends inside the pixel data");
    }

    DecodedPicture out;
    out.pixels = Bitmap(static_cast<int>(w), static_cast<int>(ht));
    Bitmap& bmp = out.pixels;
    bool anyAlpha = false;
    std::vector<std::uint8_t> alpha32;
    if (rle) {
        decodeRle(in, pos, h, palette, bmp);
    } else {
        Rows rows(bmp, h.topDown);
        const Channel cr(h.masks[0]), cg(h.masks[1]), cb(h.masks[2]);
        if (iconEntry && bpp == 32) alpha32.assign(static_cast<std::size_t>(w * ht), 0);
        for (long long y = 0; y < ht; ++y) {
            const std::uint8_t* src = in.ptr(pos + static_cast<std::size_t>(y * rowBytes));
            std::uint8_t* dst = rows.row(y);
            if (bpp <= 8) {
                const int perByte = 8 / bpp, mask = (1 << bpp) - 1;
                for (long long x = 0; x < w; ++x) {
                    const int shift = 8 - bpp * (1 + static_cast<int>(x % perByte));
                    const Color c = palette[(src[x / perByte] >> shift) & mask];
                    dst[3 * x] = c.b;
                    dst[3 * x + 1] = c.g;
                    dst[3 * x + 2] = c.r;
                }
            } else if (bpp == 24) {
                std::copy(src, src + 3 * w, dst);
            } else {
                const long long alphaRow = h.topDown ? y : ht - 1 - y;
                for (long long x = 0; x < w; ++x) {
                    const std::uint32_t px =
                        bpp == 16 ? (src[2 * x] | (src[2 * x + 1] << 8))
                                  : (std::uint32_t{src[4 * x]} | (src[4 * x + 1] << 8) |
                                     (src[4 * x + 2] << 16) | (std::uint32_t{src[4 * x + 3]} << 24));
                    dst[3 * x] = cb(px);
                    dst[3 * x + 1] = cg(px);
                    dst[3 * x + 2] = cr(px);
                    if (!alpha32.empty()) {
                        alpha32[alphaRow * w + x] = src[4 * x + 3];
                        anyAlpha |= src[4 * x + 3] != 0;
                    }
                }
            }
        }
        pos += static_cast<std::size_t>(rowBytes * ht);
    }

    if (iconEntry) {
        if (anyAlpha) {
            out.alpha = std::move(alpha32);
        } else {
            // The AND mask: a set bit is a transparent pixel. Icons without one are opaque.
            out.alpha.assign(static_cast<std::size_t>(w * ht), 255);
            if (!rle) {
                for (long long y = 0; y < ht; ++y) {
                    const std::uint8_t* m = in.ptr(pos + static_cast<std::size_t>(y * maskRowBytes));
                    const long long row = h.topDown ? y : ht - 1 - y;
                    for (long long x = 0; x < w; ++x)
                        if ((m[x / 8] >> (7 - x % 8)) & 1) out.alpha[row * w + x] = 0;
                }
            }
        }
    }
    return out;
}

} // namespace detail

DecodedPicture decodeBmp(ByteSpan data, const std::string& name, const DecodeLimits& limits) {
    const Reader in(data, name);
    in.need(0, 14, "file header");
    if (in.u8(0) != 'B' || in.u8(1) != 'M') fail(name, "not a BMP file");
    const std::uint32_t offBits = in.u32(10);
    const ByteSpan dib = data.subspan(14);
    std::optional<std::size_t> bits;
    // Some writers leave the offset 0; the pixels then follow the colour table.
    if (offBits >= 14 + 12) bits = offBits - 14;
    return detail::decodeDib(dib, bits, false, name, limits);
}

} // namespace vorlin::gfx
