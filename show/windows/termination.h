#pragma once
// SIGTERM (the way a screen-saver host ends its program) turned into a call on the main thread: the
// signal handler only writes a byte to a pipe, which a QSocketNotifier watches. Main thread only.

#include <functional>

namespace vorlin::showwindows {

// Installs the handler once; the latest `onTerminate` is the one called.
void onTerminateSignal(std::function<void()> onTerminate);

} // namespace vorlin::showwindows
