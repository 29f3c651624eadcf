// The runtime closure and the list of libraries left to the system, on small libraries made for the test
// (a chain found through $ORIGIN, a stand-in carrying a left-out soname) and on the machine's own Qt plugin.
#include <gtest/gtest.h>

#include <filesystem>

#include "made_libraries.h"
#include "vorlinbuild/elf_file.h"
#include "vorlinbuild/runtime_closure.h"
#include "vorlinbuild/system_libraries.h"

namespace fs = std::filesystem;
using namespace vorlin::vorlinbuild;
using namespace vorlin::testing;

namespace {

class ClosureOfMadeLibraries : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tmp.path() / "deps");
        const fs::path d = tmp.path() / "deps";
        compileC(d / "libleaf.so.1", "int leaf(void){return 1;}", sharedLibrary("libleaf.so.1"));
        // Each library finds the next through its own "$ORIGIN" search path, as the packed ones do.
        // Not the X library, but carrying its name: the list must stop the walk here, so its own
        // dependency (found nowhere) is neither packed nor missing.
        compileC(d / "libnever.so.1", "int never(void){return 2;}", sharedLibrary("libnever.so.1"));
        compileC(d / "libxcb.so.1", "int never(void); int xcb(void){return never();}",
                 sharedLibrary("libxcb.so.1") + " -L" + shellQuote(d.string()) + " -l:libnever.so.1");
        fs::remove(d / "libnever.so.1");
        compileC(d / "libmid.so.2", "int leaf(void); int xcb(void); int mid(void){return leaf()+xcb();}",
                 sharedLibrary("libmid.so.2") + " -L" + shellQuote(d.string()) +
                     " -l:libleaf.so.1 -l:libxcb.so.1 -Wl,--allow-shlib-undefined -Wl,-rpath,'$ORIGIN'");
        compileC(tmp.path() / "program", "int mid(void); int main(void){return mid();}",
                 "-L" + shellQuote(d.string()) +
                     " -l:libmid.so.2 -Wl,--allow-shlib-undefined -Wl,-rpath,'$ORIGIN/deps'");
    }
    TempDir tmp;
};

TEST_F(ClosureOfMadeLibraries, FollowsOriginPathsAndStopsAtLeftOutLibraries) {
    // No system folders at all: everything carried must come through the program's own search path.
    const RuntimeClosure c =
        findClosure({(tmp.path() / "program").string()}, LibraryResolver(std::vector<std::string>()));
    std::map<std::string, std::string> expected = {
        {"libmid.so.2", fs::canonical(tmp.path() / "deps/libmid.so.2").string()},
        {"libleaf.so.1", fs::canonical(tmp.path() / "deps/libleaf.so.1").string()}};
    EXPECT_EQ(c.libraries, expected);
    EXPECT_TRUE(c.missing.empty()) << c.missing.begin()->first;
    EXPECT_TRUE(c.systemNeeds.count("libxcb.so.1"));
    ASSERT_TRUE(c.systemNeeds.count("libc.so.6"));
    EXPECT_FALSE(highestVersion(c.systemNeeds.at("libc.so.6"), "GLIBC_").empty());
}

TEST_F(ClosureOfMadeLibraries, ALibraryFoundNowhereIsReportedWithWhoNeedsIt) {
    fs::remove(tmp.path() / "deps/libleaf.so.1");
    const RuntimeClosure c =
        findClosure({(tmp.path() / "program").string()}, LibraryResolver(std::vector<std::string>()));
    ASSERT_EQ(c.missing.count("libleaf.so.1"), 1u);
    EXPECT_EQ(*c.missing.at("libleaf.so.1").begin(), fs::canonical(tmp.path() / "deps/libmid.so.2").string());
    EXPECT_FALSE(c.libraries.count("libleaf.so.1"));
}

TEST_F(ClosureOfMadeLibraries, ARootThatIsNoProgramIsAnError) {
    vorlin::testing::writeFile(tmp.path() / "notes.txt", "hello");
    EXPECT_THROW(
        findClosure({(tmp.path() / "notes.txt").string()}, LibraryResolver(std::vector<std::string>())),
        std::runtime_error);
}

// The machine's X11 platform plugin: its own libraries are carried, nothing the list leaves out is.
TEST(ClosureOfTheQtPlugin, CarriesThePluginsOwnLibrariesAndNothingLeftOut) {
    const LibraryResolver resolver;
    const auto self = readElf("/proc/self/exe");
    ASSERT_TRUE(self);
    const std::string core = resolver.find("libQt6Core.so.6", "/proc/self/exe", *self);
    ASSERT_FALSE(core.empty()) << "Qt 6 is not installed";
    const std::string plugins = qtPluginFolder(core);
    ASSERT_FALSE(plugins.empty());
    const RuntimeClosure c = findClosure({plugins + "/platforms/libqxcb.so"}, resolver);
    EXPECT_TRUE(c.missing.empty());
    for (const char* own :
         {"libQt6XcbQpa.so.6", "libQt6Gui.so.6", "libQt6Core.so.6", "libxkbcommon-x11.so.0"})
        EXPECT_TRUE(c.libraries.count(own)) << own;
    for (const auto& [soname, path] : c.libraries)
        EXPECT_FALSE(isLeftToSystem(soname)) << soname << " " << path;
    for (const char* left : {"libxcb.so.1", "libc.so.6", "libstdc++.so.6"})
        EXPECT_TRUE(c.systemNeeds.count(left)) << left;
}

TEST(SystemLibraryList, NamesAndPatterns) {
    for (const char* left : {"libc.so.6",          "ld-linux-x86-64.so.2",
                             "libGL.so.1",         "libEGL.so.1",
                             "libGLX.so.0",        "libOpenGL.so.0",
                             "libGLdispatch.so.0", "libdrm.so.2",
                             "libgbm.so.1",        "libX11.so.6",
                             "libxcb.so.1",        "libxcb-randr.so.0",
                             "libXext.so.6",       "libwayland-client.so.0",
                             "libfontconfig.so.1", "libfreetype.so.6",
                             "libasound.so.2",     "libpulse.so.0",
                             "libdbus-1.so.3",     "libstdc++.so.6"})
        EXPECT_TRUE(isLeftToSystem(left)) << left;
    // Carried: Qt, and the xcb utility libraries many desktops without Qt lack.
    for (const char* carried :
         {"libQt6Core.so.6", "libQt6DBus.so.6", "libxcb-icccm.so.4", "libxcb-cursor.so.0", "libxcb-util.so.1",
          "libxkbcommon.so.0", "libSDL2-2.0.so.0", "libicuuc.so.72", "libc.so.6.1", "libxcb.so.2"})
        EXPECT_FALSE(isLeftToSystem(carried)) << carried;
    for (const auto& g : systemLibraryGroups()) {
        EXPECT_FALSE(g.why.empty()) << g.what;
        EXPECT_FALSE(g.install.empty()) << g.what;
    }
}

TEST(Versions, CompareNumerically) {
    EXPECT_LT(compareVersions("2.35", "2.36"), 0);
    EXPECT_GT(compareVersions("2.100", "2.35"), 0);
    EXPECT_EQ(compareVersions("2.35", "2.35.0"), 0);
    EXPECT_LT(compareVersions("", "2.35"), 0);
    EXPECT_EQ(highestVersion({"GLIBC_2.2.5", "GLIBC_2.34", "GLIBC_2.4", "GLIBC_PRIVATE", "GLIBCXX_3.4.30"},
                             "GLIBC_"),
              "2.34");
}

} // namespace
