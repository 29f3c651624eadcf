#pragma once
// The runtime a built screen saver carries: the shared libraries, Qt plugins and soundfont its installer
// put into "<system folder>/runtime/<version>/", shared by every saver built by that version. The program
// finds its libraries through its own $ORIGIN search path; this tells the rest where the folder is.

#include <string>

namespace vorlin::platform {

// The version of this program, which names its runtime folder ("0.1.0").
const char* runtimeVersion();

// "<program folder>/runtime/<version>" when that folder exists beside the running program, else "".
std::string bundledRuntimeFolder();

} // namespace vorlin::platform
