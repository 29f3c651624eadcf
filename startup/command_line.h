#pragma once
// The start-up state and the command line of the screen saver.
//
// The host starts a screen saver with one option letter, after "/", "-" or any other first character:
//   (none)        Default         builder or configuration dialog, by the program's base name
//   /c            Configure       the same choice as Default
//   /p <window>   Preview         preview window inside the host's window (/p alone is Default)
//   /a <window>   ChangePassword  the password change, no window (/a alone is Default)
//   /s, any other Show            the full-screen show
// Anything after the letter is ignored ("/c:1234" is /c, "/screensaver" is /s). An empty or one-character
// first argument carries no letter and leaves the mode at Default.
//
// Program options start with "--" and are never screen-saver modes: they are taken out of the argument
// list before the parse, wherever they stand ("/p --info 1234" is "/p 1234" with --info).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorlin::startup {

enum class TScreenSaverMode : std::int32_t {
    Default = 1,
    Configure = 2,
    Show = 3,
    Preview = 4,
    ChangePassword = 5
};

// The member's name ("Default", "Preview", ...).
const char* modeName(TScreenSaverMode mode);

// Written once during start-up, before any window exists; read afterwards (main thread).
struct StartupState {
    TScreenSaverMode ScreenSaverMode = TScreenSaverMode::Default;
    // The window given after /p or /a; 0 when absent or not a decimal number that fits in 32 bits.
    std::uint32_t HostWindow = 0;
    // 1 once parsing began; the window in front at start for Configure and Show (0 when unknown).
    std::uint32_t SavedForegroundWindow = 0;
};

// The process-wide start-up state.
StartupState& startupState();

struct ProgramOptions {
    bool help = false;
    bool version = false;
    bool info = false;
    bool watchIdle = false;
    // --idle-after SECONDS (or --idle-after=SECONDS): 0 when not given; -1 when its value is missing or
    // not a whole number of seconds from 1 to 86400.
    int idleAfterSeconds = 0;
    std::vector<std::string> unknown; // other "--" arguments, as given
};

// Removes every argument that starts with "--" (and the value after --idle-after) from `args` and
// reports them.
ProgramOptions takeProgramOptions(std::vector<std::string>& args);

// A window handle argument: decimal digits only (surrounding blanks allowed), within 32 bits; else 0.
std::uint32_t parseWindowHandle(const std::string& text);

// Parses the screen-saver arguments (program options already taken out). `foregroundWindow` is asked
// only for the modes that remember the window in front (Configure and Show).
StartupState parseCommandLine(const std::vector<std::string>& args,
                              const std::function<std::uint32_t()>& foregroundWindow);

// True when the base name selects the builder rather than a screen saver's configuration dialog.
bool isBuilderName(const std::string& baseName);

enum class MainWindow { None, Builder, ConfigDialog, FullscreenShow, PreviewWindow };
// The main window a start creates: by mode, and for Default and Configure by the base name.
MainWindow mainWindowFor(TScreenSaverMode mode, const std::string& baseName);
// "none", "builder window", "configuration dialog", "full-screen show", "preview window".
const char* mainWindowName(MainWindow window);

} // namespace vorlin::startup
