#include "../lib/environment.h"
#include "../lib/test_files.h"
#include "platform/files.h"
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace vorlin::platform;
using namespace vorlin::testing;

namespace {

TEST(Registry, TypedValuesAndCaseInsensitiveKeys) {
    TempDir dir;
    Registry reg(dir / "sub/registry.ini"); // the folder is created by the first write
    EXPECT_FALSE(reg.readString("Software\\Mirtavo\\MyShow", ""));
    reg.writeString("\\Software\\Mirtavo\\MyShow\\", "", "/opt/my show/");
    reg.writeDword("Software\\Mirtavo\\MyShow", "Count", 4000000000u);

    Registry other(dir / "sub/registry.ini");
    EXPECT_EQ(other.readString("software\\MIRTAVO\\myshow", ""), "/opt/my show/");
    EXPECT_EQ(other.readDword("Software\\\\Mirtavo\\MyShow", "count"), 4000000000u);
    EXPECT_EQ(other.valueType("Software\\Mirtavo\\MyShow", ""), RegistryType::String);
    EXPECT_EQ(other.valueType("Software\\Mirtavo\\MyShow", "Count"), RegistryType::Dword);
    EXPECT_EQ(other.valueType("Software\\Mirtavo\\MyShow", "Other"), RegistryType::None);
    // The wrong type reads as absent.
    EXPECT_FALSE(other.readDword("Software\\Mirtavo\\MyShow", ""));
    EXPECT_FALSE(other.readString("Software\\Mirtavo\\MyShow", "Count"));
    EXPECT_FALSE(other.readString("Software\\Mirtavo", "")) << "a parent key has no values of its child";
    EXPECT_EQ(other.valueNames("Software\\Mirtavo\\MyShow"), (std::vector<std::string>{"", "Count"}));

    reg.writeDword("Software\\Mirtavo\\MyShow", "", 7); // a write replaces the type too
    EXPECT_EQ(other.readDword("Software\\Mirtavo\\MyShow", ""), 7u);
    EXPECT_FALSE(other.readString("Software\\Mirtavo\\MyShow", ""));
}

TEST(Registry, StringsSurviveTheStoreUnchanged) {
    TempDir dir;
    Registry reg(dir / "r.ini");
    const std::string values[] = {
        "",          " lead",           "trail ", "  ",     "a\\b\\",
        "x\ny\r\tz", "[not a section]", "k=v;c",  "\\s\\n", std::string("nul\0in", 6),
        "ünïcode ☃"};
    int i = 0;
    for (const auto& v : values) reg.writeString("K", "v" + std::to_string(i++), v);
    Registry fresh(dir / "r.ini");
    i = 0;
    for (const auto& v : values) EXPECT_EQ(fresh.readString("K", "v" + std::to_string(i++)), v) << i;
}

TEST(Registry, DeleteValueAndKeyTree) {
    TempDir dir;
    Registry reg(dir / "r.ini");
    reg.writeString("A\\B", "x", "1");
    reg.writeString("A\\B\\C", "y", "2");
    reg.writeString("A\\BC", "z", "3");
    reg.deleteValue("a\\b", "X");
    EXPECT_FALSE(reg.readString("A\\B", "x"));
    reg.deleteKey("a\\B");
    EXPECT_FALSE(reg.keyExists("A\\B\\C"));
    EXPECT_EQ(reg.readString("A\\BC", "z"), "3") << "a sibling with a longer name stays";
}

TEST(Registry, StoreLocationFromEnvironment) {
    const KeptEnvironment kept{"VORLIN_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
    unsetenv("VORLIN_REGISTRY");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(Registry::defaultFile(), "/home/u/.config/vorlinsaver/registry.ini");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(Registry::defaultFile(), "/cfg/vorlinsaver/registry.ini");
    setenv("VORLIN_REGISTRY", "/tmp/r.ini", 1);
    EXPECT_EQ(Registry::defaultFile(), "/tmp/r.ini");
}

TEST(Registry, FailedWriteThrowsAndKeepsStore) {
    TempDir dir;
    fs::create_directory(dir / "r.ini");
    Registry onFolder(dir / "r.ini");
    EXPECT_THROW(onFolder.writeString("K", "", "v"), WriteError);
    Registry reg(dir / "ok.ini");
    reg.writeString("K", "", "v");
    EXPECT_THROW(reg.writeString("K", "bad\nname", "v"), WriteError);
    EXPECT_THROW(reg.writeString("K]", "", "v"), WriteError);
    EXPECT_EQ(Registry(dir / "ok.ini").readString("K", ""), "v");
}

TEST(Files, WildcardMatching) {
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } rows[] = {
        {"MYSHOW*.002", "MyShow Deluxe.002", true},
        {"MYSHOW*.002", "myshow.002", true},
        {"MYSHOW*.002", "MyShow.0020", false},
        {"MYSHOW*.002", "xMyShow.002", false},
        {"*.002", ".002", true},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*a*b*c*", "xxaxxbxxcxx", true},
        {"*a*b*c*", "xxaxxcxxbxx", false},
        {"*", "", true},
        {"", "x", false},
        {"**.*", "a.b", true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(wildcardMatch(r.pattern, r.name), r.match) << r.pattern << " " << r.name;
}

TEST(Files, ListingSkipsFoldersAndIsSorted) {
    TempDir dir;
    writeFile(dir / "myshow b.002", "");
    writeFile(dir / "MyShow A.002", "");
    writeFile(dir / "MYSHOW~1.SCR", "");
    writeFile(dir / "other.002", "");
    fs::create_directory(dir / "MyShow dir.002");
    EXPECT_EQ(listFiles(dir.str(), "MYSHOW*.002"),
              (std::vector<std::string>{"MyShow A.002", "myshow b.002"}));
    EXPECT_TRUE(listFiles(dir / "missing", "*").empty());
}

TEST(Files, ExistsCopyDelete) {
    TempDir dir;
    writeFile(dir / "a", "content");
    fs::create_directory(dir / "d");
    EXPECT_TRUE(fileExists(dir / "a"));
    EXPECT_FALSE(fileExists(dir / "d"));
    EXPECT_FALSE(fileExists(dir / "none"));
    EXPECT_FALSE(fileExists(""));

    EXPECT_TRUE(copyFile(dir / "a", dir / "b", true));
    EXPECT_EQ(readFile(dir / "b"), "content");
    writeFile(dir / "a", "newer");
    EXPECT_FALSE(copyFile(dir / "a", dir / "b", true));
    EXPECT_EQ(readFile(dir / "b"), "content");
    EXPECT_TRUE(copyFile(dir / "a", dir / "b", false));
    EXPECT_EQ(readFile(dir / "b"), "newer");
    EXPECT_FALSE(copyFile(dir / "none", dir / "c", false));
    EXPECT_FALSE(copyFile(dir / "a", dir / "d", false)) << "a folder is not replaced";
    EXPECT_FALSE(copyFile(dir / "a", dir / "missing/c", false));

    EXPECT_TRUE(deleteFile(dir / "b"));
    EXPECT_FALSE(deleteFile(dir / "b"));
    EXPECT_FALSE(deleteFile(dir / "d"));
    EXPECT_TRUE(fs::is_directory(dir / "d"));
}

TEST(Files, ReadWholeFile) {
    TempDir dir;
    // Every byte back, across many reads: zero bytes, CR LF, and more than one read's worth.
    std::string bytes(200'001, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 256);
    bytes += "\r\n";
    writeFile(dir / "big", bytes);
    EXPECT_EQ(readWholeFile(dir / "big"), bytes);
    writeFile(dir / "empty", "");
    EXPECT_EQ(readWholeFile(dir / "empty"), "");
    // Nothing read is not an empty file.
    EXPECT_FALSE(readWholeFile(dir / "none"));
    fs::create_directory(dir / "d");
    EXPECT_FALSE(readWholeFile(dir / "d"));
}

} // namespace
