#pragma once
// The show runner's choices, without Qt: which picture comes next, which effect draws it, whether it runs
// reversed, and the speed table. Every random choice draws from the shared generator (base/random.h), so
// a show is reproducible from its seed. Main thread only (the generator is).

#include <bitset>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorlin::runner {

// Canvas Step and Delay for an EffectSpeed of 1..5; nothing for any other value (the canvas keeps its own).
struct EffectPace {
    int step;
    int delay;
};
std::optional<EffectPace> paceForSpeed(int effectSpeed);

// True when every entry is the same string (exact, case-sensitive); an empty or one-entry list counts.
bool allSame(const std::vector<std::string>& pictures);

// Whether the picture at an index may not be chosen now (another monitor shows it); empty: every one may.
using TPictureTaken = std::function<bool(int index)>;

// A round of the fair shuffle: the list's indexes in a random order, each shown once before any repeats.
// Those before `next` have been chosen (or passed over) this round; `count` is the size of the list the
// round was drawn for. Empty: no round drawn yet.
struct TShuffleRound {
    std::vector<int> order;
    std::size_t next = 0;
    int count = 0;
    bool operator==(const TShuffleRound&) const = default;
};

// The index of the next picture, or −1 for an empty list:
//  - all entries the same: 0;
//  - random: a uniform draw, drawn again while the entry equals currentFile (never the same twice running);
//  - list order: pictureIndex + 1, back to 0 past the end. pictureIndex changes only in list order.
//  - random with a `round` (the fair shuffle): the next entry of the round that differs from currentFile;
//    entries passed over stay in the round for later. A new round is drawn (Fisher-Yates from the shared
//    generator) when the round is spent, when the list's size changed, and when all it has left equals
//    currentFile (or is taken), so the first of a new round is never the last of the one before. The
//    generator is drawn from only for a new round.
// With `taken`, entries it names are passed over as well: a random draw is repeated while it hits one, and
// list order steps on past them. When that leaves nothing, the current picture stays if it is free, and
// when every entry is taken the rule above applies as if nothing were.
int choosePictureIndex(const std::vector<std::string>& pictures, bool randomImage,
                       const std::string& currentFile, int& pictureIndex, const TPictureTaken& taken = {},
                       TShuffleRound* round = nullptr);

// Where the picture sequence of monitor `monitor` (0-based, of `monitors`) starts in a list of `count`
// pictures, so that monitors showing different pictures begin spread evenly over the list: the index of
// its first picture.
int monitorStartIndex(int monitor, int monitors, int count);

// The sample picture a demonstration shows after currentFile: "t2.jpg" after "t1.jpg" (file name in any
// letter case), "t1.jpg" after anything else.
std::string demonstrationCandidate(const std::string& currentFile);

// A uniform draw among the enabled effects 1..127, or 0 (the cut) when none of them is enabled. Effect 0
// alone in the set counts as none: the draw never produces 0, so drawing for it would never end.
int chooseEffect(const std::bitset<128>& enabled);

// Reverse drawing with probability 1/3.
bool chooseReverse();

} // namespace vorlin::runner
