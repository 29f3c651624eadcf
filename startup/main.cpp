// The entry point of VorlinSaver: the builder, and, installed under a show's name, its screen saver.
//
// Start-up order, for every mode: the program's own path (as started), program options ("--" arguments)
// taken out, the command line parsed into the start-up state, an installed program's working folder
// readied (startup/working_folder.h; not for --info), the show settings read. Then:
//   --help / --version / --info   print and end (no display needed, no application object);
//   --watch-idle                  the idle watcher (see watch_idle.h) until the session goes;
//   ChangePassword                the password change when a window was given, then end, no window;
//   any other mode                one main window, the event loop until it closes, and after a show the
//                                 window that was in front before it is brought back.
// Exit status: 0 for a normal end, also when a show's host window is gone or a full-screen show already
// runs on the display (a one-line message on stderr says so); 1 when no display can be opened or start-up
// fails; 2 for an unknown program option.

#include "platform/program_path.h"
#include "platform/registry.h"
#include "show/settings/show_settings.h"
#include "startup/bundled_qt.h"
#include "startup/command_line.h"
#include "startup/foreground.h"
#include "startup/info_json.h"
#include "startup/main_windows.h"
#include "startup/password_change.h"
#include "startup/watch_idle.h"
#include "startup/working_folder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

using namespace vorlin;
using namespace vorlin::startup;

namespace {

// Ends the process at once: no static destructors, no exit handlers. A build with AddressSanitizer still
// looks for leaks first (its own look runs at the exit this skips).
[[noreturn]] void endNow(int status) {
    std::fflush(nullptr);
#ifdef __SANITIZE_ADDRESS__
    __lsan_do_leak_check();
#endif
    std::_Exit(status);
}

constexpr const char* kUsage =
    "Usage: %s [/s | /c | /p WINDOW | /a WINDOW] [--info] [--help] [--version]\n"
    "       %s --watch-idle [--idle-after SECONDS]\n"
    "  (no argument)  the builder, or the configuration dialog of a screen saver\n"
    "  /s             the full-screen show\n"
    "  /c             the configuration (builder or dialog, by the program's name)\n"
    "  /p WINDOW      the preview inside the X11 window WINDOW (decimal id)\n"
    "  /a WINDOW      change the screen-saver password\n"
    "  --info         print the start-up mode and the show settings as JSON\n"
    "  --watch-idle   wait for the session to be idle, then show full screen; again after each show\n"
    "  --idle-after SECONDS  the idle time for --watch-idle (else the show's IdleMinutes)\n"
    "  --help         print this text\n"
    "  --version      print the version\n";

bool haveDisplay() {
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int run(int argc, char** argv) {
    platform::setProgramPath(platform::resolveProgramPath(argc > 0 ? argv[0] : "VorlinSaver"));
    const std::string programName = argc > 0 ? argv[0] : "VorlinSaver";

    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ProgramOptions options = takeProgramOptions(args);
    if (!options.unknown.empty()) {
        std::fprintf(stderr, "VorlinSaver: unknown option %s (see --help)\n",
                     options.unknown.front().c_str());
        return 2;
    }
    if (options.idleAfterSeconds < 0) {
        std::fprintf(stderr, "VorlinSaver: --idle-after needs a number of seconds from 1 to 86400\n");
        return 2;
    }
    if (options.help) {
        std::printf(kUsage, programName.c_str(), programName.c_str());
        return 0;
    }
    if (options.version) {
        std::printf("VorlinSaver %s\n", VORLIN_VERSION);
        return 0;
    }

    // The foreground window is only needed by modes that restore it; --info must work without a display.
    auto& state = startupState();
    state = parseCommandLine(args, options.info ? std::function<std::uint32_t()>() : activeWindow);

    // A report changes nothing; every other start of a program installed by the package readies its
    // per-user working folder first (the demo show on the first start).
    if (!options.info) {
        const auto places = show::settingsPlaces(platform::programPath(), platform::Registry());
        for (const auto& problem : prepareWorkingFolder(places))
            std::fprintf(stderr, "VorlinSaver: %s\n", problem.c_str());
    }
    show::readShowSettings();
    const auto& settingsFile = show::showSettingsFile();

    if (options.info) {
        std::printf("%s\n", infoJson(state, settingsFile.places, settingsFile.settings).c_str());
        return 0;
    }

    if (options.watchIdle) {
        return runIdleWatcher(argc, argv, options.idleAfterSeconds, settingsFile.places.settingsFile);
    }

    if (state.ScreenSaverMode == TScreenSaverMode::ChangePassword) {
        if (state.HostWindow != 0) changePassword(state.HostWindow);
        return 0;
    }

    if (!haveDisplay()) {
        std::fprintf(stderr, "VorlinSaver: no display to open (set DISPLAY, or use --info)\n");
        return 1;
    }
    BundledQtPlugins bundledQt = BundledQtPlugins::use();
    QApplication app(argc, argv);
    bundledQt.restoreEnvironment();

    const MainWindow which = mainWindowFor(state.ScreenSaverMode, settingsFile.places.baseName);
    std::unique_ptr<QWidget> window;
    switch (which) {
    case MainWindow::Builder:
        window.reset(createBuilderWindow());
        break;
    case MainWindow::ConfigDialog:
        window.reset(createConfigDialog());
        break;
    case MainWindow::FullscreenShow:
        window.reset(createFullscreenShow());
        break;
    case MainWindow::PreviewWindow:
        window.reset(createPreviewWindow(state.HostWindow));
        break;
    case MainWindow::None:
        return 0;
    }
    if (!window) {
        // Only a show declines to open: a show of this kind already runs on the display, or the host has
        // ended the screen saver before it started.
        std::fprintf(stderr, showDisplayTaken() ? "VorlinSaver: a show already runs on this display\n"
                                                : "VorlinSaver: the host's window is gone; no show\n");
        return 0;
    }
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    const int status = app.exec();
    window.reset();
    // Windows whose deletion was put off to the event loop (a show's other monitors) go now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (state.ScreenSaverMode == TScreenSaverMode::Show && state.SavedForegroundWindow != 0)
        activateWindow(state.SavedForegroundWindow);
    if (QGuiApplication::platformName() == "wayland") {
        // Qt's Wayland connection can deadlock while it is torn down (its event thread waits for a read
        // that never comes; seen in about one run in four of a show on two outputs). Every window is gone
        // and every file written by now: end without that teardown.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    // A show ends without the teardown either: the time from a key press to the process's end is what a
    // person waits for, and Qt's teardown alone loads the whole font configuration (its font database's
    // destructor asks fontconfig for the configuration it then frees).
    if (which == MainWindow::FullscreenShow || which == MainWindow::PreviewWindow) endNow(status);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "VorlinSaver: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "VorlinSaver: start-up failed\n");
    }
    return 1;
}
