#pragma once
// What an installer made by vorlinbuild does on the user's machine, for the user whose HOME and XDG
// variables it runs with (no root needed). The installer is a folder holding "setup.iss" (the script with
// every [Files] source rewritten to a file of the folder) and this program.
//
// Places: {sys} the system folder (platform/system_folder.h); {pf} $XDG_DATA_HOME/vorlinsaver/programs;
// {app} the script's DefaultDirName; {group} $XDG_DATA_HOME/applications/<DefaultGroupName>; {userdesktop}
// $XDG_DESKTOP_DIR or ~/Desktop; {win} $XDG_CONFIG_HOME/vorlinsaver/windows. Every destination must lie
// inside one of them after "." and ".." are resolved, or nothing is installed.
//
// Everything installed is listed in "<app>/unins000.dat" (install_list.h); "<app>/unins000" (a copy of this
// program) reads that list and removes exactly those things, except what another installed show's list
// names too: shared files stay while any show uses them. Installing over an earlier installation of the
// same folder first removes the earlier one, so a second install replaces and never duplicates.
//
// Questions and the result go to the terminal, or to a small window when there is a display and no
// terminal (conversation.h).
#include <iosfwd>
#include <string>

namespace vorlin::vorlinbuild {

struct InstallPlaces {
    std::string sys, pf, applications, userdesktop, win, home;
    static InstallPlaces fromEnvironment();
};

// Installs from `folder`; `yes` answers every question. Returns 0 on success; on failure prints why to
// `out` and returns a non-zero number, having removed what it had installed.
int runInstall(const std::string& folder, const std::string& self, bool yes, std::istream& in,
               std::ostream& out);

// Removes what the list `logFile` names. Returns 0 on success.
int runUninstall(const std::string& logFile, bool yes, std::istream& in, std::ostream& out);

} // namespace vorlin::vorlinbuild
