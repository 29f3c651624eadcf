#pragma once
// A temporary HOME and a show to build into an installer with the real compiler: the program folder, two
// pictures, a tune and the MPEG library, as the builder would hand them over. Shared by the installer's
// end-to-end tests.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "../lib/shell.h"
#include "../lib/test_files.h"
#include "builder/installer/script_writer.h"
#include "builder_parts.h"

namespace vorlin::testing {

// Every path under a folder (links not followed).
inline std::set<std::string> tree(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::set<std::string> all;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        all.insert(fs::relative(it->path(), root).string());
    return all;
}

// The build input for a show laid out under `root` as the builder hands it over: the program folder
// root/prog with its working settings file, the compile folder root/compile and the builder's system
// folder root/buildsys; the installer is written as root/out/<installer>.
inline installer::BuildInput showInput(const std::filesystem::path& root, const std::string& name,
                                       const std::string& installer) {
    installer::BuildInput in;
    in.saverName = name;
    in.installerPath = (root / "out" / installer).string();
    in.programFolder = (root / "prog").string() + "/";
    in.compileFolder = (root / "compile").string() + "/";
    in.systemFolder = (root / "buildsys").string();
    in.workingSettingsFile = (root / "prog/VorlinSaver.002").string();
    in.website = "http://";
    return in;
}

// The folders of showInput filled with the builder's real parts: the screen-saver program, its effects
// file and a working settings file that shows each picture for a second, the MPEG library, the compiler
// and the installer program linked into the compile folder; root/pics is left for the show's pictures.
inline void layOutRealShow(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    const BuilderParts parts = builderParts();
    for (const char* d : {"prog", "pics", "compile", "out", "buildsys"}) fs::create_directories(root / d);
    fs::copy_file(parts.saver, root / "prog/VorlinSaver.scr");
    spit(root / "prog/VorlinSaver.001", "[Effects]\n");
    spit(root / "prog/VorlinSaver.002", "[Set]\nStetchImage=1\nImageInterval=1\nEffectSpeed=1\n");
    fs::copy_file(parts.mpegLibrary, root / "buildsys/libmpegdll.so");
    fs::create_symlink(parts.compiler, root / "compile/vorlinbuild");
    fs::create_symlink(parts.installProgram, root / "compile/vorlin-install");
}

class InstallEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        root = tmp.path();
        home = root / "home";
        fs::create_directories(home);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        unsetenv("XDG_DESKTOP_DIR");
        // No user manager in this runtime folder: the idle watcher's unit is written, not enabled.
        fs::create_directories(root / "run");
        setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
        unsetenv("VORLIN_SYSTEM_DIR");
        unsetenv("VORLIN_REGISTRY");
        // Installers ask in a window when there is a display and no terminal: tests that want the window
        // give the display back.
        if (const char* d = std::getenv("DISPLAY")) display = d;
        unsetenv("DISPLAY");
        sys = home / ".local/share/vorlinsaver/system";
        // A program folder and the show's files; the MPEG library lies in the builder's system folder.
        spit(root / "prog/VorlinSaver.scr", "#!/bin/sh\necho saver \"$0\" \"$@\"\n");
        fs::permissions(root / "prog/VorlinSaver.scr", fs::perms::owner_all, fs::perm_options::add);
        spit(root / "prog/VorlinSaver.001", "[Effects]\n");
        spit(root / "prog/VorlinSaver.002", "[Set]\nImageInterval=4\n");
        spit(root / "pics/beach.jpg", std::string(3000, 'b'));
        spit(root / "pics/sunset.jpg", std::string(2000, 's'));
        spit(root / "music/waves.mp3", std::string(1000, 'm'));
        spit(root / "buildsys/libmpegdll.so", "lib");
        fs::create_directories(root / "compile");
        fs::create_directories(root / "out");
    }

    installer::BuildInput input(const std::string& name, const std::string& installer = "Holiday.run") {
        installer::BuildInput in = showInput(root, name, installer);
        in.author = "Ann";
        in.website = "http://ann.example";
        in.readme = "Enjoy the pictures.";
        in.pictures = {{(root / "pics/beach.jpg").string(), true},
                       {(root / "pics/sunset.jpg").string(), true}};
        in.music = {{(root / "music/waves.mp3").string(), true}};
        return in;
    }

    // Builds and returns vorlinbuild's report lines.
    std::string build(const installer::BuildInput& in) {
        const installer::BuildOutput out = installer::writeBuildFiles(in);
        const auto [report, rc] = runShell(shellQuote(builderParts().compiler.string()) + " " +
                                           shellQuote("\"" + out.scriptFile + "\"") + " 2>/dev/null");
        EXPECT_EQ(rc, 0) << report;
        installer::cleanUpBuildFiles(out);
        return report;
    }

    // The installation folder of a show.
    std::filesystem::path app(const std::string& name) const {
        return home / ".local/share/vorlinsaver/programs" / name;
    }

    TempDir tmp;
    std::filesystem::path root, home, sys;
    std::string display;
};

} // namespace vorlin::testing
