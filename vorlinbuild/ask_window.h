#pragma once
// The installer's and uninstaller's questions in a small window, for a person who started them from a
// file manager or a menu: there is a display but no terminal to ask on. Plain X11, with libX11 loaded at
// run time, so that the installer still starts (and asks on its terminal) where no X library is present.
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

// What a window question gave: the index of the button chosen; kClosed when the window was closed or
// Escape pressed; kNoWindow when no window can be shown (no $DISPLAY, no X library, no server).
inline constexpr int kClosed = -1;
inline constexpr int kNoWindow = -2;

// Shows `text` (lines separated by "\n", long lines wrapped) with `buttons` in a window titled `title`
// and waits for the answer. The first button is the default (Enter).
int askInWindow(const std::string& title, const std::string& text, const std::vector<std::string>& buttons);

// Whether questions go to a window: a display is named and standard input is neither a terminal nor
// answers piped in or read from a file (a program started from a file manager reads /dev/null).
bool wantsWindow();

} // namespace vorlin::vorlinbuild
