// The show runner on a real canvas (offscreen platform): the order of pictures it loads, the effect and
// speed it gives the canvas, when its timer runs, music only outside a window, and pictures that fail
// to load.
#include "show/runner/run_vorlinscreen.h"

#include "base/random.h"
#include "music/playlist/playlist.h"
#include "show/runner/runner_rules.h"
#include "tests/lib/test_files.h"
#include "tests/runner/bmp_writer.h"
#include "tests/runner/dated_photo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace vorlin;
using vorlin::runner::TRunVorlinscreen;

namespace {

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_.places.programFolder = dir_.string() + "/";
        file_.places.installationFolder = "/nonexistent/";
        auto& s = file_.settings;
        s.EnabledEffects.reset();
        s.EffectSpeed = 1; // 10 frames of 1 ms: transitions end quickly
        s.ImageInterval = 1;
        s.PlayMusic = false;
        parent_ = std::make_unique<QWidget>();
        parent_->resize(200, 150);
        parent_->show();
    }
    void TearDown() override {
        runner_.reset();
        parent_.reset();
        music::ClearMusicList();
        music::StopMusic();
    }
    std::string picture(const std::string& name, std::uint8_t r = 200, std::uint8_t g = 40,
                        std::uint8_t b = 90) {
        const std::string path = (dir_ / name).string();
        vorlin::testing::writeSolidBmp(path, 40, 30, r, g, b);
        return path;
    }
    std::string broken(const std::string& name) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path) << "not a picture";
        return path;
    }
    TRunVorlinscreen& make(bool windowed = false, bool demonstration = false, int style = 1) {
        runner_ = std::make_unique<TRunVorlinscreen>(parent_.get(), nullptr, nullptr, nullptr, windowed,
                                                     demonstration, style, &file_);
        // The tests drive the ticks themselves.
        runner_->Timer->stop();
        return *runner_;
    }
    // Runs the event loop until `done` holds (checked every millisecond; QTest's wait looks every 10 ms).
    template <class F> static bool waitFor(F done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    bool waitIdle(int ms = 3000) {
        return waitFor([&] { return !runner_->Display->Animating(); }, ms);
    }
    // One tick, through to the transition's start (a tick waits for a picture loaded on the worker).
    void tick() {
        runner_->Tick();
        ASSERT_TRUE(waitFor([&] { return !runner_->TickWaiting(); }, 5000));
    }
    // Ticks n times, each time letting the transition finish; returns the files chosen.
    std::vector<std::string> tickFiles(int n) {
        std::vector<std::string> files;
        for (int i = 0; i < n; ++i) {
            tick();
            EXPECT_TRUE(waitIdle());
            files.push_back(fs::path(runner_->CurrentFile).filename().string());
        }
        return files;
    }

    vorlin::testing::TempDir tmp_;
    fs::path dir_ = tmp_.path();
    show::ShowSettingsFile file_;
    std::unique_ptr<QWidget> parent_;
    std::unique_ptr<TRunVorlinscreen> runner_;
};

TEST_F(RunnerTest, CreationSetsUpCanvasAndFirstTick) {
    file_.settings.EffectSpeed = 0;
    file_.settings.BackgroundColor = 0x00332211; // a colour reference: red 0x11, green 0x22, blue 0x33
    runner_ =
        std::make_unique<TRunVorlinscreen>(parent_.get(), nullptr, nullptr, nullptr, false, false, 1, &file_);
    auto& d = *runner_->Display;
    EXPECT_EQ(d.parentWidget(), parent_.get());
    EXPECT_EQ(d.Align(), canvas::alClient);
    EXPECT_FALSE(d.AutoSize());
    EXPECT_TRUE(d.Center());
    EXPECT_EQ(d.BgMode(), canvas::bmNone);
    EXPECT_EQ(d.Color(), (gfx::Color{0x11, 0x22, 0x33}));
    EXPECT_FALSE(d.ShrinkToFit);
    EXPECT_TRUE(runner_->Timer->isActive());
    EXPECT_EQ(runner_->Timer->interval(), 100);
    EXPECT_EQ(runner_->PictureIndex, -1);
    EXPECT_TRUE(runner_->CurrentFile.empty());

    make(true);
    EXPECT_TRUE(runner_->Display->ShrinkToFit);
    EXPECT_TRUE(runner_->Display->PadToWindow);
}

TEST_F(RunnerTest, SpeedTableReachesTheCanvasAndOtherSpeedsKeepItsPace) {
    for (int speed : {0, 9}) {
        file_.settings.EffectSpeed = speed;
        make();
        EXPECT_EQ(runner_->Display->Step(), 4) << speed;
        EXPECT_EQ(runner_->Display->Delay(), 30) << speed;
    }
    file_.settings.EffectSpeed = 2;
    auto& r = make();
    EXPECT_EQ(r.Display->Step(), 6);
    EXPECT_EQ(r.Display->Delay(), 20);
    file_.settings.EffectSpeed = 7; // unchanged from speed 2
    r.ApplySettings();
    EXPECT_EQ(r.Display->Step(), 6);
    EXPECT_EQ(r.Display->Delay(), 20);
}

TEST_F(RunnerTest, ListOrderAllSameAndShuffle) {
    const std::string a = picture("a.bmp"), b = picture("b.bmp"), c = picture("c.bmp");
    file_.settings.RandomImage = false;
    file_.settings.Pictures = {a, b, c};
    make();
    EXPECT_EQ(tickFiles(5), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp", "a.bmp", "b.bmp"}));

    file_.settings.RandomImage = true;
    file_.settings.Pictures = {a, a};
    make();
    EXPECT_EQ(tickFiles(4), (std::vector<std::string>{"a.bmp", "a.bmp", "a.bmp", "a.bmp"}));

    file_.settings.Pictures = {a, b};
    make();
    const auto files = tickFiles(6);
    for (std::size_t i = 1; i < files.size(); ++i) EXPECT_NE(files[i], files[i - 1]) << i;
}

TEST_F(RunnerTest, EffectComesFromTheEnabledSet) {
    file_.settings.Pictures = {picture("a.bmp"), picture("b.bmp")};
    file_.settings.EnabledEffects.set(7);
    make();
    for (int i = 0; i < 4; ++i) {
        tick();
        EXPECT_EQ(runner_->Display->Style(), 7);
        ASSERT_TRUE(waitIdle());
    }
    file_.settings.EnabledEffects.reset();
    tick();
    EXPECT_EQ(runner_->Display->Style(), 0);
    ASSERT_TRUE(waitIdle());

    // Demonstration: the low byte of the demonstration effect, whatever is enabled.
    make(true, true, 0x100 + 59);
    runner_->StartNext();
    EXPECT_EQ(runner_->Display->Style(), 59);
}

TEST_F(RunnerTest, TimerWaitsFromTheEndOfEachTransition) {
    file_.settings.Pictures = {picture("a.bmp"), picture("b.bmp")};
    file_.settings.ImageInterval = 2;
    file_.settings.EffectSpeed = 5; // 100 frames of at least 30 ms: a 3 s transition
    file_.settings.EnabledEffects.set(20);
    make();
    tick();
    ASSERT_TRUE(runner_->Display->Animating());
    EXPECT_FALSE(runner_->Timer->isActive());
    EXPECT_EQ(runner_->Timer->interval(), 2000);
    QTest::qWait(2200); // longer than the interval: the timer must still wait for the transition
    EXPECT_TRUE(runner_->Display->Animating());
    EXPECT_FALSE(runner_->Timer->isActive());
    ASSERT_TRUE(waitIdle(10000));
    EXPECT_TRUE(runner_->Timer->isActive());
    EXPECT_GT(runner_->Timer->remainingTime(), 1500);
}

TEST_F(RunnerTest, IntervalZeroStopsAfterTheFirstTransition) {
    file_.settings.Pictures = {picture("a.bmp"), picture("b.bmp")};
    file_.settings.ImageInterval = 0;
    make();
    runner_->Timer->start(100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runner_->TickCount == 1; }, 2000));
    ASSERT_TRUE(waitIdle());
    QTest::qWait(500);
    EXPECT_EQ(runner_->TickCount, 1);
    EXPECT_FALSE(runner_->Timer->isActive());
}

TEST_F(RunnerTest, NoPicturesNoTransition) {
    make();
    tick();
    EXPECT_FALSE(runner_->Display->Animating());
    EXPECT_FALSE(runner_->Timer->isActive());
    EXPECT_EQ(runner_->LoadAttempts, 0);
    EXPECT_TRUE(runner_->Display->Picture().isEmpty());
}

TEST_F(RunnerTest, FailedLoadsMoveOnAndNeverFreezeTheShow) {
    const std::string a = picture("a.bmp", 10, 20, 30);
    const std::string bad = broken("bad.bmp");
    const std::string missing = (dir_ / "gone.bmp").string();
    const std::string c = picture("c.bmp", 50, 60, 70);
    file_.settings.RandomImage = false;
    file_.settings.Pictures = {a, bad, missing, c};
    for (const bool ahead : {false, true}) {
        make();
        runner_->LoadAhead = ahead;
        // a, then bad and missing are passed over within the same tick, then c.
        EXPECT_EQ(tickFiles(3), (std::vector<std::string>{"a.bmp", "c.bmp", "a.bmp"})) << ahead;
        // Loading ahead has chosen (and tried) the next ones already.
        if (!ahead) {
            EXPECT_EQ(runner_->LoadAttempts, 5);
            EXPECT_EQ(runner_->PictureIndex, 0);
        }
    }

    // Nothing loads: no transition, at most five tries, and the timer tries again an interval later.
    file_.settings.Pictures = {bad, missing};
    make();
    tick();
    EXPECT_EQ(runner_->LoadAttempts, TRunVorlinscreen::kMaxLoadTries);
    EXPECT_FALSE(runner_->Display->Animating());
    EXPECT_TRUE(runner_->Display->Picture().isEmpty());
    EXPECT_TRUE(runner_->Timer->isActive());
    EXPECT_EQ(runner_->Timer->interval(), 1000);

    // Also with an interval of 0: retried a second later rather than never or at once.
    file_.settings.ImageInterval = 0;
    tick();
    EXPECT_TRUE(runner_->Timer->isActive());
    EXPECT_EQ(runner_->Timer->interval(), 1000);

    // A picture that appears later is found by the retry.
    file_.settings.ImageInterval = 1;
    fs::remove(bad);
    picture("bad.bmp");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !runner_->Display->Picture().isEmpty(); }, 3000));
}

// One tick's outcome: the picture, the effect and the direction.
struct Change {
    std::string file;
    int style;
    bool reverse;
    bool operator==(const Change&) const = default;
};

// Loading ahead chooses the next picture when a transition ends instead of at the tick: for one seed the
// show must still bring the same pictures, effects and directions, broken and missing files included.
// Every effect is enabled, so the swarm and random-block effects draw from the generator in their frames.
TEST_F(RunnerTest, LoadingAheadKeepsTheShowsSequence) {
    std::vector<std::string> pictures;
    for (int i = 0; i < 6; ++i)
        pictures.push_back(picture("p" + std::to_string(i) + ".bmp", static_cast<std::uint8_t>(i * 40)));
    pictures.insert(pictures.begin() + 2, broken("bad1.bmp"));
    pictures.insert(pictures.begin() + 5, broken("bad2.jpg"));
    pictures.push_back((dir_ / "missing.png").string());
    file_.settings.Pictures = pictures;
    file_.settings.EnabledEffects.set();
    file_.settings.AllowReverseTransition = true;
    parent_->resize(64, 48);
    for (const auto& [randomImage, shuffle] : {std::pair{false, false}, {true, false}, {true, true}}) {
        file_.settings.RandomImage = randomImage;
        file_.settings.Shuffle = shuffle;
        std::vector<Change> runs[2];
        for (const bool ahead : {false, true}) {
            make();
            runner_->LoadAhead = ahead;
            vorlin::setRandomSeed(20261209);
            for (int i = 0; i < 200; ++i) {
                tick();
                const auto& d = *runner_->Display;
                runs[ahead].push_back(
                    {fs::path(runner_->CurrentFile).filename().string(), d.Style(), d.Reverse()});
                ASSERT_TRUE(waitIdle());
            }
        }
        EXPECT_EQ(runs[0].size(), 200u);
        EXPECT_TRUE(runs[0] == runs[1]) << "random order: " << randomImage << ", shuffle: " << shuffle;
        // The broken files were reached and passed over (a third of the list).
        EXPECT_GT(runner_->LoadAttempts, 250);
    }
}

// The fair shuffle shows each picture once per round, in the order the round was drawn: a picture that
// fails to load is passed over within its tick, and a choice made ahead that the tick drops (the colour
// changed) leaves the round where it stood. Six good pictures: every six ticks show each of them once.
TEST_F(RunnerTest, FairShuffleSkipsAndRepeatsNothingThroughFailuresAndDroppedChoices) {
    std::vector<std::string> pictures;
    for (int i = 0; i < 6; ++i)
        pictures.push_back(picture("p" + std::to_string(i) + ".bmp", static_cast<std::uint8_t>(i * 40)));
    pictures.insert(pictures.begin() + 2, broken("bad.bmp"));
    pictures.push_back((dir_ / "missing.png").string());
    file_.settings.Pictures = pictures;
    file_.settings.RandomImage = true;
    file_.settings.Shuffle = true;
    file_.settings.ImageInterval = 1000; // the test's ticks only; a choice is still made ahead
    const std::vector<std::string> all = {"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp", "p5.bmp"};
    for (const bool ahead : {false, true}) {
        make();
        runner_->LoadAhead = ahead;
        vorlin::setRandomSeed(31);
        std::vector<std::string> files;
        for (int i = 0; i < 6 * 12; ++i) {
            tick();
            ASSERT_TRUE(waitIdle());
            files.push_back(fs::path(runner_->CurrentFile).filename().string());
            if (i % 3 == 1) {
                file_.settings.BackgroundColor = i;
                runner_->ApplySettings();
            }
        }
        for (std::size_t r = 0; r < files.size(); r += 6) {
            std::vector<std::string> round(files.begin() + r, files.begin() + r + 6);
            std::sort(round.begin(), round.end());
            EXPECT_EQ(round, all) << "ahead " << ahead << ", round " << r / 6;
        }
        for (std::size_t i = 1; i < files.size(); ++i) EXPECT_NE(files[i], files[i - 1]) << i;
    }
}

// Monitors=1: a runner per monitor, each passing over what the others show (as the show's monitor surfaces
// set them up). Loading ahead chooses a monitor's next picture long before its tick, while the others go
// on changing theirs: no two monitors may ever show one picture while the list has enough, and in list
// order each monitor keeps the sequence it has without loading ahead.
TEST_F(RunnerTest, MonitorsOfOneShowNeverShowOnePictureTwice) {
    std::vector<std::string> pictures;
    for (int i = 0; i < 7; ++i)
        pictures.push_back(picture("p" + std::to_string(i) + ".bmp", static_cast<std::uint8_t>(i * 30)));
    pictures.insert(pictures.begin() + 3, broken("bad.bmp"));
    file_.settings.Pictures = pictures;
    file_.settings.ImageInterval = 1000; // no runner ticks on its own between the test's ticks
    constexpr int kMonitors = 3, kRounds = 24;
    std::vector<std::unique_ptr<QWidget>> parents;
    std::vector<std::unique_ptr<TRunVorlinscreen>> runners;
    const auto name = [](const TRunVorlinscreen& r) { return fs::path(r.CurrentFile).filename().string(); };
    // Per monitor, the pictures it showed.
    const auto run = [&](bool randomImage, bool ahead) {
        file_.settings.RandomImage = randomImage;
        runners.clear();
        parents.clear();
        for (int m = 0; m < kMonitors; ++m) {
            parents.push_back(std::make_unique<QWidget>());
            parents.back()->resize(40, 30);
            parents.back()->show();
            runners.push_back(std::make_unique<TRunVorlinscreen>(parents.back().get(), nullptr, nullptr,
                                                                 nullptr, false, false, 1, &file_));
            TRunVorlinscreen& r = *runners.back();
            r.Timer->stop();
            r.LoadAhead = ahead;
            r.PictureIndex = runner::monitorStartIndex(m, kMonitors, static_cast<int>(pictures.size())) - 1;
            r.PictureTaken = [&, self = &r](int index) {
                for (const auto& other : runners)
                    if (other.get() != self && other->CurrentFile == pictures.at(index)) return true;
                return false;
            };
        }
        std::vector<std::vector<std::string>> shown(kMonitors);
        for (int round = 0; round < kRounds; ++round)
            for (int m = 0; m < kMonitors; ++m) {
                TRunVorlinscreen& r = *runners[m];
                r.Tick();
                EXPECT_TRUE(waitFor([&] { return !r.TickWaiting(); }, 5000));
                EXPECT_TRUE(waitFor([&] { return !r.Display->Animating(); }, 3000));
                shown[m].push_back(name(r));
                for (int o = 0; o < kMonitors; ++o)
                    if (o != m && !runners[o]->CurrentFile.empty()) {
                        EXPECT_NE(name(*runners[o]), name(r))
                            << "monitors " << o << " and " << m << ", round " << round << ", random "
                            << randomImage << ", ahead " << ahead;
                    }
            }
        return shown;
    };
    vorlin::setRandomSeed(11);
    const auto listOrder = run(false, false);
    EXPECT_EQ(listOrder[0].front(), "p0.bmp");
    EXPECT_EQ(listOrder, run(false, true));
    for (const int seed : {1, 2, 3}) {
        vorlin::setRandomSeed(seed);
        run(true, true);
    }
    runners.clear();
}

// An older show (no look keys) and one with every look key 0 take the plain path: for one seed the same
// pictures, effects and screen bytes, and the screen buffer at the picture's own size (a look composes it
// at the control's size).
TEST_F(RunnerTest, OldShowUnchanged) {
    std::vector<std::string> pictures;
    for (int i = 0; i < 4; ++i)
        pictures.push_back(picture("p" + std::to_string(i) + ".bmp", static_cast<std::uint8_t>(i * 60)));
    const platform::Registry registry((dir_ / "registry.ini").string());
    const std::string sets[] = {"[Set]\nImageInterval=1\n",
                                "[Set]\nImageInterval=1\nPanZoom=0\nCaption=0\nClock=0\nFill=0\nShuffle=0\n"};
    struct Frame {
        std::string file;
        int style;
        bool reverse;
        std::vector<std::uint8_t> screen;
        bool operator==(const Frame&) const = default;
    };
    std::vector<Frame> runs[2];
    for (int k = 0; k < 2; ++k) {
        std::ofstream(dir_ / "show.002") << sets[k];
        file_.read((dir_ / "show.scr").string(), registry);
        auto& s = file_.settings;
        s.Pictures = pictures;
        s.EnabledEffects.set();
        s.AllowReverseTransition = true;
        s.EffectSpeed = 1;
        s.PlayMusic = false;
        s.BackgroundColor = 0x00FF00FF;
        make();
        ASSERT_FALSE(runner_->Display->LookActive());
        vorlin::setRandomSeed(20261209);
        for (int i = 0; i < 30; ++i) {
            tick();
            ASSERT_TRUE(waitIdle());
            const auto& d = *runner_->Display;
            ASSERT_EQ(d.FScreen.width(), 40);
            ASSERT_EQ(d.FScreen.height(), 30);
            runs[k].push_back(
                {fs::path(runner_->CurrentFile).filename().string(), d.Style(), d.Reverse(),
                 std::vector<std::uint8_t>(d.FScreen.bits(), d.FScreen.bits() + d.FScreen.byteCount())});
        }
    }
    EXPECT_TRUE(runs[0] == runs[1]);
}

// With a fill the runner's pictures (the first loaded at the tick, the later ones ahead of it) are composed
// at the canvas's size: the crop covers it with the picture, the blurred fill leaves none of the background
// colour beside a portrait.
TEST_F(RunnerTest, FillsComposeThePictureAtTheCanvasSize) {
    const std::string portrait = (dir_ / "portrait.bmp").string();
    vorlin::testing::writeSolidBmp(portrait, 30, 90, 20, 200, 60);
    file_.settings.RandomImage = false;
    file_.settings.BackgroundColor = 0x00FF00FF;
    for (const auto fill : {show::pfCrop, show::pfBlur}) {
        SCOPED_TRACE(fill);
        file_.settings.Fill = fill;
        file_.settings.Pictures = {picture("a.bmp", 200, 40, 90), portrait};
        make();
        EXPECT_TRUE(runner_->Display->LookActive());
        for (int i = 0; i < 4; ++i) {
            tick();
            ASSERT_TRUE(waitIdle());
            const gfx::Bitmap& screen = runner_->Display->FScreen;
            ASSERT_EQ(screen.width(), 200);
            ASSERT_EQ(screen.height(), 150);
            const gfx::Color shown =
                runner_->CurrentFile == portrait ? gfx::Color{20, 200, 60} : gfx::Color{200, 40, 90};
            for (int y = 0; y < screen.height(); ++y)
                for (int x = 0; x < screen.width(); ++x) {
                    const gfx::Color c = screen.pixel(x, y);
                    ASSERT_NE(c, (gfx::Color{255, 0, 255})) << x << "," << y;
                    if (fill == show::pfCrop) {
                        ASSERT_EQ(c, shown) << x << "," << y;
                    }
                }
        }
    }
}

// A picture loaded ahead for settings that changed before the tick is never shown: the tick chooses
// again from the new list, and loads again for the canvas's new size.
TEST_F(RunnerTest, ASettingsChangeDropsThePictureLoadedAhead) {
    const std::string red = picture("red.bmp", 255, 0, 0), green = picture("green.bmp", 0, 255, 0);
    const std::string blue = picture("blue.bmp", 0, 0, 255), yellow = picture("yellow.bmp", 255, 255, 0);
    file_.settings.RandomImage = false;
    file_.settings.Pictures = {red, green};
    parent_->resize(30, 20); // the 40 × 30 pictures are cut to what the canvas shows
    make();
    tick();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(fs::path(runner_->CurrentFile).filename(), "red.bmp");
    // Green is being loaded (or is loaded) ahead; the list changes under it.
    file_.settings.Pictures = {blue, yellow};
    tick();
    EXPECT_EQ(fs::path(runner_->CurrentFile).filename(), "yellow.bmp");
    EXPECT_EQ(runner_->Display->Picture().pixel(5, 5), (gfx::Color{255, 255, 0}));
    ASSERT_TRUE(waitIdle());
    // Blue is loaded ahead for a 30 × 20 canvas; the canvas grows before the tick.
    QTest::qWait(100);
    parent_->resize(36, 26);
    tick();
    EXPECT_EQ(fs::path(runner_->CurrentFile).filename(), "blue.bmp");
    EXPECT_EQ(runner_->Display->Picture().width(), 36);
    EXPECT_EQ(runner_->Display->Picture().height(), 26);
    EXPECT_EQ(runner_->Display->Picture().pixel(5, 5), (gfx::Color{0, 0, 255}));
}

// The owner may go away while a picture is being loaded: the canvas first (its parent destroyed), then
// the runner.
TEST_F(RunnerTest, CanvasAndRunnerGoWhileAPictureLoads) {
    const std::string big = (dir_ / "big.bmp").string();
    vorlin::testing::writeSolidBmp(big, 3000, 2000, 1, 2, 3);
    file_.settings.Pictures = {big, picture("a.bmp")};
    for (int round = 0; round < 3; ++round) {
        parent_ = std::make_unique<QWidget>();
        parent_->resize(200, 150);
        parent_->show();
        make();
        runner_->Tick();
        ASSERT_TRUE(runner_->TickWaiting());
        if (round == 1) QTest::qWait(30);
        if (round < 2) parent_.reset();
        QTest::qWait(round * 20);
        runner_.reset();
    }
}

// In random order a picture that fails to load never becomes the one the draw avoids: the picture on
// screen does. Red, bad, green never give the same picture twice running.
TEST_F(RunnerTest, RandomOrderAvoidsThePictureOnScreenAfterAFailedLoad) {
    file_.settings.RandomImage = true;
    file_.settings.Pictures = {picture("red.bmp", 255, 0, 0), broken("bad.bmp"),
                               picture("green.bmp", 0, 255, 0)};
    make();
    vorlin::setRandomSeed(7);
    const std::vector<std::string> files = tickFiles(40);
    for (std::size_t i = 0; i < files.size(); ++i) {
        ASSERT_NE(files[i], "bad.bmp") << "tick " << i;
        if (i > 0) {
            ASSERT_NE(files[i], files[i - 1]) << "tick " << i;
        }
    }
    // Every failed load was tried again within its tick.
    EXPECT_GT(runner_->LoadAttempts, 40);
}

// Pan and zoom draws each drift's direction from the shared generator, and only when it is on: for a
// fixed seed a show without it brings exactly the effects and directions the effect and reverse draws
// alone give, and the same screens whether PanZoom was never set or set and turned off again. With it,
// the picture drifts after each transition, and the drifts' draws move the sequence on.
TEST_F(RunnerTest, PanZoomDrawsFromTheGeneratorOnlyWhenOn) {
    std::vector<std::string> pictures;
    for (int i = 0; i < 4; ++i)
        pictures.push_back(picture("p" + std::to_string(i) + ".bmp", static_cast<std::uint8_t>(i * 60)));
    auto& s = file_.settings;
    s.Pictures = pictures;
    for (int e = 1; e <= 5; ++e) s.EnabledEffects.set(e); // effects that draw nothing in their frames
    s.AllowReverseTransition = true;
    constexpr std::uint32_t kSeed = 4711;
    constexpr int kTicks = 12;

    std::vector<std::pair<int, bool>> replay;
    vorlin::setRandomSeed(kSeed);
    for (int i = 0; i < kTicks; ++i) {
        const int effect = runner::chooseEffect(s.EnabledEffects);
        replay.emplace_back(effect, runner::chooseReverse());
    }

    struct Run {
        std::vector<std::pair<int, bool>> effects;
        std::vector<gfx::Bitmap> screens;
        int drifting = 0;
    };
    auto run = [&](bool panZoom, bool turnedOnAndOff) {
        Run r;
        s.PanZoom = panZoom || turnedOnAndOff;
        make();
        if (turnedOnAndOff) {
            s.PanZoom = false;
            runner_->ApplySettings();
        }
        vorlin::setRandomSeed(kSeed);
        for (int i = 0; i < kTicks; ++i) {
            tick();
            r.effects.emplace_back(runner_->Display->Style(), runner_->Display->Reverse());
            EXPECT_TRUE(waitIdle());
            r.screens.push_back(runner_->Display->FScreen);
            r.drifting += runner_->Display->Drifting();
        }
        return r;
    };
    const Run never = run(false, false), off = run(false, true), on = run(true, false);
    EXPECT_EQ(never.effects, replay);
    EXPECT_EQ(off.effects, replay);
    for (int i = 0; i < kTicks; ++i) EXPECT_TRUE(off.screens[i].samePixels(never.screens[i])) << i;
    EXPECT_EQ(never.drifting, 0);
    EXPECT_NE(on.effects, replay);
    EXPECT_EQ(on.drifting, kTicks);
    // With pan and zoom the picture fills the control's size.
    EXPECT_EQ(on.screens.back().width(), parent_->width());
}

TEST_F(RunnerTest, DemonstrationAlternatesTheSamples) {
    // The samples are JPEG files found in the program folder.
    const fs::path jpeg = fs::path(VORLIN_TEST_DATA_DIR) / "pictures" / "jpeg_orient1.jpg";
    fs::copy_file(jpeg, dir_ / "t1.jpg");
    fs::copy_file(jpeg, dir_ / "t2.jpg");
    make(true, true, 59);
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(runner_->NextPicture());
        names.push_back(fs::path(runner_->CurrentFile).filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"t1.jpg", "t2.jpg", "t1.jpg", "t2.jpg"}));

    // A missing sample: the current file stays and nothing loads.
    fs::remove(dir_ / "t1.jpg");
    EXPECT_FALSE(runner_->NextPicture());
    EXPECT_EQ(fs::path(runner_->CurrentFile).filename(), "t2.jpg");
}

TEST_F(RunnerTest, MusicOnlyOutsideAWindow) {
    const std::string wav = VORLIN_TEST_DATA_DIR "/playlist/a.wav";
    file_.settings.Music = {wav};
    file_.settings.PlayMusic = true;
    music::ClearMusicList();
    music::StopMusic();
    const std::string before = music::CurrentTrack();

    make(true).StartMusic();
    EXPECT_EQ(music::CurrentTrack(), before);

    file_.settings.PlayMusic = false;
    make(false).StartMusic();
    EXPECT_EQ(music::CurrentTrack(), before);

    file_.settings.PlayMusic = true;
    make(false).StartMusic();
    EXPECT_EQ(music::CurrentTrack(), wav);
}

// The caption reaches the picture the tick takes, loaded ahead on the worker or at the tick: from the file
// name, or from the photo's date (read only for such a caption); a picture without what the caption shows
// stays as it is. The clock (and its timer) exists only when asked for.
TEST_F(RunnerTest, CaptionsOnBothLoadPathsAndTheClockOnlyWhenAsked) {
    const std::string named = (dir_ / "IMG_0042.bmp").string();
    vorlin::testing::writeSolidBmp(named, 200, 150, 120, 120, 120);
    const std::string dated = (dir_ / "dated.jpg").string();
    const std::string error = vorlin::testing::writeDatedJpeg(dated, 200, 150, "2021:07:04 18:30:05");
    if (!error.empty()) GTEST_SKIP() << "no photo made: " << error;
    struct Row {
        int caption;
        std::string file;
        bool stamped;
    } rows[] = {{show::cpNone, named, false},
                {show::cpFileName, named, true},
                {show::cpDateTaken, named, false},
                {show::cpDateTaken, dated, true},
                {show::cpTitle, dated, false}};
    // Pixels of the bottom-left corner that differ from the picture's top-left one.
    auto marked = [&] {
        const gfx::Bitmap& p = runner_->Display->Picture();
        const gfx::Color plain = p.pixel(0, 0);
        int n = 0;
        for (int y = p.height() * 3 / 4; y < p.height(); ++y)
            for (int x = 0; x < p.width() / 2; ++x) {
                const gfx::Color c = p.pixel(x, y);
                n += std::abs(c.r - plain.r) + std::abs(c.g - plain.g) + std::abs(c.b - plain.b) > 60;
            }
        return n;
    };
    for (const bool loadAhead : {true, false})
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message()
                         << "Caption=" << row.caption << " " << row.file << " ahead " << loadAhead);
            file_.settings.Pictures = {row.file};
            file_.settings.Caption = row.caption;
            make().LoadAhead = loadAhead;
            tick();
            ASSERT_TRUE(waitIdle());
            ASSERT_EQ(runner_->CurrentFile, row.file);
            if (row.stamped)
                EXPECT_GT(marked(), 20);
            else
                EXPECT_EQ(marked(), 0);
        }

    file_.settings.Clock = show::ckNone;
    EXPECT_EQ(make().Display->Clock(), nullptr);
    file_.settings.Clock = show::ckTimeDate;
    ASSERT_NE(make().Display->Clock(), nullptr);
    EXPECT_EQ(runner_->Display->Clock()->mode(), show::ckTimeDate);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
