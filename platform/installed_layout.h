#pragma once
// A program installed by the package: the program and its private files in a read-only folder
// (/usr/lib/vorlinsaver/), the shared data elsewhere (/usr/share/vorlinsaver/), and nothing of a user's
// work beside the program. The install rules put a marker file, "installed.ini", beside the program:
//
//   [Installed]
//   Data=../../share/vorlinsaver
//
// Data is the data folder, relative to the program folder (or absolute); it holds the demo show in "demo/".
// A program folder without the marker (a build's stage folder, a built screen saver's system folder) is not
// an installed layout, so everything there stays as it was.
//
// An installed builder keeps its working files in a per-user folder instead: $XDG_DATA_HOME/vorlinsaver/
// builder/ (default ~/.local/share/...), which is its installation folder unless the registry names one.

#include <optional>
#include <string>

namespace vorlin::platform {

// The marker's file name, beside the program.
inline constexpr const char* kInstalledMarker = "installed.ini";

struct InstalledLayout {
    std::string dataFolder; // ends in "/"
};

// The layout when `programFolder` (ending in "/") holds the marker; nothing otherwise. A marker without a
// Data key gives the program folder itself as the data folder.
std::optional<InstalledLayout> installedLayout(const std::string& programFolder);

// The installed builder's per-user working folder, ending in "/"; not created here.
std::string builderWorkingFolder();

} // namespace vorlin::platform
