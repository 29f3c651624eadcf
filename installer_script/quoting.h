#pragma once
// How text is carried in an installer script: the rules the builder writes by and vorlinbuild and the
// installer read by. No Qt here.
//
// Two layers. Script text may hold constants: "{app}" stands for a place, "{{" for a plain "{". A parameter
// in double quotes carries script text with each '"' doubled, so it may hold ";" and blanks. A line break
// cannot be carried at all: a script line ends there.
//
// So a path goes into a quoted parameter as quoteParameter(literalText(path)), and comes back out as
// expandConstants(the parameter's value, ...).
#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>

namespace vorlin::iss {

// A script that cannot be read, a value that cannot be written, or a constant that cannot be expanded.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Plain text as script text: every "{" doubled, so no part of it reads as a constant.
std::string literalText(const std::string& text);

// False when `text` holds a line break, which no script line can carry.
bool canCarry(const std::string& text);

// The content of a double-quoted parameter for script text: '"' doubled. A line break is a ScriptError.
std::string quoteParameter(const std::string& text);

// Reads a quoted parameter starting at s[i] == '"' into `out` ("" standing for '"'); leaves i after the
// closing quote. False when the closing quote is missing.
bool readQuoted(const std::string& s, std::size_t& i, std::string& out);

// Script text with each "{constant}" replaced by its value from `values` (names in lower case, the
// constant's letter case ignored) and "{{" by "{". An unknown or unclosed constant is a ScriptError.
std::string expandConstants(const std::string& text, const std::map<std::string, std::string>& values);

} // namespace vorlin::iss
