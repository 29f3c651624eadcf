#pragma once
// The installer script's lines: sections, [Setup] directives and the entries of the other sections, as the
// builder writes them and vorlinbuild and the installer read them. Values are script text (quoting.h). No
// Qt here.
//
// Lines end in CRLF or LF; blank lines and lines starting with ";" are skipped. "[Name]" opens a section.
// In [Setup] a line is "Directive=value" (a value in double quotes loses them, "" inside is one quote).
// In the other sections a line is parameters "Name: value" separated by ";"; a value in double quotes may
// hold ";" and doubled quotes. Constants ("{app}") are kept as written. A malformed line is an error naming
// the file, the line number and the fault.
#include <map>
#include <string>
#include <vector>

#include "installer_script/quoting.h"

namespace vorlin::iss {

// ---- writing

// One parameter of an entry line, or a directive, with its value as script text.
struct Parameter {
    std::string name;
    std::string value;
    // Written without quotes ("ValueData: {app}", "AppName=Holiday") when the value reads back so as it
    // is; quoted otherwise.
    bool bare = false;
    // "Source:\"...\"": no blank after the colon, as the builder has always written its Source parameter.
    bool tight = false;
};

std::string sectionLine(const std::string& name);
// "Name=value" or "Name=\"value\"". A value with a line break is a ScriptError.
std::string directiveLine(const Parameter& directive);
// The parameters joined by "; ". A value with a line break is a ScriptError.
std::string entryLine(const std::vector<Parameter>& parameters);

// ---- reading

// One line of [Files], [Registry], [INI] or [Icons]: parameter names in lower case.
using ScriptEntry = std::map<std::string, std::string>;

struct IssScript {
    std::map<std::string, std::string> setup; // directive names in lower case
    std::vector<ScriptEntry> files, registry, ini, icons;
};

// Parses script text; `name` is the file name used in errors.
IssScript parseScript(const std::string& text, const std::string& name);
IssScript readScript(const std::string& path);

// Writes a script back in the form parseScript reads (CRLF, every parameter quoted).
std::string formatScript(const IssScript& script);

} // namespace vorlin::iss
