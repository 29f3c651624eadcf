#pragma once
// Which picture format a file is, by its extension in upper case: ".JPG"/".JPEG", ".GIF", ".BMP", ".ICO",
// ".WMF", ".EMF", ".PNG" and ".WEBP"; anything else is no picture. The content is not looked at, so the
// show, the builder's lists and folder listings agree on what counts as a picture without opening a file.
// No dependencies, so that code which only lists files need not link the decoders.

#include <string>

namespace vorlin::gfx {

enum class PictureFormat { Jpeg, Gif, Bmp, Ico, Wmf, Emf, Png, Webp, Unknown };

// The format the loading rules pick for a path (by its extension only).
PictureFormat pictureFormatForPath(const std::string& path);

// Whether a file of this name is one of the picture formats above.
inline bool isPictureFileName(const std::string& path) {
    return pictureFormatForPath(path) != PictureFormat::Unknown;
}

} // namespace vorlin::gfx
