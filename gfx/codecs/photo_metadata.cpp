// Reads the date taken and the title from the EXIF and XMP blocks that metadata_blocks found, with exiv2.
// exiv2 keeps process-wide state (its log level, the XMP toolkit and its namespace registry), so it is set
// up once and every call into it holds one lock: the load-ahead workers of several monitors may read
// metadata at the same time, and the parse of a capped block is short.

#include "gfx/codecs/photo_metadata.h"

#include "gfx/codecs/metadata_blocks.h"
#include "gfx/codecs/metadata_text.h"

#include <exiv2/error.hpp>
#include <exiv2/exif.hpp>
#include <exiv2/value.hpp>
#include <exiv2/xmp_exiv2.hpp>

#include <algorithm>
#include <mutex>
#include <string_view>
#include <vector>

namespace vorlin::gfx {
namespace {

std::mutex& exivLock() {
    static std::mutex lock;
    return lock;
}

// The XMP toolkit's own lock for its namespace registry; it may take it again while holding it.
void lockXmpToolkit(void* data, bool lock) {
    auto* mutex = static_cast<std::recursive_mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

void setUpExiv2Once() {
    static std::once_flag once;
    std::call_once(once, [] {
        static std::recursive_mutex toolkitLock;
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmpToolkit, &toolkitLock);
    });
}

// A language alternative's "x-default" text, else its first; any other value as exiv2 writes it.
std::string xmpText(const Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it == xmp.end()) return {};
    if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&it->value())) {
        if (alt->value_.empty()) return {};
        const auto preferred = alt->value_.find("x-default");
        return preferred != alt->value_.end() ? preferred->second : alt->value_.begin()->second;
    }
    return it->toString();
}

void readXmp(const std::string& packet, PhotoMetadata& out) {
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, packet) != 0) return;
    for (const char* key : {"Xmp.dc.title", "Xmp.dc.description"}) {
        out.title = detail::cleanTitle(xmpText(xmp, key));
        if (!out.title.empty()) return;
    }
}

// The bytes of a text tag stored as ASCII (up to its NUL), bytes or undefined; nothing for any other type
// (numbers would come out as digits).
std::vector<std::uint8_t> bytesOf(const Exiv2::Exifdatum& tag) {
    const Exiv2::TypeId type = tag.typeId();
    if (type != Exiv2::asciiString && type != Exiv2::unsignedByte && type != Exiv2::undefined) return {};
    std::vector<std::uint8_t> bytes(tag.size());
    tag.copy(bytes.data(), Exiv2::littleEndian);
    if (type == Exiv2::asciiString) bytes.erase(std::find(bytes.begin(), bytes.end(), 0), bytes.end());
    return bytes;
}

void readExif(const std::vector<std::uint8_t>& block, PhotoMetadata& out) {
    Exiv2::ExifData exif;
    Exiv2::ExifParser::decode(exif, block.data(), static_cast<std::uint32_t>(block.size()));
    const auto date = exif.findKey(Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"));
    if (date != exif.end() && date->typeId() == Exiv2::asciiString)
        out.taken = detail::parseExifDate(date->toString());
    if (!out.title.empty()) return;
    const auto xpTitle = exif.findKey(Exiv2::ExifKey("Exif.Image.XPTitle"));
    if (xpTitle != exif.end()) {
        out.title = detail::cleanTitle(detail::utf16leToUtf8(bytesOf(*xpTitle)));
        if (!out.title.empty()) return;
    }
    const auto description = exif.findKey(Exiv2::ExifKey("Exif.Image.ImageDescription"));
    if (description != exif.end()) {
        const std::vector<std::uint8_t> text = bytesOf(*description);
        out.title =
            detail::cleanTitle(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    }
}

} // namespace

PhotoMetadata readPhotoMetadata(std::span<const std::uint8_t> file) noexcept {
    PhotoMetadata out;
    try {
        const detail::MetadataBlocks blocks = detail::findMetadataBlocks(file);
        if (blocks.exif.empty() && blocks.xmp.empty()) return out;
        setUpExiv2Once();
        const std::lock_guard hold(exivLock());
        // Each block on its own: a damaged XMP packet leaves the EXIF date, and the other way round.
        if (!blocks.xmp.empty()) {
            try {
                readXmp(blocks.xmp, out);
            } catch (...) {
                out.title.clear();
            }
        }
        if (!blocks.exif.empty()) {
            try {
                readExif(blocks.exif, out);
            } catch (...) {
            }
        }
    } catch (...) {
    }
    return out;
}

} // namespace vorlin::gfx
