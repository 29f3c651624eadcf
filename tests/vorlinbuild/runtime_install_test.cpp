// The installer's side of the runtime: refusing an old C library, adding to a shared runtime folder,
// naming what a machine lacks, and removing a runtime only when no other installation uses it.
#include <gtest/gtest.h>

#include <filesystem>

#include "made_libraries.h"
#include "vorlinbuild/runtime_install.h"
#include "vorlinbuild/system_libraries.h"

namespace fs = std::filesystem;
using namespace vorlin::vorlinbuild;
using namespace vorlin::testing;

namespace {

TEST(VersionProblem, NamesBothVersionsAndComparesNumerically) {
    RuntimePack need;
    need.glibc = "2.35";
    need.glibcxx = "3.4.30";
    const std::string old = versionProblem(need, "Sea", "2.31", "3.4.30");
    EXPECT_NE(old.find("glibc) 2.35 or newer"), std::string::npos) << old;
    EXPECT_NE(old.find("has glibc 2.31"), std::string::npos) << old;
    EXPECT_NE(old.find("\"Sea\""), std::string::npos) << old;
    EXPECT_EQ(old.find("GLIBCXX"), std::string::npos) << old;
    const std::string cxx = versionProblem(need, "Sea", "2.36", "3.4.28");
    EXPECT_NE(cxx.find("GLIBCXX_3.4.30 or newer, and this system has GLIBCXX_3.4.28"), std::string::npos)
        << cxx;
    EXPECT_EQ(versionProblem(need, "Sea", "2.35", "3.4.30"), "");
    EXPECT_EQ(versionProblem(need, "Sea", "2.100", "3.4.32"), ""); // not compared as text
    EXPECT_NE(versionProblem(need, "Sea", "2.35", ""), "");        // no C++ library at all
}

TEST(VersionProblem, ThisMachineRunsWhatItBuilds) {
    EXPECT_GE(compareVersions(glibcVersionHere(), "2.35"), 0) << glibcVersionHere();
    EXPECT_GE(compareVersions(glibcxxVersionHere(), "3.4.30"), 0) << glibcxxVersionHere();
}

TEST(RuntimeFolder, AddsWhatIsMissingAndKeepsWhatIsThere) {
    TempDir tmp;
    const fs::path from = tmp.path() / "from", to = tmp.path() / "sys/runtime/1.0";
    fs::create_directories(from / "lib");
    fs::create_directories(from / "plugins/platforms");
    writeFile(from / "lib/liba.so.1", "aaaa");
    writeFile(from / "plugins/platforms/libqxcb.so", "xcb");
    writeFile(from / "runtime.ini", "[Runtime]\n");
    EXPECT_TRUE(installRuntimeFolder(from.string(), to.string()));
    EXPECT_EQ(readFile(to / "plugins/platforms/libqxcb.so"), "xcb");

    // A second saver of the same version brings a soundfont; what is there stays untouched.
    writeFile(to / "lib/liba.so.1", "AAAA");
    fs::create_directories(from / "soundfonts");
    writeFile(from / "soundfonts/default-GM.sf2", "sf2");
    EXPECT_FALSE(installRuntimeFolder(from.string(), to.string()));
    EXPECT_EQ(readFile(to / "lib/liba.so.1"), "AAAA");
    EXPECT_EQ(readFile(to / "soundfonts/default-GM.sf2"), "sf2");
    for (const auto& e : fs::recursive_directory_iterator(to)) EXPECT_NE(e.path().extension(), ".part");
}

TEST(RuntimeFolder, RemovalTakesTheRuntimeFolderAboveOnlyWhenEmpty) {
    TempDir tmp;
    const fs::path runtimes = tmp.path() / "sys/runtime";
    for (const char* v : {"1.0", "0.9"}) {
        fs::create_directories(runtimes / v / "lib");
        writeFile(runtimes / v / "lib/liba.so.1", "a");
    }
    removeRuntimeFolder((runtimes / "1.0").string());
    EXPECT_FALSE(fs::exists(runtimes / "1.0"));
    EXPECT_TRUE(fs::exists(runtimes / "0.9/lib/liba.so.1"));
    removeRuntimeFolder((runtimes / "0.9").string());
    EXPECT_FALSE(fs::exists(runtimes));
    EXPECT_TRUE(fs::exists(tmp.path() / "sys"));
}

// A program whose libraries come partly through its own search path and partly from the "system", here a
// folder the test fills.
class MissingOnAMachine : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path d = tmp.path() / "runtime", sys = tmp.path() / "system";
        fs::create_directories(d);
        fs::create_directories(sys);
        compileC(d / "libxcb.so.1", "int xcb(void){return 1;}", sharedLibrary("libxcb.so.1"));
        compileC(d / "libX11.so.6", "int x11(void){return 1;}", sharedLibrary("libX11.so.6"));
        compileC(d / "libmid.so.2", "int xcb(void); int x11(void); int mid(void){return xcb()+x11();}",
                 sharedLibrary("libmid.so.2") + " -L" + vorlin::testing::shellQuote(d.string()) +
                     " -l:libxcb.so.1 -l:libX11.so.6");
        compileC(tmp.path() / "saver.scr", "int mid(void); int main(void){return mid();}",
                 "-L" + vorlin::testing::shellQuote(d.string()) +
                     " -l:libmid.so.2 -Wl,--allow-shlib-undefined -Wl,-rpath,'$ORIGIN/runtime'");
        // The X libraries belong to the system, not to the runtime.
        fs::rename(d / "libxcb.so.1", sys / "libxcb.so.1");
        fs::remove(d / "libX11.so.6");
    }
    std::string saver() const { return (tmp.path() / "saver.scr").string(); }
    TempDir tmp;
};

TEST_F(MissingOnAMachine, OneParagraphNamesTheMissingLibrariesAndWhatToInstall) {
    // The machine's real C library, so that only the X library is missing.
    const std::string libc =
        LibraryResolver().find("libc.so.6", "/proc/self/exe", *readElf("/proc/self/exe"));
    fs::create_symlink(libc, tmp.path() / "system/libc.so.6");
    std::vector<std::string> notes;
    const std::string text = missingOnThisMachine("Sea", {saver()}, {}, notes,
                                                  LibraryResolver({(tmp.path() / "system").string()}));
    EXPECT_NE(text.find("\"Sea\" cannot run on this computer, so it was not installed"), std::string::npos)
        << text;
    EXPECT_NE(text.find("libX11.so.6 (" + systemGroupOf("libX11.so.6")->what), std::string::npos) << text;
    EXPECT_NE(text.find("; Debian and Ubuntu: libx11-6, "), std::string::npos) << text;
    EXPECT_EQ(text.find("libxcb.so.1"), std::string::npos) << text; // the system has that one
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_TRUE(notes.empty());

    // The same file as an optional plugin only gives a note.
    const std::string none = missingOnThisMachine("Sea", {}, {saver()}, notes,
                                                  LibraryResolver({(tmp.path() / "system").string()}));
    EXPECT_EQ(none, "");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("saver.scr will not load here: it needs libX11.so.6"), std::string::npos)
        << notes[0];
}

TEST_F(MissingOnAMachine, ASystemLibraryWithoutTheVersionsNeededIsTooOld) {
    compileC(tmp.path() / "runtime/libX11.so.6", "int x11(void){return 1;}", sharedLibrary("libX11.so.6"));
    fs::rename(tmp.path() / "runtime/libX11.so.6", tmp.path() / "system/libX11.so.6");
    // A C library that defines no symbol versions at all.
    compileC(tmp.path() / "system/libc.so.6", "int c(void){return 1;}", sharedLibrary("libc.so.6"));
    std::vector<std::string> notes;
    const std::string text = missingOnThisMachine("Sea", {saver()}, {}, notes,
                                                  LibraryResolver({(tmp.path() / "system").string()}));
    EXPECT_NE(text.find("This system's libc.so.6 is too old: it lacks GLIBC_"), std::string::npos) << text;
    EXPECT_EQ(text.find("It needs"), std::string::npos) << text;
}

} // namespace
