// The installer script's lines, written and read (see script.h).
#include "installer_script/script.h"

#include <cctype>
#include <functional>

#include "base/text.h"
#include "platform/files.h"

namespace vorlin::iss {
namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    return std::string(trimSpaces(s));
}

// Directive and parameter names are words: letters, digits and "_".
bool isWord(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// A value written without quotes reads back as written: the reader trims blanks, unquotes a value that
// starts with '"', and ends an entry's value at ";".
bool readsBackBare(const std::string& value, bool inEntry) {
    if (value.empty()) return true;
    if (value.front() == '"' || blank(value.front()) || blank(value.back())) return false;
    return !inEntry || value.find(';') == std::string::npos;
}

std::string valueText(const Parameter& p, bool inEntry) {
    if (p.bare && canCarry(p.value) && readsBackBare(p.value, inEntry)) return p.value;
    return "\"" + quoteParameter(p.value) + "\"";
}

ScriptEntry parseParameters(const std::string& line, const std::function<void(const std::string&)>& fail) {
    ScriptEntry entry;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i >= line.size()) break;
        const auto colon = line.find(':', i);
        if (colon == std::string::npos) fail("a parameter without \":\"");
        const std::string name = lower(trim(line.substr(i, colon - i)));
        if (!isWord(name)) fail("a parameter name that is not a word");
        i = colon + 1;
        while (i < line.size() && blank(line[i])) ++i;
        std::string value;
        if (i < line.size() && line[i] == '"') {
            if (!readQuoted(line, i, value)) fail("a quoted value without its closing quote");
            while (i < line.size() && blank(line[i])) ++i;
            if (i < line.size() && line[i] != ';') fail("text after a quoted value");
        } else {
            const auto semi = line.find(';', i);
            value = trim(line.substr(i, semi == std::string::npos ? std::string::npos : semi - i));
            i = semi == std::string::npos ? line.size() : semi;
        }
        if (entry.count(name)) fail("the parameter \"" + name + "\" twice");
        entry[name] = value;
        if (i < line.size()) ++i; // the ";"
    }
    return entry;
}

} // namespace

std::string sectionLine(const std::string& name) {
    return "[" + name + "]";
}

std::string directiveLine(const Parameter& directive) {
    return directive.name + "=" + valueText(directive, false);
}

std::string entryLine(const std::vector<Parameter>& parameters) {
    std::string line;
    for (const auto& p : parameters)
        line += (line.empty() ? "" : "; ") + p.name + (p.tight ? ":" : ": ") + valueText(p, true);
    return line;
}

IssScript parseScript(const std::string& text, const std::string& name) {
    IssScript script;
    std::string section;
    std::size_t from = 0;
    int number = 0;
    while (from < text.size()) {
        auto nl = text.find('\n', from);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(from, nl - from);
        from = nl + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto fail = [&](const std::string& fault) {
            throw ScriptError(name + ": line " + std::to_string(number) + ": " + fault);
        };
        if (line.find('\0') != std::string::npos) fail("a zero byte");
        const std::string t = trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            if (t.back() != ']') fail("a section name without \"]\"");
            section = lower(trim(t.substr(1, t.size() - 2)));
            continue;
        }
        if (section == "setup") {
            const auto eq = t.find('=');
            if (eq == std::string::npos) fail("a directive without \"=\"");
            std::string value = trim(t.substr(eq + 1));
            if (!value.empty() && value[0] == '"') {
                std::size_t i = 0;
                std::string unq;
                if (!readQuoted(value, i, unq) || i != value.size()) fail("a badly quoted value");
                value = unq;
            }
            const std::string directive = lower(trim(t.substr(0, eq)));
            if (!isWord(directive)) fail("a directive name that is not a word");
            script.setup[directive] = value;
        } else if (section == "files" || section == "registry" || section == "ini" || section == "icons") {
            ScriptEntry e = parseParameters(t, fail);
            auto& list = section == "files"      ? script.files
                         : section == "registry" ? script.registry
                         : section == "ini"      ? script.ini
                                                 : script.icons;
            list.push_back(std::move(e));
        } else {
            fail(section.empty() ? "a line before the first section"
                                 : "a line in the unknown section [" + section + "]");
        }
    }
    return script;
}

IssScript readScript(const std::string& path) {
    const auto text = platform::readWholeFile(path);
    if (!text) throw ScriptError(path + ": the script cannot be read");
    return parseScript(*text, path);
}

std::string formatScript(const IssScript& script) {
    std::string out = sectionLine("Setup") + "\r\n";
    for (const auto& [k, v] : script.setup) out += directiveLine({k, v}) + "\r\n";
    const auto section = [&](const char* title, const std::vector<ScriptEntry>& list) {
        out += sectionLine(title) + "\r\n";
        for (const auto& e : list) {
            std::vector<Parameter> parameters;
            for (const auto& [k, v] : e) parameters.push_back({k, v});
            out += entryLine(parameters) + "\r\n";
        }
    };
    section("Files", script.files);
    section("Registry", script.registry);
    section("INI", script.ini);
    section("Icons", script.icons);
    return out;
}

} // namespace vorlin::iss
