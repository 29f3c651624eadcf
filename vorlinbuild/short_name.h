#pragma once
// Short names of installed screen savers ("Holida~1.scr"): a link in the system folder to "<name>.scr",
// the form the [boot] entry and the xscreensaver entry carry. Two shows whose names begin alike ask for the
// same short name; each gets its own, the first free "~N" of its folder, as the file system that invented
// the form numbers them.
#include <string>

namespace vorlin::vorlinbuild {

// The path to use for the short name `wanted` (a full path whose file name is "<stem>~<N><extension>"): the
// first name with N = 1, 2, ... that is free in its folder or already a link to `target` (a file name in
// the same folder). The stem is shortened as N grows so that stem, "~" and N stay as long as the wanted name
// (at least 8 characters).
// A name not of that form is returned unchanged.
std::string freeShortName(const std::string& wanted, const std::string& target);

} // namespace vorlin::vorlinbuild
