// Reading and writing install lists, and finding the other installed shows (see install_list.h).
#include "vorlinbuild/install_list.h"

#include "base/text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

// Tabs separate the fields and line feeds the entries; a carriage return is kept as it is.
std::string escapeField(const std::string& s) {
    return backslashEscaped(s, "\t\n");
}

Record splitRecord(const std::string& line) {
    Record fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t')
            fields.emplace_back();
        else if (line[i] == '\\' && i + 1 < line.size()) {
            const char n = line[++i];
            fields.back() += n == 't' ? '\t' : n == 'n' ? '\n' : n;
        } else
            fields.back() += line[i];
    }
    return fields;
}

// Installation folders lie directly in the programs folder or a little deeper; sample folders below them
// are not searched.
constexpr int kListDepth = 3;

} // namespace

std::string formatInstallList(const std::string& title, const std::vector<Record>& records) {
    std::string list = "title\t" + escapeField(title) + "\n";
    for (const auto& r : records) {
        std::string line;
        for (std::size_t i = 0; i < r.size(); ++i) line += (i ? "\t" : "") + escapeField(r[i]);
        list += line + "\n";
    }
    return list;
}

InstallList readInstallList(const std::string& path) {
    InstallList list;
    list.path = path;
    std::ifstream f(path);
    for (std::string line; std::getline(f, line);) {
        Record r = splitRecord(line);
        if (r[0] == "title" && r.size() > 1)
            list.title = r[1];
        else if (!line.empty())
            list.records.push_back(std::move(r));
    }
    return list;
}

std::vector<InstallList> otherInstallLists(const std::string& programsFolder, const std::string& self) {
    std::vector<std::pair<fs::file_time_type, InstallList>> found;
    std::error_code ec;
    const fs::path me = fs::path(self).lexically_normal();
    for (auto it = fs::recursive_directory_iterator(programsFolder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it.depth() >= kListDepth) it.disable_recursion_pending();
        if (it->path().filename() != "unins000.dat" || it->path().lexically_normal() == me) continue;
        std::error_code tec;
        const auto written = fs::last_write_time(it->path(), tec);
        found.emplace_back(written, readInstallList(it->path().string()));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<InstallList> lists;
    for (auto& [t, l] : found) lists.push_back(std::move(l));
    return lists;
}

bool namedByOthers(const std::vector<InstallList>& others, const std::vector<std::string>& kinds,
                   const std::string& path) {
    const fs::path p = fs::path(path).lexically_normal();
    for (const auto& list : others)
        for (const auto& r : list.records)
            if (r.size() > 1 && std::find(kinds.begin(), kinds.end(), r[0]) != kinds.end() &&
                fs::path(r[1]).lexically_normal() == p)
                return true;
    return false;
}

} // namespace vorlin::vorlinbuild
