// The script the builder writes, read back the way vorlinbuild and the installer read it: every name and
// path that went in comes out unchanged, however awkward.
#include "../lib/test_files.h"
#include "builder/installer/script_writer.h"
#include "installer_script/script.h"

#include <gtest/gtest.h>

using namespace vorlin::installer;
namespace iss = vorlin::iss;
using vorlin::testing::TempDir;
using vorlin::testing::writeFile;

namespace {

const std::map<std::string, std::string> kPlaces = {
    {"pf", "/PF"},   {"sys", "/SYS"},          {"app", "/APP"},
    {"group", "/G"}, {"userdesktop", "/DESK"}, {"win", "/WIN"}};

std::string expanded(const iss::ScriptEntry& e, const char* parameter) {
    return iss::expandConstants(e.at(parameter), kPlaces);
}

} // namespace

TEST(ScriptRoundTrip, AwkwardNamesComeBackAsTheyWent) {
    const TempDir tmp;
    // Quotes, blanks, semicolons, braces (also ones that look like constants), "=" and non-ASCII letters, in
    // the folders, the file names and the show's name.
    const std::string odd = tmp / "a \"q\"; {app} }{ {{ é日本";
    for (const char* sub : {"/prog/", "/Compile/", "/sys/", "/out; {x}/"})
        std::filesystem::create_directories(odd + sub);
    writeFile(odd + "/prog/VorlinSaver.002", "[Set]\nImageInterval=7\n");
    const std::vector<std::string> pictures = {odd + "/say \"hi\"; {app} x.jpg", odd + "/Ä ö {{ }.png",
                                               odd + "/\"\".gif", odd + "/a;.bmp"};
    const std::string song = odd + "/song {sys} \"1\".mp3";
    BuildInput in;
    in.saverName = makeSaverName("  Ann's; {Fotos} \"Ä\" ü日本 {{x}} ", "", [] { return 0; }).name;
    ASSERT_EQ(in.saverName, "Ann's; {Fotos} Ä ü日本 {{x}}");
    in.installerPath = installerPathFor(odd + "/out; {x}/Holi \"day\" {app}");
    in.programFolder = odd + "/prog/";
    in.compileFolder = odd + "/Compile/";
    in.systemFolder = odd + "/sys";
    in.workingSettingsFile = odd + "/prog/VorlinSaver.002";
    in.readme = "Hi";
    for (const auto& p : pictures) {
        writeFile(p, "x");
        in.pictures.push_back({p, true});
    }
    writeFile(song, "x");
    in.music.push_back({song, true});

    const BuildOutput out = writeBuildFiles(in);
    ASSERT_TRUE(out.notes.empty());
    const iss::IssScript s = iss::readScript(out.scriptFile);

    const std::string name = in.saverName;
    for (const char* d : {"appname", "appvername", "defaultgroupname"})
        EXPECT_EQ(iss::expandConstants(s.setup.at(d), kPlaces), name) << d;
    EXPECT_EQ(iss::expandConstants(s.setup.at("defaultdirname"), kPlaces), "/PF/" + name);
    EXPECT_EQ(iss::expandConstants(s.setup.at("outputdir"), {}) +
                  iss::expandConstants(s.setup.at("outputbasefilename"), {}) + ".run",
              in.installerPath);

    // Every file in the order the builder lists them, each from its own path to its own place.
    const std::vector<std::array<std::string, 3>> files = {
        {in.programFolder + "VorlinSaver.scr", "/SYS/", name + ".scr"},
        {in.programFolder + "VorlinSaver.001", "/SYS/", ""},
        {pictures[0], "/APP/sample", ""},
        {pictures[1], "/APP/sample", ""},
        {pictures[2], "/APP/sample", ""},
        {pictures[3], "/APP/sample", ""},
        {song, "/APP/sample", ""},
        {in.systemFolder + "/libmpegdll.so", "/SYS/", ""},
        {in.compileFolder + "Readme.txt", "/APP/", ""},
        {out.settingsFile, "/SYS/", name + ".002"},
    };
    ASSERT_EQ(s.files.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& e = s.files[i];
        EXPECT_EQ(expanded(e, "source"), files[i][0]) << i;
        EXPECT_EQ(expanded(e, "destdir"), files[i][1]) << i;
        EXPECT_EQ(e.count("destname") ? expanded(e, "destname") : "", files[i][2]) << i;
    }
    EXPECT_EQ(s.files[8].at("flags"), "isreadme");

    ASSERT_EQ(s.registry.size(), 1u);
    EXPECT_EQ(expanded(s.registry[0], "subkey"), "Software\\Mirtavo\\" + name);
    EXPECT_EQ(expanded(s.registry[0], "valuename"), "");
    EXPECT_EQ(expanded(s.registry[0], "valuedata"), "/APP");
    ASSERT_EQ(s.ini.size(), 1u);
    EXPECT_EQ(expanded(s.ini[0], "string"), "/SYS/" + shortScrName(name + ".scr"));

    std::vector<std::pair<std::string, std::string>> icons;
    for (const auto& e : s.icons) icons.emplace_back(expanded(e, "name"), expanded(e, "filename"));
    const std::string scr = "/SYS/" + name + ".scr";
    EXPECT_EQ(icons, (std::vector<std::pair<std::string, std::string>>{{"/G/" + name, scr},
                                                                       {"/DESK/" + name, scr},
                                                                       {"/G/Uninstall", "/APP/unins000"},
                                                                       {"/APP/" + name, scr},
                                                                       {"/G/Readme", "/APP/readme.txt"}}));
}

TEST(ScriptRoundTrip, AFolderWithALineBreakStopsTheBuildWithItsName) {
    // No script line can name such a folder; a script naming a cut path instead would pack the wrong file.
    const TempDir tmp;
    std::filesystem::create_directories(tmp / "Compile");
    writeFile(tmp / "settings.002", "[Set]\n");
    BuildInput in;
    in.saverName = "Sea";
    in.installerPath = tmp / "two\nlines/Sea.run";
    in.programFolder = tmp / "prog/";
    in.compileFolder = tmp / "Compile/";
    in.systemFolder = tmp / "sys";
    in.workingSettingsFile = tmp / "settings.002";
    try {
        writeBuildFiles(in);
        FAIL() << "a script was written";
    } catch (const BuildWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + in.compileFolder +
                                             "temp.iss: a line break in \"" + tmp.str() + "/two\nlines/\"");
    }
    EXPECT_FALSE(std::filesystem::exists(tmp / "Compile/temp.iss"));
}
