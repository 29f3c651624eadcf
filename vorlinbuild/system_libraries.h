#pragma once
// The libraries a built screen saver leaves to the machine it runs on: this is the one list. Everything
// else the saver loads travels in its runtime. Each group says why its libraries must come from the
// machine, and what to install when one is missing. No Qt here.
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

struct SystemLibraryGroup {
    std::string what;                  // "the X Window System's client libraries"
    std::string why;                   // why the machine's own copy must be used
    std::string install;               // where to get them: package names on common systems
    std::vector<std::string> patterns; // sonames; a final "*" matches any rest ("libxcb-randr.so.*")
};

const std::vector<SystemLibraryGroup>& systemLibraryGroups();

// The group leaving this soname to the system, or nullptr when the runtime carries it.
const SystemLibraryGroup* systemGroupOf(const std::string& soname);

inline bool isLeftToSystem(const std::string& soname) {
    return systemGroupOf(soname) != nullptr;
}

} // namespace vorlin::vorlinbuild
