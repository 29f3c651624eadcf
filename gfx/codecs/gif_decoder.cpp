// The first image of a GIF file through giflib, on the file's logical screen. The screen starts fully
// transparent; the image's pixels are opaque except where the transparent colour of the graphic control
// block before it is used. Colour indices beyond the colour table give black. When the image data ends
// early the rows already read are kept.

#include "gfx/codecs/codec_util.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <gif_lib.h>

namespace vorlin::gfx {

using detail::fail;

namespace {

struct Source {
    ByteSpan data;
    std::size_t pos = 0;
};

int readBytes(GifFileType* gif, GifByteType* buf, int len) {
    auto* s = static_cast<Source*>(gif->UserData);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(len, 0)), s->data.size() - s->pos);
    if (n == 0) return 0;
    std::memcpy(buf, s->data.data() + s->pos, n);
    s->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* g) const {
        int err = 0;
        DGifCloseFile(g, &err);
    }
};

std::string gifFault(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "unreadable GIF data";
}

} // namespace

DecodedPicture decodeGif(ByteSpan data, const std::string& name, const DecodeLimits& limits) {
    Source src{data};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&src, readBytes, &error));
    if (!gif) fail(name, gifFault(error));

    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) fail(name, gifFault(gif->Error));
        if (type == TERMINATE_RECORD_TYPE) fail(name, "GIF file without an image");
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) fail(name, gifFault(gif->Error));
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
                GraphicsControlBlock gcb{};
                DGifExtensionToGCB(ext[0], ext + 1, &gcb);
                transparent = gcb.TransparentColor;
            }
            while (ext) // skip the extension's other sub-blocks
                if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) fail(name, gifFault(gif->Error));
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) fail(name, gifFault(gif->Error));
        break;
    }

    const GifImageDesc& img = gif->Image;
    // A screen of 0 × 0 (some writers) takes the image's extent.
    long long screenW = gif->SWidth, screenH = gif->SHeight;
    if (screenW == 0 || screenH == 0) {
        screenW = static_cast<long long>(img.Left) + img.Width;
        screenH = static_cast<long long>(img.Top) + img.Height;
    }
    detail::checkPictureSize(screenW, screenH, limits, name);
    if (img.Width <= 0 || img.Height <= 0) fail(name, "empty image");
    if (static_cast<long long>(img.Width) * img.Height > limits.maxPixels) fail(name, "image too large");
    const ColorMapObject* map = img.ColorMap ? img.ColorMap : gif->SColorMap;
    if (!map) fail(name, "no colour table");

    std::array<Color, 256> palette{};
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
        palette[i] = Color{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};

    DecodedPicture out;
    out.pixels = Bitmap(static_cast<int>(screenW), static_cast<int>(screenH));
    out.alpha.assign(static_cast<std::size_t>(screenW * screenH), 0);
    std::vector<GifPixelType> line(static_cast<std::size_t>(img.Width));

    // Interlaced images arrive in four passes: every 8th row from 0, every 8th from 4, every 4th from 2,
    // every 2nd from 1.
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(img.Height));
    if (img.Interlace) {
        const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int r = starts[pass]; r < img.Height; r += steps[pass]) order.push_back(r);
    } else {
        for (int r = 0; r < img.Height; ++r) order.push_back(r);
    }
    for (const int r : order) {
        if (DGifGetLine(gif.get(), line.data(), img.Width) == GIF_ERROR) break; // keep what was read
        const long long y = static_cast<long long>(img.Top) + r;
        if (y >= screenH) continue;
        std::uint8_t* dst = out.pixels.scanLine(static_cast<int>(y));
        std::uint8_t* a = out.alpha.data() + y * screenW;
        for (int i = 0; i < img.Width; ++i) {
            const long long x = static_cast<long long>(img.Left) + i;
            if (x >= screenW) break;
            const int index = line[i];
            if (index == transparent) continue;
            const Color c = palette[index];
            dst[3 * x] = c.b;
            dst[3 * x + 1] = c.g;
            dst[3 * x + 2] = c.r;
            a[x] = 255;
        }
    }
    return out;
}

} // namespace vorlin::gfx
