#include "base/text.h"

namespace vorlin {

std::string lower(std::string s) {
    for (char& c : s) c = lowerAscii(c);
    return s;
}

std::string_view trimSpaces(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string backslashEscaped(std::string_view s, std::string_view controls) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (controls.find(c) != std::string_view::npos && (c == '\n' || c == '\r' || c == '\t')) {
            out += '\\';
            out += c == '\n' ? 'n' : c == '\r' ? 'r' : 't';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace vorlin
