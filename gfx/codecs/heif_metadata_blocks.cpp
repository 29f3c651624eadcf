// The metadata items of a HEIF/AVIF file's primary image, through libheif: "Exif" items (a 4-byte
// big-endian offset to the TIFF header, then the block) and "mime" items of type application/rdf+xml (XMP).
// Only the container is parsed; no picture is decoded.

#include "gfx/codecs/metadata_blocks.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vorlin::gfx::detail {
namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};

// An item larger than this is not read at all (an EXIF block is cut to kMaxExifBytes after reading).
constexpr std::size_t kMaxItemBytes = kMaxXmpBytes;

} // namespace

MetadataBlocks findHeifMetadataBlocks(std::span<const std::uint8_t> file) {
    MetadataBlocks blocks;
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) return blocks;
    if (heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr).code !=
        heif_error_Ok)
        return blocks;
    heif_image_handle* raw = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &raw).code != heif_error_Ok || !raw)
        return blocks;
    std::unique_ptr<heif_image_handle, HandleRelease> handle(raw);

    const int count = heif_image_handle_get_number_of_metadata_blocks(handle.get(), nullptr);
    if (count <= 0) return blocks;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    ids.resize(static_cast<std::size_t>(
        heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), nullptr, ids.data(), count)));
    for (const heif_item_id id : ids) {
        const char* type = heif_image_handle_get_metadata_type(handle.get(), id);
        const char* contentType = heif_image_handle_get_metadata_content_type(handle.get(), id);
        const bool exif = type && std::strcmp(type, "Exif") == 0;
        const bool xmp = type && std::strcmp(type, "mime") == 0 && contentType &&
                         std::strcmp(contentType, "application/rdf+xml") == 0;
        const std::size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
        if ((!exif && !xmp) || size == 0 || size > kMaxItemBytes) continue;
        std::vector<std::uint8_t> item(size);
        if (heif_image_handle_get_metadata(handle.get(), id, item.data()).code != heif_error_Ok) continue;
        if (xmp) {
            keepXmpBlock(blocks, item);
            continue;
        }
        if (item.size() < 4) continue;
        const std::size_t offset =
            std::size_t{item[0]} << 24 | std::size_t{item[1]} << 16 | std::size_t{item[2]} << 8 | item[3];
        if (offset <= item.size() - 4) keepExifBlock(blocks, std::span(item).subspan(4 + offset));
    }
    return blocks;
}

} // namespace vorlin::gfx::detail
