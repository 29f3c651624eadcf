#pragma once
// Replacing a file's whole content so that a reader sees either the old file or the new one, never a part:
// the content goes to a locked temporary file in the same folder, is flushed to disk and renamed over the
// file. A temporary left by a writer that died is removed by the next writer (its lock is free then).

#include <stdexcept>
#include <string>

namespace vorlin::platform {

class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `content` to `path` through a temporary file in the same folder, fsync and rename; the old file
// stays whole when anything fails. A symbolic link is written through (the file it points to is replaced).
// Throws WriteError naming the file and the fault.
void replaceFileAtomically(const std::string& path, const std::string& content);

} // namespace vorlin::platform
