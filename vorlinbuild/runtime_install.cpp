// The installer's side of the runtime (see runtime_install.h).
#include "vorlinbuild/runtime_install.h"

#include <gnu/libc-version.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>

#include "vorlinbuild/elf_file.h"
#include "vorlinbuild/run_program.h"
#include "vorlinbuild/runtime_closure.h"
#include "vorlinbuild/system_libraries.h"

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

std::string listed(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return out;
}

struct Lacks {
    std::map<std::string, std::set<std::string>> missing; // soname -> who needs it
    std::map<std::string, std::set<std::string>> tooOld;  // soname -> versions it lacks
};

Lacks lacksOf(const std::vector<std::string>& roots, const LibraryResolver& resolver) {
    Lacks lacks;
    std::vector<std::string> readable;
    for (const auto& r : roots)
        if (readElf(r)) readable.push_back(r);
    if (readable.empty()) return lacks;
    const RuntimeClosure closure = findClosure(readable, resolver);
    lacks.missing = closure.missing;
    const auto from = *readElf(readable.front());
    for (const auto& [soname, versions] : closure.systemNeeds) {
        const std::string path = resolver.find(soname, readable.front(), from);
        if (path.empty()) {
            lacks.missing[soname];
            continue;
        }
        const auto info = readElf(path);
        for (const auto& v : versions)
            if (!info || !info->versionsDefined.count(v)) lacks.tooOld[soname].insert(v);
    }
    return lacks;
}

} // namespace

std::string glibcVersionHere() {
    return gnu_get_libc_version();
}

std::string glibcxxVersionHere() {
    const LibraryResolver resolver;
    const auto self = readElf("/proc/self/exe");
    if (!self) return {};
    const std::string path = resolver.find("libstdc++.so.6", "/proc/self/exe", *self);
    const auto info = path.empty() ? std::nullopt : readElf(path);
    return info ? highestVersion(info->versionsDefined, "GLIBCXX_") : std::string();
}

std::string versionProblem(const RuntimePack& need, const std::string& title, const std::string& glibcHave,
                           const std::string& glibcxxHave) {
    std::vector<std::string> faults;
    if (!need.glibc.empty() && compareVersions(glibcHave, need.glibc) < 0)
        faults.push_back("the GNU C library (glibc) " + need.glibc + " or newer, and this system has glibc " +
                         glibcHave);
    if (!need.glibcxx.empty() && compareVersions(glibcxxHave, need.glibcxx) < 0)
        faults.push_back("the GNU C++ library with GLIBCXX_" + need.glibcxx +
                         " or newer, and this system has " +
                         (glibcxxHave.empty() ? std::string("none") : "GLIBCXX_" + glibcxxHave));
    if (faults.empty()) return {};
    std::string text = "\"" + title + "\" cannot be installed on this computer: it needs ";
    for (std::size_t i = 0; i < faults.size(); ++i) text += (i ? "; it also needs " : "") + faults[i];
    return text + ". It runs on systems with glibc " + need.glibc +
           " or newer (for example Debian 12, Ubuntu 22.04, Fedora 36 and later). Nothing was installed.";
}

bool installRuntimeFolder(const std::string& from, const std::string& to) {
    std::error_code ec;
    const bool created = !fs::exists(to, ec);
    std::vector<fs::path> added;
    try {
        fs::create_directories(to);
        for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator();
             ++it) {
            const fs::path target = fs::path(to) / fs::relative(it->path(), from);
            if (it->is_directory()) {
                fs::create_directories(target);
                continue;
            }
            // A file already there came from an earlier saver of the same version: it is the same file.
            if (fs::exists(target, ec) && fs::file_size(target, ec) == it->file_size()) continue;
            const fs::path part = target.string() + ".part";
            fs::copy_file(it->path(), part, fs::copy_options::overwrite_existing);
            fs::rename(part, target);
            added.push_back(target);
        }
    } catch (const std::exception& e) {
        if (created)
            fs::remove_all(to, ec);
        else
            for (const auto& f : added) fs::remove(f, ec);
        throw std::runtime_error("cannot install the runtime into " + to + ": " + e.what());
    }
    return created;
}

void runtimeFiles(const std::string& runtimeFolder, std::vector<std::string>& required,
                  std::vector<std::string>& optional) {
    std::error_code ec;
    const fs::path plugins = fs::path(runtimeFolder) / "plugins";
    for (auto it = fs::recursive_directory_iterator(plugins, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file())
            (it->path().filename() == "libqxcb.so" ? required : optional).push_back(it->path().string());
}

std::string missingOnThisMachine(const std::string& title, const std::vector<std::string>& required,
                                 const std::vector<std::string>& optional, std::vector<std::string>& notes,
                                 const LibraryResolver& resolver) {
    for (const auto& file : optional) {
        const Lacks l = lacksOf({file}, resolver);
        std::vector<std::string> names;
        for (const auto& m : l.missing) names.push_back(m.first);
        for (const auto& m : l.tooOld) names.push_back(m.first + " (too old)");
        if (!names.empty())
            notes.push_back(fs::path(file).filename().string() + " will not load here: it needs " +
                            listed(names));
    }
    const Lacks lacks = lacksOf(required, resolver);
    if (lacks.missing.empty() && lacks.tooOld.empty()) return {};

    // One sentence part per group of the system list, so the person learns what to install.
    std::map<const SystemLibraryGroup*, std::vector<std::string>> byGroup;
    std::vector<std::string> parts;
    for (const auto& m : lacks.missing) byGroup[systemGroupOf(m.first)].push_back(m.first);
    for (const auto& [group, names] : byGroup) {
        if (group)
            parts.push_back(listed(names) + " (" + group->what + "; " + group->install + ")");
        else
            parts.push_back(listed(names) + " (these should have come with the installer: it is damaged)");
    }
    std::string text = "\"" + title + "\" cannot run on this computer, so it was not installed. ";
    if (!parts.empty()) text += "It needs " + listed(parts) + ", which this system does not have. ";
    for (const auto& [soname, versions] : lacks.tooOld) {
        std::vector<std::string> v(versions.begin(), versions.end());
        text += "This system's " + soname + " is too old: it lacks " + listed(v) + ". ";
    }
    return text + "Install what is named with the system's package manager, then run this installer again.";
}

void checkInstalledSaver(const std::string& title, const std::vector<std::string>& installed,
                         const std::string& runtimeFolder, std::ostream& out) {
    std::vector<std::string> required, optional;
    std::string saver;
    for (const auto& f : installed)
        if (isElfFile(f)) {
            required.push_back(f);
            if (fs::path(f).extension() == ".scr") saver = f;
        }
    runtimeFiles(runtimeFolder, required, optional);
    std::vector<std::string> notes;
    const std::string missing = missingOnThisMachine(title, required, optional, notes, LibraryResolver());
    if (!missing.empty()) throw std::runtime_error(missing);
    for (const auto& n : notes) out << "Note: " << n << "\n";
    if (saver.empty()) return;
    std::string output;
    const int rc = runCollecting({saver, "--info"}, 30, output);
    if (rc != 0) {
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
        throw std::runtime_error(
            "\"" + title +
            "\" cannot run on this computer, so it was not installed: the "
            "installed screen saver did not start (" +
            (rc < 0 ? std::string("it did not end within 30 seconds") : "exit status " + std::to_string(rc)) +
            (output.empty() ? std::string() : ": " + output) + ").");
    }
}

void removeRuntimeFolder(const std::string& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    const fs::path above = fs::path(folder).parent_path();
    if (fs::is_directory(above, ec) && fs::is_empty(above, ec)) fs::remove(above, ec);
}

} // namespace vorlin::vorlinbuild
