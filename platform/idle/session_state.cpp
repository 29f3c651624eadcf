#include "platform/idle/session_state.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include <unistd.h>

namespace vorlin::idle {
namespace {

constexpr int kAnswerMs = 500;
// org.gnome.SessionManager's inhibit flags: 8 marks the session as idle-inhibited.
constexpr unsigned kInhibitIdle = 8;

template <typename T> bool ask(const QDBusConnection& bus, const QDBusMessage& message, T& value) {
    if (!bus.isConnected()) return false;
    const QDBusReply<T> reply = bus.call(message, QDBus::Block, kAnswerMs);
    if (!reply.isValid()) return false;
    value = reply.value();
    return true;
}

bool logindLocked() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    auto byPid = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                "org.freedesktop.login1.Manager", "GetSessionByPID");
    byPid << static_cast<uint>(::getpid());
    QDBusObjectPath session;
    if (!ask(bus, byPid, session)) return false;
    auto get = QDBusMessage::createMethodCall("org.freedesktop.login1", session.path(),
                                              "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.freedesktop.login1.Session") << QString("LockedHint");
    QDBusVariant locked;
    return ask(bus, get, locked) && locked.variant().toBool();
}

bool gnomeShieldActive() {
    const auto message = QDBusMessage::createMethodCall("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver",
                                                        "org.gnome.ScreenSaver", "GetActive");
    bool active = false;
    return ask(QDBusConnection::sessionBus(), message, active) && active;
}

} // namespace

bool sessionLocked() {
    return logindLocked() || gnomeShieldActive();
}

bool idleInhibited() {
    auto message = QDBusMessage::createMethodCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                                                  "org.gnome.SessionManager", "IsInhibited");
    message << kInhibitIdle;
    bool inhibited = false;
    return ask(QDBusConnection::sessionBus(), message, inhibited) && inhibited;
}

} // namespace vorlin::idle
