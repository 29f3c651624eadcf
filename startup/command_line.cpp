#include "startup/command_line.h"

#include "base/text.h"

#include <cstring>

namespace vorlin::startup {

const char* modeName(TScreenSaverMode mode) {
    switch (mode) {
    case TScreenSaverMode::Default:
        return "Default";
    case TScreenSaverMode::Configure:
        return "Configure";
    case TScreenSaverMode::Show:
        return "Show";
    case TScreenSaverMode::Preview:
        return "Preview";
    case TScreenSaverMode::ChangePassword:
        return "ChangePassword";
    }
    return "Default";
}

StartupState& startupState() {
    static StartupState state;
    return state;
}

ProgramOptions takeProgramOptions(std::vector<std::string>& args) {
    ProgramOptions options;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        auto& a = args[i];
        if (a.rfind("--", 0) != 0) {
            rest.push_back(std::move(a));
            continue;
        }
        if (a == "--help")
            options.help = true;
        else if (a == "--version")
            options.version = true;
        else if (a == "--info")
            options.info = true;
        else if (a == "--watch-idle")
            options.watchIdle = true;
        else if (a == "--idle-after" || a.rfind("--idle-after=", 0) == 0) {
            const bool inOne = a.size() > std::strlen("--idle-after");
            std::string value;
            if (inOne)
                value = a.substr(std::strlen("--idle-after="));
            else if (i + 1 < args.size())
                value = args[++i];
            const std::uint32_t seconds = parseWindowHandle(value);
            options.idleAfterSeconds = seconds >= 1 && seconds <= 86400 ? int(seconds) : -1;
        } else
            options.unknown.push_back(a);
    }
    args = std::move(rest);
    return options;
}

std::uint32_t parseWindowHandle(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    if (b == e) return 0;
    std::uint64_t v = 0;
    for (std::size_t i = b; i < e; ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        v = v * 10 + std::uint64_t(text[i] - '0');
        if (v > 0xFFFFFFFFull) return 0;
    }
    return std::uint32_t(v);
}

StartupState parseCommandLine(const std::vector<std::string>& args,
                              const std::function<std::uint32_t()>& foregroundWindow) {
    StartupState s;
    s.SavedForegroundWindow = 1;
    if (args.empty() || args[0].size() < 2) return s;
    char letter = args[0][1];
    if (letter >= 'a' && letter <= 'z') letter = char(letter - 'a' + 'A');
    const auto foreground = [&] { return foregroundWindow ? foregroundWindow() : 0u; };
    switch (letter) {
    case 'A':
        if (args.size() >= 2) {
            s.ScreenSaverMode = TScreenSaverMode::ChangePassword;
            s.HostWindow = parseWindowHandle(args[1]);
        }
        break;
    case 'C':
        s.ScreenSaverMode = TScreenSaverMode::Configure;
        s.SavedForegroundWindow = foreground();
        break;
    case 'P':
        if (args.size() >= 2) {
            s.ScreenSaverMode = TScreenSaverMode::Preview;
            s.HostWindow = parseWindowHandle(args[1]);
        }
        break;
    default:
        s.ScreenSaverMode = TScreenSaverMode::Show;
        s.SavedForegroundWindow = foreground();
        break;
    }
    return s;
}

bool isBuilderName(const std::string& baseName) {
    return lower(baseName) == "vorlinsaver";
}

MainWindow mainWindowFor(TScreenSaverMode mode, const std::string& baseName) {
    switch (mode) {
    case TScreenSaverMode::Default:
    case TScreenSaverMode::Configure:
        return isBuilderName(baseName) ? MainWindow::Builder : MainWindow::ConfigDialog;
    case TScreenSaverMode::Show:
        return MainWindow::FullscreenShow;
    case TScreenSaverMode::Preview:
        return MainWindow::PreviewWindow;
    case TScreenSaverMode::ChangePassword:
        return MainWindow::None;
    }
    return MainWindow::None;
}

const char* mainWindowName(MainWindow window) {
    switch (window) {
    case MainWindow::None:
        return "none";
    case MainWindow::Builder:
        return "builder window";
    case MainWindow::ConfigDialog:
        return "configuration dialog";
    case MainWindow::FullscreenShow:
        return "full-screen show";
    case MainWindow::PreviewWindow:
        return "preview window";
    }
    return "none";
}

} // namespace vorlin::startup
