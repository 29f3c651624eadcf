#pragma once
// The process environment as text.
#include <string>

namespace vorlin::platform {

// The value of the environment variable `name`; "" when it is not set.
std::string environmentVariable(const char* name);
// The value of `name`, or `otherwise` when it is not set or empty (the XDG rule for base folders).
std::string environmentVariable(const char* name, const std::string& otherwise);
// A folder from the environment: as environmentVariable(name, otherwise), without final "/" characters
// (a lone "/" stays).
std::string environmentFolder(const char* name, const std::string& otherwise);

// The user's base folders for data and settings: $XDG_DATA_HOME, else ~/.local/share; $XDG_CONFIG_HOME,
// else ~/.config. Without a final "/".
std::string dataHome();
std::string configHome();

} // namespace vorlin::platform
