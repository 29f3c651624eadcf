#include "platform/logging/logging.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

// Silent by default: below critical nothing is enabled until a rule says so.
Q_LOGGING_CATEGORY(lcShow, "vorlin.show", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcMusic, "vorlin.music", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcIdle, "vorlin.idle", QtCriticalMsg)

namespace vorlin::logging {

void TraceLines::operator()(const std::string& line) const {
    if (toStderr_) {
        // Flushed at once: the scripts read the file while the program runs.
        std::fprintf(stderr, "%s: %s\n", prefix_, line.c_str());
        std::fflush(stderr);
        return;
    }
    qCDebug(category_).noquote() << QString::fromStdString(line);
}

const TraceLines& showTrace() {
    static const TraceLines lines(lcShow(), "vorlin-trace", std::getenv("VORLIN_TRACE") != nullptr);
    return lines;
}

void dropped(const QLoggingCategory& category, const char* what) noexcept {
    dropped(category, what, std::current_exception());
}

void dropped(const QLoggingCategory& category, const char* what, std::exception_ptr error) noexcept {
    try {
        if (!category.isWarningEnabled()) return;
        QString reason = QStringLiteral("unknown error");
        try {
            if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
            reason = QString::fromLocal8Bit(e.what());
        } catch (...) {
        }
        qCWarning(category).noquote() << what << "failed; dropped:" << reason;
    } catch (...) {
    }
}

} // namespace vorlin::logging
