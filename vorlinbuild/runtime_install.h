#pragma once
// The installer's side of a built screen saver's runtime (runtime_pack.h describes the folder):
//   before copying   refuse a machine whose C or C++ library is older than the runtime needs;
//   copying          the folder goes to "<system folder>/runtime/<version>/", once per user: files already
//                    there are kept, missing ones added;
//   after copying    the installed saver must start (--info) and everything it loads must be found here,
//                    or the installation is undone with one paragraph naming what the machine lacks;
//   uninstalling     the folder goes only when no other installed show's list still names it.
// No Qt here.
#include <iosfwd>
#include <string>
#include <vector>

#include "vorlinbuild/runtime_closure.h"
#include "vorlinbuild/runtime_pack.h"

namespace vorlin::vorlinbuild {

// The machine's C library version ("2.36") and the highest GLIBCXX_ version its C++ library defines
// ("3.4.30"; "" when there is no C++ library).
std::string glibcVersionHere();
std::string glibcxxVersionHere();

// The refusal text when `have` versions are older than `need`'s floors, else "".
std::string versionProblem(const RuntimePack& need, const std::string& title, const std::string& glibcHave,
                           const std::string& glibcxxHave);

// Copies the runtime folder `from` into `to`, adding what is missing. Returns true when it created `to`
// (so an undo removes the whole folder). On failure removes what it added and throws std::runtime_error.
bool installRuntimeFolder(const std::string& from, const std::string& to);

// What the installed files need and this machine does not have: `required` files (the programs and the X11
// platform plugin) must find everything; for the others, what they lack goes into `notes`. Returns one
// paragraph for the person installing, or "" when nothing required is missing.
std::string missingOnThisMachine(const std::string& title, const std::vector<std::string>& required,
                                 const std::vector<std::string>& optional, std::vector<std::string>& notes,
                                 const LibraryResolver& resolver);

// The files of an installed runtime folder that must load for the saver to show on X11, and the others.
void runtimeFiles(const std::string& runtimeFolder, std::vector<std::string>& required,
                  std::vector<std::string>& optional);

// After copying: starts the installed screen saver (the ".scr" program among `installed`) with --info and
// checks what the installed programs and the runtime's plugins need. Throws std::runtime_error with one
// paragraph for the person installing when the saver cannot run; what only optional plugins lack is
// written to `out` as notes.
void checkInstalledSaver(const std::string& title, const std::vector<std::string>& installed,
                         const std::string& runtimeFolder, std::ostream& out);

// Removes a runtime folder, then the "runtime" folder above it when that is empty. Whether any installed
// show still uses it is the caller's question (its install list names it with a "runtime" record).
void removeRuntimeFolder(const std::string& folder);

} // namespace vorlin::vorlinbuild
