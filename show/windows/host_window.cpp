#include "show/windows/host_window.h"

#include <cerrno>
#include <cstdlib>

namespace vorlin::showwindows {

std::optional<std::uint32_t> parseWindowId(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    std::string s = text.substr(start);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n')) s.pop_back();
    if (s.empty() || s[0] == '-' || s[0] == '+') return std::nullopt;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        base = 16;
    else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(s.c_str(), &end, base);
    if (errno != 0 || end == s.c_str() || *end != '\0') return std::nullopt;
    if (value == 0 || value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> xscreensaverWindow() {
    const char* v = std::getenv("XSCREENSAVER_WINDOW");
    if (!v) return std::nullopt;
    return parseWindowId(v);
}

} // namespace vorlin::showwindows
