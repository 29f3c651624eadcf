#include "gfx/metafile/dib.h"

#include "gfx/codecs/decoded_picture.h"

#include <bit>
#include <cstring>
#include <vector>

namespace vorlin::gfx::metafile {

namespace {

std::uint32_t u32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint16_t u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

struct Header {
    std::uint32_t headerSize = 0;
    int width = 0;
    int height = 0; // negative: rows top-down
    int bpp = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t masksSize = 0; // bytes of masks stored after a 40-byte header
    bool core = false;
};

bool readHeader(const std::uint8_t* info, std::size_t size, Header& h) {
    if (!info || size < 12) return false;
    h.headerSize = u32(info);
    if (h.headerSize == 12) {
        h.core = true;
        h.width = u16(info + 4);
        h.height = u16(info + 6);
        h.bpp = u16(info + 10);
    } else if (h.headerSize >= 40 && h.headerSize <= 256 && h.headerSize <= size) {
        h.width = static_cast<std::int32_t>(u32(info + 4));
        h.height = static_cast<std::int32_t>(u32(info + 8));
        h.bpp = u16(info + 14);
        h.compression = u32(info + 16);
        h.colorsUsed = u32(info + 32);
        if (h.compression == 3 || h.compression == 6) {
            if (h.headerSize >= 52) {
                for (int i = 0; i < 3; ++i) h.masks[i] = u32(info + 40 + 4 * i);
            } else {
                if (size < 52) return false;
                for (int i = 0; i < 3; ++i) h.masks[i] = u32(info + 40 + 4 * i);
                h.masksSize = 12;
            }
        }
    } else {
        return false;
    }
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return false;
    const long long absH = h.height < 0 ? -static_cast<long long>(h.height) : h.height;
    if (h.width > kMaxPictureSide || absH > kMaxPictureSide ||
        static_cast<long long>(h.width) * absH > kMaxPicturePixels)
        return false;
    switch (h.bpp) {
    case 1:
    case 4:
    case 8:
    case 24:
        return h.compression == 0;
    case 16:
    case 32:
        return h.compression == 0 || h.compression == 3 || h.compression == 6;
    default:
        return false;
    }
}

// Expands a masked channel value to 8 bits.
std::uint8_t channel(std::uint32_t v, std::uint32_t mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask >> shift);
    std::uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(c >> (bits - 8));
    // Replicate the high bits into the low ones so that full scale stays full scale.
    std::uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += bits) out = (out << bits) | c;
    const int total = ((8 + bits - 1) / bits) * bits;
    return static_cast<std::uint8_t>(out >> (total - 8));
}

} // namespace

void dibSize(const std::uint8_t* info, std::size_t infoSize, int& width, int& height) {
    Header h;
    if (!readHeader(info, infoSize, h)) {
        width = height = 0;
        return;
    }
    width = h.width;
    height = h.height < 0 ? -h.height : h.height;
}

Bitmap decodeDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                 std::size_t bitsSize, std::uint32_t usage, std::vector<std::uint8_t>* alpha) {
    Header h;
    if (!readHeader(info, infoSize, h)) return {};

    // The colour table.
    std::size_t nColors = 0;
    if (h.bpp <= 8)
        nColors = h.colorsUsed && h.colorsUsed < (1u << h.bpp) ? h.colorsUsed : (1u << h.bpp);
    else if (!h.core && h.colorsUsed <= 256)
        nColors = h.colorsUsed; // optional table for true colour
    const std::size_t entry = usage == 1 ? 2 : (h.core ? 3 : 4);
    const std::size_t tableOffset = h.headerSize + h.masksSize;
    if (tableOffset > infoSize) return {};
    const std::size_t tableAvail = (infoSize - tableOffset) / entry;
    std::vector<Color> palette(h.bpp <= 8 ? (1u << h.bpp) : 0);
    if (h.bpp <= 8) {
        for (std::size_t i = 0; i < nColors && i < tableAvail && i < palette.size(); ++i) {
            const std::uint8_t* p = info + tableOffset + i * entry;
            if (usage == 1) {
                // Indices into a logical palette the metafile does not carry: show them as grey levels.
                const auto g = static_cast<std::uint8_t>(u16(p) & 0xFF);
                palette[i] = {g, g, g};
            } else {
                palette[i] = {p[2], p[1], p[0]};
            }
        }
    }
    if (!bits) {
        // A packed DIB: the rows follow the colour table.
        const std::size_t off = tableOffset + nColors * entry;
        if (off > infoSize) return {};
        bits = info + off;
        bitsSize = infoSize - off;
    }

    const int w = h.width;
    const int H = h.height < 0 ? -h.height : h.height;
    const std::size_t stride = ((static_cast<std::size_t>(w) * h.bpp + 31) / 32) * 4;
    // A DIB whose rows are not all there is refused: allocating for rows that a short (or hostile) file
    // does not hold would let a few bytes ask for hundreds of megabytes.
    if (stride == 0 || bitsSize / stride < static_cast<std::size_t>(H)) return {};
    const std::size_t rows = H;

    std::uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
    std::uint32_t alphaMask = 0;
    if (h.bpp == 32) alphaMask = h.compression == 0 ? 0xFF000000u : (h.headerSize >= 56 ? u32(info + 52) : 0);
    if (alpha) {
        alpha->clear();
        if (alphaMask) alpha->assign(static_cast<std::size_t>(w) * H, 255);
    }
    if (h.compression == 0 && h.bpp == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (h.compression == 0 && h.bpp == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;

    Bitmap out(w, H);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::uint8_t* s = bits + r * stride;
        const int y = h.height < 0 ? static_cast<int>(r) : H - 1 - static_cast<int>(r);
        std::uint8_t* d = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            Color c;
            switch (h.bpp) {
            case 1:
                c = palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                c = palette[(s[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                c = palette[s[x]];
                break;
            case 24:
                c = {s[3 * x + 2], s[3 * x + 1], s[3 * x]};
                break;
            case 16: {
                const std::uint32_t v = u16(s + 2 * x);
                c = {channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2])};
                break;
            }
            default: {
                const std::uint32_t v = u32(s + 4 * x);
                c = {channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2])};
                if (alpha && alphaMask) (*alpha)[static_cast<std::size_t>(y) * w + x] = channel(v, alphaMask);
                break;
            }
            }
            d[3 * x] = c.b;
            d[3 * x + 1] = c.g;
            d[3 * x + 2] = c.r;
        }
    }
    return out;
}

} // namespace vorlin::gfx::metafile
