// The playlist's track rule on its own: order, loop, shuffle (counts and uniform draws), the start over
// after a used-up list, extensions, and the advance past files that cannot start.
#include "music/playlist/track_rule.h"

#include "base/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

using vorlin::music::MusicKind;
using vorlin::music::musicKindOf;
using vorlin::music::TrackRule;

namespace {

const std::vector<std::string> kThree = {"/m/1.mp3", "/m/2.wav", "/m/3.mid"};

// The files the rule yields over n advances ("" for none).
std::vector<std::string> picks(TrackRule& rule, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(rule.next());
    return out;
}

} // namespace

TEST(TrackRule, NoListOrEmptyListYieldsNothing) {
    TrackRule rule;
    EXPECT_EQ(rule.next(), "");
    EXPECT_FALSE(rule.hasList());
    rule.set({}, true, true);
    EXPECT_TRUE(rule.hasList());
    EXPECT_EQ(picks(rule, 3), std::vector<std::string>(3, ""));
    EXPECT_EQ(rule.position(), -1);
}

TEST(TrackRule, InOrderOnceThenSilenceThenStartsOver) {
    TrackRule rule;
    rule.set(kThree, false, false);
    EXPECT_EQ(picks(rule, 5), (std::vector<std::string>{kThree[0], kThree[1], kThree[2], "", kThree[0]}));
}

TEST(TrackRule, InOrderLoopRepeatsTheList) {
    TrackRule rule;
    rule.set(kThree, false, true);
    const auto got = picks(rule, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(got[i], kThree[i % 3]) << i;
}

TEST(TrackRule, OneFileOnceOrForEver) {
    TrackRule once, looped;
    once.set({"/a.wav"}, false, false);
    looped.set({"/a.wav"}, false, true);
    EXPECT_EQ(picks(once, 3), (std::vector<std::string>{"/a.wav", "", "/a.wav"}));
    EXPECT_EQ(picks(looped, 3), std::vector<std::string>(3, "/a.wav"));
}

TEST(TrackRule, ShuffleWithoutLoopDrawsExactlyCountThenSilenceThenANewSeries) {
    vorlin::setRandomSeed(12345);
    TrackRule rule;
    rule.set(kThree, true, false);
    const std::set<std::string> members(kThree.begin(), kThree.end());
    for (int series = 0; series < 50; ++series) {
        for (int k = 0; k < 3; ++k) {
            const std::string f = rule.next();
            EXPECT_TRUE(members.count(f)) << "series " << series << " pick " << k << ": " << f;
            EXPECT_EQ(rule.played(), k);
        }
        EXPECT_EQ(rule.next(), "") << "series " << series;
        EXPECT_EQ(rule.played(), -1);
        EXPECT_EQ(rule.position(), -1);
    }
}

TEST(TrackRule, ShuffleDrawsAreUniformAndIndependentWithRepeats) {
    vorlin::setRandomSeed(987654321u);
    TrackRule rule;
    rule.set({"a", "b", "c", "d"}, true, true);
    constexpr int kDraws = 40000;
    std::map<std::string, int> count;
    int sameAsPrevious = 0;
    std::string previous;
    for (int i = 0; i < kDraws; ++i) {
        const std::string f = rule.next();
        ASSERT_FALSE(f.empty());
        ++count[f];
        if (f == previous) ++sameAsPrevious;
        previous = f;
    }
    ASSERT_EQ(count.size(), 4u);
    // Each of 4 files: mean 10000, standard deviation ~87; allow 6 sigma.
    for (auto& [f, n] : count) EXPECT_NEAR(n, kDraws / 4, 520) << f;
    // Independent draws repeat the previous file a quarter of the time.
    EXPECT_NEAR(sameAsPrevious, kDraws / 4, 520);
}

TEST(TrackRule, SetAndClearReturnToTheStart) {
    TrackRule rule;
    rule.set(kThree, false, false);
    rule.next();
    rule.next();
    rule.set(kThree, false, false);
    EXPECT_EQ(rule.current(), "");
    EXPECT_EQ(rule.next(), kThree[0]);
    rule.clear();
    EXPECT_EQ(rule.current(), "");
    EXPECT_EQ(rule.next(), "");
    EXPECT_TRUE(rule.list().empty());
}

TEST(TrackRule, AdvanceSkipsFilesThatDoNotStart) {
    struct Row {
        std::vector<std::string> list;
        bool loop;
        std::set<std::string> bad;
        std::vector<std::string> expectStarts; // over successive advances; "" = no start
        std::vector<int> expectTries;          // start() calls per advance
    };
    const std::vector<Row> rows = {
        // The second file is missing: the first plays, the third follows it, then silence.
        {{"a", "b", "c"}, false, {"b"}, {"a", "c", ""}, {1, 2, 0}},
        // Only bad files: one advance tries each once and falls silent (loop or not).
        {{"a", "b", "c"}, true, {"a", "b", "c"}, {"", ""}, {3, 3}},
        {{"a", "b", "c"}, false, {"a", "b", "c"}, {""}, {3}},
        // Looping past a bad file at the end of the list.
        {{"a", "b"}, true, {"b"}, {"a", "a", "a"}, {1, 2, 2}},
    };
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        TrackRule rule;
        rule.set(row.list, false, row.loop);
        for (std::size_t i = 0; i < row.expectStarts.size(); ++i) {
            int tries = 0;
            std::string started;
            const bool ok = rule.advance([&](const std::string& f) {
                ++tries;
                if (row.bad.count(f)) return false;
                started = f;
                return true;
            });
            EXPECT_EQ(ok, !row.expectStarts[i].empty()) << "row " << r << " advance " << i;
            EXPECT_EQ(started, row.expectStarts[i]) << "row " << r << " advance " << i;
            EXPECT_EQ(tries, row.expectTries[i]) << "row " << r << " advance " << i;
        }
    }
}

TEST(TrackRule, ShuffledAdvanceOverBadFilesStopsAfterCountTries) {
    vorlin::setRandomSeed(7);
    TrackRule rule;
    rule.set({"x", "y", "z", "w"}, true, true);
    for (int i = 0; i < 20; ++i) {
        int tries = 0;
        EXPECT_FALSE(rule.advance([&](const std::string&) { return ++tries, false; }));
        EXPECT_EQ(tries, 4);
    }
}

TEST(MusicKind, ByExtensionInAnyCase) {
    const std::vector<std::pair<std::string, MusicKind>> rows = {
        {"/m/song.mp3", MusicKind::Mpeg},  {"/m/SONG.MP3", MusicKind::Mpeg},
        {"/m/a.b.Mp3", MusicKind::Mpeg},   {"/m/x.wav", MusicKind::Mci},
        {"/m/x.WAV", MusicKind::Mci},      {"/m/x.mid", MusicKind::Mci},
        {"/m/x.MID", MusicKind::Mci},      {"/m/x.midi", MusicKind::None},
        {"/m/x.rmi", MusicKind::None},     {"/m/x.ogg", MusicKind::None},
        {"/m/mp3", MusicKind::None},       {"/m.mp3/file", MusicKind::None},
        {"/m/x.mp3.txt", MusicKind::None}, {"", MusicKind::None},
        {"/m/x.", MusicKind::None},
    };
    for (const auto& [name, kind] : rows) EXPECT_EQ(musicKindOf(name), kind) << name;
}
