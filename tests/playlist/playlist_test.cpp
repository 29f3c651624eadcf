// The music playlist playing real files: WAV and MIDI through the MCI player, MP3 through the MPEG audio
// library (found in the system folder, as an installed show finds it), on SDL's dummy audio driver.
// The playlist is process-wide: every test starts from silence and leaves silence behind.
#include "music/playlist/playlist.h"

#include "music/mci/mci_player.h"
#include "music/mpegplay/mpeg_player.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

using namespace vorlin::music;

namespace {

const std::string kData = VORLIN_TEST_DATA_DIR "/playlist/";
const std::string A = kData + "a.wav", B = kData + "b.wav", C = kData + "c.wav"; // 150 ms each
const std::string kMp3 = kData + "tone_300ms.mp3";
const std::string kMissing = kData + "no such file.wav";

#ifdef MPEGDLL_DIR
constexpr bool kHaveMpegLibrary = true;
#else
constexpr bool kHaveMpegLibrary = false;
#endif

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetOnTrackStart([this](const std::string& f) { starts.push_back(f); });
    }
    void TearDown() override {
        SetOnTrackStart(nullptr);
        ClearMusicList();
        StopMusic();
        QTest::qWait(100); // a late aborted notification finds the empty list
    }
    // Serves the event loop until n tracks have started (false when that takes too long).
    bool waitForStarts(std::size_t n, int ms = 8000) {
        return QTest::qWaitFor([&] { return starts.size() >= n; }, ms);
    }
    // Serves the event loop for ms; the caller then checks that nothing more started.
    static void serveFor(int ms) { QTest::qWait(ms); }

    std::vector<std::string> starts;
};

} // namespace

TEST_F(PlaylistTest, InOrderWithoutLoopPlaysEachFileOnceThenStartsOverOnRequest) {
    SetMusicList({A, B, C}, false, false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(3));
    serveFor(600);
    EXPECT_EQ(starts, (std::vector<std::string>{A, B, C}));
    EXPECT_EQ(CurrentTrack(), "");

    PlayTrack(""); // the list was used up: start over at the first file
    ASSERT_TRUE(waitForStarts(4));
    EXPECT_EQ(starts[3], A);
}

TEST_F(PlaylistTest, InOrderLoopGoesRoundUntilClearedAndStopped) {
    SetMusicList({A, B}, false, true);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(5));
    ClearMusicList();
    StopMusic();
    const auto n = starts.size();
    serveFor(600);
    EXPECT_EQ(starts.size(), n);
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(starts[i], i % 2 ? B : A) << i;
}

TEST_F(PlaylistTest, ShuffleWithoutLoopPlaysExactlyCountTracks) {
    SetMusicList({A, B, C}, true, false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(3));
    serveFor(700);
    ASSERT_EQ(starts.size(), 3u);
    const std::set<std::string> members{A, B, C};
    for (const auto& f : starts) EXPECT_TRUE(members.count(f)) << f;
}

TEST_F(PlaylistTest, ShuffleWithLoopKeepsDrawingFromTheList) {
    SetMusicList({A, B, C}, true, true);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(8));
    ClearMusicList();
    StopMusic();
    const auto n = starts.size();
    serveFor(500);
    EXPECT_EQ(starts.size(), n);
    const std::set<std::string> members{A, B, C};
    for (const auto& f : starts) EXPECT_TRUE(members.count(f)) << f;
}

TEST_F(PlaylistTest, FilesThatCannotStartAreSkipped) {
    // A missing file, an extension nothing plays, content no decoder takes: each is passed over.
    SetMusicList({A, kMissing, kData + "notes.midi", kData + "notes.rmi", kData + "broken.mp3", C}, false,
                 false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(2));
    serveFor(600);
    EXPECT_EQ(starts, (std::vector<std::string>{A, C}));
}

TEST_F(PlaylistTest, AListOfOnlyBadFilesFallsSilentWithoutSpinning) {
    SetMusicList({kMissing, kData + "notes.midi", kData + "broken.mp3"}, true, true);
    PlayTrack("");
    PlayTrack("");
    serveFor(400);
    EXPECT_TRUE(starts.empty());
}

TEST_F(PlaylistTest, PlayTrackWithANameReplacesTheList) {
    SetMusicList({A, B, C}, false, true);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(1));
    StopMusic();  // A's aborted notification is still to come
    PlayTrack(C); // ... and must find the list gone
    ASSERT_TRUE(waitForStarts(2));
    serveFor(600);
    EXPECT_EQ(starts, (std::vector<std::string>{A, C}));
}

TEST_F(PlaylistTest, StopMusicAloneIsFollowedByTheNextTrackButNotAfterClearing) {
    SetMusicList({A, B}, false, false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(1));
    StopMusic(); // the aborted notification counts as an end
    ASSERT_TRUE(waitForStarts(2));
    EXPECT_EQ(starts[1], B);
    serveFor(400);

    starts.clear();
    SetMusicList({A, B}, false, false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(1));
    ClearMusicList();
    StopMusic();
    serveFor(500);
    EXPECT_EQ(starts, (std::vector<std::string>{A}));
}

TEST_F(PlaylistTest, MidiFilesPlayThroughTheMciPlayer) {
    SetMusicList({kData + "notes.mid"}, false, false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(1));
    ASSERT_NE(PlaylistMciPlayer(), nullptr);
    EXPECT_EQ(PlaylistMciPlayer()->fileName(), kData + "notes.mid");
    EXPECT_EQ(PlaylistMciPlayer()->mode(), MciPlayer::Mode::Playing);
}

TEST_F(PlaylistTest, Mp3FilesInAnyCaseGoToTheMpegPlayer) {
    if (!kHaveMpegLibrary) GTEST_SKIP() << "libmpegdll.so is not built in this tree";
    for (const std::string name : {"lower.mp3", "UPPER.MP3"}) {
        starts.clear();
        PlayTrack(kData + name);
        ASSERT_TRUE(waitForStarts(1)) << name;
        ASSERT_NE(PlaylistMpegPlayer(), nullptr);
        EXPECT_EQ(PlaylistMpegPlayer()->StreamName(), kData + name);
        EXPECT_EQ(PlaylistMpegPlayer()->GetPlayerMode(), 3) << name;
        StopMusic();
        EXPECT_NE(PlaylistMpegPlayer()->GetPlayerMode(), 3) << name;
    }
    serveFor(1500); // a stopped MP3 reports no end, and the named file had no list after it
    EXPECT_EQ(starts.size(), 1u);
}

TEST_F(PlaylistTest, OneMp3LoopedIsReopenedForEveryRound) {
    if (!kHaveMpegLibrary) GTEST_SKIP() << "libmpegdll.so is not built in this tree";
    std::vector<int> playedTimes;
    SetOnTrackStart([&](const std::string& f) {
        starts.push_back(f);
        playedTimes.push_back(PlaylistMpegPlayer()->PlayedXTimes());
    });
    SetMusicList({kMp3}, false, true);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(3, 10000));
    EXPECT_EQ(starts, std::vector<std::string>(3, kMp3));
    // Opened afresh (1) and played once (2) every round: never a Restart of the old stream.
    EXPECT_EQ(playedTimes, std::vector<int>(3, 2));
}

TEST_F(PlaylistTest, OneMp3WithoutLoopPlaysOnceAndAMixedListMovesOn) {
    if (!kHaveMpegLibrary) GTEST_SKIP() << "libmpegdll.so is not built in this tree";
    SetMusicList({kMp3, A}, false, false);
    PlayTrack("");
    ASSERT_TRUE(waitForStarts(2, 5000)); // the MP3's end is polled once a second
    serveFor(1500);
    EXPECT_EQ(starts, (std::vector<std::string>{kMp3, A}));
}

int main(int argc, char** argv) {
#ifdef MPEGDLL_DIR
    // The playlist finds the MPEG audio library by name, in the system folder like an installed show.
    setenv("VORLIN_SYSTEM_DIR", MPEGDLL_DIR, 1);
#endif
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // The players outlive the tests by design; a stream that played to its end is still open and its
    // finished thread (MP3 or MCI) is collected only by a close, which a leak checker wants to see before
    // exit.
    if (auto* mpeg = PlaylistMpegPlayer(); mpeg && mpeg->LibraryLoaded() && mpeg->Opened()) mpeg->Close();
    if (auto* mci = PlaylistMciPlayer()) mci->close();
    return result;
}
