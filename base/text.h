#pragma once
// Small text helpers the whole program shares. Letter case here is ASCII only and independent of the
// locale: the names the program compares itself (extensions, INI sections and keys, script constants)
// compare the same on every machine, and bytes of UTF-8 sequences are left alone.
#include <string>
#include <string_view>

namespace vorlin {

constexpr char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `s` with ASCII letters in lower case.
std::string lower(std::string s);

// `s` without the spaces and tabs at either end.
std::string_view trimSpaces(std::string_view s);

// `s` with each backslash doubled and each of the `controls` (any of line feed, carriage return and tab)
// written as \n, \r or \t, the escapes desktop entries and line-based lists read back.
std::string backslashEscaped(std::string_view s, std::string_view controls);

// Appends the code point `c` (at most U+10FFFF, no surrogate) to `out` in UTF-8.
void appendUtf8(std::string& out, char32_t c);

} // namespace vorlin
