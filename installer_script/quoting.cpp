// How text is carried in an installer script (see quoting.h).
#include "installer_script/quoting.h"

#include "base/text.h"

namespace vorlin::iss {

std::string literalText(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '{') out += '{';
    }
    return out;
}

bool canCarry(const std::string& text) {
    return text.find_first_of("\r\n") == std::string::npos;
}

std::string quoteParameter(const std::string& text) {
    if (!canCarry(text)) throw ScriptError("a line break in \"" + text + "\"");
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    return out;
}

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

} // namespace vorlin::iss
