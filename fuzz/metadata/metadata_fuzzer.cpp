// The photo metadata reader on arbitrary input, three ways: the input as a whole file (the container
// walkers and libheif), wrapped as a JPEG's EXIF block (exiv2's TIFF parser) and wrapped as a PNG's XMP
// packet (exiv2's XMP parser). Fields left empty are the expected answer to most inputs; a crash, a
// sanitizer report, a hang or a field outside its rules is a finding.

#include "gfx/codecs/photo_metadata.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

using vorlin::gfx::PhotoMetadata;

void check(const PhotoMetadata& m) {
    if (m.title.size() > 2048) __builtin_trap();
    for (const char c : m.title)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
    if (m.taken && (m.taken->month < 1 || m.taken->month > 12 || m.taken->day < 1 || m.taken->day > 31 ||
                    m.taken->hour > 23 || m.taken->minute > 59 || m.taken->second > 59))
        __builtin_trap();
}

std::vector<std::uint8_t> wrapped(std::span<const std::uint8_t> prefix, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> file(prefix.begin(), prefix.end());
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    check(vorlin::gfx::readPhotoMetadata(input));

    const std::span<const std::uint8_t> block = input.first(std::min<std::size_t>(size, 0xFFFF - 8));
    const std::size_t length = block.size() + 8;
    const std::uint8_t jpeg[] = {0xFF,
                                 0xD8,
                                 0xFF,
                                 0xE1,
                                 static_cast<std::uint8_t>(length >> 8),
                                 static_cast<std::uint8_t>(length),
                                 'E',
                                 'x',
                                 'i',
                                 'f',
                                 0,
                                 0};
    check(vorlin::gfx::readPhotoMetadata(wrapped(jpeg, block)));

    static constexpr char kPng[] = "\x89PNG\r\n\x1a\n\x7f\xff\xff\xffiTXtXML:com.adobe.xmp\0\0\0\0\0";
    check(vorlin::gfx::readPhotoMetadata(
        wrapped(std::span(reinterpret_cast<const std::uint8_t*>(kPng), sizeof kPng - 1), input)));
    return 0;
}
