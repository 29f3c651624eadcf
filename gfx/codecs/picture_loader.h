#pragma once
// The picture loading rules of the show and the builder:
//  - the format comes from the file's extension in upper case: ".JPG"/".JPEG" and ".GIF" have their own
//    decoders, every other extension goes to the general loader (".BMP", ".ICO", ".WMF", ".EMF", ".PNG",
//    ".WEBP", ".HEIC", ".HEIF", ".AVIF"); anything else is an error;
//  - everything but JPEG and BMP is flattened onto a colour (its transparent parts take the colour);
//  - optionally the picture is shrunk into a box by the fit-inside rule.

#include "gfx/codecs/codecs.h"
#include "gfx/codecs/fit_inside.h"
#include "gfx/codecs/picture_formats.h"

#include <atomic>
#include <optional>
#include <string>

namespace vorlin::gfx {

// Decodes a file by its extension. `jpegBox` is passed to the JPEG decoder as its shrink hint.
DecodedPicture decodePictureFile(const std::string& path, std::optional<PictureSize> jpegBox = {});

// The picture drawn onto a bitmap of its size filled with `fill` (alpha blending; a picture without an
// alpha plane comes back unchanged).
Bitmap flatten(const DecodedPicture& picture, Color fill);

// Loads a file by the rules above for where it will be shown: decoded by extension, only the part the fit
// keeps and at its size (see picture_fit.h), flattened onto `fill` unless it is a JPEG or a BMP. The
// loading gives up with a PictureError once `cancel` is set. Throws PictureError. Any thread.
Bitmap loadFittedPicture(const std::string& path, Color fill, const PictureFit& fit,
                         const std::atomic<bool>* cancel = nullptr);

// Loads a file by the rules above: decoded by extension, flattened onto `fill` unless it is a JPEG or a
// BMP, and shrunk into `box` when one is given. A JPEG that will only be shrunk is decoded at a reduced
// DCT scale where that still covers the fitted size. Throws PictureError.
Bitmap loadPicture(const std::string& path, Color fill, std::optional<PictureSize> box = {});

// The builder's loader: nothing for an empty file name; otherwise loadPicture with the box
// MaxWidth × MaxHeight when both are > 0, the result copied into Bitmap. Throws PictureError.
void LoadPictureToBitmap(Bitmap& bitmap, const std::string& FileName, int MaxWidth, Color color,
                         int MaxHeight);

// Padding after a load: where a picture of one side lands in a padded side (half the difference,
// halves to even, plus 1), and the padded picture itself: max(picture, reference) + 3 in each
// direction, filled with `fill`, the picture copied unscaled at the padding offsets.
int padOffset(int paddedSide, int pictureSide);
Bitmap padPicture(const Bitmap& picture, int referenceWidth, int referenceHeight, Color fill);

} // namespace vorlin::gfx
