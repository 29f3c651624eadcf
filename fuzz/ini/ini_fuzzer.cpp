// The INI reader on arbitrary bytes: parsing, listing and reading every key must not fail, and the text a
// write would produce must read back to the same sections, keys and values.

#include "platform/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using vorlin::platform::IniFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto first = IniFile::parse(text);
    const auto second = IniFile::parse(first.serialize());

    const auto sections = first.readSections();
    if (sections != second.readSections()) std::abort();
    for (const auto& section : sections) {
        const auto keys = first.readKeys(section);
        if (keys != second.readKeys(section)) std::abort();
        for (const auto& key : keys) {
            if (!first.keyExists(section, key)) std::abort();
            const std::string value = first.readString(section, key, "");
            if (value != second.readString(section, key, "")) std::abort();
            std::int32_t n;
            if (vorlin::platform::tryParseProfileInteger(value, n) &&
                vorlin::platform::parseProfileInteger(value, n + 1) != n)
                std::abort();
            first.readBool(section, key, true);
        }
    }
    // Writing back the same text is a fixed point.
    if (second.serialize() != first.serialize()) std::abort();
    return 0;
}
