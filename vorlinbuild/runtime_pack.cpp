// Packing the runtime (see runtime_pack.h).
#include "vorlinbuild/runtime_pack.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "vorlinbuild/run_program.h"
#include "vorlinbuild/runtime_closure.h"

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

// The C library's files: the floor is the highest GLIBC_ version any of them is needed with.
constexpr const char* kCLibraryFiles[] = {"libc.so.6",  "libm.so.6",  "libpthread.so.0",
                                          "libdl.so.2", "librt.so.1", "libmvec.so.1"};

void copyFile(const std::string& from, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

void tool(const std::vector<std::string>& args) {
    if (args.size() < 3) return; // nothing to work on
    const int rc = runProgram(args);
    if (rc != 0) throw std::runtime_error(args[0] + " ended with " + std::to_string(rc));
}

std::string joined(const std::set<std::string>& s) {
    std::string out;
    for (const auto& v : s) out += (out.empty() ? "" : " ") + v;
    return out;
}

} // namespace

std::vector<std::string> defaultSoundfontPlaces() {
    return {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
            "/usr/share/sounds/sf2/FluidR3_GM.sf2"};
}

RuntimePack packRuntime(const RuntimeRequest& request,
                        const std::function<void(const std::string&)>& progress) {
    const LibraryResolver resolver;
    RuntimeClosure closure = findClosure(request.programSources, resolver);

    // Qt's plugins are loaded by name at run time: no ELF entry names them, so they are roots of their own.
    std::vector<std::pair<std::string, std::string>> plugins; // relative path, real file
    if (const auto core = closure.libraries.find("libQt6Core.so.6");
        closure.libraries.count("libQt6Gui.so.6") && core != closure.libraries.end()) {
        const std::string folder = qtPluginFolder(core->second);
        for (const auto& rel : qtPluginsUsed()) {
            const fs::path p = fs::path(folder) / rel;
            if (!folder.empty() && fs::is_regular_file(p))
                plugins.emplace_back(rel, fs::canonical(p).string());
            else
                progress("Note: the Qt plugin " + rel + " is not installed here and is left out");
        }
        std::vector<std::string> roots = request.programSources;
        for (const auto& pl : plugins) roots.push_back(pl.second);
        closure = findClosure(roots, resolver);
    }
    if (!closure.missing.empty()) {
        std::string what;
        for (const auto& [soname, users] : closure.missing)
            what += (what.empty() ? "" : ", ") + soname + " (needed by " + *users.begin() + ")";
        throw std::runtime_error("libraries not found on this machine: " + what);
    }
    if (platform::findOnPath("patchelf").empty())
        throw std::runtime_error("patchelf is not installed (Debian package patchelf)");

    const fs::path root(request.folder);
    fs::create_directories(root);
    std::vector<std::string> libs, pluginFiles;
    for (const auto& [soname, path] : closure.libraries) {
        copyFile(path, root / "lib" / soname);
        libs.push_back((root / "lib" / soname).string());
    }
    for (const auto& [rel, path] : plugins) {
        copyFile(path, root / "plugins" / rel);
        pluginFiles.push_back((root / "plugins" / rel).string());
    }
    // Symbols and debug sections are of no use to the person the saver is for.
    if (!platform::findOnPath("strip").empty()) {
        std::vector<std::string> args = {"strip", "--strip-unneeded", "--remove-section=.gnu_debuglink"};
        args.insert(args.end(), libs.begin(), libs.end());
        args.insert(args.end(), pluginFiles.begin(), pluginFiles.end());
        args.insert(args.end(), request.programCopies.begin(), request.programCopies.end());
        tool(args);
    } else {
        progress("Note: strip is not installed; the files keep their symbols");
    }
    // DT_RPATH (not RUNPATH): searched before LD_LIBRARY_PATH, so nothing from outside can shadow the
    // runtime.
    const auto setSearchPath = [](const std::string& path, const std::vector<std::string>& files) {
        std::vector<std::string> args = {"patchelf", "--force-rpath", "--set-rpath", path};
        args.insert(args.end(), files.begin(), files.end());
        tool(args);
    };
    setSearchPath("$ORIGIN", libs);
    for (const auto& [rel, path] : plugins) {
        std::string up;
        for (std::size_t i = 0; i < static_cast<std::size_t>(std::count(rel.begin(), rel.end(), '/')) + 1;
             ++i)
            up += "/..";
        setSearchPath("$ORIGIN" + up + "/lib", {(root / "plugins" / rel).string()});
    }
    setSearchPath("$ORIGIN/runtime/" + request.version + "/lib", request.programCopies);

    RuntimePack pack;
    pack.version = request.version;
    pack.libraries = libs.size();
    pack.plugins = pluginFiles.size();
    pack.systemNeeds = closure.systemNeeds;
    std::set<std::string> c, cxx;
    for (const char* f : kCLibraryFiles)
        if (const auto it = closure.systemNeeds.find(f); it != closure.systemNeeds.end())
            c.insert(it->second.begin(), it->second.end());
    if (const auto it = closure.systemNeeds.find("libstdc++.so.6"); it != closure.systemNeeds.end())
        cxx = it->second;
    pack.glibc = highestVersion(c, "GLIBC_");
    pack.glibcxx = highestVersion(cxx, "GLIBCXX_");

    if (request.midi) {
        for (const auto& place : request.soundfontPlaces)
            if (fs::is_regular_file(place)) {
                copyFile(fs::canonical(place).string(), root / "soundfonts/default-GM.sf2");
                pack.soundfont = true;
                break;
            }
        if (!pack.soundfont)
            progress("Note: no General MIDI soundfont on this machine; MIDI music will be silent "
                     "where the receiver has none");
    }
    platform::replaceFileAtomically((root / "runtime.ini").string(), runtimeManifest(pack));
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) pack.bytes += e.file_size();
    return pack;
}

std::string runtimeManifest(const RuntimePack& pack) {
    std::ostringstream s;
    s << "[Runtime]\nVersion=" << pack.version << "\nGlibc=" << pack.glibc << "\nGlibcxx=" << pack.glibcxx
      << "\n[System]\n";
    for (const auto& [soname, versions] : pack.systemNeeds) s << soname << "=" << joined(versions) << "\n";
    return s.str();
}

std::string preflightScript() {
    return R"SH(#!/bin/sh
cd "$(dirname "$0")" || exit 1
setting() { sed -n "s/^$1=//p" runtime/runtime.ini 2>/dev/null | tr -d '\r'; }
c_need=$(setting Glibc)
cxx_need=$(setting Glibcxx)
newest() { sort -t. -k1,1n -k2,2n -k3,3n | tail -n 1; }
refuse() {
  echo "This screen saver cannot be installed on this computer: it needs $1, and this system has $2. It runs on systems with glibc ${c_need:-2.35} or newer (for example Debian 12, Ubuntu 22.04, Fedora 36 and later). Nothing was installed." >&2
  exit 3
}
if [ -n "$c_need" ]; then
  have=$(getconf GNU_LIBC_VERSION 2>/dev/null | sed -n 's/^glibc //p')
  [ -n "$have" ] || refuse "the GNU C library (glibc) $c_need or newer" "another C library"
  [ "$(printf '%s\n%s\n' "$have" "$c_need" | newest)" = "$have" ] ||
    refuse "the GNU C library (glibc) $c_need or newer" "glibc $have"
fi
if [ -n "$cxx_need" ]; then
  have=
  for lib in $( (/sbin/ldconfig -p || ldconfig -p) 2>/dev/null | sed -n 's/^[[:space:]]*libstdc++\.so\.6 .*=> //p'); do
    v=$(grep -ao 'GLIBCXX_[0-9][0-9.]*[0-9]' "$lib" 2>/dev/null | sed 's/^GLIBCXX_//' | newest)
    [ -n "$v" ] && [ "$(printf '%s\n%s\n' "$v" "$cxx_need" | newest)" = "$v" ] && have=ok && break
    have=${v:-$have}
  done
  [ "$have" = ok ] || refuse "the GNU C++ library with GLIBCXX_$cxx_need or newer" "${have:+GLIBCXX_}${have:-none}"
fi
exec ./vorlin-install "$@"
)SH";
}

RuntimePack readRuntimeManifest(const std::string& path) {
    const auto ini = platform::IniFile(path).snapshot();
    RuntimePack pack;
    pack.version = ini.readString("Runtime", "Version", "");
    pack.glibc = ini.readString("Runtime", "Glibc", "");
    pack.glibcxx = ini.readString("Runtime", "Glibcxx", "");
    for (const auto& key : ini.readKeys("System")) {
        auto& set = pack.systemNeeds[key];
        std::istringstream words(ini.readString("System", key, ""));
        for (std::string w; words >> w;) set.insert(w);
    }
    return pack;
}

} // namespace vorlin::vorlinbuild
