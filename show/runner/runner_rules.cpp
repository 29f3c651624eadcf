#include "show/runner/runner_rules.h"

#include "base/random.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <numeric>
#include <utility>

namespace vorlin::runner {

namespace {

void drawRound(TShuffleRound& round, int count) {
    round.order.resize(static_cast<std::size_t>(count));
    std::iota(round.order.begin(), round.order.end(), 0);
    for (int i = count - 1; i > 0; --i) std::swap(round.order[i], round.order[vorlin::random(i + 1)]);
    round.next = 0;
    round.count = count;
}

// The first entry left in the round that `fits`, moved to the round's next place and chosen; −1 when none
// is left. The entries it passes over stay in the rest of the round.
template <class Fits> int takeFromRound(TShuffleRound& round, const Fits& fits) {
    for (std::size_t j = round.next; j < round.order.size(); ++j) {
        if (!fits(round.order[j])) continue;
        std::swap(round.order[round.next], round.order[j]);
        return round.order[round.next++];
    }
    return -1;
}

} // namespace

std::optional<EffectPace> paceForSpeed(int effectSpeed) {
    switch (effectSpeed) {
    case 1:
        return EffectPace{10, 1};
    case 2:
        return EffectPace{6, 20};
    case 3:
        return EffectPace{4, 30};
    case 4:
        return EffectPace{2, 30};
    case 5:
        return EffectPace{1, 30};
    default:
        return std::nullopt;
    }
}

bool allSame(const std::vector<std::string>& pictures) {
    return std::adjacent_find(pictures.begin(), pictures.end(), std::not_equal_to<>()) == pictures.end();
}

int choosePictureIndex(const std::vector<std::string>& pictures, bool randomImage,
                       const std::string& currentFile, int& pictureIndex, const TPictureTaken& taken,
                       TShuffleRound* round) {
    const int count = static_cast<int>(pictures.size());
    if (count == 0) return -1;
    if (allSame(pictures)) return 0;
    const auto isTaken = [&](int i) { return taken && taken(i); };
    // What the other monitors leave: entries other than the current one, else the current one.
    int freeOthers = 0, freeCurrent = -1;
    for (int i = 0; i < count && taken; ++i) {
        if (isTaken(i)) continue;
        if (pictures[i] != currentFile)
            ++freeOthers;
        else if (freeCurrent < 0)
            freeCurrent = i;
    }
    const bool avoid = taken && freeOthers > 0;
    if (taken && freeOthers == 0 && freeCurrent >= 0) {
        if (!randomImage) pictureIndex = freeCurrent;
        return freeCurrent;
    }
    if (randomImage && round) {
        const auto fits = [&](int i) { return pictures[i] != currentFile && !(avoid && isTaken(i)); };
        if (round->count != count || round->order.size() != static_cast<std::size_t>(count))
            drawRound(*round, count);
        int index = takeFromRound(*round, fits);
        // A fresh round always has one that fits: the entries are not all equal (and with `avoid` some
        // entry other than the current one is free).
        if (index < 0) {
            drawRound(*round, count);
            index = takeFromRound(*round, fits);
        }
        return index;
    }
    if (randomImage) {
        // Terminates: the entries are not all equal, so some entry differs from currentFile (and with
        // `avoid` some such entry is free).
        int index = vorlin::random(count);
        while (pictures[index] == currentFile || (avoid && isTaken(index))) index = vorlin::random(count);
        return index;
    }
    for (int step = 0; step < count; ++step) {
        ++pictureIndex;
        if (pictureIndex >= count || pictureIndex < 0) pictureIndex = 0;
        if (!avoid || !isTaken(pictureIndex)) break;
    }
    return pictureIndex;
}

int monitorStartIndex(int monitor, int monitors, int count) {
    if (count <= 0 || monitors <= 0 || monitor <= 0) return 0;
    return static_cast<int>((std::int64_t{monitor % monitors} * count) / monitors);
}

std::string demonstrationCandidate(const std::string& currentFile) {
    const auto slash = currentFile.find_last_of("/\\");
    std::string name = slash == std::string::npos ? currentFile : currentFile.substr(slash + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name == "t1.jpg" ? "t2.jpg" : "t1.jpg";
}

int chooseEffect(const std::bitset<128>& enabled) {
    bool any = false;
    for (int i = 1; i < 128 && !any; ++i) any = enabled.test(i);
    if (!any) return 0;
    int effect = vorlin::random(127) + 1;
    while (!enabled.test(effect)) effect = vorlin::random(127) + 1;
    return effect;
}

bool chooseReverse() {
    return vorlin::random(3) == 0;
}

} // namespace vorlin::runner
