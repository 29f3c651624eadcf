// Packing a runtime for a program made by the test, and the installer's first step, the shell script
// that refuses a machine whose C library is too old.
#include <gtest/gtest.h>

#include <filesystem>

#include "made_libraries.h"
#include "vorlinbuild/elf_file.h"
#include "vorlinbuild/runtime_install.h"
#include "vorlinbuild/runtime_pack.h"

namespace fs = std::filesystem;
using namespace vorlin::vorlinbuild;
using namespace vorlin::testing;

namespace {

TEST(PackRuntime, CarriesTheClosureStrippedWithOriginPathsAndAManifest) {
    TempDir tmp;
    const fs::path d = tmp.path() / "build/deps";
    fs::create_directories(d);
    const std::string here = " -L" + shellQuote(d.string()) + " -Wl,--allow-shlib-undefined";
    compileC(d / "libleaf.so.1", "int leaf(void){return 1;}", sharedLibrary("libleaf.so.1") + " -g");
    compileC(d / "libxcb.so.1", "int xcb(void){return 1;}", sharedLibrary("libxcb.so.1"));
    compileC(d / "libmid.so.2", "int leaf(void); int xcb(void); int mid(void){return leaf()+xcb();}",
             sharedLibrary("libmid.so.2") + here + " -l:libleaf.so.1 -l:libxcb.so.1 -Wl,-rpath,'$ORIGIN'");
    const fs::path program = tmp.path() / "build/program";
    compileC(program, "int mid(void); int main(void){return mid();}",
             here + " -l:libmid.so.2 -Wl,-rpath,'$ORIGIN/deps'");
    fs::create_directories(tmp.path() / "pack");
    fs::copy_file(program, tmp.path() / "pack/1");
    writeFile(tmp.path() / "my.sf2", "soundfont");

    RuntimeRequest request;
    request.programSources = {program.string()};
    request.programCopies = {(tmp.path() / "pack/1").string()};
    request.midi = true;
    request.version = "9.8.7";
    request.folder = (tmp.path() / "pack/runtime").string();
    request.soundfontPlaces = {(tmp.path() / "none.sf2").string(), (tmp.path() / "my.sf2").string()};
    std::vector<std::string> progress;
    const RuntimePack pack = packRuntime(request, [&](const std::string& line) { progress.push_back(line); });

    const fs::path lib = tmp.path() / "pack/runtime/lib";
    std::set<std::string> carried;
    for (const auto& e : fs::directory_iterator(lib)) carried.insert(e.path().filename().string());
    EXPECT_EQ(carried, (std::set<std::string>{"libleaf.so.1", "libmid.so.2"}));
    EXPECT_EQ(pack.libraries, 2u);
    EXPECT_EQ(pack.plugins, 0u); // no Qt, no plugins
    for (const auto& name : carried) {
        const auto info = readElf((lib / name).string());
        ASSERT_TRUE(info);
        EXPECT_EQ(info->searchPath, std::vector<std::string>{"$ORIGIN"}) << name;
        EXPECT_FALSE(info->runpath) << name; // DT_RPATH: LD_LIBRARY_PATH cannot come first
    }
    const auto copy = readElf((tmp.path() / "pack/1").string());
    EXPECT_EQ(copy->searchPath, std::vector<std::string>{"$ORIGIN/runtime/9.8.7/lib"});
    // Stripped: the debug sections the leaf was built with are gone.
    EXPECT_NE(
        runShell("readelf -S " + shellQuote((d / "libleaf.so.1").string()) + " | grep -c debug_info").first,
        "0\n");
    EXPECT_EQ(
        runShell("readelf -S " + shellQuote((lib / "libleaf.so.1").string()) + " | grep -c debug_info").first,
        "0\n");
    EXPECT_EQ(readFile(tmp.path() / "pack/runtime/soundfonts/default-GM.sf2"), "soundfont");

    const RuntimePack back = readRuntimeManifest((tmp.path() / "pack/runtime/runtime.ini").string());
    EXPECT_EQ(back.version, "9.8.7");
    EXPECT_EQ(back.glibc, pack.glibc);
    EXPECT_FALSE(back.glibc.empty());
    EXPECT_EQ(back.systemNeeds, pack.systemNeeds);
    EXPECT_TRUE(back.systemNeeds.count("libxcb.so.1"));
    EXPECT_TRUE(back.systemNeeds.count("libc.so.6"));

    // The packed program runs from where the installer puts it, finding its libraries in the runtime.
    const fs::path sys = tmp.path() / "sys";
    fs::create_directories(sys / "runtime");
    fs::copy_file(tmp.path() / "pack/1", sys / "program");
    fs::permissions(sys / "program", fs::perms::owner_all);
    installRuntimeFolder((tmp.path() / "pack/runtime").string(), (sys / "runtime/9.8.7").string());
    fs::remove_all(tmp.path() /
                   "build"); // where the libraries were built: gone, as on the receiver's machine
    auto [ldd, rc] = runShell("ldd " + shellQuote((sys / "program").string()));
    EXPECT_NE(ldd.find("libmid.so.2 => " + (sys / "runtime/9.8.7/lib/libmid.so.2").string()),
              std::string::npos)
        << ldd;
    EXPECT_NE(ldd.find("libleaf.so.1 => " + (sys / "runtime/9.8.7/lib/libleaf.so.1").string()),
              std::string::npos)
        << ldd;
}

TEST(PackRuntime, ALibraryTheMachineLacksStopsThePack) {
    TempDir tmp;
    compileC(tmp.path() / "libgone.so.1", "int gone(void){return 1;}", sharedLibrary("libgone.so.1"));
    compileC(tmp.path() / "program", "int gone(void); int main(void){return gone();}",
             "-L" + shellQuote(tmp.str()) + " -l:libgone.so.1");
    fs::remove(tmp.path() / "libgone.so.1");
    RuntimeRequest request;
    request.programSources = {(tmp.path() / "program").string()};
    request.version = "1";
    request.folder = (tmp.path() / "runtime").string();
    try {
        packRuntime(request, [](const std::string&) {});
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("libgone.so.1 (needed by " + (tmp.path() / "program").string()),
                  std::string::npos)
            << e.what();
    }
}

// The script as the installer runs it: in its own folder, beside runtime/runtime.ini and the installer.
TEST(Preflight, RefusesAnOlderCLibraryAndOtherwiseStartsTheInstaller) {
    TempDir tmp;
    fs::create_directories(tmp.path() / "runtime");
    writeFile(tmp.path() / "setup", preflightScript());
    writeFile(tmp.path() / "vorlin-install", "#!/bin/sh\necho started \"$@\"\n");
    fs::permissions(tmp.path() / "setup", fs::perms::owner_all);
    fs::permissions(tmp.path() / "vorlin-install", fs::perms::owner_all);
    const std::string c = glibcVersionHere(), cxx = glibcxxVersionHere();
    const auto run = [&](const std::string& glibc, const std::string& glibcxx) {
        writeFile(tmp.path() / "runtime/runtime.ini",
                  "[Runtime]\r\nVersion=1\r\nGlibc=" + glibc + "\r\nGlibcxx=" + glibcxx + "\r\n");
        return runShell("cd / && " + shellQuote(tmp / "setup") + " --yes 'a b'");
    };
    for (const std::string& floor : std::vector<std::string>{"99.1", "2.100", c + ".1"}) {
        auto [out, rc] = run(floor, cxx);
        EXPECT_EQ(rc, 3) << floor << ": " << out;
        EXPECT_NE(out.find("needs the GNU C library (glibc) " + floor +
                           " or newer, and this system has glibc " + c + ". "),
                  std::string::npos)
            << out;
        EXPECT_EQ(out.find("started"), std::string::npos) << out;
    }
    for (const std::string& floor : std::vector<std::string>{"3.4.99", "4.0"}) {
        auto [out, rc] = run(c, floor);
        EXPECT_EQ(rc, 3) << floor << ": " << out;
        EXPECT_NE(out.find("needs the GNU C++ library with GLIBCXX_" + floor +
                           " or newer, and this system has GLIBCXX_" + cxx + ". "),
                  std::string::npos)
            << out;
    }
    for (const auto& [glibc, glibcxx] :
         std::vector<std::pair<std::string, std::string>>{{"2.2", "3.4.9"}, {c, cxx}, {"", ""}}) {
        auto [out, rc] = run(glibc, glibcxx);
        EXPECT_EQ(rc, 0) << glibc << " " << glibcxx << ": " << out;
        EXPECT_EQ(out, "started --yes a b\n") << glibc << " " << glibcxx;
    }
}

} // namespace
