// TMPEGPlayer against the real MPEG audio library playing small MP3 files (SDL's dummy audio driver, so
// in real time), and against stand-ins for the faults the real library cannot show.
#include "music/mpegplay/mpeg_player.h"

#include "../lib/test_files.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace vorlin::music;

namespace {

const std::string kData = VORLIN_TEST_DATA_DIR "/playlist/";
const std::string kShort = kData + "tone_300ms.mp3"; // 300 ms
const std::string kLong = kData + "tone_1200ms.mp3"; // 1200 ms

#ifdef MPEGDLL_DIR
const std::string kRealDir = MPEGDLL_DIR;
#else
const std::string kRealDir;
#endif

// Runs body and returns the TMPEGError it throws (code -1 and empty text when it throws none).
TMPEGError errorOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const TMPEGError& e) {
        return e;
    }
    return TMPEGError("", -1);
}

class MpegPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (kRealDir.empty()) GTEST_SKIP() << "libmpegdll.so is not built in this tree";
    }
    // A loaded player polling every 50 ms that counts its ends.
    void load(TMPEGPlayer& p, int timerFreq = 50) {
        p.SetPathToDLL(kRealDir);
        p.SetTimerFreq(timerFreq);
        p.OnPlayEnd = [this](TMPEGPlayer*) { ++ends; };
        p.LoadMpegLibrary();
    }
    // Serves the event loop until pred holds (or the time is out).
    static bool waitFor(const std::function<bool()>& pred, int ms = 5000) {
        return QTest::qWaitFor(pred, ms);
    }
    int ends = 0;
};

} // namespace

TEST(MpegPlayerTables, PriorityMapsBothWaysAndOtherValuesReadNormal) {
    const std::vector<std::pair<TPlayPriority, int>> rows = {
        {TPlayPriority::Idle, -15},       {TPlayPriority::Lowest, -2},     {TPlayPriority::BelowNormal, -1},
        {TPlayPriority::Normal, 0},       {TPlayPriority::AboveNormal, 1}, {TPlayPriority::Highest, 2},
        {TPlayPriority::TimeCritical, 15}};
    for (auto [priority, value] : rows) {
        EXPECT_EQ(priorityValue(priority), value);
        EXPECT_EQ(priorityFromValue(value), priority);
    }
    for (int other : {-16, -3, 3, 14, 16, 1000}) EXPECT_EQ(priorityFromValue(other), TPlayPriority::Normal);
}

TEST(MpegPlayerTables, ErrorTexts) {
    const std::vector<std::pair<int, std::string>> rows = {{0, "MPEG library not loaded"},
                                                           {1, "Internal decoder error"},
                                                           {2, "Incorrect mode"},
                                                           {3, "Input stream error"},
                                                           {4, "Input stream is non-seekable"},
                                                           {5, "Output device failure"},
                                                           {254, "Can't play non-specified stream"}};
    for (const auto& [code, text] : rows) {
        EXPECT_EQ(mpegErrorText(code), text);
        EXPECT_LE(text.size(), 50u);
    }
    EXPECT_NE(mpegErrorText(6).find('6'), std::string::npos);
}

TEST(MpegPlayerUnloaded, EveryOperationNeedsTheLibrary) {
    TMPEGPlayer p;
    const std::vector<std::function<void()>> calls = {
        [&] { p.Open(); },          [&] { p.Play(); },          [&] { p.Restart(); },
        [&] { p.Pause(true); },     [&] { p.Pause(false); },    [&] { p.Close(); },
        [&] { p.GetPlayerMode(); }, [&] { p.GetCurrentPos(); }, [&] { p.GetLength(); }};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        auto e = errorOf(calls[i]);
        EXPECT_EQ(e.Code, 0) << "call " << i;
        EXPECT_STREQ(e.what(), "MPEG library not loaded") << "call " << i;
    }
    // Stop tests the mode first.
    EXPECT_STREQ(errorOf([&] { p.Stop(); }).what(), "Incorrect mode");
}

TEST(MpegPlayerUnloaded, SettersWithSideEffects) {
    TMPEGPlayer p;
    EXPECT_TRUE(p.UseTimer());
    p.SetTimerFreq(250);
    EXPECT_TRUE(p.UseTimer());
    p.SetTimerFreq(0);
    EXPECT_FALSE(p.UseTimer());

    p.SetOutputDevice(TOutputDevice::pcmfile); // no output file: stays the wave mapper
    EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);
    p.SetOutFilename("/tmp/out.wav");
    p.SetOutputDevice(TOutputDevice::pcmfile);
    EXPECT_EQ(p.OutputDevice(), TOutputDevice::pcmfile);
    p.SetOutputDevice(TOutputDevice::wavemapper);
    EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);

    p.SetPlayerPriority(TPlayPriority::Highest); // not loaded: stored only
    EXPECT_EQ(p.PlayerPriority(), TPlayPriority::Highest);
}

TEST(MpegPlayerLoading, MissingModuleMissingEntryAndFailedInit) {
    {
        TMPEGPlayer p;
        p.SetPathToDLL("/nonexistent/folder");
        auto e = errorOf([&] { p.LoadMpegLibrary(); });
        EXPECT_EQ(e.Code, 0);
        EXPECT_STREQ(e.what(), "Can't load MPEG library");
        EXPECT_FALSE(p.LibraryLoaded());
    }
    {
        TMPEGPlayer p;
        p.SetPathToDLL(STAND_IN_DIR "/stand_in_missing_seek/"); // trailing "/" is not doubled
        auto e = errorOf([&] { p.LoadMpegLibrary(); });
        EXPECT_EQ(e.Code, 0);
        EXPECT_STREQ(e.what(), "MPEG library not loaded");
        EXPECT_FALSE(p.LibraryLoaded());
        EXPECT_EQ(p.Timer(), nullptr);
    }
    {
        TMPEGPlayer p;
        p.SetPathToDLL(STAND_IN_DIR "/stand_in_init_fails");
        auto e = errorOf([&] { p.LoadMpegLibrary(); });
        EXPECT_EQ(e.Code, 5);
        EXPECT_STREQ(e.what(), "Output device failure");
        EXPECT_FALSE(p.LibraryLoaded());
    }
}

TEST(MpegPlayerStandIn, PositionAboveTheLengthIsReportedAsZero) {
    TMPEGPlayer p;
    p.SetPathToDLL(STAND_IN_DIR "/stand_in_scripted");
    p.LoadMpegLibrary();
    auto* lib = dlopen(STAND_IN_DIR "/stand_in_scripted/libmpegdll.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr);
    auto setPosition = reinterpret_cast<void (*)(int)>(dlsym(lib, "stand_in_set_position"));
    std::vector<std::pair<int, int>> reports;
    p.OnPosUpdate = [&](int pos, int len) { reports.push_back({pos, len}); };
    p.SetStreamName("any.mp3");
    p.Open();
    ASSERT_EQ(p.Length(), 1000);
    const std::vector<std::pair<int, int>> rows = {{0, 0}, {999, 999}, {1000, 1000}, {1001, 0}, {50000, 0}};
    for (auto [pos, reported] : rows) {
        setPosition(pos);
        reports.clear();
        if (!p.Playing())
            p.Play(); // the first start polls once at once
        else
            p.TimerTick();
        ASSERT_EQ(reports.size(), 1u) << pos;
        EXPECT_EQ(reports[0].first, reported) << pos;
        EXPECT_EQ(reports[0].second, 1000);
    }
    dlclose(lib);
}

TEST_F(MpegPlayerTest, OpenReadsTheLengthAndRefusesBadNames) {
    TMPEGPlayer p;
    load(p);
    EXPECT_EQ(p.Length(), 0);
    auto e = errorOf([&] { p.Open(); });
    EXPECT_EQ(e.Code, 254);
    EXPECT_STREQ(e.what(), "Can't play non-specified stream");

    p.SetStreamName(kData + "no such file.mp3");
    e = errorOf([&] { p.Open(); });
    EXPECT_GT(e.Code, 0);
    EXPECT_FALSE(p.Opened());

    p.SetStreamName(std::string(600, 'x') + ".mp3"); // does not fit the library's 512-byte buffer
    EXPECT_EQ(errorOf([&] { p.Open(); }).Code, 3);

    p.SetStreamName(kLong);
    p.Open();
    EXPECT_TRUE(p.Opened());
    EXPECT_EQ(p.PlayedXTimes(), 1);
    EXPECT_NEAR(p.Length(), 1200, 60);
    EXPECT_FALSE(p.Playing());

    p.SetStreamName(kShort); // closes the open stream
    EXPECT_FALSE(p.Opened());
    EXPECT_EQ(p.PlayedXTimes(), 0);
    p.Open();
    EXPECT_NEAR(p.Length(), 300, 60);
    p.Close();
    EXPECT_EQ(p.PlayedXTimes(), 0);
    EXPECT_EQ(p.GetPlayerMode(), 0);
}

TEST_F(MpegPlayerTest, EndIsReportedOnceAndASecondPlayGoesThroughRestart) {
    TMPEGPlayer p;
    load(p);
    std::vector<std::pair<int, int>> positions;
    p.OnPosUpdate = [&](int pos, int len) { positions.push_back({pos, len}); };
    p.SetStreamName(kShort);
    p.Play(); // opens the stream first
    EXPECT_TRUE(p.Opened());
    EXPECT_TRUE(p.Playing());
    EXPECT_EQ(p.PlayedXTimes(), 2);
    EXPECT_EQ(positions.size(), 1u); // polled once at the start
    EXPECT_EQ(p.GetPlayerMode(), 3);

    p.Play(); // while playing: nothing
    EXPECT_EQ(p.PlayedXTimes(), 2);

    ASSERT_TRUE(waitFor([&] { return ends == 1; }));
    EXPECT_FALSE(p.Playing());
    EXPECT_FALSE(p.Timer()->isActive());
    QTest::qWait(300); // no second report
    EXPECT_EQ(ends, 1);
    for (auto [pos, len] : positions) {
        EXPECT_GE(pos, 0);
        EXPECT_LE(pos, len);
    }
    EXPECT_GE(positions.size(), 2u); // the 50 ms timer polled during the 300 ms

    p.Play(); // after the end: Restart
    EXPECT_EQ(p.PlayedXTimes(), 3);
    EXPECT_TRUE(p.Playing());
    ASSERT_TRUE(waitFor([&] { return ends == 2; }));
    EXPECT_EQ(p.PlayedXTimes(), 3);
}

TEST_F(MpegPlayerTest, StopWhenNotPlayingIsIncorrectModeAndAStoppedStreamReportsNoEnd) {
    TMPEGPlayer p;
    load(p);
    p.SetStreamName(kShort);
    p.Open();
    auto e = errorOf([&] { p.Stop(); });
    EXPECT_EQ(e.Code, 2);
    EXPECT_STREQ(e.what(), "Incorrect mode");

    p.Play();
    p.Stop();
    EXPECT_FALSE(p.Playing());
    EXPECT_NE(p.GetPlayerMode(), 3);
    QTest::qWait(600); // past the stream's end
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(errorOf([&] { p.Stop(); }).Code, 2);
}

TEST_F(MpegPlayerTest, TimerFreqZeroNeverReportsTheEnd) {
    TMPEGPlayer p;
    load(p, 0);
    EXPECT_FALSE(p.UseTimer());
    p.SetStreamName(kShort);
    p.Play();
    EXPECT_FALSE(p.Timer()->isActive());
    // The library still finishes the stream and sets the end byte; nobody polls it.
    ASSERT_TRUE(waitFor([&] { return p.Ended(); }));
    QTest::qWait(200);
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(p.Playing());
}

TEST_F(MpegPlayerTest, PauseAndResume) {
    TMPEGPlayer p;
    load(p);
    p.SetStreamName(kLong);
    auto e = errorOf([&] { p.Pause(true); }); // opened? no; playing? no
    EXPECT_EQ(e.Code, 2);
    EXPECT_EQ(errorOf([&] { p.Pause(false); }).Code, -1); // resuming nothing is no error
    p.Play();
    p.Pause(true);
    EXPECT_TRUE(p.Paused());
    EXPECT_EQ(p.GetPlayerMode(), 2);
    const int at = p.GetCurrentPos();
    QTest::qWait(300);
    EXPECT_LE(p.GetCurrentPos() - at, 60); // does not move while paused
    p.Play();                              // resumes
    EXPECT_FALSE(p.Paused());
    EXPECT_EQ(p.GetPlayerMode(), 3);
    EXPECT_EQ(p.PlayedXTimes(), 2);
    ASSERT_TRUE(waitFor([&] { return ends == 1; }));
}

TEST_F(MpegPlayerTest, AutoPlayAndThePcmFileDevice) {
    const vorlin::testing::TempDir tmp;
    const auto out = tmp.path() / "out.wav";
    TMPEGPlayer p;
    load(p);
    p.SetOutFilename(out.string());
    p.SetOutputDevice(TOutputDevice::pcmfile);
    p.SetAutoPlay(true);
    p.SetPlayerPriority(TPlayPriority::BelowNormal); // loaded: passed on to the library
    p.SetStreamName(kShort);
    p.Open();
    EXPECT_EQ(p.PlayedXTimes(), 2); // started (the file device may already have finished)
    ASSERT_TRUE(waitFor([&] { return ends == 1; }));
    p.Close();
    // 300 ms of 22.05 kHz 16-bit PCM, in some channel layout, behind a WAV header.
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_GT(std::filesystem::file_size(out), 44u + 22050u * 2 * 3 / 10 * 9 / 10);

    TMPEGPlayer q;
    q.SetPathToDLL(kRealDir);
    q.LoadMpegLibrary();
    q.SetOutFilename(std::string(300, 'o'));
    q.SetOutputDevice(TOutputDevice::pcmfile);
    q.SetStreamName(kShort);
    EXPECT_EQ(errorOf([&] { q.Play(); }).Code, 5); // does not fit the 260-byte buffer
}

TEST_F(MpegPlayerTest, PlayWithAutoPlayOnAClosedStreamStartsItOnce) {
    TMPEGPlayer p;
    load(p);
    p.SetAutoPlay(true);
    p.SetStreamName(kShort);
    p.Play(); // opens, and the open starts playing: no second start through Restart
    EXPECT_TRUE(p.Playing());
    EXPECT_EQ(p.PlayedXTimes(), 2);
    ASSERT_TRUE(waitFor([&] { return ends == 1; }));
    QTest::qWait(200);
    EXPECT_EQ(ends, 1);
}

TEST_F(MpegPlayerTest, DestroyingAPlayingPlayerEndsItsStream) {
    TMPEGPlayer observer; // shares the loaded library and its one stream
    load(observer);
    auto p = std::make_unique<TMPEGPlayer>();
    load(*p);
    p->SetStreamName(kLong);
    p->Play();
    ASSERT_EQ(observer.GetPlayerMode(), 3);
    p.reset(); // the library must not go on writing into the freed player
    EXPECT_EQ(observer.GetPlayerMode(), 0);
}

TEST_F(MpegPlayerTest, ABrokenFileFailsToOpen) {
    TMPEGPlayer p;
    load(p);
    p.SetStreamName(kData + "broken.mp3");
    EXPECT_GT(errorOf([&] { p.Open(); }).Code, 0);
    EXPECT_FALSE(p.Playing());
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
