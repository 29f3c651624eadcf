#pragma once
// The screen-saver password change: the system folder's password module "MPR.DLL" (on this platform
// "libmpr.so" in the system folder) and its entry
//   extern "C" int PwdChangePasswordA(const char* regKeyName, unsigned long window,
//                                     unsigned int reserved1, unsigned int reserved2);
// called as PwdChangePasswordA("SCRSAVE", window, 0, 0). Where the module or the entry is missing, nothing
// is done: such a system has no screen-saver password. Every failure is swallowed; the result is unused.

#include <cstdint>

namespace vorlin::startup {

using PwdChangePasswordAFn = int (*)(const char*, unsigned long, unsigned int, unsigned int);

// Returns true when the entry was found and called (for tests; the caller ignores it).
bool changePassword(std::uint32_t hostWindow) noexcept;

} // namespace vorlin::startup
