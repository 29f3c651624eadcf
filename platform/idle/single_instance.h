#pragma once
// One idle watcher per user: an exclusive lock (flock) on a file in the user's runtime folder
// ($XDG_RUNTIME_DIR, else /tmp/vorlinsaver-watch-<uid>.lock), held while the process lives and released
// by the system when it ends, however it ends. The file holds the holder's process id for the message.
// No Qt.

#include <string>

namespace vorlin::idle {

class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

    // True when this process now holds the lock. False when another process holds it (`holder` gets its
    // process id, 0 when unknown) or the file cannot be opened (`holder` -1).
    bool acquire(long& holder);
    static std::string lockPath();

private:
    int fd_ = -1;
};

} // namespace vorlin::idle
