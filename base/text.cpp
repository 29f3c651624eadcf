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

} // namespace vorlin
