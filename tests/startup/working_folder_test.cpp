// An installed program's start readies the person's working folder: a fake installation (program folder
// with the marker, data folder with a demo show) in a temporary root, and a temporary HOME.
#include "../lib/test_files.h"
#include "platform/registry.h"
#include "show/settings/show_settings.h"
#include "startup/working_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using vorlin::platform::Registry;
using vorlin::show::settingsPlaces;
using vorlin::show::ShowSettingsFile;
using vorlin::startup::prepareWorkingFolder;
using namespace vorlin::testing;

namespace {

class WorkingFolder : public ::testing::Test {
protected:
    TempDir root;
    fs::path program = root / "usr/lib/vorlinsaver";
    fs::path demo = root / "usr/share/vorlinsaver/demo";
    fs::path home = root / "home";
    fs::path working = home / ".local/share/vorlinsaver/builder";
    fs::path system = home / ".local/share/vorlinsaver/system";
    Registry registry{root / "registry.ini"};

    void SetUp() override {
        for (const fs::path& d : {program / "Compile", demo, home}) fs::create_directories(d);
        writeFile(program / "installed.ini", "[Installed]\nData=../../share/vorlinsaver\n");
        writeFile(program / "Compile/vorlinbuild", "compiler");
        writeFile(program / "Compile/vorlin-install", "installer");
        writeFile(program / "libmpegdll.so", "library 1");
        writeFile(demo / "VorlinSaver.002", "[Pictures]\ndemo1.jpg=1\n[Music]\nchime.wav=1\n");
        writeFile(demo / "demo1.jpg", "picture");
        writeFile(demo / "chime.wav", "music");
        setenv("HOME", home.c_str(), 1);
        for (const char* v : {"XDG_DATA_HOME", "VORLIN_SYSTEM_DIR"}) unsetenv(v);
    }

    std::vector<std::string> start() {
        return prepareWorkingFolder(settingsPlaces((program / "VorlinSaver").string(), registry));
    }
};

TEST_F(WorkingFolder, FirstStartCopiesTheDemoShowWhereTheShowFindsIt) {
    EXPECT_EQ(start(), std::vector<std::string>{});
    EXPECT_EQ(readFile(working / "VorlinSaver.002"), readFile(demo / "VorlinSaver.002"));
    EXPECT_FALSE(fs::exists(working / "sample/VorlinSaver.002"));
    for (const char* name : {"vorlinbuild", "vorlin-install"}) {
        ASSERT_TRUE(fs::is_symlink(working / "Compile" / name)) << name;
        EXPECT_EQ(fs::read_symlink(working / "Compile" / name), program / "Compile" / name);
    }
    EXPECT_EQ(readFile(system / "libmpegdll.so"), "library 1");

    ShowSettingsFile show;
    show.read((program / "VorlinSaver").string(), registry);
    EXPECT_EQ(show.settings.Pictures, std::vector<std::string>{(working / "sample/demo1.jpg").string()});
    EXPECT_EQ(show.settings.Music, std::vector<std::string>{(working / "sample/chime.wav").string()});
}

TEST_F(WorkingFolder, LaterStartsKeepThePersonsWorkAndFollowThePackage) {
    start();
    writeFile(working / "VorlinSaver.002", "[Set]\nImageInterval=9\n");
    fs::remove(working / "sample/demo1.jpg");
    // A moved installation left a dangling link; a compiler of the person's own stays.
    fs::remove(working / "Compile/vorlinbuild");
    fs::create_symlink(root / "gone/vorlinbuild", working / "Compile/vorlinbuild");
    fs::remove(working / "Compile/vorlin-install");
    writeFile(working / "Compile/vorlin-install", "mine");
    writeFile(program / "libmpegdll.so", "library 2");

    EXPECT_EQ(start(), std::vector<std::string>{});
    EXPECT_EQ(readFile(working / "VorlinSaver.002"), "[Set]\nImageInterval=9\n");
    EXPECT_FALSE(fs::exists(working / "sample/demo1.jpg")) << "the demo is copied only without a show";
    EXPECT_EQ(fs::read_symlink(working / "Compile/vorlinbuild"), program / "Compile/vorlinbuild");
    EXPECT_EQ(readFile(working / "Compile/vorlin-install"), "mine");
    EXPECT_EQ(readFile(system / "libmpegdll.so"), "library 2");
}

TEST_F(WorkingFolder, RegistryFolderNoMarkerAndFailures) {
    // The registry's folder is the working folder.
    registry.writeString("Software\\Mirtavo\\VorlinSaver", "", root / "mine");
    EXPECT_EQ(start(), std::vector<std::string>{});
    EXPECT_TRUE(fs::exists(root / "mine/VorlinSaver.002"));
    EXPECT_FALSE(fs::exists(working));
    registry.deleteKey("Software\\Mirtavo\\VorlinSaver");

    // A file where the working folder should be: reported, nothing thrown, nothing else done.
    fs::create_directories(working.parent_path());
    writeFile(working, "in the way");
    const auto problems = start();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(working.string()), std::string::npos) << problems[0];
    fs::remove(working);

    // A program folder without the marker (a stage folder, a built screen saver) is left alone.
    fs::remove(program / "installed.ini");
    fs::remove_all(home / ".local");
    EXPECT_EQ(start(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(home / ".local"));
}

} // namespace
