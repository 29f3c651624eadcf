#pragma once
// Tiny writers for hand-built EMF and WMF files in tests: raw records from numbers, nothing more, so that
// a test states exactly which bytes the decoder sees (including broken ones).

#include "gfx/metafile/metafile.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace metafile_test {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// An EMF on a 96-dpi reference device, so that one device unit is one picture pixel. Sides that are
// multiples of 24 pixels give a frame of whole 0.01 mm and so an exact one-to-one map.
struct Emf {
    Bytes bytes;
    int records = 0;

    Emf(int w, int h) {
        const auto frameW = static_cast<std::uint32_t>(w * 2540 / 96),
                   frameH = static_cast<std::uint32_t>(h * 2540 / 96);
        put32(bytes, 1);
        put32(bytes, 108);
        for (std::uint32_t v : {0u, 0u, std::uint32_t(w - 1), std::uint32_t(h - 1)})
            put32(bytes, v);                                              // bounds
        for (std::uint32_t v : {0u, 0u, frameW, frameH}) put32(bytes, v); // frame
        put32(bytes, 0x464D4520);                                         // " EMF"
        put32(bytes, 0x10000);
        put32(bytes, 0); // nBytes, patched by finish()
        put32(bytes, 0); // nRecords
        put16(bytes, 16);
        put16(bytes, 0);
        put32(bytes, 0);
        put32(bytes, 0);
        put32(bytes, 0);
        // A 96-dpi device: 9600 units over 2540 mm; micrometres for the exact ratio.
        put32(bytes, 9600);
        put32(bytes, 9600);
        put32(bytes, 2540);
        put32(bytes, 2540);
        put32(bytes, 0);
        put32(bytes, 0);
        put32(bytes, 0);
        put32(bytes, 2540000);
        put32(bytes, 2540000);
        records = 1;
    }
    // A record of the given type whose body is the 32-bit words `body`.
    Emf& rec(std::uint32_t type, std::initializer_list<std::int64_t> body) {
        put32(bytes, type);
        put32(bytes, static_cast<std::uint32_t>(8 + 4 * body.size()));
        for (std::int64_t v : body) put32(bytes, static_cast<std::uint32_t>(v));
        ++records;
        return *this;
    }
    // A record with a raw body (size padded to 4).
    Emf& raw(std::uint32_t type, const Bytes& body) {
        put32(bytes, type);
        put32(bytes, static_cast<std::uint32_t>(8 + (body.size() + 3) / 4 * 4));
        bytes.insert(bytes.end(), body.begin(), body.end());
        while (bytes.size() % 4) bytes.push_back(0);
        ++records;
        return *this;
    }
    Bytes finish() {
        rec(14, {0, 16, 20}); // EOF
        set32(bytes, 48, static_cast<std::uint32_t>(bytes.size()));
        set32(bytes, 52, static_cast<std::uint32_t>(records));
        return bytes;
    }
};

// Common EMF records.
inline constexpr std::uint32_t kSolid = 0, kNull = 1;
inline void emfBrush(Emf& e, std::uint32_t handle, std::uint32_t style, std::uint32_t colorRef) {
    e.rec(39, {handle, style, colorRef, 0}).rec(37, {handle});
}
inline void emfPen(Emf& e, std::uint32_t handle, std::uint32_t style, std::int32_t width,
                   std::uint32_t colorRef) {
    e.rec(38, {handle, style, width, 0, colorRef}).rec(37, {handle});
}
inline void emfNoPen(Emf& e) {
    e.rec(37, {0x80000008});
}

// A WMF; placeable when `inch` is non-zero (bounding box 0, 0, w, h in those units per inch).
struct Wmf {
    Bytes bytes;
    std::size_t headerAt = 0;

    explicit Wmf(int w = 0, int h = 0, int inch = 0, std::uint16_t objects = 8) {
        if (inch) {
            put32(bytes, 0x9AC6CDD7);
            put16(bytes, 0);
            for (int v : {0, 0, w, h}) put16(bytes, static_cast<std::uint16_t>(v));
            put16(bytes, static_cast<std::uint16_t>(inch));
            put32(bytes, 0);
            put16(bytes, 0); // checksum (not verified by players)
            headerAt = 22;
        }
        put16(bytes, 1);
        put16(bytes, 9);
        put16(bytes, 0x300);
        put32(bytes, 0); // size in words, patched
        put16(bytes, objects);
        put32(bytes, 0);
        put16(bytes, 0);
    }
    // A record with 16-bit parameters.
    Wmf& rec(std::uint16_t fn, std::initializer_list<std::int32_t> params) {
        put32(bytes, static_cast<std::uint32_t>(3 + params.size()));
        put16(bytes, fn);
        for (std::int32_t v : params) put16(bytes, static_cast<std::uint16_t>(v));
        return *this;
    }
    Wmf& raw(std::uint16_t fn, const Bytes& params) {
        put32(bytes, static_cast<std::uint32_t>(3 + (params.size() + 1) / 2));
        put16(bytes, fn);
        bytes.insert(bytes.end(), params.begin(), params.end());
        if (params.size() % 2) bytes.push_back(0);
        return *this;
    }
    Bytes finish() {
        rec(0, {});
        set32(bytes, headerAt + 6, static_cast<std::uint32_t>(bytes.size() - headerAt) / 2);
        std::uint32_t largest = 0;
        for (std::size_t at = headerAt + 18; at + 4 <= bytes.size();) {
            const std::uint32_t words =
                bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
            if (words < 3) break; // a deliberately broken record
            largest = std::max(largest, words);
            at += 2 * std::size_t{words};
        }
        set32(bytes, headerAt + 12, largest);
        return bytes;
    }
};

// A bottom-up DIB (BITMAPINFOHEADER + palette + rows) of w × h with the given bit depth; `row` bytes are
// repeated for every row (already padded to 4 bytes by the caller).
inline Bytes dib(int w, int h, int bpp, const std::vector<std::uint32_t>& palette,
                 const std::vector<Bytes>& rows) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(w));
    put32(b, static_cast<std::uint32_t>(h));
    put16(b, 1);
    put16(b, static_cast<std::uint16_t>(bpp));
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, static_cast<std::uint32_t>(palette.size()));
    put32(b, 0);
    for (std::uint32_t c : palette) put32(b, c);
    for (const Bytes& r : rows) b.insert(b.end(), r.begin(), r.end());
    return b;
}

inline vorlin::gfx::DecodedPicture decode(const Bytes& b, const vorlin::gfx::MetafileLimits& limits = {}) {
    return vorlin::gfx::decodeMetafileData(b.data(), b.size(), "test.emf", limits);
}

inline bool painted(const vorlin::gfx::DecodedPicture& p, int x, int y) {
    return p.alpha[static_cast<std::size_t>(y) * p.pixels.width() + x] != 0;
}

} // namespace metafile_test
