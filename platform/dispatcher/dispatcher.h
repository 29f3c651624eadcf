#pragma once
// The main thread's end of the worker-to-main-thread call (see CallQueue for the rules).
//
// A Dispatcher lives on the main thread. It watches its queue's eventfd with a QSocketNotifier, so calls
// handed over by workers run from the event loop; a main-thread wait for a worker goes through
// waitServing, which serves them without the event loop. Workers keep a CallQueue handle (queue()), which
// stays valid after the dispatcher is gone: destroying the dispatcher closes the queue, releasing any
// worker blocked in runSync with CallQueueClosed instead of leaving it deadlocked.
//
// Qt is touched only on the main thread; workers touch only the CallQueue.

#include "platform/dispatcher/call_queue.h"
#include "platform/dispatcher/worker_thread.h"

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vorlin::platform {

class Dispatcher : public QObject {
    Q_OBJECT
public:
    // Construct on the main thread (the thread whose event loop serves the calls).
    explicit Dispatcher(QObject* parent = nullptr);
    ~Dispatcher() override;

    // The process's dispatcher, created on first use as a child of the application object (so it goes
    // with it). Main thread only; needs a QCoreApplication.
    static Dispatcher& forApplication();

    // The handle workers keep.
    std::shared_ptr<CallQueue> queue() const { return queue_; }

    // Any thread.
    void runSync(std::function<void()> fn) { queue_->runSync(std::move(fn)); }
    bool post(std::function<void()> fn) { return queue_->post(std::move(fn)); }

    // Main thread. Serves calls until done() holds, or until the worker has finished, then joins it.
    void waitServing(const std::function<bool()>& done) { queue_->waitServing(done); }
    void waitServing(WorkerThread& worker);
    // Main thread. Runs the calls pending now; returns how many.
    int serve() { return queue_->serve(); }

private:
    void onWakeup();

    std::shared_ptr<CallQueue> queue_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vorlin::platform
