#pragma once
// The runtime a program needs: every shared library it loads, found by reading the ELF dependencies of the
// program and of the libraries and plugins it loads, as the dynamic loader would find them on this machine
// (the object's own search path, then the loader's cache, then the default folders). Libraries the system
// list leaves to the machine (system_libraries.h) end the walk: they are recorded with the symbol versions
// the runtime needs from them, and neither they nor their own dependencies are carried. No Qt here.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "vorlinbuild/elf_file.h"

namespace vorlin::vorlinbuild {

class LibraryResolver {
public:
    // The machine's loader: its cache (/etc/ld.so.cache) and default folders.
    LibraryResolver();
    // Only these folders, in this order (tests, and a look into another root).
    explicit LibraryResolver(std::vector<std::string> folders);

    // Where the loader finds `soname` for the object at `fromPath` (its search path, "$ORIGIN" expanded),
    // as a real path; "" when nowhere. A candidate of another class or machine than `from` is passed over.
    std::string find(const std::string& soname, const std::string& fromPath, const ElfInfo& from) const;

private:
    std::map<std::string, std::vector<std::string>> cache_;
    std::vector<std::string> folders_;
};

struct RuntimeClosure {
    std::map<std::string, std::string> libraries;             // soname -> real path, to be carried
    std::map<std::string, std::set<std::string>> systemNeeds; // left-out soname -> versions needed
    std::map<std::string, std::set<std::string>> missing;     // soname found nowhere -> who needs it
};

// The closure of `roots` (programs, libraries, plugins: real files). Roots are not part of `libraries`.
// Throws std::runtime_error when a root is not a readable ELF file.
RuntimeClosure findClosure(const std::vector<std::string>& roots, const LibraryResolver& resolver);

// The highest version of the form PREFIX<a>.<b>[.<c>] among `versions` ("GLIBC_", "GLIBCXX_"), "" if none.
std::string highestVersion(const std::set<std::string>& versions, const std::string& prefix);

// Compares dotted version numbers ("2.35" < "2.36" < "2.100"); negative, zero or positive.
int compareVersions(const std::string& a, const std::string& b);

// The Qt plugins a program linking Qt Gui loads, as paths relative to Qt's plugin folder: the X11, Wayland
// and offscreen platforms, the X11 OpenGL integration, the Wayland shell integration and window
// decorations. No image-format plugin: pictures are decoded by the program's own codecs.
const std::vector<std::string>& qtPluginsUsed();

// Qt's plugin folder beside the Qt Core library found at `qtCorePath` ("" when none is there): Debian's
// "<libdir>/qt6/plugins" or Qt's own "<prefix>/plugins".
std::string qtPluginFolder(const std::string& qtCorePath);

} // namespace vorlin::vorlinbuild
