#pragma once
// Packing a built screen saver's runtime into an installer folder, and the manifest that travels with it.
//
// Layout of the folder (installed as "<system folder>/runtime/<version>/"):
//   lib/          the shared libraries of the closure, each searching "$ORIGIN"
//   plugins/      Qt plugins by kind ("platforms/libqxcb.so"), each searching "$ORIGIN/../../lib"
//   soundfonts/   "default-GM.sf2" when the show has MIDI music
//   runtime.ini   [Runtime] Version, Glibc and Glibcxx (the lowest versions of the machine's C and C++
//                 libraries it runs with); [System] one key per library left to the machine, its value
//                 the symbol versions needed from it, separated by blanks.
// The programs that go into the system folder are stripped and search "$ORIGIN/runtime/<version>/lib".
// Uses the system's `strip` (when present) and `patchelf`. No Qt here.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

struct RuntimePack {
    std::string version, glibc, glibcxx;
    std::size_t libraries = 0, plugins = 0;
    bool soundfont = false;
    std::uint64_t bytes = 0; // installed size of the runtime folder
    std::map<std::string, std::set<std::string>> systemNeeds;
};

struct RuntimeRequest {
    std::vector<std::string> programSources; // the ELF files as built (their dependencies are read here)
    std::vector<std::string> programCopies;  // their copies in the installer folder, patched in place
    bool midi = false;
    std::string version;
    std::string folder;                       // the runtime folder to fill (created)
    std::vector<std::string> soundfontPlaces; // the first existing one is carried
};

// The General MIDI soundfonts of this machine, smallest first.
std::vector<std::string> defaultSoundfontPlaces();

// Fills the runtime folder; `progress` gets one line per step. Throws std::runtime_error naming what is
// missing (a library the program needs that this machine does not have, patchelf, a failing tool).
RuntimePack packRuntime(const RuntimeRequest& request,
                        const std::function<void(const std::string&)>& progress);

// The text of runtime.ini for a pack.
std::string runtimeManifest(const RuntimePack& pack);

// The installer's first step, a POSIX shell script: it refuses a machine whose C library is older than
// runtime.ini's Glibc, or whose C++ library lacks its Glibcxx version (the installer program itself could
// not start there), and otherwise starts "./vorlin-install" with the installer's arguments.
std::string preflightScript();

// Reads runtime.ini back (missing keys stay empty).
RuntimePack readRuntimeManifest(const std::string& path);

} // namespace vorlin::vorlinbuild
