#pragma once
// The --info report: one JSON object with the start-up mode, the places the show settings came from and
// the whole show settings record under its field names. Texts that are not valid UTF-8 (file names may be
// any bytes) have each bad byte replaced by U+FFFD so the output is always valid JSON.

#include "show/settings/show_settings.h"
#include "startup/command_line.h"

#include <string>

namespace vorlin::startup {

std::string jsonString(const std::string& text);

std::string infoJson(const StartupState& state, const show::SettingsPlaces& places,
                     const show::ShowSettings& settings);

} // namespace vorlin::startup
