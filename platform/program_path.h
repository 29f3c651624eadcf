#pragma once
// The running program's path, as it was started: argv[0] made absolute against the current folder, or
// looked up on $PATH when it has no "/". Links are deliberately not followed, so a copy or a symbolic link
// under another name (MyShow.scr -> VorlinSaver) is a screen saver of its own, with its own settings file.
//
// main() sets it once from argv[0] before anything reads it; tests may set any path. When it was never set
// the executable's real path (/proc/self/exe) is used.

#include <string>

namespace vorlin::platform {

// argv[0] resolved as described above (no file needs to exist for a name that contains "/").
std::string resolveProgramPath(const std::string& argv0);

// The executable file `name` found in a folder of $PATH, as an absolute path; "" when there is none.
std::string findOnPath(const std::string& name);

void setProgramPath(const std::string& path);
std::string programPath();

// The real path of the running executable file, links followed (/proc/self/exe); "" when unknown. Programs
// that look for files installed beside their own file (not beside the name they were started under) use it.
std::string executablePath();

} // namespace vorlin::platform
