#include "../lib/test_files.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using namespace vorlin::platform;
using namespace vorlin::testing;

namespace {

struct ReadRow {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    const char* expected; // nullptr: the key is missing
};

TEST(IniFileRead, MalformedAndUnusualFiles) {
    const std::string longValue(10 * 1024 * 1024, 'x');
    const ReadRow rows[] = {
        {"lf", "[S]\na=1\nb=2\n", "S", "b", "2"},
        {"crlf", "[S]\r\na=1\r\nb=2\r\n", "S", "b", "2"},
        {"lone cr", "[S]\ra=1\rb=2\r", "S", "b", "2"},
        {"mixed endings", "[S]\r\na=1\rb=2\nc=3", "S", "c", "3"},
        {"no final newline", "[S]\na=last", "S", "a", "last"},
        {"bom", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "1"},
        {"case of names", "[SeT]\nImageInterval=7\n", "sEt", "IMAGEINTERVAL", "7"},
        {"case of a path key counts", "[P]\n/x/A.jpg=0\n", "P", "/x/a.jpg", nullptr},
        {"case of a relative path key does not", "[P]\nx/A.jpg=0\n", "P", "X/a.JPG", "0"},
        {"blanks trimmed", "  [ S ]  \n\t key \t=  v w \t\n", "S", "key", "v w"},
        {"equals in value", "[S]\na=b=c\n", "S", "a", "b=c"},
        {"semicolon in key", "[S]\na;b=1\n", "S", "a;b", "1"},
        {"comment line", "[S]\n;a=1\n", "S", ";a", nullptr},
        {"empty value", "[S]\na=\n", "S", "a", ""},
        {"key before any section", "a=1\n[S]\n", "S", "a", nullptr},
        {"duplicate key: first wins", "[S]\na=1\na=2\n", "S", "a", "1"},
        {"duplicate section merged", "[S]\na=1\n[T]\n[S]\nb=2\n", "S", "b", "2"},
        {"header without ]", "[S\na=1\n", "S", "a", "1"},
        {"text after ]", "[S] ; note\na=1\n", "S", "a", "1"},
        {"line without =", "[S]\nnothing here\na=1\n", "S", "nothing here", nullptr},
        {"ten megabyte line", "[S]\nbig=" + longValue + "\na=1\n", "S", "a", "1"},
        {"nul bytes", std::string("[S]\na=1\0\0\nb=2\n", 15), "S", "b", "2"},
        {"other section", "[S]\na=1\n[T]\na=2\n", "T", "a", "2"},
    };
    TempDir dir;
    for (const auto& r : rows) {
        const std::string path = dir / "f.ini";
        writeFile(path, r.content);
        IniFile ini(path);
        EXPECT_EQ(ini.keyExists(r.section, r.key), r.expected != nullptr) << r.name;
        EXPECT_EQ(ini.readString(r.section, r.key, "<none>"), r.expected ? r.expected : "<none>") << r.name;
    }
}

TEST(IniFileRead, KeyListingKeepsFileOrderAndDuplicatesOnce) {
    TempDir dir;
    writeFile(dir / "f.ini", "[P]\nz.jpg=1\nA.jpg=0\n[Q]\nq=1\n[p]\nm.jpg=1\na.JPG=1\n\n;c=1\n");
    IniFile ini(dir / "f.ini");
    EXPECT_EQ(ini.readKeys("P"), (std::vector<std::string>{"z.jpg", "A.jpg", "m.jpg"}));
    // Absolute paths in other letter case are other files: each is listed, and each keeps its own value.
    writeFile(dir / "g.ini", "[P]\n/x/a.jpg=1\n/x/A.jpg=0\n/x/a.jpg=0\n");
    IniFile paths(dir / "g.ini");
    EXPECT_EQ(paths.readKeys("P"), (std::vector<std::string>{"/x/a.jpg", "/x/A.jpg"}));
    paths.writeBool("P", "/x/A.jpg", true);
    EXPECT_EQ(readFile(dir / "g.ini"), "[P]\n/x/a.jpg=1\n/x/A.jpg=1\n/x/a.jpg=0\n");
    EXPECT_EQ(ini.readSections(), (std::vector<std::string>{"P", "Q"}));
    EXPECT_TRUE(ini.readKeys("missing").empty());
}

TEST(IniFileRead, BigLineIsReadWhole) {
    TempDir dir;
    const std::string longValue(10 * 1024 * 1024, 'y');
    writeFile(dir / "f.ini", "[S]\nbig=" + longValue);
    IniFile ini(dir / "f.ini");
    EXPECT_EQ(ini.readString("S", "big", "").size(), longValue.size());
}

TEST(IniFileRead, BinaryGarbageStillReadsAndWrites) {
    TempDir dir;
    std::mt19937 gen(1234);
    for (int round = 0; round < 20; ++round) {
        std::string junk(4096 + round * 97, '\0');
        for (auto& c : junk) c = char(gen());
        const std::string path = dir / "junk.ini";
        writeFile(path, junk);
        IniFile ini(path);
        for (const auto& s : ini.readSections()) ini.readKeys(s);
        ini.writeString("Set", "ImageInterval", "9");
        EXPECT_EQ(ini.readInteger("Set", "ImageInterval", 0), 9);
        IniFile again(path);
        EXPECT_EQ(again.readInteger("Set", "ImageInterval", 0), 9);
    }
}

TEST(IniFileRead, MissingFileAndFolderReadEmpty) {
    TempDir dir;
    fs::create_directory(dir / "folder.ini");
    for (const std::string& path : {dir / "absent.ini", dir / "folder.ini", dir / "no/such/dir/x.ini"}) {
        IniFile ini(path);
        EXPECT_TRUE(ini.readSections().empty()) << path;
        EXPECT_EQ(ini.readInteger("Set", "EffectSpeed", 3), 3);
        EXPECT_TRUE(ini.readBool("Set", "RandomImage", true));
    }
}

TEST(ProfileInteger, DecimalHexAndFallback) {
    const struct {
        const char* text;
        std::int32_t expected;
    } rows[] = {
        {"10", 10},
        {"-7", -7},
        {"+5", 5},
        {" 42 ", 42},
        {"0x0A", 10},
        {"0X1f", 31},
        {"-0x10", -16},
        {"0xFFFFFFFF", -1},
        {"0x7FFFFFFF", INT32_MAX},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", 99},
        {"0x100000000", 99},
        {"ten", 99},
        {"", 99},
        {"0x", 99},
        {"12abc", 99},
        {"1.5", 99},
        {"-", 99},
        {"0xG1", 99},
        {"99999999999999999999", 99},
    };
    for (const auto& r : rows) EXPECT_EQ(parseProfileInteger(r.text, 99), r.expected) << '"' << r.text << '"';
}

TEST(IniFileWrite, WriteThroughIsSeenByOtherReaders) {
    TempDir dir;
    const std::string path = dir / "show.002";
    IniFile a(path), b(path);
    EXPECT_EQ(b.readString("Set", "Author", "none"), "none");
    a.writeString("Set", "Author", "Ann");
    EXPECT_EQ(b.readString("Set", "Author", ""), "Ann");
    a.writeInteger("Set", "ImageInterval", -12);
    a.writeBool("Set", "PlayMusic", false);
    EXPECT_EQ(b.readInteger("Set", "ImageInterval", 0), -12);
    EXPECT_FALSE(b.readBool("Set", "PlayMusic", true));
    // A rewrite by someone else of the same size, right after the last read, is seen as well.
    writeFile(path, "[Set]\nAuthor=Bob\n");
    EXPECT_EQ(a.readString("Set", "Author", ""), "Bob");
    writeFile(path, "[Set]\nAuthor=Cid\n");
    EXPECT_EQ(a.readString("Set", "Author", ""), "Cid");
}

TEST(IniFileWrite, KeepsCommentsAndChangesFirstOccurrence) {
    TempDir dir;
    const std::string path = dir / "f.ini";
    writeFile(path, "; top\n[S]\r\na=1\r\n; note\r\na=2\r\n\r\n[T]\nx=1\n[s]\nb=3\n");
    IniFile ini(path);
    ini.writeString("s", "A", "9");
    ini.writeString("S", "new", "n");
    ini.writeString("U", "k", "v");
    EXPECT_EQ(readFile(path), "; top\n[S]\na=9\n; note\na=2\nnew=n\n\n[T]\nx=1\n[s]\nb=3\n[U]\nk=v\n");
    ini.deleteKey("S", "a");
    ini.eraseSection("T");
    EXPECT_EQ(readFile(path), "; top\n[S]\n; note\nnew=n\n\n[s]\nb=3\n[U]\nk=v\n");
    ini.eraseSection("S"); // both sections of that name
    EXPECT_EQ(readFile(path), "; top\n[U]\nk=v\n");
}

TEST(IniFileWrite, RewriteReadsTheSame) {
    // A byte-order mark is kept; a second mark is text of the first line, not a mark, and must stay so.
    TempDir dir;
    const std::string path = dir / "f.ini";
    for (const std::string& text :
         {std::string("\xEF\xBB\xBF[S]\na=1\n"), std::string("\xEF\xBB\xBF\xEF\xBB\xBF[S]\na=1\n")}) {
        writeFile(path, text);
        IniFile ini(path);
        const bool before = ini.keyExists("S", "a");
        ini.writeString("T", "b", "2");
        EXPECT_EQ(ini.keyExists("S", "a"), before);
        EXPECT_EQ(readFile(path), text + "[T]\nb=2\n");
    }
}

TEST(IniFileWrite, RefusesTextTheFormatCannotHold) {
    TempDir dir;
    const std::string path = dir / "f.ini";
    writeFile(path, "[S]\na=1\n");
    IniFile ini(path);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } rows[] = {
        {"S", "k=x", "1"}, {"S", "k", "line\nbreak"}, {"S", "k\r", "1"}, {"S", "[k", "1"},
        {"S", ";k", "1"},  {"S", "  ", "1"},          {"A]B", "k", "1"}, {"S\n", "k", "1"},
    };
    for (const auto& r : rows) EXPECT_THROW(ini.writeString(r.section, r.key, r.value), WriteError) << r.key;
    EXPECT_EQ(readFile(path), "[S]\na=1\n");
    EXPECT_EQ(ini.readString("S", "a", ""), "1");
}

TEST(IniFileWrite, FailedWriteKeepsOldFileAndReportsIt) {
    TempDir dir;
    fs::create_directory(dir / "show");
    const std::string path = dir / "show/show.002";
    writeFile(path, "[Set]\nImageInterval=5\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("Set", "ImageInterval", 0), 5);

    // The folder disappears: the write fails and says so.
    fs::rename(dir / "show", dir / "away");
    EXPECT_THROW(ini.writeInteger("Set", "ImageInterval", 6), WriteError);
    fs::rename(dir / "away", dir / "show");
    EXPECT_EQ(readFile(path), "[Set]\nImageInterval=5\n");
    EXPECT_EQ(ini.readInteger("Set", "ImageInterval", 0), 5) << "memory must follow the file";
    EXPECT_EQ(fs::directory_iterator(dir / "show")->path().filename(), "show.002") << "no temporary left";

    // A folder where the file should be.
    fs::create_directory(dir / "dir.002");
    IniFile onFolder(dir / "dir.002");
    EXPECT_THROW(onFolder.writeString("Set", "a", "1"), WriteError);
    EXPECT_TRUE(fs::is_directory(dir / "dir.002"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(IniFileWrite, BatchCommitsOnceOrNotAtAll) {
    TempDir dir;
    const std::string path = dir / "f.ini";
    writeFile(path, "[Pictures]\nold.jpg=1\n[Set]\nA=1\n");
    IniFile ini(path);
    {
        auto b = ini.batch();
        b.eraseSection("Pictures");
        b.writeBool("Pictures", "new.jpg", true);
        EXPECT_EQ(readFile(path), "[Pictures]\nold.jpg=1\n[Set]\nA=1\n") << "nothing before commit";
    }
    EXPECT_EQ(ini.readKeys("Pictures"), std::vector<std::string>{"old.jpg"}) << "uncommitted batch dropped";

    auto b = ini.batch();
    b.eraseSection("Pictures");
    for (int i = 0; i < 1000; ++i) b.writeBool("Pictures", "p" + std::to_string(i) + ".jpg", i % 2 == 0);
    b.commit();
    const auto keys = ini.readKeys("Pictures");
    ASSERT_EQ(keys.size(), 1000u);
    EXPECT_EQ(keys.front(), "p0.jpg");
    EXPECT_EQ(keys.back(), "p999.jpg");
    EXPECT_FALSE(ini.readBool("Pictures", "P1.JPG", true));
    EXPECT_THROW(b.commit(), std::logic_error);

    // A failing batch leaves the file as it was.
    fs::create_directory(dir / "d");
    writeFile(dir / "d/x.ini", "[S]\na=1\n");
    IniFile inner(dir / "d/x.ini");
    auto fb = inner.batch();
    fb.writeString("S", "a", "2");
    fs::rename(dir / "d", dir / "e");
    EXPECT_THROW(fb.commit(), WriteError);
    fs::rename(dir / "e", dir / "d");
    EXPECT_EQ(readFile(dir / "d/x.ini"), "[S]\na=1\n");
}

TEST(IniFileWrite, SnapshotKeepsItsView) {
    TempDir dir;
    IniFile ini(dir / "f.ini");
    ini.writeString("S", "a", "1");
    const auto snap = ini.snapshot();
    ini.writeString("S", "a", "2");
    EXPECT_EQ(snap.readString("S", "a", ""), "1");
    EXPECT_EQ(ini.snapshot().readString("S", "a", ""), "2");
}

TEST(IniFileWrite, WritesThroughSymbolicLink) {
    TempDir dir;
    writeFile(dir / "real.ini", "[S]\na=1\n");
    fs::create_symlink(dir / "real.ini", dir / "link.ini");
    IniFile ini(dir / "link.ini");
    ini.writeString("S", "a", "2");
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readFile(dir / "real.ini"), "[S]\na=2\n");
}

} // namespace
