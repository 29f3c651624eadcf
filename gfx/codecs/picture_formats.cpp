#include "gfx/codecs/picture_formats.h"

namespace vorlin::gfx {

PictureFormat pictureFormatForPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return PictureFormat::Unknown;
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (ext == ".JPG" || ext == ".JPEG") return PictureFormat::Jpeg;
    if (ext == ".GIF") return PictureFormat::Gif;
    if (ext == ".BMP") return PictureFormat::Bmp;
    if (ext == ".ICO") return PictureFormat::Ico;
    if (ext == ".WMF") return PictureFormat::Wmf;
    if (ext == ".EMF") return PictureFormat::Emf;
    if (ext == ".PNG") return PictureFormat::Png;
    if (ext == ".WEBP") return PictureFormat::Webp;
    return PictureFormat::Unknown;
}

} // namespace vorlin::gfx
