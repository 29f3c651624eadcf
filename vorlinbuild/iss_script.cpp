// Reading and writing the installer script (see iss_script.h).
#include "vorlinbuild/iss_script.h"

#include <cctype>
#include <fstream>
#include <functional>
#include <sstream>

namespace vorlin::vorlinbuild {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Directive and parameter names are words: letters, digits and "_".
bool isWord(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

// Reads a quoted text starting at s[i] == '"'; leaves i after the closing quote.
bool readQuoted(const std::string& s, std::size_t& i, std::string& out) {
    out.clear();
    for (++i; i < s.size(); ++i) {
        if (s[i] != '"') {
            out += s[i];
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '"') {
            out += '"';
            ++i;
            continue;
        }
        ++i;
        return true;
    }
    return false;
}

ScriptEntry parseParameters(const std::string& line, const std::function<void(const std::string&)>& fail) {
    ScriptEntry entry;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        const auto colon = line.find(':', i);
        if (colon == std::string::npos) fail("a parameter without \":\"");
        const std::string name = lower(trim(line.substr(i, colon - i)));
        if (!isWord(name)) fail("a parameter name that is not a word");
        i = colon + 1;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::string value;
        if (i < line.size() && line[i] == '"') {
            if (!readQuoted(line, i, value)) fail("a quoted value without its closing quote");
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
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
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScriptError(path + ": the script cannot be read");
    std::stringstream s;
    s << in.rdbuf();
    return parseScript(s.str(), path);
}

std::string expandConstants(const std::string& text, const std::map<std::string, std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '{') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '{') {
            out += '{';
            ++i;
            continue;
        }
        const auto close = text.find('}', i);
        if (close == std::string::npos) throw ScriptError("an unclosed constant in \"" + text + "\"");
        const std::string key = lower(text.substr(i + 1, close - i - 1));
        const auto it = values.find(key);
        if (it == values.end()) throw ScriptError("the unknown constant {" + key + "} in \"" + text + "\"");
        out += it->second;
        i = close;
    }
    return out;
}

std::string quoteParameter(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n' || c == '\r') throw ScriptError("a line break in \"" + text + "\"");
        out += c;
        if (c == '"') out += '"';
    }
    return out;
}

std::string formatScript(const IssScript& script) {
    std::string out = "[Setup]\r\n";
    for (const auto& [k, v] : script.setup) out += k + "=\"" + quoteParameter(v) + "\"\r\n";
    const auto section = [&](const char* title, const std::vector<ScriptEntry>& list) {
        out += std::string("[") + title + "]\r\n";
        for (const auto& e : list) {
            std::string line;
            for (const auto& [k, v] : e)
                line += (line.empty() ? "" : "; ") + k + ": \"" + quoteParameter(v) + "\"";
            out += line + "\r\n";
        }
    };
    section("Files", script.files);
    section("Registry", script.registry);
    section("INI", script.ini);
    section("Icons", script.icons);
    return out;
}

} // namespace vorlin::vorlinbuild
