// How text is carried in an installer script (see quoting.h).
#include "installer_script/quoting.h"

#include "base/text.h"

namespace vorlin::iss {

namespace {

// `text` with every `mark` written twice: how a script carries a mark that means itself.
std::string doubled(const std::string& text, char mark) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == mark) out += mark;
    }
    return out;
}

// Reads the character at s[i] as text: any other character, or `mark` written twice (i then steps over
// both). False at a lone `mark`, which means something to the caller.
bool takeText(const std::string& s, std::size_t& i, char mark, std::string& out) {
    if (s[i] != mark) {
        out += s[i];
        return true;
    }
    if (i + 1 < s.size() && s[i + 1] == mark) {
        out += mark;
        ++i;
        return true;
    }
    return false;
}

} // namespace

std::string literalText(const std::string& text) {
    return doubled(text, '{');
}

bool canCarry(const std::string& text) {
    return text.find_first_of("\r\n") == std::string::npos;
}

std::string quoteParameter(const std::string& text) {
    if (!canCarry(text)) throw ScriptError("a line break in \"" + text + "\"");
    return doubled(text, '"');
}

bool readQuoted(const std::string& s, std::size_t& i, std::string& out) {
    out.clear();
    for (++i; i < s.size(); ++i) {
        if (takeText(s, i, '"', out)) continue;
        ++i; // past the closing quote
        return true;
    }
    return false;
}

std::string expandConstants(const std::string& text, const std::map<std::string, std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (takeText(text, i, '{', out)) continue;
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
