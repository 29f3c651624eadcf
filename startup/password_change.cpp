#include "startup/password_change.h"

#include "platform/library.h"
#include "platform/system_folder.h"

namespace vorlin::startup {

bool changePassword(std::uint32_t hostWindow) noexcept {
    try {
        std::string folder = platform::systemFolder();
        if (!folder.empty() && folder.back() != '/') folder += '/';
        const auto mpr = platform::Library::load(folder + "MPR.DLL");
        if (!mpr) return false;
        const auto fn = mpr->function<PwdChangePasswordAFn>("PwdChangePasswordA");
        if (!fn) return false;
        fn("SCRSAVE", hostWindow, 0, 0);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace vorlin::startup
