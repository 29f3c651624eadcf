#include "platform/dispatcher/dispatcher.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

namespace vorlin::platform {

Dispatcher::Dispatcher(QObject* parent) : QObject(parent), queue_(std::make_shared<CallQueue>()) {
    notifier_ = new QSocketNotifier(queue_->wakeupFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &Dispatcher::onWakeup);
}

Dispatcher::~Dispatcher() {
    notifier_->setEnabled(false);
    queue_->close();
}

Dispatcher& Dispatcher::forApplication() {
    static QPointer<Dispatcher> instance;
    if (!instance) instance = new Dispatcher(QCoreApplication::instance());
    return *instance;
}

void Dispatcher::waitServing(WorkerThread& worker) {
    queue_->waitServing([&] { return worker.finished(); });
    worker.join();
}

void Dispatcher::onWakeup() {
    // Calls never throw out of serve(); the guard keeps any other failure inside the event handler.
    try {
        queue_->drainWakeup();
        queue_->serve();
    } catch (...) {
    }
}

} // namespace vorlin::platform
