#include "platform/registry.h"

#include "base/text.h"
#include "platform/environment.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vorlin::platform {

namespace {

// Entries are "v:<name>=<type>:<data>". The "v:" prefix gives the default value a non-empty key and keeps
// value names that start with "[" or ";" writable.
std::string entryKey(const std::string& name) {
    return "v:" + name;
}

// String data is escaped so that any text survives the INI format: "\\", "\n", "\r", "\t", "\0", and a
// blank at either end as "\s" / "\x09" forms would be trimmed, so all blanks at the ends are escaped.
std::string escape(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const bool atEdge = i == 0 || i + 1 == s.size();
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\0':
            out += "\\0";
            break;
        case ' ':
            out += atEdge ? "\\s" : " ";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 's':
            out += ' ';
            break;
        default:
            out += s[i];
        }
    }
    return out;
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool checkValueName(const std::string& key, const std::string& name) {
    if (name.find_first_of("\r\n=") != std::string::npos || name != std::string(name.c_str()) ||
        (!name.empty() &&
         (name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t')))
        throw WriteError("registry value name \"" + name + "\" under " + key +
                         " cannot be stored (line break, \"=\", NUL or blanks at its ends)");
    return true;
}

} // namespace

std::string Registry::defaultFile() {
    if (const char* f = std::getenv("VORLIN_REGISTRY"); f && *f) return f;
    return configHome() + "/vorlinsaver/registry.ini";
}

Registry::Registry() : ini_(defaultFile()) {}
Registry::Registry(std::string file) : ini_(std::move(file)) {}

std::string Registry::normalizeKey(const std::string& key) {
    std::string out;
    for (char c : key) {
        if (c == '\\' || c == '/') {
            if (!out.empty() && out.back() != '\\') out += '\\';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

bool Registry::keyExists(const std::string& key) const {
    return ini_.sectionExists(normalizeKey(key));
}

RegistryType Registry::valueType(const std::string& key, const std::string& name) const {
    const auto k = normalizeKey(key);
    if (!ini_.keyExists(k, entryKey(name))) return RegistryType::None;
    const auto raw = ini_.readString(k, entryKey(name), "");
    if (startsWith(raw, "sz:")) return RegistryType::String;
    if (startsWith(raw, "dword:")) return RegistryType::Dword;
    return RegistryType::None;
}

std::optional<std::string> Registry::readString(const std::string& key, const std::string& name) const {
    const auto k = normalizeKey(key);
    if (!ini_.keyExists(k, entryKey(name))) return std::nullopt;
    const auto raw = ini_.readString(k, entryKey(name), "");
    if (!startsWith(raw, "sz:")) return std::nullopt;
    return unescape(raw.substr(3));
}

std::optional<std::uint32_t> Registry::readDword(const std::string& key, const std::string& name) const {
    const auto k = normalizeKey(key);
    if (!ini_.keyExists(k, entryKey(name))) return std::nullopt;
    const auto raw = ini_.readString(k, entryKey(name), "");
    if (!startsWith(raw, "dword:")) return std::nullopt;
    const std::string digits = raw.substr(6);
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long v = std::stoull(digits);
    if (v > 0xFFFFFFFFull) return std::nullopt;
    return std::uint32_t(v);
}

std::vector<std::string> Registry::valueNames(const std::string& key) const {
    std::vector<std::string> names;
    for (const auto& k : ini_.readKeys(normalizeKey(key)))
        if (startsWith(k, "v:")) names.push_back(k.substr(2));
    return names;
}

void Registry::ensureFolder() const {
    const fs::path parent = fs::path(ini_.path()).parent_path();
    std::error_code ec;
    if (!parent.empty()) fs::create_directories(parent, ec); // a failure shows in the write that follows
}

void Registry::writeString(const std::string& key, const std::string& name, const std::string& value) {
    const auto k = normalizeKey(key);
    checkValueName(k, name);
    ensureFolder();
    ini_.writeString(k, entryKey(name), "sz:" + escape(value));
}

void Registry::writeDword(const std::string& key, const std::string& name, std::uint32_t value) {
    const auto k = normalizeKey(key);
    checkValueName(k, name);
    ensureFolder();
    ini_.writeString(k, entryKey(name), "dword:" + std::to_string(value));
}

void Registry::deleteValue(const std::string& key, const std::string& name) {
    if (!ini_.keyExists(normalizeKey(key), entryKey(name))) return;
    ini_.deleteKey(normalizeKey(key), entryKey(name));
}

void Registry::deleteKey(const std::string& key) {
    const auto k = normalizeKey(key);
    const std::string lowerK = lower(k);
    const auto sections = ini_.snapshot().readSections();
    auto batch = ini_.batch();
    bool any = false;
    for (const auto& s : sections) {
        const std::string ls = lower(s);
        if (ls == lowerK || ls.rfind(lowerK + "\\", 0) == 0) {
            batch.eraseSection(s);
            any = true;
        }
    }
    if (any) batch.commit();
}

} // namespace vorlin::platform
