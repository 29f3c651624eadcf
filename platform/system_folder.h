#pragma once
// The system folder: where installed screen savers and the modules they share live, as the Windows system
// folder does there. $VORLIN_SYSTEM_DIR when set and not empty, else $XDG_DATA_HOME/vorlinsaver/system,
// else ~/.local/share/vorlinsaver/system. Returned without a final "/" and not created here.

#include <string>

namespace vorlin::platform {

std::string systemFolder();

} // namespace vorlin::platform
