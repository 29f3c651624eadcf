#include "show/runner/runner_rules.h"

#include "base/random.h"

#include <algorithm>
#include <cctype>

namespace vorlin::runner {

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
                       const std::string& currentFile, int& pictureIndex) {
    const int count = static_cast<int>(pictures.size());
    if (count == 0) return -1;
    if (allSame(pictures)) return 0;
    if (randomImage) {
        // Terminates: the entries are not all equal, so some entry differs from currentFile.
        int index = vorlin::random(count);
        while (pictures[index] == currentFile) index = vorlin::random(count);
        return index;
    }
    ++pictureIndex;
    if (pictureIndex >= count || pictureIndex < 0) pictureIndex = 0;
    return pictureIndex;
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
