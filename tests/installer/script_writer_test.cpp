// The bytes of the built settings file and "temp.iss", and the name, short-name and progress-line rules.
#include "../lib/test_files.h"
#include "builder/installer/script_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace vorlin::installer;

namespace {

using namespace vorlin::testing;

class BuildFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto d : {"prog", "compile", "a", "b", "sys"}) fs::create_directories(root / d);
        for (auto f : {"a/sea.jpg", "b/sea.jpg", "a/sun.gif", "a/song.mp3"}) spit(root / f, "x");
        spit(root / "prog/VorlinSaver.002",
             "[Pictures]\n/x/sea.jpg=1\n[Set]\nStetchImage=1\nImageInterval=7\nPicturePath=/a\nMonitors=1\n"
             "[Transitions]\n15=0\n363=0\n");
        in.saverName = "Holiday Pictures";
        in.installerPath = "/out/Holiday.run";
        in.programFolder = (root / "prog").string() + "/";
        in.compileFolder = (root / "compile").string() + "/";
        in.systemFolder = (root / "sys").string();
        in.workingSettingsFile = (root / "prog/VorlinSaver.002").string();
        in.website = "http://";
    }
    std::string p(const char* rel) { return (root / rel).string(); }

    TempDir tmp;
    fs::path root = tmp.path();
    BuildInput in;
};

} // namespace

TEST_F(BuildFiles, ScriptAndSettingsBytesWithMusicAndReadme) {
    in.author = "Ann";
    in.website = "http://ann.example";
    in.readme = "Hello\nSecond line";
    in.pictures = {
        {p("a/sea.jpg"), true}, {p("a/gone.jpg"), true}, {p("a/sun.gif"), false}, {p("b/sea.jpg"), true}};
    in.music = {{p("a/song.mp3"), true}};
    const BuildOutput out = writeBuildFiles(in);
    const std::string c = in.compileFolder, pf = in.programFolder;
    const std::string expected =
        "[Setup]\r\nAppName=Holiday Pictures\r\nAppVerName=Holiday Pictures\r\n"
        "DefaultDirName={pf}/Holiday Pictures\r\nDefaultGroupName=Holiday Pictures\r\n"
        "outputdir=\"/out/\"\r\nOutputBaseFilename=\"Holiday\"\r\n[Files]\r\n"
        "Source:\"" +
        pf +
        "VorlinSaver.scr\"; DestDir: \"{sys}/\"; DestName: \"Holiday Pictures.scr\"\r\n"
        "Source:\"" +
        pf +
        "VorlinSaver.001\"; DestDir: \"{sys}/\"\r\n"
        "Source:\"" +
        p("a/sea.jpg") +
        "\"; DestDir: \"{app}/sample\"\r\n"
        "Source:\"" +
        p("b/sea.jpg") +
        "\"; DestDir: \"{app}/sample\"; DestName: \"sea~2.jpg\"\r\n"
        "Source:\"" +
        p("a/song.mp3") +
        "\"; DestDir: \"{app}/sample\"\r\n"
        "Source:\"" +
        in.systemFolder +
        "/libmpegdll.so\"; DestDir: \"{sys}/\"\r\n"
        "Source:\"" +
        c +
        "Readme.txt\"; DestDir: \"{app}/\"; flags: isreadme\r\n"
        "Source:\"" +
        c +
        "Holiday Pictures.002\"; DestDir: \"{sys}/\"; DestName: \"Holiday Pictures.002\"\r\n"
        "[Registry]\r\nRoot: HKCU; Subkey: \"Software\\Mirtavo\\Holiday Pictures\"; ValueType: string; "
        "ValueName: \"\"; ValueData: {app}; flags: uninsdeletekey\r\n"
        "[INI]\r\nFilename: \"{win}/system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; "
        "String: \"{sys}/Holida~1.scr\"\r\n"
        "[Icons]\r\nName: \"{group}/Holiday Pictures\"; Filename: \"{sys}/Holiday Pictures.scr\"\r\n"
        "Name: \"{userdesktop}/Holiday Pictures\"; Filename: \"{sys}/Holiday Pictures.scr\"\r\n"
        "Name: \"{group}/Uninstall\"; Filename: \"{app}/unins000\"\r\n"
        "Name: \"{app}/Holiday Pictures\"; Filename: \"{sys}/Holiday Pictures.scr\"\r\n"
        "Name: \"{group}/Readme\"; Filename: \"{app}/readme.txt\"\r\n";
    EXPECT_EQ(readFile(out.scriptFile), expected);
    // Author and Website first, then the working file's [Set] and [Transitions]; the second picture named
    // sea.jpg under a name of its own; the unticked and the missing ones left out.
    EXPECT_EQ(
        readFile(out.settingsFile),
        "[Set]\nAuthor=Ann\nWebsite=http://ann.example\nStetchImage=1\nImageInterval=7\nPicturePath=/a\n"
        "Monitors=1\n[Transitions]\n15=0\n363=0\n[Pictures]\nsea.jpg=1\nsea~2.jpg=1\n[Music]\nsong.mp3=1\n");
    EXPECT_EQ(readFile(out.readmeFile), "Hello\r\nSecond line\r\n");
    cleanUpBuildFiles(out);
    EXPECT_TRUE(fs::is_empty(root / "compile"));
}

TEST_F(BuildFiles, FolderPicturesArePackedAfterTheListedOnesUnderNamesOfTheirOwn) {
    // Two folders holding equal names (one in another letter case: the built file's keys ignore case),
    // one with a sub-folder; a listed picture that a folder holds too; an excluded folder never gets here.
    for (auto f : {"f1/IMG_1.jpg", "f1/x.png", "f2/img_1.JPG", "f2/IMG_1.jpg", "f2/sub/IMG_1.jpg",
                   "f2/sub/IMG_1~2.jpg", "f2/notes.txt"}) {
        fs::create_directories((root / f).parent_path());
        spit(root / f, "x");
    }
    spit(root / "prog/VorlinSaver.002", "[Set]\nImageInterval=7\n[Folders]\n" + p("f1") + "=1\n");
    in.pictures = {{p("a/sea.jpg"), true}, {p("f1/x.png"), true}};
    in.folders = {{p("f1"), false}, {p("f2"), true}};
    const BuildOutput out = writeBuildFiles(in);
    EXPECT_EQ(readFile(out.settingsFile),
              "[Set]\nImageInterval=7\n[Pictures]\nsea.jpg=1\nx.png=1\nIMG_1.jpg=1\n"
              "IMG_1~2.jpg=1\nimg_1~3.JPG=1\nIMG_1~4.jpg=1\nIMG_1~2~2.jpg=1\n");
    const std::string script = readFile(out.scriptFile);
    const auto line = [&](const char* rel, const char* dest) {
        const std::string s = "Source:\"" + p(rel) + "\"; DestDir: \"{app}/sample\"";
        return dest ? s + "; DestName: \"" + dest + "\"\r\n" : s + "\r\n";
    };
    const std::string files = line("a/sea.jpg", nullptr) + line("f1/x.png", nullptr) +
                              line("f1/IMG_1.jpg", nullptr) + line("f2/IMG_1.jpg", "IMG_1~2.jpg") +
                              line("f2/img_1.JPG", "img_1~3.JPG") + line("f2/sub/IMG_1.jpg", "IMG_1~4.jpg") +
                              line("f2/sub/IMG_1~2.jpg", "IMG_1~2~2.jpg");
    EXPECT_NE(script.find(files), std::string::npos) << script;
}

TEST(SampleNames, TakenNamesGetANumberBeforeTheExtension) {
    std::set<std::string> taken;
    const char* rows[][2] = {{"a.jpg", "a.jpg"},       {"A.JPG", "A~2.JPG"}, {"a.jpg", "a~3.jpg"},
                             {"a~2.jpg", "a~2~2.jpg"}, {"noext", "noext"},   {"NoExt", "NoExt~2"},
                             {".jpg", ".jpg"},         {".JPG", ".JPG~2"},   {"a.b.gif", "a.b.gif"},
                             {"a.b.GIF", "a.b~2.GIF"}};
    for (const auto& r : rows) EXPECT_EQ(uniqueSampleName(r[0], taken), r[1]) << r[0];
}

TEST_F(BuildFiles, NoMusicNoReadmeAndWebsiteRules) {
    in.pictures = {{p("a/sun.gif"), true}};
    in.music = {{p("a/song.mp3"), false}};
    struct Row {
        std::string author, website, set;
    } rows[] = {
        {"", "http://", "[Set]\nStetchImage=1"},
        {"", "", "[Set]\nWebsite=\nStetchImage=1"},
        {"Bo", "http://", "[Set]\nAuthor=Bo\nStetchImage=1"},
    };
    for (const auto& r : rows) {
        in.author = r.author;
        in.website = r.website;
        const BuildOutput out = writeBuildFiles(in);
        EXPECT_EQ(readFile(out.settingsFile).substr(0, r.set.size()), r.set) << r.website;
        const std::string script = readFile(out.scriptFile);
        EXPECT_EQ(script.find("libmpegdll"), std::string::npos);
        EXPECT_EQ(script.find("Readme"), std::string::npos);
        EXPECT_TRUE(out.readmeFile.empty());
        EXPECT_FALSE(fs::exists(root / "compile/Readme.txt"));
    }
}

TEST_F(BuildFiles, HostilePathsAreQuotedOrLeftOut) {
    spit(root / "a/say \"hi\" {app}; x.jpg", "x");
    spit(root / "a/two\nlines.jpg", "x");
    spit(root / "a/k=v.jpg", "x");
    in.pictures = {
        {p("a/say \"hi\" {app}; x.jpg"), true}, {p("a/two\nlines.jpg"), true}, {p("a/k=v.jpg"), true}};
    const BuildOutput out = writeBuildFiles(in);
    const std::string script = readFile(out.scriptFile);
    EXPECT_NE(
        script.find("Source:\"" + p("a/say \"\"hi\"\" {{app}; x.jpg") + "\"; DestDir: \"{app}/sample\"\r\n"),
        std::string::npos);
    EXPECT_EQ(script.find("lines.jpg"), std::string::npos);
    EXPECT_EQ(script.find("k=v"), std::string::npos);
    EXPECT_EQ(out.notes.size(), 2u);
}

TEST_F(BuildFiles, UnwritableFilesNameThePath) {
    in.compileFolder = p("missing") + "/";
    try {
        writeBuildFiles(in);
        FAIL();
    } catch (const BuildWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + in.compileFolder + "Holiday Pictures.002");
    }
    // A folder where the script should be: the settings file is written, the script is not.
    fs::create_directories(root / "compile/temp.iss");
    in.compileFolder = (root / "compile").string() + "/";
    try {
        writeBuildFiles(in);
        FAIL();
    } catch (const BuildWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + in.compileFolder + "temp.iss");
    }
}

TEST(SaverNames, Rules) {
    const auto fixed = [] { return 42; };
    struct Row {
        const char *edit, *installer, *name;
    } rows[] = {
        {"  Sea \t", "/o/x.run", "Sea"},
        {"   ", "/o/Sea.run", "Sea"},
        {"My\\/:*?\"<>|Show", "/o/x.run", "MyShow"},
        {"VorlinSaver", "/o/x.run", "VorlinSaver42"},
        {"vorlinSAVER", "/o/x.run", "vorlinSAVER42"},
        {"..", "/o/Sea.run", "Sea"},
        {"Ann's; {app}", "/o/x.run", "Ann's; {app}"},
    };
    for (const auto& r : rows) EXPECT_EQ(makeSaverName(r.edit, r.installer, fixed).name, r.name) << r.edit;
    // Nothing left at all: refused with a message, never a bare ".scr".
    const SaverName none = makeSaverName("\"*?", "/o/<>.run", fixed);
    EXPECT_TRUE(none.name.empty());
    EXPECT_FALSE(none.error.empty());
    EXPECT_EQ(makeSaverName(std::string(237, 'a'), "/o/x.run", fixed).name.size(), 237u);
    EXPECT_FALSE(makeSaverName(std::string(238, 'a'), "/o/x.run", fixed).error.empty());
}

TEST(SaverNames, InstallerPathAndShortName) {
    EXPECT_EQ(installerPathFor("/o/Sea"), "/o/Sea.run");
    EXPECT_EQ(installerPathFor("/o/Sea.RUN"), "/o/Sea.run");
    EXPECT_EQ(installerPathFor("/o/Sea.run"), "/o/Sea.run");
    EXPECT_EQ(installerPathFor("/o/Sea.run.old"), "/o/Sea.run.old.run");
    EXPECT_EQ(installerPathFor("/o/a.runner/x"), "/o/a.runner/x.run");
    const char* rows[][2] = {
        {"Sea.scr", "Sea.scr"},           {"Holiday Pictures.scr", "Holida~1.scr"},
        {"My Sea.scr", "MySea~1.scr"},    {"Holidays1.scr", "Holida~1.scr"},
        {"Holiday1.scr", "Holiday1.scr"}, {"a b c d e.scr", "abcde~1.scr"},
        {"a.scrap.scr", "a.scrap.scr"},   {"ÄÖÜäöüßé x.scr", "ÄÖÜäöü~1.scr"},
    };
    for (const auto& r : rows) EXPECT_EQ(shortScrName(r[0]), r[1]) << r[0];
}

TEST(ProgressLines, Filter) {
    const char* rows[][2] = {
        {"  Compressing files\r\n", "Compressing files"},
        {"Reading [Files] section", ""},
        {"a ] then [ b", ""},
        {"Adding File: /x/a.jpg", ""},
        {"[", "["},
        {"File:x", "File:x"},
        {" \t ", ""},
    };
    for (const auto& r : rows) EXPECT_EQ(filterProgressLine(r[0]), r[1]) << r[0];
}
