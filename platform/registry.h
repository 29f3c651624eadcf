#pragma once
// The per-user registry store (HKEY_CURRENT_USER) on this platform: an INI file, one section per key path,
// one entry per value with its type kept, so that a string and a 32-bit integer stored under the same name
// can be told apart just as the Windows registry tells them apart.
//
// Where: $VORLIN_REGISTRY (a file path, for tests) when set and not empty, else
// $XDG_CONFIG_HOME/vorlinsaver/registry.ini, else ~/.config/vorlinsaver/registry.ini. The folder is created
// on the first write.
//
// Key paths use "\" between their parts; leading, trailing and doubled "\" are ignored, and letter case is
// ignored as on Windows ("\Software\Mirtavo\X" and "software\MIRTAVO\x\" are the same key). The empty value
// name is the key's default (unnamed) value.
//
// Reads of a missing file, key or value give nothing (the key is opened without creating it). Writes are
// committed at once and atomically; a failure throws WriteError (see ini_file.h) and leaves the store whole.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace vorlin::platform {

enum class RegistryType { None, String, Dword };

class Registry {
public:
    // The current user's store, at the place described above.
    Registry();
    // A store in the given file.
    explicit Registry(std::string file);

    static std::string defaultFile();
    const std::string& file() const { return ini_.path(); }

    bool keyExists(const std::string& key) const;
    RegistryType valueType(const std::string& key, const std::string& name) const;
    // The value when it exists with that type; nothing otherwise.
    std::optional<std::string> readString(const std::string& key, const std::string& name) const;
    std::optional<std::uint32_t> readDword(const std::string& key, const std::string& name) const;
    // Value names of a key, in the order they were first written.
    std::vector<std::string> valueNames(const std::string& key) const;

    void writeString(const std::string& key, const std::string& name, const std::string& value);
    void writeDword(const std::string& key, const std::string& name, std::uint32_t value);
    void deleteValue(const std::string& key, const std::string& name);
    // Deletes the key with its values and every key below it.
    void deleteKey(const std::string& key);

    // "\\Software\\X\\" -> "Software\\X" (letter case kept).
    static std::string normalizeKey(const std::string& key);

private:
    void ensureFolder() const;
    IniFile ini_;
};

} // namespace vorlin::platform
