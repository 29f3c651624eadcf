#pragma once
// Desktop entries the installer writes: the menu and desktop links of a show and the idle watcher's
// autostart entry. No Qt here.
#include <string>

namespace vorlin::vorlinbuild {

// A desktop-entry string value ("\\", newline, return and tab escaped).
std::string desktopString(const std::string& s);
// One desktop-entry Exec argument: quoted, the characters the Exec rules reserve escaped, "%" doubled.
std::string execArgument(const std::string& s);

// The desktop entry of an [Icons] line. Menus show the entries of every program side by side, so those in
// the show's menu folder carry the show's name ("Holiday Readme", "Uninstall Holiday"). A screen saver opens
// its configuration dialog, the uninstaller runs as it is (it asks on a terminal or in a window), any other
// file opens with the desktop's program.
std::string desktopEntry(const std::string& entryName, const std::string& title, bool inGroup,
                         const std::string& target);

} // namespace vorlin::vorlinbuild
