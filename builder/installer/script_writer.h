#pragma once
// The files a build writes into the compile folder: the built settings file "<name>.002", "Readme.txt" and
// the installer script "temp.iss" (Inno Setup language, CRLF line ends, UTF-8), plus the name rules that
// come before them. No Qt here.
//
// Paths and names go into the script as plain text in the script's quoting (installer_script/quoting.h), so
// the installer finds them as they are. A path holding a line break cannot be carried at all; such a picture
// or music file is left out with a note instead of breaking the script.
//
// Pictures and music are packed into one "sample" folder and named by their file names in the built
// settings file, whose keys ignore letter case: a name already given there (in any letter case) gets
// "~2", "~3"... before its extension ("IMG_1~2.jpg"), so equal names from different folders stay
// different pictures. The pictures of the show's folders are listed at build time and packed after the
// listed ones like them; the built settings file names them all and carries no [Folders].
#include "show/settings/show_settings.h"

#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlin::installer {

// A file that could not be written; what() is the text of the error box ("Unable to write to <path>" for the
// settings file, "Cannot create file <path>" for the readme and the script).
class BuildWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The installer path for a chosen name: the name the compiler writes (its output folder, base name and
// ".run"), so that the file deleted before a build, written and then tested is one and the same. A name
// ending in ".run" in any letter case ends in ".run"; any other name gets ".run" appended.
std::string installerPathFor(const std::string& chosen);

// Blanks and control characters removed from both ends.
std::string trimBlanks(const std::string& text);

// Outcome of the screen-saver name rules.
struct SaverName {
    std::string name;  // empty when refused
    std::string error; // the message when the name is refused
};

// The name rules: the name edit trimmed; when empty, the installer's file name without its extension; the
// characters \ / : * ? " < > | removed from either; a name of dots only counts as empty. "vorlinsaver" in
// any letter case gets randomBelow100() appended. An empty result, or one too long for a file name
// (the files and temporaries it names, up to
// "<name>.desktop" plus 10 bytes, over 255 bytes), is refused.
SaverName makeSaverName(const std::string& nameEdit, const std::string& installerPath,
                        const std::function<int()>& randomBelow100);

// The short ".scr" name the [boot] entry carries: "Sea.scr", "Holida~1.scr", "MySea~1.scr".
std::string shortScrName(const std::string& scrName);

// The status memo's rule for one progress line: the trimmed text, or an empty text when the line is dropped
// (it holds both "[" and "]", or "File: "). A line that trims to nothing is dropped too.
std::string filterProgressLine(const std::string& line);

struct ListedFile {
    std::string path;
    bool ticked = true;
};

// Everything a build reads. Folders end in "/" except systemFolder.
struct BuildInput {
    std::string saverName;
    std::string installerPath;
    std::string programFolder;
    std::string compileFolder;
    std::string systemFolder;
    std::string workingSettingsFile; // the builder's own settings file, already saved
    std::string author;
    std::string website;
    std::string readme; // memo text, lines separated by "\n"
    std::vector<ListedFile> pictures;
    std::vector<ListedFile> music;
    std::vector<show::TPictureFolder> folders; // included folders, listed by the build
};

// A file the installer copies into the sample folder, and its name there.
struct PackedFile {
    std::string path;
    std::string destName;
};

struct BuildOutput {
    std::string scriptFile;         // compile folder + "temp.iss"
    std::string settingsFile;       // compile folder + name + ".002"
    std::string readmeFile;         // empty when no readme was written
    std::vector<std::string> notes; // files left out, one line each for the status memo
};

// Writes the built settings file, the readme (when there is text) and the script. Throws BuildWriteError.
BuildOutput writeBuildFiles(const BuildInput& in);

// The script's lines as writeBuildFiles writes them (without line ends), for files that are already known
// to exist; used by writeBuildFiles and by tests. A path with a line break is an iss::ScriptError.
std::vector<std::string> scriptLines(const BuildInput& in, const std::vector<PackedFile>& pictures,
                                     const std::vector<PackedFile>& music, bool withReadme,
                                     const std::string& settingsFile);

// The name `fileName` takes in a folder that already holds `taken` (lower-case names): itself, or with
// "~2", "~3"... before its extension. The name returned is added to `taken`.
std::string uniqueSampleName(const std::string& fileName, std::set<std::string>& taken);

// Deletes the temporary files of a build, each only if it exists.
void cleanUpBuildFiles(const BuildOutput& out);

} // namespace vorlin::installer
