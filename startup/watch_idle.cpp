#include "startup/watch_idle.h"

#include "platform/idle/idle_watcher.h"
#include "platform/idle/single_instance.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "show/settings/show_settings.h"
#include "show/windows/termination.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace vorlin::startup {

int runIdleWatcher(int argc, char** argv, int idleAfterSeconds, const std::string& settingsFile) {
    idle::SingleInstance instance;
    long holder = 0;
    if (!instance.acquire(holder)) {
        if (holder < 0)
            std::fprintf(stderr, "VorlinSaver: cannot open %s; no idle watcher\n",
                         idle::SingleInstance::lockPath().c_str());
        else
            std::fprintf(
                stderr, "VorlinSaver: another idle watcher runs for this user (process %ld); this one ends\n",
                holder);
        return 1;
    }

    QCoreApplication app(argc, argv);
    const auto timeoutMs = [idleAfterSeconds, settingsFile] {
        if (idleAfterSeconds > 0) return idleAfterSeconds * 1000;
        const platform::IniFile file(settingsFile);
        return show::clampIdleMinutes(file.readInteger("Set", "IdleMinutes", show::kIdleMinutesDefault)) *
               60000;
    };
    std::string why;
    auto source = idle::openIdleSource(timeoutMs(), why);
    if (!source) {
        std::fprintf(stderr, "VorlinSaver: no idle source to watch (%s)\n", why.c_str());
        return 1;
    }
    idle::IdleWatcher::Options options;
    options.program = QString::fromStdString(platform::programPath());
    options.timeoutMs = timeoutMs;
    if (idleAfterSeconds <= 0) options.watchedFile = QString::fromStdString(settingsFile);
    const char* trace = std::getenv("VORLIN_TRACE_IDLE");
    options.trace = trace && *trace;
    idle::IdleWatcher watcher(std::move(source), options);
    std::fprintf(stderr, "VorlinSaver: watching idleness through %s; the show starts after %d s\n",
                 watcher.source().name().c_str(), watcher.timeoutMs() / 1000);
    std::fflush(stderr);

    QObject::connect(&watcher, &idle::IdleWatcher::finished, &app,
                     [](int status) { QCoreApplication::exit(status); });
    showwindows::onTerminateSignal([] { QCoreApplication::exit(0); });
    return app.exec();
}

} // namespace vorlin::startup
