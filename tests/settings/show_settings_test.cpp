#include "../lib/environment.h"
#include "../lib/test_files.h"
#include "platform/installed_layout.h"
#include "show/settings/show_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace vorlin::show;
using vorlin::platform::Registry;
using vorlin::platform::WriteError;
using namespace vorlin::testing;

namespace {

// A program folder, an installation folder with its "sample" folder, and a registry store of their own.
class ShowFolder : public ::testing::Test {
protected:
    TempDir root;
    std::string program = root / "prog/";
    std::string install = root / "inst";
    Registry registry{root / "registry.ini"};

    void SetUp() override {
        fs::create_directories(program);
        fs::create_directories(install + "/sample");
    }
    ShowSettingsFile read(const std::string& programName, const std::string& settings) {
        writeFile(program + "MyShow.002", settings);
        ShowSettingsFile f;
        f.read(program + programName, registry);
        return f;
    }
    void touch(const std::string& path) { writeFile(path, "x"); }
};

TEST(ProgramPlaces, BaseNameCutsTheExtensionAtItsFirstOccurrence) {
    const struct {
        const char* path;
        const char* folder;
        const char* base;
    } rows[] = {
        {"/a/MyShow.scr", "/a/", "MyShow"},           {"/a/my.scrapbook.scr", "/a/", "my"},
        {"/a/VorlinSaver.EXE", "/a/", "VorlinSaver"}, {"/a/VorlinSaver", "/a/", "VorlinSaver"},
        {"/a.b/VorlinSaver", "/a.b/", "VorlinSaver"}, {"/a/x.c.b.c", "/a/", "x"},
        {"/a/Show.SCR.scr", "/a/", "Show.SCR"},       {"/a/name.", "/a/", "name"},
        {"/MYSHOW~1.SCR", "/", "MYSHOW~1"},
    };
    for (const auto& r : rows) {
        const auto p = programPlaces(r.path);
        EXPECT_EQ(p.programFolder, r.folder) << r.path;
        EXPECT_EQ(p.baseName, r.base) << r.path;
    }
}

TEST_F(ShowFolder, MissingFileGivesDefaults) {
    ShowSettingsFile f;
    f.read(program + "Nothing.scr", registry);
    const ShowSettings defaults;
    const auto& s = f.settings;
    EXPECT_TRUE(s.Pictures.empty());
    EXPECT_TRUE(s.Music.empty());
    EXPECT_EQ(s.RandomImage, true);
    EXPECT_EQ(s.PlayMusic, true);
    EXPECT_EQ(s.StetchImage || s.AllowReverseTransition || s.ClearOldImage || s.RandomMusic || s.LoopMusic,
              false);
    EXPECT_EQ(s.ImageInterval, 3);
    EXPECT_EQ(s.EffectSpeed, 3);
    EXPECT_EQ(s.BackgroundColor, 0);
    EXPECT_EQ(s.EnabledEffects.count(), 123u);
    for (int n : {0, 119, 120, 121, 122}) EXPECT_FALSE(s.EnabledEffects[n]) << n;
    for (int n : {1, 118, 123, 127}) EXPECT_TRUE(s.EnabledEffects[n]) << n;
    EXPECT_EQ(f.places.settingsFile, program + "Nothing.002");
    EXPECT_EQ(f.places.installationFolder, "/");
}

TEST_F(ShowFolder, ShortNameFindsTheLongSettingsFile) {
    writeFile(program + "MyShow Deluxe.002", "[Set]\nAuthor=Deluxe\n");
    writeFile(program + "MyShowOther.txt", "");
    fs::create_directory(program + "MyShow A folder.002");
    ShowSettingsFile f;
    f.read(program + "MYSHOW~1.SCR", registry);
    EXPECT_EQ(f.places.baseName, "MyShow Deluxe");
    EXPECT_EQ(f.places.settingsFile, program + "MyShow Deluxe.002");
    EXPECT_EQ(f.settings.Author, "Deluxe");

    ShowSettingsFile none;
    none.read(program + "OTHER~1.SCR", registry);
    EXPECT_EQ(none.places.baseName, "OTHER~1");
    EXPECT_EQ(none.places.settingsFile, program + "OTHER~1.002");
}

TEST_F(ShowFolder, InstallationFolderFromTheRegistry) {
    registry.writeString("Software\\Mirtavo\\MyShow", "", install);
    registry.writeString("Software\\Mirtavo\\MyShowX", "", "/wrong");
    registry.writeDword("Software\\Mirtavo\\Typed", "", 5);
    auto f = read("MyShow.scr", "");
    EXPECT_EQ(f.places.installationFolder, install + "/");
    ShowSettingsFile typed;
    typed.read(program + "Typed.scr", registry);
    EXPECT_EQ(typed.places.installationFolder, "/") << "a number is not a folder";
}

// A program folder holding the package's marker is read-only: the working settings file and the
// installation folder move to the person's working folder, unless the registry names a folder.
TEST_F(ShowFolder, InstalledProgramWorksInThePersonsFolder) {
    const std::string data = root / "data";
    const KeptEnvironment kept{"XDG_DATA_HOME"};
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const std::string working = data + "/vorlinsaver/builder/";
    fs::create_directories(working + "sample");
    writeFile(working + "VorlinSaver.002", "[Pictures]\ndemo1.jpg=1\n");
    touch(working + "sample/demo1.jpg");
    writeFile(program + "VorlinSaver.002", "[Pictures]\nwrong.jpg=1\n");
    touch(program + "wrong.jpg");

    writeFile(program + "installed.ini", "[Installed]\nData=../share/vorlinsaver\n");
    ShowSettingsFile installed;
    installed.read(program + "VorlinSaver", registry);
    EXPECT_EQ(installed.places.programFolder, program);
    EXPECT_EQ(installed.places.installationFolder, working);
    EXPECT_EQ(installed.places.settingsFile, working + "VorlinSaver.002");
    EXPECT_EQ(installed.settings.Pictures, std::vector<std::string>{working + "sample/demo1.jpg"});

    registry.writeString("Software\\Mirtavo\\VorlinSaver", "", install);
    const auto recorded = settingsPlaces(program + "VorlinSaver", registry);
    EXPECT_EQ(recorded.installationFolder, install + "/") << "the registry value wins";
    EXPECT_EQ(recorded.settingsFile, install + "/VorlinSaver.002");

    fs::remove(program + "installed.ini");
    const auto staged = settingsPlaces(program + "VorlinSaver", registry);
    EXPECT_EQ(staged.settingsFile, program + "VorlinSaver.002") << "no marker, no change";
}

TEST_F(ShowFolder, InstalledLayoutNamesItsDataFolder) {
    const std::string folder = root / "lib/vorlinsaver/";
    fs::create_directories(folder);
    const struct {
        const char* marker;
        std::string data;
    } rows[] = {
        {"[Installed]\nData=../../share/vorlinsaver\n", root / "share/vorlinsaver/"},
        {"[installed]\ndata = /opt/v/data/\n", "/opt/v/data/"},
        {"[Installed]\n", folder},
        {"", folder},
    };
    for (const auto& r : rows) {
        writeFile(folder + "installed.ini", r.marker);
        const auto layout = vorlin::platform::installedLayout(folder);
        ASSERT_TRUE(layout) << r.marker;
        EXPECT_EQ(layout->dataFolder, r.data) << r.marker;
    }
    EXPECT_FALSE(vorlin::platform::installedLayout(program)) << "no marker";
}

TEST_F(ShowFolder, PicturesAndMusicAreLookedUpAndFiltered) {
    registry.writeString("Software\\Mirtavo\\MyShow", "", install);
    touch(root / "elsewhere.jpg");
    touch(program + "a.jpg");
    touch(program + "b.jpg");
    touch(install + "/sample/c.jpg");
    touch(install + "/sample/a.jpg");
    touch(program + "song.mp3");
    fs::create_directory(program + "dir.jpg");
    const auto f = read("MyShow.scr", "[Pictures]\n" + (root / "elsewhere.jpg") +
                                          "=1\n"
                                          "C:\\old\\a.jpg=1\n"
                                          "b.jpg=0\n"
                                          "/gone/c.jpg=1\n"
                                          "missing.jpg=1\n"
                                          "dir.jpg=1\n"
                                          "/x/A.jpg=yes\n"
                                          "[Music]\n"
                                          "/old/song.mp3\n"
                                          "/old/song.mp3=1\n"
                                          "[pictures]\n"
                                          "a.jpg=1\n");
    const std::vector<std::string> pictures = {root / "elsewhere.jpg", program + "a.jpg",
                                               install + "/sample/c.jpg", program + "a.jpg"};
    EXPECT_EQ(f.settings.Pictures, pictures);
    EXPECT_EQ(f.settings.Music, std::vector<std::string>{program + "song.mp3"});
}

TEST_F(ShowFolder, TransitionsBecomeTheEnabledSet) {
    const struct {
        const char* section;
        std::vector<int> disabled; // besides 0 and 119..122
    } rows[] = {
        {"15=0\n", {5}},
        {"16=0\n17=0\n", {5}},
        {"15=1\n", {}},
        {"abc=0\n999=0\n-3=0\n", {}},
        {"0x0F=0\n", {5}},
        {"3=0\n381=0\n384=0\n", {1, 127}},
        {"360=1\n363=\n366=no\n", {121, 122}},
    };
    for (const auto& r : rows) {
        const auto f = read("MyShow.scr", std::string("[Transitions]\n") + r.section);
        std::bitset<128> expected;
        for (int n = 1; n <= 127; ++n) expected.set(n);
        for (int n : {119, 120, 121, 122}) expected.reset(n);
        for (int n : r.disabled) expected.reset(n);
        EXPECT_EQ(f.settings.EnabledEffects, expected) << r.section;
    }
}

TEST_F(ShowFolder, OptionsWithDefaultsAndNumbers) {
    const std::string longText(3000, 'w');
    const auto f =
        read("MyShow.scr", "[set]\n"
                           "imageinterval=0x0A\n"
                           "EffectSpeed=ten\n"
                           "BackgroundColor=-16777201\n"
                           "StetchImage=1\n"
                           "RandomImage=0\n"
                           "PlayMusic=\n"
                           "LoopMusic=2\n"
                           "Author=  Ann  \n"
                           "Website=" +
                               longText + "\nPicturePath=" + std::string(2046, 'p') + "\xC3\xA9\n");
    const auto& s = f.settings;
    EXPECT_EQ(s.ImageInterval, 10);
    EXPECT_EQ(s.EffectSpeed, 3);
    EXPECT_EQ(s.BackgroundColor, -16777201);
    EXPECT_TRUE(s.StetchImage);
    EXPECT_FALSE(s.RandomImage);
    EXPECT_TRUE(s.PlayMusic) << "an empty value takes the default";
    EXPECT_TRUE(s.LoopMusic);
    EXPECT_EQ(s.Author, "Ann");
    EXPECT_EQ(s.Website, std::string(2047, 'w'));
    EXPECT_EQ(s.PicturePath, std::string(2046, 'p')) << "a character is not split";
    EXPECT_EQ(s.Monitors, mmSame) << "missing";
}

TEST_F(ShowFolder, MonitorsKnowsThreeValuesAndReadsOthersAsTheFirst) {
    const std::pair<const char*, int> rows[] = {{"0", mmSame},   {"1", mmDifferent}, {"2", mmSpan},
                                                {"0x2", mmSpan}, {"3", mmSame},      {"-1", mmSame},
                                                {"two", mmSame}};
    for (const auto& [text, mode] : rows)
        EXPECT_EQ(read("MyShow.scr", std::string("[Set]\nMonitors=") + text + "\n").settings.Monitors, mode)
            << text;
}

// The photo looks: off when missing, the INI reader's numbers (hex too), and anything else off: a text,
// a value outside the choice, a negative one. Booleans read as every boolean of [Set] does: non-zero is on.
TEST_F(ShowFolder, PhotoLookKeysReadOffUnlessTheirValueIsKnown) {
    const struct {
        const char* set;
        bool panZoom;
        std::int32_t caption, clock, fill;
        bool shuffle;
    } rows[] = {
        {"", false, cpNone, ckNone, pfColor, false},
        {"PanZoom=1\nCaption=3\nClock=2\nFill=2\nShuffle=1\n", true, cpTitle, ckTimeDate, pfCrop, true},
        {"PanZoom=0\nCaption=1\nClock=1\nFill=1\nShuffle=0\n", false, cpFileName, ckTime, pfBlur, false},
        {"panzoom=0x1\ncaption=0x2\nCLOCK=0X1\nfill=0x2\nshuffle=0x10\n", true, cpDateTaken, ckTime, pfCrop,
         true},
        {"PanZoom=yes\nCaption=date\nClock=on\nFill=blur\nShuffle=true\n", false, 0, 0, 0, false},
        {"PanZoom=\nCaption=\nClock=\nFill=\nShuffle=\n", false, 0, 0, 0, false},
        {"Caption=4\nClock=3\nFill=3\n", false, 0, 0, 0, false},
        {"Caption=-1\nClock=-2\nFill=-0x1\n", false, 0, 0, 0, false},
        {"Caption=1.5\nClock=0x100000001\nFill=99999999999\n", false, 0, 0, 0, false},
        {"PanZoom=-1\nShuffle= 2 \nCaption= 2 \n", true, cpDateTaken, 0, 0, true},
    };
    for (const auto& r : rows) {
        const auto& s = read("MyShow.scr", std::string("[Set]\n") + r.set).settings;
        EXPECT_EQ(s.PanZoom, r.panZoom) << r.set;
        EXPECT_EQ(s.Caption, r.caption) << r.set;
        EXPECT_EQ(s.Clock, r.clock) << r.set;
        EXPECT_EQ(s.Fill, r.fill) << r.set;
        EXPECT_EQ(s.Shuffle, r.shuffle) << r.set;
    }
}

// [Folders]: in file order; 0 leaves a folder out, 2 takes its sub-folders too, any other value (a text,
// nothing, 3, a negative number) is the folder alone.
TEST_F(ShowFolder, FoldersKeepFileOrderAndTheirSubfolderChoice) {
    const auto f = read("MyShow.scr", "[Folders]\n/p/one=1\n/p/none=0\n/p/deep=2\n/p/word=yes\n"
                                      "/p/three=3\n/p/negative=-1\n"
                                      "/p/hex=0x2\n/p/empty=\n/p/nothex=0x0\n/p/with space/x=2\n");
    const std::vector<TPictureFolder> expected = {
        {"/p/one", false},      {"/p/deep", true}, {"/p/word", false},  {"/p/three", false},
        {"/p/negative", false}, {"/p/hex", true},  {"/p/empty", false}, {"/p/with space/x", true},
    };
    EXPECT_EQ(f.settings.Folders, expected);
    EXPECT_TRUE(read("MyShow.scr", "[Set]\nPanZoom=1\n").settings.Folders.empty());
}

TEST_F(ShowFolder, WriteOptionsRoundTripsAndKeepsOtherSections) {
    touch(program + "a.jpg");
    auto f =
        read("MyShow.scr", "[Pictures]\na.jpg=1\n[Set]\nAuthor=Ann\nImageInterval=9\n[Transitions]\n15=0\n");
    auto& s = f.settings;
    s.StetchImage = true;
    s.RandomImage = false;
    s.AllowReverseTransition = true;
    s.ClearOldImage = true;
    s.PlayMusic = false;
    s.RandomMusic = true;
    s.LoopMusic = true;
    s.ImageInterval = -5;
    s.BackgroundColor = 0x00FF8040;
    s.EffectSpeed = 5;
    s.IdleMinutes = 500; // stored within the watcher's range
    s.PicturePath = "/pics/";
    s.MusicPath = "/music; and=more";
    s.Author = "not written";
    s.Monitors = mmSpan;
    f.writeOptions();
    EXPECT_EQ(readFile(program + "MyShow.002"),
              "[Pictures]\na.jpg=1\n[Set]\nAuthor=Ann\nImageInterval=-5\n"
              "StetchImage=1\nRandomImage=0\nAllowReverseTransition=1\n"
              "ClearOldImage=1\nPlayMusic=0\nRandomMusic=1\nLoopMusic=1\n"
              "BackgroundColor=16744512\nEffectSpeed=5\nIdleMinutes=120\nPicturePath=/pics/\n"
              "MusicPath=/music; and=more\nMonitors=2\nPanZoom=0\nCaption=0\nClock=0\nFill=0\nShuffle=0\n"
              "[Transitions]\n15=0\n");
    ShowSettingsFile again;
    again.read(program + "MyShow.scr", registry);
    EXPECT_EQ(again.settings.MusicPath, "/music; and=more");
    EXPECT_EQ(again.settings.ImageInterval, -5);
    EXPECT_EQ(again.settings.Monitors, mmSpan);
    EXPECT_EQ(again.settings.Author, "Ann");
    EXPECT_FALSE(again.settings.EnabledEffects[5]);
    EXPECT_EQ(again.settings.Pictures.size(), 1u);
}

TEST_F(ShowFolder, FailedWriteKeepsTheOldFileAndSaysSo) {
    auto f = read("MyShow.scr", "[Set]\nImageInterval=9\n");
    const std::string before = readFile(program + "MyShow.002");
    f.settings.ImageInterval = 1;
    fs::rename(program, root / "moved");
    EXPECT_THROW(f.writeOptions(), WriteError);
    fs::rename(root / "moved", program);
    EXPECT_EQ(readFile(program + "MyShow.002"), before);

    f.settings.PicturePath = "two\nlines";
    EXPECT_THROW(f.writeOptions(), WriteError);
    EXPECT_EQ(readFile(program + "MyShow.002"), before);

    ShowSettingsFile unread;
    EXPECT_THROW(unread.writeOptions(), std::logic_error);
}

TEST_F(ShowFolder, HostileFilesReadSanely) {
    touch(program + "a.jpg");
    std::string garbage(64 * 1024, '\0');
    unsigned seed = 7;
    for (auto& c : garbage) c = char((seed = seed * 1103515245u + 12345u) >> 16);
    const std::string bigKey(10 * 1024 * 1024, 'k');
    const struct {
        const char* name;
        std::string content;
        std::size_t pictures;
        std::int32_t interval;
    } rows[] = {
        {"garbage", garbage, 0, 3},
        {"garbage then a good tail", garbage + "\n[Pictures]\na.jpg=1\n[Set]\nImageInterval=4", 1, 4},
        {"ten megabyte key", "[Pictures]\n" + bigKey + "=1\na.jpg=1\n[Set]\nImageInterval=5\n", 1, 5},
        {"mixed endings, no final newline", "[Pictures]\r\na.jpg=1\r[Set]\nImageInterval=6", 1, 6},
        {"duplicates",
         "[Set]\nImageInterval=7\nImageInterval=8\n[Pictures]\na.jpg=1\n[SET]\nImageInterval=9\n", 1, 7},
    };
    for (const auto& r : rows) {
        const auto f = read("MyShow.scr", r.content);
        EXPECT_EQ(f.settings.Pictures.size(), r.pictures) << r.name;
        EXPECT_EQ(f.settings.ImageInterval, r.interval) << r.name;
    }
}

TEST_F(ShowFolder, ReloadSeesWritesAndClearsLists) {
    touch(program + "a.jpg");
    touch(program + "b.jpg");
    auto f = read("MyShow.scr", "[Pictures]\na.jpg=1\n");
    ASSERT_EQ(f.settings.Pictures.size(), 1u);
    f.iniFile()->writeBool("Pictures", "b.jpg", true);
    f.read(program + "MyShow.scr", registry);
    EXPECT_EQ(f.settings.Pictures, (std::vector<std::string>{program + "a.jpg", program + "b.jpg"}));
}

TEST_F(ShowFolder, FolderPicturesFollowTheListedOnesInFolderOrder) {
    touch(program + "listed.jpg");
    fs::create_directories(root / "photos/trip");
    fs::create_directories(program + "beside");
    for (const char* f : {"photos/b.jpg", "photos/a.jpg", "photos/trip/c.jpg", "photos/notes.txt"})
        touch(root / f);
    touch(program + "beside/d.png");
    // A folder left out (0), one with its sub-folders (2), a relative one (beside the settings file), a
    // missing one; a listed picture that a folder holds too shows twice, as a repeated listed one does.
    const auto f =
        read("MyShow.scr", "[Pictures]\n" + (root / "photos/a.jpg") + "=1\nlisted.jpg=1\n[Folders]\n" +
                               (root / "photos/trip") + "=0\nbeside=1\n" + (root / "gone") + "=1\n" +
                               (root / "photos") + "=2\n");
    const std::vector<std::string> pictures = {root / "photos/a.jpg",    program + "listed.jpg",
                                               program + "beside/d.png", root / "photos/a.jpg",
                                               root / "photos/b.jpg",    root / "photos/trip/c.jpg"};
    EXPECT_EQ(f.settings.Pictures, pictures);
    EXPECT_EQ(f.settings.Folders, (std::vector<TPictureFolder>{
                                      {"beside", false}, {root / "gone", false}, {root / "photos", true}}));
}

} // namespace
