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
// terminal (ask_window.h).
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

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

// ~/.xscreensaver editing. `entry` is a programs-list entry ("\"Name\"  \"/path\" /s"). Adding selects it
// and returns the user's own mode and selected lines (empty when absent) so that removal can give them
// back. `ours` are the entries of the other installed shows with what each returned: while one of them is
// selected, the user's own settings are the ones it kept. Removing the selected entry selects the newest of
// `ours` still listed, or, with none left, gives the user's own settings back.
struct XssPrevious {
    std::string mode, selected;
    bool created = false;
};
struct XssShow {
    std::string entry;
    XssPrevious previous;
};
std::string xssAddProgram(const std::string& text, const std::string& entry, XssPrevious& previous,
                          const std::vector<XssShow>& ours = {});
std::string xssRemoveProgram(const std::string& text, const std::string& entry, const XssPrevious& previous,
                             const std::vector<XssShow>& ours = {});

// A desktop-entry string value ("\\", newline, return and tab escaped).
std::string desktopString(const std::string& s);
// One desktop-entry Exec argument: quoted, the characters the Exec rules reserve escaped, "%" doubled.
std::string execArgument(const std::string& s);

// The text inside double quotes for /bin/sh ("\", "\"", "$" and "`" escaped).
std::string shellQuote(const std::string& text);

} // namespace vorlin::vorlinbuild
