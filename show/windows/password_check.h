#pragma once
// The screen-saver password check of the full-screen show's exit attempt, without Qt.
//
// A password is required when the registry key "Control Panel\desktop" (current user) holds the value
// "ScreenSaveUsePassword" as a 32-bit integer other than 0. Anything else (no key, no value, a value of
// another type, a store that cannot be read) means no password.
//
// The check itself calls "VerifyScreenSavePwd" of the module "PASSWORD.CPL" in the system folder (the
// library layer maps the name to libpassword.so there). A missing module or entry lets the exit go ahead,
// as on systems without the password service. Main thread only.

#include "platform/registry.h"

#include <functional>

namespace vorlin::showwindows {

// The module's entry: shows the password dialog owned by `window`, returns non-zero for the right
// password and 0 for a wrong one or cancel.
using VerifyScreenSavePwdFn = int (*)(unsigned long window);

bool passwordRequired(const platform::Registry& registry);

// Full path of the password module: the system folder, "/" unless it ends in one, "PASSWORD.CPL".
std::string passwordModulePath();

// True when the exit may go ahead: no module, no entry, or the entry accepted the password.
bool verifyScreenSavePassword(unsigned long window);

// The whole exit check: true when no password is required or the password was given. Around the module
// call `showCursor(true)` and then `showCursor(false)` run (a balanced pair, whatever the result), and
// `afterCheck` runs after it (the window refills its mouse allowance there). Errors let the exit go ahead.
bool exitAllowed(const platform::Registry& registry, unsigned long window,
                 const std::function<void(bool)>& showCursor, const std::function<void()>& afterCheck);

} // namespace vorlin::showwindows
