// Choosing a free short name (see short_name.h).
#include "vorlinbuild/short_name.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

// Byte length of the first `count` UTF-8 characters of `s`.
std::size_t prefixBytes(const std::string& s, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < s.size() && n < count; ++n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

std::size_t characterCount(const std::string& s) {
    std::size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

bool usable(const fs::path& p, const std::string& target) {
    std::error_code ec;
    const auto st = fs::symlink_status(p, ec);
    if (!fs::exists(st)) return true;
    return fs::is_symlink(st) && fs::read_symlink(p, ec) == fs::path(target);
}

} // namespace

std::string freeShortName(const std::string& wanted, const std::string& target) {
    const fs::path path(wanted);
    const std::string name = path.filename().string();
    const auto tilde = name.rfind('~');
    if (tilde == std::string::npos || tilde == 0) return wanted;
    std::size_t end = tilde + 1;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) ++end;
    if (end == tilde + 1 || (end < name.size() && name[end] != '.')) return wanted;
    const std::string stem = name.substr(0, tilde), extension = name.substr(end);
    // The base stays as long as the wanted one, and at least the 8 characters of the form.
    const std::size_t base = std::max<std::size_t>(8, characterCount(stem) + (end - tilde));
    for (long n = 1; n < 1000000; ++n) {
        const std::string number = "~" + std::to_string(n);
        const std::size_t keep =
            std::min(characterCount(stem), std::max<std::size_t>(base - number.size(), 1));
        const fs::path candidate =
            path.parent_path() / (stem.substr(0, prefixBytes(stem, keep)) + number + extension);
        if (usable(candidate, target)) return candidate.string();
    }
    return wanted;
}

} // namespace vorlin::vorlinbuild
