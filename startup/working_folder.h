#pragma once
// The start of a program installed by the package (platform/installed_layout.h) readies the installation
// folder it works in, since nothing can be written beside the program:
//  - no working settings file yet (the first start, or the person deleted it): the demo show is copied in,
//    its settings file as the working settings file and its pictures and music into "sample/", where the
//    file lookup finds them;
//  - "Compile/" gets links to the installed compiler and its installer program wherever a working one is
//    missing, so that a build finds the compiler in its compile folder (links, so that an updated package
//    is used at once);
//  - the system folder gets the MPEG audio library when it has none or an older one: built installers
//    take it from there, and installed screen savers load it from there.
// What exists and works is left alone: a person's own show is never replaced. A program that is not
// installed that way is left alone entirely.

#include "show/settings/show_settings.h"

#include <string>
#include <vector>

namespace vorlin::startup {

// Readies the folders for the program whose names and places are `places`. Returns one line per step that
// failed (the program starts all the same); never throws.
std::vector<std::string> prepareWorkingFolder(const show::SettingsPlaces& places);

} // namespace vorlin::startup
