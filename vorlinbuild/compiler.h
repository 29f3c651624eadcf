#pragma once
// vorlinbuild's work: read the script, check every source file, gather the files with the installer
// program and a rewritten script into a folder, and pack it with makeself into "<outputdir><base>.run".
// Reports are lines on `report`: "10000 <text>" for progress, then one final line "0" or a failure
// number (1 script, 2 a missing source file, 3 packing).
#include <iosfwd>
#include <string>

namespace vorlin::vorlinbuild {

int compileInstaller(const std::string& scriptPath, const std::string& installerProgram,
                     std::ostream& report);

} // namespace vorlin::vorlinbuild
