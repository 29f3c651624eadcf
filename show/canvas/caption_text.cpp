#include "show/canvas/caption_text.h"

namespace vorlin::canvas {
namespace {

// The last component of a path without its extension. A name that starts with its only dot (".hidden")
// has no extension.
std::string fileTitle(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    // A file name may hold control characters (a line break): drawn as spaces on one line.
    std::string title(name);
    for (char& c : title)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return title;
}

} // namespace

bool captionNeedsMetadata(std::int32_t mode) {
    return mode == show::cpDateTaken || mode == show::cpTitle;
}

CaptionContent captionFor(std::int32_t mode, std::string_view path, const gfx::PhotoMetadata& metadata) {
    CaptionContent caption;
    switch (mode) {
    case show::cpFileName:
        caption.text = fileTitle(path);
        break;
    case show::cpDateTaken:
        caption.date = metadata.taken;
        break;
    case show::cpTitle:
        caption.text = metadata.title;
        break;
    default:
        break;
    }
    return caption;
}

} // namespace vorlin::canvas
