#pragma once
// The install list "<app>/unins000.dat" that every installation writes and its uninstaller reads: one
// record a line, fields separated by tabs, "\\", "\t" and "\n" escaped. The first field is the kind:
//   title <name>                     the show's name
//   file <path> / link <path>        a file or link the installation placed
//   dir <path>                       a folder it created (or shares with an installation that created it)
//   store <path>                     a settings file it created (the registry store, system.INI)
//   regkey <key> / regvalue <key> <name>
//   ini <file> <section> <key> <value>
//   xss <file> <entry> <mode> <selected> <created>   its ~/.xscreensaver entry and the user's own settings
//
// Installations of several shows share some things: the effect catalogue and the MPEG library in the
// system folder, the folders and stores the first of them created. Such a thing belongs to every installed
// show whose list names it, and stays while any of them remains: an installed show is one whose list lies
// in the programs folder. The lists themselves are the bookkeeping, so nothing can drift out of step.
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

using Record = std::vector<std::string>;

struct InstallList {
    std::string path; // the list file
    std::string title;
    std::vector<Record> records; // without the title
};

std::string formatInstallList(const std::string& title, const std::vector<Record>& records);
// A list that cannot be read gives no records.
InstallList readInstallList(const std::string& path);

// The lists of the shows installed under `programsFolder`, except the list `self`, newest first (by the
// time each list was written).
std::vector<InstallList> otherInstallLists(const std::string& programsFolder, const std::string& self);

// Whether another list names `path` as a record of one of `kinds` (its second field).
bool namedByOthers(const std::vector<InstallList>& others, const std::vector<std::string>& kinds,
                   const std::string& path);

} // namespace vorlin::vorlinbuild
