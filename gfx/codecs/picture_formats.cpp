#include "gfx/codecs/picture_formats.h"

namespace vorlin::gfx {

PictureFormat pictureFormatForPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return PictureFormat::Unknown;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const PictureExtension& e : kPictureExtensions)
        if (ext == e.extension) return e.format;
    return PictureFormat::Unknown;
}

} // namespace vorlin::gfx
