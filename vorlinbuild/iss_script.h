#pragma once
// The installer script as vorlinbuild and the installer read it: the sections and parameters the builder
// writes, in the script language's quoting. No Qt here.
//
// Lines end in CRLF or LF; blank lines and lines starting with ";" are skipped. "[Name]" opens a section.
// In [Setup] a line is "Directive=value" (a value in double quotes loses them, "" inside is one quote).
// In the other sections a line is parameters "Name: value" separated by ";"; a value in double quotes may
// hold ";" and doubled quotes. Constants ("{app}") are kept as written; expandConstants() resolves them,
// "{{" standing for "{". A malformed line is an error naming the file, the line number and the fault.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One line of [Files], [Registry], [INI] or [Icons]: parameter names in lower case.
using ScriptEntry = std::map<std::string, std::string>;

struct IssScript {
    std::map<std::string, std::string> setup; // directive names in lower case
    std::vector<ScriptEntry> files, registry, ini, icons;
};

// Parses script text; `name` is the file name used in errors.
IssScript parseScript(const std::string& text, const std::string& name);
IssScript readScript(const std::string& path);

// The text with each "{constant}" replaced by its value from `values` (names in lower case) and "{{" by
// "{". An unknown or unclosed constant is a ScriptError.
std::string expandConstants(const std::string& text, const std::map<std::string, std::string>& values);

// The content of a double-quoted parameter for `text` (quotes and "{" doubled). Line breaks cannot be
// carried: a ScriptError.
std::string quoteParameter(const std::string& text);

// Writes a script back in the form parseScript reads (CRLF, every parameter quoted).
std::string formatScript(const IssScript& script);

} // namespace vorlin::vorlinbuild
