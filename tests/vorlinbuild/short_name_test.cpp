// Choosing a free short name in a folder that already holds others.
#include <gtest/gtest.h>

#include <filesystem>

#include "../lib/test_files.h"
#include "vorlinbuild/short_name.h"

namespace fs = std::filesystem;
using vorlin::testing::TempDir;
using vorlin::vorlinbuild::freeShortName;

TEST(ShortName, FirstFreeNumberKeepingTheFormsLength) {
    TempDir dir;
    const auto at = [&](const std::string& name) { return dir / name; };
    // Free: the name as wanted.
    EXPECT_EQ(freeShortName(at("Holida~1.scr"), "Holiday Pictures.scr"), at("Holida~1.scr"));
    // Already ours (a reinstall): kept.
    fs::create_symlink("Holiday Pictures.scr", at("Holida~1.scr"));
    EXPECT_EQ(freeShortName(at("Holida~1.scr"), "Holiday Pictures.scr"), at("Holida~1.scr"));
    // Another show's link, and a file of someone else's, are passed over.
    fs::create_symlink("Holiday Sea.scr", at("Holida~2.scr"));
    vorlin::testing::writeFile(at("Holida~3.scr"), "x");
    EXPECT_EQ(freeShortName(at("Holida~1.scr"), "Holidays.scr"), at("Holida~4.scr"));
    // From ~10 on the stem gives way, as the 8 characters of the form require.
    for (int n = 4; n <= 9; ++n) fs::create_symlink("other", at("Holida~" + std::to_string(n) + ".scr"));
    EXPECT_EQ(freeShortName(at("Holida~1.scr"), "Holidays.scr"), at("Holid~10.scr"));
    // A short stem has room for the number; characters are never cut in half.
    fs::create_symlink("other", at("MySea~1.scr"));
    EXPECT_EQ(freeShortName(at("MySea~1.scr"), "My Sea.scr"), at("MySea~2.scr"));
    fs::create_symlink("other", at("ÄÖÜäöü~1.scr"));
    EXPECT_EQ(freeShortName(at("ÄÖÜäöü~1.scr"), "ÄÖÜäöüß x.scr"), at("ÄÖÜäöü~2.scr"));
    // A name that is not a short name is left alone.
    EXPECT_EQ(freeShortName(at("Sea.scr"), "Sea.scr"), at("Sea.scr"));
    EXPECT_EQ(freeShortName(at("a~b.scr"), "x.scr"), at("a~b.scr"));
}
