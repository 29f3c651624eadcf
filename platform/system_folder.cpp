#include "platform/system_folder.h"

#include "platform/environment.h"

namespace vorlin::platform {

std::string systemFolder() {
    return environmentFolder("VORLIN_SYSTEM_DIR", dataHome() + "/vorlinsaver/system");
}

} // namespace vorlin::platform
