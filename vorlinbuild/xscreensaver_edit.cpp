// Editing ~/.xscreensaver (see xscreensaver_edit.h).
#include "vorlinbuild/xscreensaver_edit.h"

#include <algorithm>
#include <cstdlib>

#include "base/text.h"

namespace vorlin::vorlinbuild {
namespace {

// The lines of the programs resource in ~/.xscreensaver: [first, last] and its entries.
struct ProgramsBlock {
    std::vector<std::string> lines;
    std::size_t first = std::string::npos, last = 0;
    std::vector<std::string> entries;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else
            cur += c;
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

std::string trimmed(const std::string& s) {
    return std::string(trimSpaces(s));
}

ProgramsBlock readPrograms(const std::string& text) {
    ProgramsBlock b;
    b.lines = splitLines(text);
    for (std::size_t i = 0; i < b.lines.size(); ++i)
        if (b.lines[i].rfind("programs:", 0) == 0) {
            b.first = i;
            break;
        }
    if (b.first == std::string::npos) return b;
    std::string value = b.lines[b.first].substr(9);
    std::size_t i = b.first;
    while (!value.empty() && value.back() == '\\' && i + 1 < b.lines.size()) {
        value.pop_back();
        value += b.lines[++i];
    }
    if (!value.empty() && value.back() == '\\') value.pop_back();
    b.last = i;
    std::size_t from = 0;
    while (from <= value.size()) {
        auto at = value.find("\\n", from);
        if (at == std::string::npos) at = value.size();
        const std::string e = trimmed(value.substr(from, at - from));
        if (!e.empty()) b.entries.push_back(e);
        from = at + 2;
    }
    return b;
}

std::string writePrograms(ProgramsBlock b) {
    std::vector<std::string> block = {"programs:\t\t\t\t\t\t\t\t      \\"};
    for (const auto& e : b.entries) block.push_back("\t\t\t\t  " + e + " \\n\\");
    block.push_back("");
    if (b.first == std::string::npos) {
        b.lines.insert(b.lines.end(), block.begin(), block.end());
    } else {
        b.lines.erase(b.lines.begin() + b.first, b.lines.begin() + b.last + 1);
        b.lines.insert(b.lines.begin() + b.first, block.begin(), block.end());
    }
    std::string out;
    for (const auto& l : b.lines) out += l + "\n";
    return out;
}

// Sets (or, with an empty value, removes) the resource line "name:".
void setResource(std::vector<std::string>& lines, const std::string& name, const std::string& value) {
    for (auto it = lines.begin(); it != lines.end(); ++it)
        if (it->rfind(name + ":", 0) == 0) {
            if (value.empty())
                lines.erase(it);
            else
                *it = name + ":\t\t" + value;
            return;
        }
    if (!value.empty()) lines.insert(lines.begin(), name + ":\t\t" + value);
}

std::string resource(const std::vector<std::string>& lines, const std::string& name) {
    for (const auto& l : lines)
        if (l.rfind(name + ":", 0) == 0) return trimmed(l.substr(name.size() + 1));
    return {};
}

const XssShow* showAt(const std::vector<XssShow>& ours, const std::vector<std::string>& entries,
                      const std::string& index) {
    if (index.empty() || index.size() > 9 || index.find_first_not_of("0123456789") != std::string::npos)
        return nullptr;
    const auto i = std::stoul(index);
    if (i >= entries.size()) return nullptr;
    const auto it =
        std::find_if(ours.begin(), ours.end(), [&](const XssShow& s) { return s.entry == entries[i]; });
    return it == ours.end() ? nullptr : &*it;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

} // namespace

std::string xssAddProgram(const std::string& text, const std::string& entry, XssPrevious& previous,
                          const std::vector<XssShow>& ours) {
    ProgramsBlock b = readPrograms(text);
    previous.created = text.empty();
    previous.mode = resource(b.lines, "mode");
    previous.selected = resource(b.lines, "selected");
    // While another of our shows is selected, the user's own choice is the one that show kept.
    if (const XssShow* selected = showAt(ours, b.entries, previous.selected)) {
        if (previous.mode == "one") previous.mode = selected->previous.mode;
        previous.selected = selected->previous.selected;
        previous.created = selected->previous.created;
    }
    std::erase(b.entries, entry);
    b.entries.push_back(entry);
    std::vector<std::string> lines = splitLines(writePrograms(b));
    setResource(lines, "mode", "one");
    setResource(lines, "selected", std::to_string(b.entries.size() - 1));
    return joinLines(lines);
}

std::string xssRemoveProgram(const std::string& text, const std::string& entry, const XssPrevious& previous,
                             const std::vector<XssShow>& ours) {
    ProgramsBlock b = readPrograms(text);
    const auto it = std::find(b.entries.begin(), b.entries.end(), entry);
    if (it == b.entries.end()) return text;
    const long index = it - b.entries.begin();
    b.entries.erase(it);
    std::vector<std::string> lines = splitLines(writePrograms(b));
    const std::string selected = resource(lines, "selected");
    if (selected == std::to_string(index)) {
        // The newest of our shows still listed takes over; with none left the user's own choice returns.
        long successor = -1;
        for (long i = 0; i < static_cast<long>(b.entries.size()); ++i)
            if (std::any_of(ours.begin(), ours.end(),
                            [&](const XssShow& s) { return s.entry == b.entries[i]; }))
                successor = i;
        if (successor >= 0) {
            setResource(lines, "selected", std::to_string(successor));
        } else {
            // A mode the user chose since stays; the one the installation set goes.
            if (resource(lines, "mode") == "one") setResource(lines, "mode", previous.mode);
            setResource(lines, "selected", previous.selected);
        }
    } else if (!selected.empty() && std::atol(selected.c_str()) > index) {
        setResource(lines, "selected", std::to_string(std::atol(selected.c_str()) - 1));
    }
    return joinLines(lines);
}

std::vector<std::string> xssPrograms(const std::string& text) {
    return readPrograms(text).entries;
}

std::string shellQuote(const std::string& text) {
    std::string q;
    for (char c : text) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') q += '\\';
        q += c;
    }
    return q;
}

} // namespace vorlin::vorlinbuild
