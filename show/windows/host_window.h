#pragma once
// Reading a host's window id: the value of $XSCREENSAVER_WINDOW (hexadecimal with "0x", or decimal).
// No Qt, no X: parsing only.

#include <cstdint>
#include <optional>
#include <string>

namespace vorlin::showwindows {

// "0x400008" and "4194312" give 4194312; empty text, other text, trailing characters, 0 and values
// beyond 32 bits give nothing.
std::optional<std::uint32_t> parseWindowId(const std::string& text);

// The host window the environment gives (XSCREENSAVER_WINDOW), if any.
std::optional<std::uint32_t> xscreensaverWindow();

} // namespace vorlin::showwindows
