// Reading the installer script: quoting, sections, constants and errors that name the line.
#include "installer_script/script.h"

#include <gtest/gtest.h>

using namespace vorlin::iss;

TEST(IssScript, ReadsTheBuildersLines) {
    const IssScript s =
        parseScript("; comment\r\n[Setup]\r\nAppName=Holiday {{1}\r\noutputdir=\"/o/a \"\"q\"\"/\"\r\n"
                    "[Files]\r\nSource:\"/p/x; y \"\"z\"\".jpg\"; DestDir: \"{app}/sample\"\r\n\r\n"
                    "[Registry]\nRoot: HKCU; Subkey: \"Software\\Mirtavo\\H\"; ValueName: \"\"; ValueData: "
                    "{app}; flags: uninsdeletekey\n"
                    "[icons]\nName: \"{group}/H\"; FILENAME: \"{sys}/H.scr\"\n",
                    "t.iss");
    EXPECT_EQ(s.setup.at("appname"), "Holiday {{1}");
    EXPECT_EQ(s.setup.at("outputdir"), "/o/a \"q\"/");
    ASSERT_EQ(s.files.size(), 1u);
    EXPECT_EQ(s.files[0].at("source"), "/p/x; y \"z\".jpg");
    EXPECT_EQ(s.registry[0].at("valuedata"), "{app}");
    EXPECT_EQ(s.registry[0].at("valuename"), "");
    EXPECT_EQ(s.registry[0].at("subkey"), "Software\\Mirtavo\\H");
    EXPECT_EQ(s.icons[0].at("filename"), "{sys}/H.scr");
    // Writing back and reading again gives the same script.
    const IssScript t = parseScript(formatScript(s), "again.iss");
    EXPECT_EQ(t.setup, s.setup);
    EXPECT_EQ(t.files, s.files);
    EXPECT_EQ(t.registry, s.registry);
    EXPECT_EQ(t.icons, s.icons);
}

TEST(IssScript, MalformedLinesNameFileAndLine) {
    const char* rows[][2] = {
        {"AppName=x\n", "s.iss: line 1: a line before the first section"},
        {"[Setup]\nno equals\n", "s.iss: line 2: a directive without \"=\""},
        {"[Files]\nSource:\"open; DestDir: x\n", "s.iss: line 2: a quoted value without its closing quote"},
        {"[Files]\nSource:\"a\"x; DestDir: y\n", "s.iss: line 2: text after a quoted value"},
        {"[Files]\nSource: a; Source: b\n", "s.iss: line 2: the parameter \"source\" twice"},
        {"[Files]\nno colon here\n", "s.iss: line 2: a parameter without \":\""},
        {"[Code]\nx\n", "s.iss: line 2: a line in the unknown section [code]"},
        {"[Setup\n", "s.iss: line 1: a section name without \"]\""},
        {"[Files]\nSource: a; [x: b\n", "s.iss: line 2: a parameter name that is not a word"},
        {"[Setup]\n;x=1\n[Setup]\na b=1\n", "s.iss: line 4: a directive name that is not a word"},
    };
    for (const auto& r : rows) {
        try {
            parseScript(r[0], "s.iss");
            ADD_FAILURE() << r[0];
        } catch (const ScriptError& e) {
            EXPECT_EQ(std::string(e.what()), r[1]);
        }
    }
}

TEST(IssScript, Constants) {
    const std::map<std::string, std::string> c = {{"app", "/home/u/A"}, {"sys", "/s"}};
    EXPECT_EQ(expandConstants("{app}/sample/{{x}.jpg", c), "/home/u/A/sample/{x}.jpg");
    EXPECT_EQ(expandConstants("{SYS}/a", c), "/s/a");
    EXPECT_THROW(expandConstants("{tmp}/a", c), ScriptError);
    EXPECT_THROW(expandConstants("{app", c), ScriptError);
    EXPECT_THROW(quoteParameter("a\nb"), ScriptError);
}

TEST(IssScript, WrittenLinesReadBackAsWritten) {
    // A value asked to go without quotes is quoted where the reader would otherwise trim, unquote or split
    // it; either way the reader gets the value back.
    for (const std::string value :
         {"", "{app}", "a b", " lead", "trail\t", "\"q\"", "a;b", "x=y", "ü {{1}"}) {
        for (const bool bare : {false, true}) {
            const std::string text = sectionLine("Setup") + "\n" +
                                     directiveLine({.name = "D", .value = value, .bare = bare}) + "\n" +
                                     sectionLine("Icons") + "\n" +
                                     entryLine({{.name = "Name", .value = value, .bare = bare, .tight = true},
                                                {.name = "Filename", .value = value, .bare = bare}}) +
                                     "\n";
            const IssScript s = parseScript(text, "w.iss");
            EXPECT_EQ(s.setup.at("d"), value) << text;
            ASSERT_EQ(s.icons.size(), 1u) << text;
            EXPECT_EQ(s.icons[0], (ScriptEntry{{"name", value}, {"filename", value}})) << text;
        }
    }
    EXPECT_EQ(entryLine({{.name = "Source", .value = "/a", .tight = true},
                         {.name = "Flags", .value = "x", .bare = true}}),
              "Source:\"/a\"; Flags: x");
    EXPECT_THROW(directiveLine({.name = "D", .value = "a\rb", .bare = true}), ScriptError);
    EXPECT_THROW(entryLine({{.name = "N", .value = "a\nb", .bare = true}}), ScriptError);
}
