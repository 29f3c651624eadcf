#include "platform/idle/gnome_idle.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QTimer>

namespace vorlin::idle {
namespace {

const QString kService = "org.gnome.Mutter.IdleMonitor";
const QString kPath = "/org/gnome/Mutter/IdleMonitor/Core";
const QString kInterface = "org.gnome.Mutter.IdleMonitor";
// How often the bus connection itself is looked at: Qt says nothing when the bus goes away.
constexpr int kBusCheckMs = 5000;

class GnomeIdle final : public IdleSource {
    Q_OBJECT
public:
    explicit GnomeIdle(const QDBusConnection& bus)
        : bus_(bus), watcher_(kService, bus_, QDBusServiceWatcher::WatchForUnregistration) {
        bus_.connect(kService, kPath, kInterface, "WatchFired", this, SLOT(onWatchFired(uint)));
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                [this] { reportGone("GNOME's idle monitor left the session bus"); });
        busCheck_.setInterval(kBusCheckMs);
        connect(&busCheck_, &QTimer::timeout, this, [this] {
            if (!bus_.isConnected()) reportGone("the session bus went away");
        });
        busCheck_.start();
    }

    ~GnomeIdle() override {
        removeWatch(idleWatch_);
        removeWatch(activeWatch_);
    }

    std::string name() const override { return "GNOME org.gnome.Mutter.IdleMonitor"; }

    void setTimeout(int milliseconds) override {
        removeWatch(idleWatch_);
        removeWatch(activeWatch_);
        reportActive();
        idleWatch_ =
            call("AddIdleWatch", {QVariant::fromValue<qulonglong>(milliseconds > 0 ? milliseconds : 1)});
    }

private slots:
    void onWatchFired(uint id) {
        if (id == 0) return;
        if (id == idleWatch_) {
            reportIdle();
            activeWatch_ = call("AddUserActiveWatch", {});
        } else if (id == activeWatch_) {
            activeWatch_ = 0; // one-shot: the monitor has dropped it
            reportActive();
        }
    }

private:
    uint call(const QString& method, const QList<QVariant>& args) {
        auto message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        message.setArguments(args);
        const QDBusReply<uint> reply = bus_.call(message);
        if (!reply.isValid()) {
            if (!bus_.isConnected()) reportGone("the session bus went away");
            return 0;
        }
        return reply.value();
    }

    void removeWatch(uint& id) {
        if (id == 0) return;
        auto message = QDBusMessage::createMethodCall(kService, kPath, kInterface, "RemoveWatch");
        message << id;
        bus_.call(message, QDBus::NoBlock);
        id = 0;
    }

    QDBusConnection bus_;
    QDBusServiceWatcher watcher_;
    QTimer busCheck_;
    uint idleWatch_ = 0;
    uint activeWatch_ = 0;
};

} // namespace

std::unique_ptr<IdleSource> openGnomeIdle(int milliseconds, std::string& why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        why = "no session bus";
        return nullptr;
    }
    if (!bus.interface() || !bus.interface()->isServiceRegistered(kService).value()) {
        why = "no GNOME idle monitor on the session bus";
        return nullptr;
    }
    auto source = std::make_unique<GnomeIdle>(bus);
    source->setTimeout(milliseconds);
    return source;
}

} // namespace vorlin::idle

#include "gnome_idle.moc"
