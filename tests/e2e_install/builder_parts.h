#pragma once
// The files a build takes from the builder: from this build folder, or, when $VORLIN_TEST_INSTALLED names
// an installed program folder (the package test sets it to the unpacked package's), from that
// installation, so that the same tests show that an installed builder builds working screen savers.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorlin::testing {

struct BuilderParts {
    std::filesystem::path compiler;       // vorlinbuild
    std::filesystem::path installProgram; // vorlin-install, beside the compiler
    std::filesystem::path saver;          // the program a built installer installs as <name>.scr
    std::filesystem::path mpegLibrary;    // libmpegdll.so
};

inline BuilderParts builderParts() {
    const char* installed = std::getenv("VORLIN_TEST_INSTALLED");
    if (installed && *installed) {
        const std::filesystem::path p(installed);
        return {p / "Compile/vorlinbuild", p / "Compile/vorlin-install", p / "VorlinSaver.scr",
                p / "libmpegdll.so"};
    }
    const std::filesystem::path b(VORLIN_BINARY_DIR);
    return {b / "vorlinbuild/vorlinbuild", b / "vorlinbuild/vorlin-install", b / "startup/VorlinSaver",
            b / "mpegdll/libmpegdll.so"};
}

} // namespace vorlin::testing
