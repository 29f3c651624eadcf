#include "../lib/environment.h"
#include "../lib/test_files.h"
#include "platform/library.h"
#include "platform/program_path.h"
#include "platform/system_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace vorlin::platform;
using namespace vorlin::testing;

namespace {

TEST(MapLibraryName, WindowsNamesBecomeSharedObjects) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"MPR.DLL", "libmpr.so"},
        {"mpr.dll", "libmpr.so"},
        {"Password.Cpl", "libpassword.so"},
        {"/sys/dir/MPEGDLL.DLL", "/sys/dir/libmpegdll.so"},
        {"/Mixed/Case/X.dLl", "/Mixed/Case/libx.so"},
        {"my.lib.DLL", "libmy.lib.so"},
        {"libfoo.so", "libfoo.so"},
        {"/a.dll/b.txt", "/a.dll/b.txt"},
        {"noext", "noext"},
        {".dll", ".dll"},
    };
    for (const auto& r : rows) EXPECT_EQ(mapLibraryName(r.in), r.out) << r.in;
}

class LibraryLoad : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = fs::path(VORLIN_PROBE_MODULE);
        ASSERT_TRUE(fs::exists(module_)) << module_;
        savedProgram_ = programPath();
    }
    void TearDown() override { setProgramPath(savedProgram_); }
    static int call(const Library& lib) {
        auto fn = lib.function<int (*)()>("ProbeAnswer");
        return fn ? fn() : -1;
    }
    KeptEnvironment kept_{"VORLIN_SYSTEM_DIR"};
    fs::path module_;
    std::string savedProgram_;
};

TEST_F(LibraryLoad, FolderPathWithWindowsName) {
    TempDir dir;
    fs::copy_file(module_, dir / "libprobe.so");
    auto lib = Library::load(dir / "PROBE.DLL");
    ASSERT_TRUE(lib);
    EXPECT_EQ(call(*lib), 42);
    EXPECT_EQ(lib->symbol("NoSuchEntry"), nullptr);
    EXPECT_EQ(lib->path(), dir / "libprobe.so");
}

TEST_F(LibraryLoad, MissingModuleGivesNullAndMessage) {
    TempDir dir;
    std::string error;
    EXPECT_EQ(Library::load(dir / "MPR.DLL", &error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST_F(LibraryLoad, BareNameSearchesProgramFolderThenSystemFolder) {
    TempDir program, system;
    setProgramPath(program / "MyShow.scr");
    setenv("VORLIN_SYSTEM_DIR", system.str().c_str(), 1);
    EXPECT_EQ(Library::load("Probe.cpl"), nullptr);

    fs::copy_file(module_, system / "libprobe.so");
    auto fromSystem = Library::load("Probe.cpl");
    ASSERT_TRUE(fromSystem);
    EXPECT_EQ(fromSystem->path(), system / "libprobe.so");

    fs::copy_file(module_, program / "libprobe.so");
    auto fromProgram = Library::load("PROBE.CPL");
    ASSERT_TRUE(fromProgram);
    EXPECT_EQ(fromProgram->path(), program / "libprobe.so");
}

TEST(SystemFolder, EnvironmentOrder) {
    const KeptEnvironment kept{"VORLIN_SYSTEM_DIR", "XDG_DATA_HOME", "HOME"};
    setenv("HOME", "/home/u", 1);
    unsetenv("VORLIN_SYSTEM_DIR");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(systemFolder(), "/home/u/.local/share/vorlinsaver/system");
    setenv("XDG_DATA_HOME", "/data/", 1);
    EXPECT_EQ(systemFolder(), "/data/vorlinsaver/system");
    setenv("VORLIN_SYSTEM_DIR", "", 1);
    EXPECT_EQ(systemFolder(), "/data/vorlinsaver/system");
    setenv("VORLIN_SYSTEM_DIR", "/sys/here/", 1);
    EXPECT_EQ(systemFolder(), "/sys/here");
}

TEST(ProgramPath, ResolvesAgainstCurrentFolderAndPath) {
    TempDir dir;
    const auto cwd = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_EQ(resolveProgramPath("./Show.scr"), dir / "Show.scr");
    EXPECT_EQ(resolveProgramPath("sub/../Show.scr"), dir / "Show.scr");
    EXPECT_EQ(resolveProgramPath("/abs/x/y.scr"), "/abs/x/y.scr");

    // A bare name is looked up on $PATH; a symbolic link found there is kept as it is.
    fs::create_directory(dir / "bin");
    writeFile(dir / "bin/real", "#!/bin/sh\n");
    fs::permissions(dir / "bin/real", fs::perms::owner_all);
    fs::create_symlink(dir / "bin/real", dir / "bin/Alias.scr");
    const KeptEnvironment kept{"PATH"};
    setenv("PATH", ("/nonexistent:" + (dir / "bin")).c_str(), 1);
    EXPECT_EQ(resolveProgramPath("Alias.scr"), dir / "bin/Alias.scr");
    fs::current_path(cwd);
}

} // namespace
