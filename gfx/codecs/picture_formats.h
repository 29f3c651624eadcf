#pragma once
// Which picture format a file is, by its extension in any letter case: ".JPG"/".JPEG", ".GIF", ".BMP",
// ".ICO", ".WMF", ".EMF", ".PNG", ".WEBP" and ".HEIC"/".HEIF"/".AVIF"; anything else is no picture. The
// content is not looked at, so the show, the builder's lists and folder listings agree on what counts as
// a picture without opening a file. No dependencies, so that code which only lists files need not link
// the decoders.

#include <array>
#include <string>

namespace vorlin::gfx {

// Heif: HEIC, HEIF and AVIF files (one container; HEVC or AV1 pictures inside).
enum class PictureFormat { Jpeg, Gif, Bmp, Ico, Wmf, Emf, Png, Webp, Heif, Unknown };

// Every picture extension (lower case, without the dot) and its format: the one list the loader, file
// dialogs and drops read.
struct PictureExtension {
    const char* extension;
    PictureFormat format;
};
inline constexpr std::array<PictureExtension, 12> kPictureExtensions{{
    {"gif", PictureFormat::Gif},
    {"jpg", PictureFormat::Jpeg},
    {"jpeg", PictureFormat::Jpeg},
    {"bmp", PictureFormat::Bmp},
    {"wmf", PictureFormat::Wmf},
    {"emf", PictureFormat::Emf},
    {"ico", PictureFormat::Ico},
    {"png", PictureFormat::Png},
    {"webp", PictureFormat::Webp},
    {"heic", PictureFormat::Heif},
    {"heif", PictureFormat::Heif},
    {"avif", PictureFormat::Heif},
}};

// The format the loading rules pick for a path (by its extension only).
PictureFormat pictureFormatForPath(const std::string& path);

// Whether a file of this name is one of the picture formats above.
inline bool isPictureFileName(const std::string& path) {
    return pictureFormatForPath(path) != PictureFormat::Unknown;
}

} // namespace vorlin::gfx
