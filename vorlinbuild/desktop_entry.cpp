// Desktop entries (see desktop_entry.h).
#include "vorlinbuild/desktop_entry.h"

#include "base/text.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {

std::string desktopString(const std::string& s) {
    return backslashEscaped(s, "\n\r\t");
}

// One Exec argument: quoted, with the characters the Exec rules reserve escaped, "%" doubled.
std::string execArgument(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
        if (c == '%') q += '%';
        q += c;
    }
    return desktopString(q + "\"");
}

std::string desktopEntry(const std::string& entryName, const std::string& title, bool inGroup,
                         const std::string& target) {
    const bool uninstaller = fs::path(target).filename() == "unins000";
    const bool saver = lower(fs::path(target).extension().string()) == ".scr";
    std::string name = entryName;
    if (name.find(title) == std::string::npos) {
        if (uninstaller)
            name = "Uninstall " + title;
        else if (inGroup)
            name = title + " " + name;
    }
    const char* icon = saver         ? "preferences-desktop-screensaver"
                       : uninstaller ? "edit-delete"
                                     : "text-x-generic";
    const std::string exec = saver || uninstaller ? execArgument(target) : "xdg-open " + execArgument(target);
    return "[Desktop Entry]\nType=Application\nName=" + desktopString(name) + "\nIcon=" + icon +
           "\nExec=" + exec + "\nTerminal=false\nX-Vorlin-Target=" + desktopString(target) + "\n";
}

} // namespace vorlin::vorlinbuild
