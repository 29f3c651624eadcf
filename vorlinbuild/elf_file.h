#pragma once
// What the dynamic loader reads from a shared object or program: its class and machine, the libraries it
// needs (DT_NEEDED), its own search path (DT_RPATH / DT_RUNPATH), its soname, and the symbol versions it
// needs from each library (GLIBC_2.34 from libc.so.6, ...) or defines itself. Read from the file's program
// headers and dynamic section only, so a 30 MB library costs a few small reads. No Qt here.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

struct ElfInfo {
    bool is64 = true;
    unsigned machine = 0;
    std::string soname;
    std::vector<std::string> needed;
    std::vector<std::string> searchPath; // DT_RUNPATH when present, else DT_RPATH, split at ":"
    bool runpath = false;                // the search path came from DT_RUNPATH
    std::map<std::string, std::set<std::string>> versionsNeeded; // library file name -> version names
    std::set<std::string> versionsDefined;
};

// True when the file starts with the ELF magic.
bool isElfFile(const std::string& path);

// The dynamic-loading facts of an ELF file; nullopt when the file is not a readable ELF object. A file
// without a dynamic section (a static program) gives an empty record.
std::optional<ElfInfo> readElf(const std::string& path);

} // namespace vorlin::vorlinbuild
