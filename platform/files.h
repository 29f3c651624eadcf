#pragma once
// File services with the contracts the show and the builder were written against: existence of a file,
// a folder listing with a Windows wildcard, copy and delete. Results are reported by return value; none
// of these throws.

#include <optional>
#include <string>
#include <vector>

namespace vorlin::platform {

// True for an existing file that is not a folder (symbolic links are followed).
bool fileExists(const std::string& path);

// True when `name` matches `pattern`, where "*" matches any run of characters and "?" any one character,
// ignoring ASCII letter case ("MYSHOW*.002" matches "MyShow Deluxe.002").
bool wildcardMatch(const std::string& pattern, const std::string& name);

// Names (not paths) of the entries of `folder` that match `pattern`, folders and "."/".." skipped, sorted
// by name ignoring letter case so that "the first one listed" does not depend on the file system. An
// unreadable or missing folder lists nothing.
std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern);

// Copies a file; with failIfExists an existing target makes it fail. The target is written through a
// temporary file and renamed, so it is never left cut. False on any failure.
bool copyFile(const std::string& from, const std::string& to, bool failIfExists);

// True when both paths reach one existing file (the same device and file number, links followed): two
// spellings of one name on a file system that ignores letter case, for instance.
bool sameExistingFile(const std::string& a, const std::string& b);

// The whole content of a file; nothing when it cannot be opened or read (a folder, for instance).
std::optional<std::string> readWholeFile(const std::string& path);

// Deletes a file (not a folder). False when it did not exist or could not be deleted.
bool deleteFile(const std::string& path);

} // namespace vorlin::platform
