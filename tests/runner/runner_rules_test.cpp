// The runner's choices: picture order, effect draw, reverse share and the speed table.
#include "base/random.h"
#include "show/runner/runner_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace vorlin;
using namespace vorlin::runner;

namespace {

// Plays `count` choices the way the runner does: the chosen entry becomes the current file.
std::vector<std::string> sequence(const std::vector<std::string>& pictures, bool randomImage, int count,
                                  int* pictureIndexOut = nullptr) {
    std::string current;
    int pictureIndex = -1;
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        const int index = choosePictureIndex(pictures, randomImage, current, pictureIndex);
        current = pictures.at(index);
        out.push_back(current);
    }
    if (pictureIndexOut) *pictureIndexOut = pictureIndex;
    return out;
}

} // namespace

TEST(PictureChoice, ListOrderWrapsAround) {
    int pictureIndex = 0;
    const auto seq = sequence({"a", "b", "c"}, false, 7, &pictureIndex);
    EXPECT_EQ(seq, (std::vector<std::string>{"a", "b", "c", "a", "b", "c", "a"}));
    EXPECT_EQ(pictureIndex, 0);
}

TEST(PictureChoice, AllSameListAlwaysGivesTheFirstEntry) {
    for (bool randomImage : {false, true}) {
        setRandomSeed(12345);
        for (const auto& pictures : {std::vector<std::string>{"a", "a"}, std::vector<std::string>{"a"},
                                     std::vector<std::string>{"x", "x", "x", "x"}}) {
            int pictureIndex = -1;
            for (int i = 0; i < 50; ++i) {
                ASSERT_EQ(choosePictureIndex(pictures, randomImage, pictures[0], pictureIndex), 0);
            }
            // Only list order moves the index, and an all-same list does not use it.
            EXPECT_EQ(pictureIndex, -1);
        }
    }
}

TEST(PictureChoice, CaseDiffersMeansDifferentPictures) {
    int pictureIndex = -1;
    EXPECT_EQ(choosePictureIndex({"a", "A"}, false, "", pictureIndex), 0);
    EXPECT_EQ(choosePictureIndex({"a", "A"}, false, "a", pictureIndex), 1);
}

TEST(PictureChoice, ShuffleOfTwoAlternates) {
    for (std::uint32_t seed : {0u, 1u, 77u, 0xDEADBEEFu}) {
        setRandomSeed(seed);
        const auto seq = sequence({"a", "b"}, true, 40);
        for (std::size_t i = 1; i < seq.size(); ++i) {
            ASSERT_NE(seq[i], seq[i - 1]) << "seed " << seed;
        }
    }
}

TEST(PictureChoice, ShuffleNeverRepeatsAndReachesEveryPicture) {
    setRandomSeed(99);
    const std::vector<std::string> pictures{"a", "b", "c", "d", "a"};
    const auto seq = sequence(pictures, true, 2000);
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < seq.size(); ++i) {
        ++seen[seq[i]];
        if (i > 0) {
            ASSERT_NE(seq[i], seq[i - 1]);
        }
    }
    EXPECT_EQ(seen.size(), 4u);
    // "a" is listed twice: drawn about twice as often as each of the others.
    EXPECT_GT(seen["a"], seen["b"] * 3 / 2);
}

TEST(PictureChoice, EmptyListGivesNothing) {
    int pictureIndex = -1;
    EXPECT_EQ(choosePictureIndex({}, true, "", pictureIndex), -1);
    EXPECT_EQ(choosePictureIndex({}, false, "", pictureIndex), -1);
}

TEST(DemonstrationChoice, SamplesAlternateStartingWithTheFirst) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "t1.jpg"},
        {"/x/sample/t1.jpg", "t2.jpg"},
        {"/x/sample/T1.JPG", "t2.jpg"},
        {"C:\\show\\t1.jpg", "t2.jpg"},
        {"/x/t2.jpg", "t1.jpg"},
        {"/x/t1.jpg.bak", "t1.jpg"},
        {"/x/mt1.jpg", "t1.jpg"},
    };
    for (const auto& [current, expected] : rows)
        EXPECT_EQ(demonstrationCandidate(current), expected) << current;
}

TEST(EffectChoice, OnlyEnabledEffectsAreDrawn) {
    setRandomSeed(4);
    std::bitset<128> only7;
    only7.set(7);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(chooseEffect(only7), 7);

    std::bitset<128> some;
    for (int e : {1, 64, 127}) some.set(e);
    std::map<int, int> seen;
    for (int i = 0; i < 3000; ++i) ++seen[chooseEffect(some)];
    ASSERT_EQ(seen.size(), 3u);
    for (const auto& [effect, n] : seen) EXPECT_NEAR(n, 1000, 150) << effect;
}

TEST(EffectChoice, NoEffectGivesTheCut) {
    EXPECT_EQ(chooseEffect({}), 0);
    std::bitset<128> onlyCut;
    onlyCut.set(0);
    EXPECT_EQ(chooseEffect(onlyCut), 0); // must return, not draw forever
}

TEST(ReverseChoice, AboutOneInThree) {
    setRandomSeed(2024);
    int reversed = 0;
    const int n = 9000;
    for (int i = 0; i < n; ++i) reversed += chooseReverse() ? 1 : 0;
    EXPECT_NEAR(reversed, n / 3, 250);
}

TEST(SpeedTable, KnownSpeedsAndTheRest) {
    struct Row {
        int speed;
        int step;
        int delay;
    };
    for (const Row& r : {Row{1, 10, 1}, Row{2, 6, 20}, Row{3, 4, 30}, Row{4, 2, 30}, Row{5, 1, 30}}) {
        const auto pace = paceForSpeed(r.speed);
        ASSERT_TRUE(pace) << r.speed;
        EXPECT_EQ(pace->step, r.step) << r.speed;
        EXPECT_EQ(pace->delay, r.delay) << r.speed;
    }
    for (int other : {0, 6, 9, -1, 1000}) EXPECT_FALSE(paceForSpeed(other)) << other;
}

namespace {

// `monitors` shows choosing in turn, each passing over what the others show, started at their start
// indexes; returns the pictures on screen after each choice.
std::vector<std::vector<std::string>> monitorRounds(const std::vector<std::string>& pictures,
                                                    bool randomImage, int monitors, int rounds) {
    std::vector<std::string> current(monitors);
    std::vector<int> index(monitors);
    for (int m = 0; m < monitors; ++m)
        index[m] = monitorStartIndex(m, monitors, static_cast<int>(pictures.size())) - 1;
    std::vector<std::vector<std::string>> screens;
    for (int r = 0; r < rounds; ++r) {
        for (int m = 0; m < monitors; ++m) {
            const auto taken = [&](int i) {
                for (int o = 0; o < monitors; ++o)
                    if (o != m && current[o] == pictures.at(i)) return true;
                return false;
            };
            current[m] = pictures.at(choosePictureIndex(pictures, randomImage, current[m], index[m], taken));
            screens.push_back(current);
        }
    }
    return screens;
}

bool allDifferent(const std::vector<std::string>& shown) {
    for (std::size_t a = 0; a < shown.size(); ++a)
        for (std::size_t b = a + 1; b < shown.size(); ++b)
            if (!shown[a].empty() && shown[a] == shown[b]) return false;
    return true;
}

} // namespace

TEST(MonitorChoice, NoTwoMonitorsShowOnePictureWhileThereAreEnough) {
    vorlin::setRandomSeed(7);
    const std::vector<std::string> five = {"a", "b", "c", "d", "e"};
    for (const bool randomImage : {false, true})
        for (const int monitors : {2, 3, 5}) {
            const auto screens = monitorRounds(five, randomImage, monitors, 60);
            for (const auto& shown : screens)
                ASSERT_TRUE(allDifferent(shown)) << "random " << randomImage << ", monitors " << monitors;
            // Each monitor still changes its picture (with 5 monitors and 5 pictures random order must keep
            // the one it has: the only free one).
            if (monitors < 5) {
                EXPECT_NE(screens[0][0], screens[monitors][0]);
            }
        }
}

TEST(MonitorChoice, ListOrderStartsSpreadAndStepsOverTakenPictures) {
    // Two monitors on a, b, c, d in list order: one starts at a, the other at c, and both keep the order.
    const auto screens = monitorRounds({"a", "b", "c", "d"}, false, 2, 3);
    EXPECT_EQ(screens.back(), (std::vector<std::string>{"c", "a"}));
    EXPECT_EQ(screens[1], (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(screens[3], (std::vector<std::string>{"b", "d"}));

    // The next in order is taken: step past it.
    int index = 0;
    const auto takenB = [](int i) { return i == 1; };
    EXPECT_EQ(choosePictureIndex({"a", "b", "c"}, false, "a", index, takenB), 2);
    EXPECT_EQ(index, 2);
}

TEST(MonitorChoice, TooFewPicturesStillGiveEveryMonitorOne) {
    vorlin::setRandomSeed(3);
    // Three monitors and two pictures: some picture must repeat, but every choice ends with one.
    for (const bool randomImage : {false, true}) {
        const auto screens = monitorRounds({"a", "b"}, randomImage, 3, 20);
        for (const auto& shown : screens)
            for (const auto& s : shown) EXPECT_TRUE(s.empty() || s == "a" || s == "b");
    }
    // Everything taken: the rule without monitors applies.
    int index = -1;
    const auto all = [](int) { return true; };
    EXPECT_EQ(choosePictureIndex({"a", "b", "c"}, false, "", index, all), 0);
}

TEST(MonitorChoice, StartIndexesSpreadOverTheList) {
    struct Row {
        int monitor, monitors, count, start;
    };
    for (const Row& r : {Row{0, 2, 10, 0}, Row{1, 2, 10, 5}, Row{1, 3, 10, 3}, Row{2, 3, 10, 6},
                         Row{1, 2, 1, 0}, Row{3, 4, 2, 1}, Row{1, 0, 10, 0}, Row{5, 2, 10, 5}})
        EXPECT_EQ(monitorStartIndex(r.monitor, r.monitors, r.count), r.start)
            << r.monitor << "/" << r.monitors << " of " << r.count;
}

namespace {

// One fair-shuffle choice the way the runner makes it: the chosen entry becomes the current file.
int shuffled(const std::vector<std::string>& pictures, std::string& current, TShuffleRound& round,
             const TPictureTaken& taken = {}) {
    int pictureIndex = -1;
    const int index = choosePictureIndex(pictures, true, current, pictureIndex, taken, &round);
    current = pictures.at(index);
    return index;
}

} // namespace

TEST(FairShuffle, EveryPictureOncePerRoundOverAThousandRounds) {
    const std::vector<std::string> pictures{"a", "b", "c", "d", "e", "f", "g"};
    const int n = static_cast<int>(pictures.size());
    setRandomSeed(20261209);
    TShuffleRound round;
    std::string current;
    std::set<std::vector<int>> orders;
    std::map<int, int> firsts;
    for (int r = 0; r < 1000; ++r) {
        std::vector<int> shown;
        for (int i = 0; i < n; ++i) {
            const std::string before = current;
            const std::uint32_t seed = randomSeed();
            shown.push_back(shuffled(pictures, current, round));
            ASSERT_NE(current, before) << "round " << r << ", place " << i;
            // The generator is drawn from for a new round only.
            if (i > 0) {
                ASSERT_EQ(randomSeed(), seed) << "round " << r << ", place " << i;
            }
        }
        std::vector<int> sorted = shown;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, (std::vector<int>{0, 1, 2, 3, 4, 5, 6})) << "round " << r;
        orders.insert(shown);
        ++firsts[shown.front()];
    }
    // The rounds are drawn, not one order repeated or turned: nearly every one differs (7! = 5040 orders),
    // and each picture opens a round about as often as the others.
    EXPECT_GT(orders.size(), 500u);
    ASSERT_EQ(firsts.size(), 7u);
    for (const auto& [index, count] : firsts) EXPECT_NEAR(count, 1000 / 7, 45) << pictures[index];
}

TEST(FairShuffle, OneAndTwoPictures) {
    setRandomSeed(5);
    TShuffleRound round;
    std::string current;
    const std::uint32_t seed = randomSeed();
    for (int i = 0; i < 10; ++i) ASSERT_EQ(shuffled({"a"}, current, round), 0);
    EXPECT_EQ(randomSeed(), seed) << "one picture needs no draw";

    std::vector<std::string> seq;
    for (int i = 0; i < 40; ++i) {
        shuffled({"a", "b"}, current, round);
        seq.push_back(current);
    }
    for (std::size_t i = 1; i < seq.size(); ++i) ASSERT_NE(seq[i], seq[i - 1]) << i;
}

TEST(FairShuffle, DuplicatePathsNeverShowTwiceRunningAndEachShowsEveryRound) {
    const std::vector<std::string> pictures{"a", "b", "a", "c", "a"};
    for (std::uint32_t seed : {1u, 2u, 3u, 99u}) {
        setRandomSeed(seed);
        TShuffleRound round;
        std::string current;
        std::vector<int> thisRound;
        const auto check = [&] {
            std::set<int> entries(thisRound.begin(), thisRound.end());
            ASSERT_EQ(entries.size(), thisRound.size()) << "an entry came twice in one round, seed " << seed;
            std::set<std::string> paths;
            for (int e : thisRound) paths.insert(pictures[e]);
            ASSERT_EQ(paths.size(), 3u) << "seed " << seed;
        };
        for (int i = 0; i < 2000; ++i) {
            const std::string before = current;
            const int index = shuffled(pictures, current, round);
            ASSERT_NE(current, before) << "seed " << seed << ", choice " << i;
            if (round.next == 1 && !thisRound.empty()) {
                check();
                thisRound.clear();
            }
            thisRound.push_back(index);
        }
    }
}

TEST(FairShuffle, TakenEntriesWaitForLaterInTheRound) {
    setRandomSeed(17);
    const std::vector<std::string> pictures{"a", "b", "c", "d", "e"};
    for (int r = 0; r < 50; ++r) {
        TShuffleRound round;
        std::string current;
        bool bTaken = true;
        const TPictureTaken taken = [&](int i) { return bTaken && i == 1; };
        std::vector<int> shown;
        for (int i = 0; i < 5; ++i) {
            if (i == 2) bTaken = false; // the other monitor moved on
            shown.push_back(shuffled(pictures, current, round, taken));
            if (i < 2) {
                ASSERT_NE(shown.back(), 1);
            }
        }
        std::sort(shown.begin(), shown.end());
        ASSERT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4})) << "b still came in its round";
    }

    // What is left of a round is taken: a new round starts, still never the picture on screen.
    TShuffleRound round;
    std::string current;
    const TPictureTaken takenC = [](int i) { return i == 2; };
    for (int i = 0; i < 100; ++i) {
        const std::string before = current;
        ASSERT_NE(shuffled({"a", "b", "c"}, current, round, takenC), 2);
        ASSERT_NE(current, before);
    }
}

TEST(FairShuffle, ANewListSizeStartsANewRound) {
    setRandomSeed(8);
    TShuffleRound round;
    std::string current;
    std::vector<std::string> pictures{"a", "b", "c", "d", "e"};
    shuffled(pictures, current, round);
    shuffled(pictures, current, round);
    pictures.push_back("f");
    const int index = shuffled(pictures, current, round);
    EXPECT_EQ(round.count, 6);
    EXPECT_EQ(round.order.size(), 6u);
    EXPECT_EQ(round.next, 1u);
    EXPECT_EQ(round.order[0], index);
    pictures.resize(3);
    EXPECT_LT(shuffled(pictures, current, round), 3);
    EXPECT_EQ(round.count, 3);
}
