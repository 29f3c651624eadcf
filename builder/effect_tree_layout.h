#pragma once
// The effect tree of the builder as plain data: its 12 groups and their 127 leaves in tree order, and the
// lookup of each leaf's effect number in the effect catalogue "VorlinSaver.001" (section = the group's
// caption, key = the leaf's caption, 59 when the file or the entry is missing). Captions repeat across
// groups, so a leaf is named by both captions. No Qt.

#include <string>
#include <string_view>
#include <vector>

namespace vorlin::platform {
class IniFile;
}

namespace vorlin::builder {

inline constexpr int kMissingEffectNumber = 59;
inline constexpr std::string_view kCatalogueFileName = "VorlinSaver.001";

struct EffectTreeGroup {
    std::string_view caption;
    std::vector<std::string_view> leaves;
};

// The 12 groups in tree order, 127 leaves in all.
const std::vector<EffectTreeGroup>& effectTreeLayout();

// The number of one leaf from an open catalogue (nullptr: no catalogue).
int catalogueNumber(const platform::IniFile* catalogue, std::string_view group, std::string_view leaf);

} // namespace vorlin::builder
