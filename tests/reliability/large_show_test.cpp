// Shows with a thousand pictures and a thousand tracks: read, options rewritten, read again, in order and
// whole, with the names people give files (spaces, non-ASCII, ";" and brackets inside).

#include "../lib/test_files.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "show/settings/show_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vorlin::platform::IniFile;
using vorlin::platform::Registry;
using vorlin::show::ShowSettingsFile;

namespace {

std::vector<std::string> makeFiles(const fs::path& folder, const std::string& stem, const std::string& ext,
                                   int count) {
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        // Every seventh name carries characters that a careless writer or reader would cut at.
        const std::string name = stem + (i % 7 == 0 ? " été;x [1] " : "-") + std::to_string(i) + ext;
        const fs::path p = folder / name;
        std::ofstream(p) << i;
        paths.push_back(p.string());
    }
    return paths;
}

TEST(LargeShow, ThousandPicturesAndTracksSurviveAReadWriteRoundTrip) {
    vorlin::testing::TempDir dir;
    const auto pictures = makeFiles(dir.path() / "pictures", "photo", ".jpg", 1000);
    const auto tracks = makeFiles(dir.path() / "music", "track", ".mp3", 1000);
    const std::string settingsPath = (dir.path() / "Big.002").string();
    {
        IniFile ini(settingsPath);
        auto batch = ini.batch();
        for (const auto& p : pictures) batch.writeInteger("Pictures", p, 1);
        for (const auto& t : tracks) batch.writeInteger("Music", t, 1);
        // One entry switched off in each list is not part of the show.
        batch.writeInteger("Pictures", pictures[500], 0);
        batch.writeInteger("Music", tracks[999], 0);
        batch.commit();
    }
    std::vector<std::string> expectedPictures = pictures, expectedTracks = tracks;
    expectedPictures.erase(expectedPictures.begin() + 500);
    expectedTracks.pop_back();

    Registry registry((dir.path() / "registry.ini").string());
    const std::string program = (dir.path() / "Big.scr").string();
    ShowSettingsFile first;
    first.read(program, registry);
    ASSERT_EQ(first.settings.Pictures, expectedPictures);
    ASSERT_EQ(first.settings.Music, expectedTracks);

    first.settings.ImageInterval = 9;
    first.settings.RandomMusic = true;
    first.writeOptions();

    ShowSettingsFile second;
    second.read(program, registry);
    EXPECT_EQ(second.settings.Pictures, expectedPictures);
    EXPECT_EQ(second.settings.Music, expectedTracks);
    EXPECT_EQ(second.settings.ImageInterval, 9);
    EXPECT_TRUE(second.settings.RandomMusic);

    // A picture deleted between two reads drops out of the show and nothing else does.
    fs::remove(pictures[3]);
    expectedPictures.erase(expectedPictures.begin() + 3);
    ShowSettingsFile third;
    third.read(program, registry);
    EXPECT_EQ(third.settings.Pictures, expectedPictures);
    EXPECT_EQ(third.settings.Music.size(), 999u);
}

} // namespace
