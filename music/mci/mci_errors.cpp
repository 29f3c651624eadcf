#include "music/mci/mci_player.h"

namespace vorlin::music {

std::string mciErrorText(uint32_t code) {
    switch (code) {
    case MCIERR_INVALID_DEVICE_ID:
        return "Invalid MCI device ID. Use the ID returned when opening the MCI device.";
    case MCIERR_HARDWARE:
        return "There is a problem with your media device. Make sure it is working correctly.";
    case MCIERR_CANNOT_LOAD_DRIVER:
        return "The specified device driver cannot be loaded.";
    case MCIERR_EXTENSION_NOT_FOUND:
        return "The specified extension has no device type associated with it.";
    case MCIERR_FILE_NOT_FOUND:
        return "The specified file cannot be found. Make sure the path and file name are correct.";
    case MCIERR_INVALID_FILE:
        return "The specified file cannot be played on the specified MCI device. The file may be corrupt, "
               "or not in the correct format.";
    default:
        return "Unknown error code";
    }
}

} // namespace vorlin::music
