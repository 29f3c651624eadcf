// The data files staged beside the program: each exists and stays small, the pictures decode and differ,
// the music decodes to sound, and the demo show's settings file reads into the demo pictures and music.

#include "gfx/codecs/picture_loader.h"
#include "platform/registry.h"
#include "show/settings/show_settings.h"

#include "../lib/test_files.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The staged files, as data/data_files.cmake lists them ("|"-separated in the environment).
std::vector<fs::path> stagedFiles() {
    std::vector<fs::path> files;
    const char* list = std::getenv("VORLIN_DATA_FILES");
    std::string text = list ? list : "";
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t bar = text.find('|', start);
        files.emplace_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return files;
}

fs::path staged(const std::string& name) {
    for (const fs::path& p : stagedFiles())
        if (p.filename() == name) return p;
    ADD_FAILURE() << name << " is not among the staged files";
    return {};
}

std::vector<fs::path> stagedWithExtension(const std::string& ext) {
    std::vector<fs::path> out;
    for (const fs::path& p : stagedFiles())
        if (p.extension() == ext) out.push_back(p);
    return out;
}

// Mean absolute difference per channel byte of two pictures of the same size, over every 4th pixel.
double meanDifference(const vorlin::gfx::Bitmap& a, const vorlin::gfx::Bitmap& b) {
    double sum = 0;
    long n = 0;
    for (int y = 0; y < a.height(); y += 4)
        for (int x = 0; x < a.width(); x += 4) {
            const auto p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            n += 3;
        }
    return sum / static_cast<double>(n);
}

TEST(StagedDataFiles, EveryFileExistsAndStaysSmall) {
    const auto files = stagedFiles();
    ASSERT_GE(files.size(), 13u);
    std::uintmax_t total = 0;
    for (const fs::path& p : files) {
        ASSERT_TRUE(fs::is_regular_file(p)) << p;
        const auto size = fs::file_size(p);
        EXPECT_GT(size, 0u) << p;
        EXPECT_LT(size, 300u * 1024u) << p;
        total += size;
    }
    EXPECT_LT(total, 2u * 1024u * 1024u);
    // The names the program looks for beside itself.
    for (const char* name :
         {"VorlinSaver.001", "VorlinSaver.002", "VorlinSaver.003", "t1.jpg", "t2.jpg", "help.html"})
        EXPECT_FALSE(staged(name).empty()) << name;
}

TEST(StagedDataFiles, PicturesDecodeAtTheirSizeAndDifferFromEachOther) {
    const auto jpegs = stagedWithExtension(".jpg");
    ASSERT_EQ(jpegs.size(), 7u);
    std::map<std::string, vorlin::gfx::Bitmap> loaded;
    for (const fs::path& p : jpegs) {
        vorlin::gfx::Bitmap b = vorlin::gfx::loadPicture(p.string(), {0, 0, 0});
        const bool sample = p.filename().string().rfind("t", 0) == 0;
        EXPECT_EQ(b.width(), sample ? 640 : 800) << p;
        EXPECT_EQ(b.height(), sample ? 480 : 600) << p;
        loaded.emplace(p.filename().string(), std::move(b));
    }
    // The demonstration pair must make every effect visible: the two pictures differ strongly everywhere
    // on average, and so does every pair of show pictures of the same size.
    EXPECT_GT(meanDifference(loaded.at("t1.jpg"), loaded.at("t2.jpg")), 60.0);
    for (auto a = loaded.begin(); a != loaded.end(); ++a)
        for (auto b = std::next(a); b != loaded.end(); ++b)
            if (a->second.width() == b->second.width() && a->second.height() == b->second.height()) {
                EXPECT_GT(meanDifference(a->second, b->second), 25.0) << a->first << " vs " << b->first;
            }
}

TEST(StagedDataFiles, WaveMusicDecodesToSound) {
    const fs::path wav = staged("chime.wav");
    SF_INFO info{};
    SNDFILE* f = sf_open(wav.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t got = sf_readf_float(f, samples.data(), info.frames);
    sf_close(f);
    EXPECT_EQ(got, info.frames);
    EXPECT_GE(static_cast<double>(info.frames) / info.samplerate, 3.0);
    float peak = 0;
    for (float s : samples) peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 0.1f);
    EXPECT_LT(peak, 1.0f); // no clipping
}

TEST(StagedDataFiles, MidiMusicRendersToSound) {
    std::string soundfont;
    for (const char* p : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                          "/usr/share/sounds/sf2/TimGM6mb.sf2"})
        if (fs::exists(p)) {
            soundfont = p;
            break;
        }
    if (soundfont.empty()) GTEST_SKIP() << "no General MIDI soundfont installed";

    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    ASSERT_NE(fluid_synth_sfload(synth, soundfont.c_str(), 1), FLUID_FAILED);
    fluid_player_t* player = new_fluid_player(synth);
    const fs::path mid = staged("demo.mid");
    ASSERT_EQ(fluid_is_midifile(mid.c_str()), 1) << mid;
    ASSERT_EQ(fluid_player_add(player, mid.c_str()), FLUID_OK);
    ASSERT_EQ(fluid_player_play(player), FLUID_OK);

    // Four seconds of the tune in 1024-frame blocks; it must be playing and audible throughout.
    double rate = 44100;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    std::vector<short> block(2 * 1024);
    int loudBlocks = 0, blocks = 0;
    for (; blocks < static_cast<int>(4 * rate / 1024); ++blocks) {
        ASSERT_EQ(fluid_synth_write_s16(synth, 1024, block.data(), 0, 2, block.data(), 1, 2), FLUID_OK);
        const auto peak = std::abs(*std::max_element(
            block.begin(), block.end(), [](short a, short b) { return std::abs(a) < std::abs(b); }));
        if (peak > 100) ++loudBlocks;
    }
    EXPECT_EQ(fluid_player_get_status(player), FLUID_PLAYER_PLAYING);
    EXPECT_GT(loudBlocks, blocks * 3 / 4);
    fluid_player_stop(player);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

// The demo show as the program finds it: its settings file, pictures and music beside the program.
TEST(StagedDataFiles, DemoSettingsReadIntoTheDemoShow) {
    const vorlin::testing::TempDir tmp;
    const fs::path dir = tmp.path();
    for (const fs::path& p : stagedFiles()) fs::copy_file(p, dir / p.filename());

    vorlin::show::ShowSettingsFile file;
    file.read((dir / "VorlinSaver").string(), vorlin::platform::Registry((dir / "registry.ini").string()));
    const auto& s = file.settings;

    std::vector<std::string> pictures;
    for (int i = 1; i <= 5; ++i) pictures.push_back((dir / ("demo" + std::to_string(i) + ".jpg")).string());
    EXPECT_EQ(s.Pictures, pictures);
    EXPECT_EQ(s.Music, (std::vector<std::string>{(dir / "demo.mid").string(), (dir / "chime.wav").string()}));
    EXPECT_TRUE(s.StetchImage);
    EXPECT_FALSE(s.RandomImage);
    EXPECT_TRUE(s.PlayMusic);
    EXPECT_TRUE(s.LoopMusic);
    EXPECT_GE(s.ImageInterval, 1);
    EXPECT_LE(s.ImageInterval, 10);
    EXPECT_GE(s.EffectSpeed, 1);
    EXPECT_LE(s.EffectSpeed, 5);
    // Every effect a show may pick is enabled (all but the four rotations).
    EXPECT_EQ(s.EnabledEffects.count(), 123u);
    EXPECT_FALSE(s.EnabledEffects.test(0));

    // The sample pictures of the effect demonstration are found beside the program too.
    for (std::string name : {"t1.jpg", "t2.jpg"}) {
        std::string path = "/nowhere/" + name;
        EXPECT_TRUE(file.resolveFile(path)) << name;
        EXPECT_EQ(path, (dir / name).string());
    }
}

} // namespace
