#include "show/windows/password_check.h"

#include "platform/library.h"
#include "platform/system_folder.h"

#include <exception>
#include <memory>

namespace vorlin::showwindows {

bool passwordRequired(const platform::Registry& registry) {
    try {
        const auto value = registry.readDword("Control Panel\\desktop", "ScreenSaveUsePassword");
        return value && *value != 0;
    } catch (...) {
        return false;
    }
}

std::string passwordModulePath() {
    std::string path = platform::systemFolder();
    if (path.empty() || path.back() != '/') path += '/';
    return path + "PASSWORD.CPL";
}

bool verifyScreenSavePassword(unsigned long window) {
    const auto library = platform::Library::load(passwordModulePath());
    if (!library) return true;
    const auto verify = library->function<VerifyScreenSavePwdFn>("VerifyScreenSavePwd");
    if (!verify) return true;
    return verify(window) != 0;
}

bool exitAllowed(const platform::Registry& registry, unsigned long window,
                 const std::function<void(bool)>& showCursor, const std::function<void()>& afterCheck) {
    if (!passwordRequired(registry)) return true;
    bool allowed = true;
    if (showCursor) showCursor(true);
    try {
        allowed = verifyScreenSavePassword(window);
    } catch (...) {
        allowed = true;
    }
    try {
        if (afterCheck) afterCheck();
        if (showCursor) showCursor(false);
    } catch (...) {
    }
    return allowed;
}

} // namespace vorlin::showwindows
