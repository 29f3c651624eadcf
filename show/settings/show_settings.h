#pragma once
// The show settings: the process-wide record of a show's pictures, music, enabled effects and options, and
// the two operations on its settings file "<base name>.002" beside the program: read the show settings
// and write the options.
//
// Reading, in this order:
//  1. The base name is the program file's name with its extension cut off where the extension text first
//     occurs ("my.scrapbook.scr" -> "my"); a name without an extension is kept whole. The program folder
//     is the folder of the program file as it was started (a copy or a link under another name is a show
//     of its own).
//  2. A base name holding "~" (a short 8.3 name) becomes the name of the first "<text before ~>*.002" file
//     in the program folder (without its last extension), when there is one.
//  3. The settings file is program folder + base name + ".002"; the installation folder is the default
//     value of the registry key "Software\Mirtavo\<base name>" plus "/", or "/" when there is none.
//     A program installed by the package (platform/installed_layout.h) cannot write beside itself: its
//     installation folder without a registry value is the per-user working folder, and its settings file
//     lies in its installation folder.
//  4. [Pictures] and [Music] keys, in file order, are looked up (see resolveFile) and kept when found and
//     their value (default 1) is not 0. Every key of a section is read, however many there are.
//  5. Effects 1..127 are enabled, 119..122 are taken out, and every [Transitions] key whose value (default
//     0) is 0 takes out effect key / 3 (truncated) when that lies in 0..127; keys that are not integers
//     are skipped.
//  6. [Folders] keys in file order whose value (default 1) is not 0; then the pictures of those folders
//     (picture_folders.h) join Pictures after the listed ones. A relative folder lies beside the settings
//     file. Nothing is decoded here.
//  7. The [Set] keys with their defaults (Monitors: 0, and 0 for a value it does not know). String values are
//  read up to 2047 bytes, as the reader's buffer
//     of the original allowed (cut back to a whole UTF-8 character).
// The whole read works on one parse of the file, so it is linear in the file's size.
//
// The INI-file object is bound to the settings file name of the first read and kept; later reads and every
// write go through it, and the file itself is always the truth (no private cache survives a write).
//
// Main thread only. The record is process-wide on purpose: every part of a show reads it. Read it in the
// few places that need it; tests make their own ShowSettingsFile objects.

#include "platform/ini_file.h"
#include "platform/registry.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlin::show {

// A folder whose pictures join the show's list: the [Folders] key, its value 1 (the folder) or 2 (with
// its sub-folders).
struct TPictureFolder {
    std::string path;
    bool subfolders = false;
    bool operator==(const TPictureFolder&) const = default;
};

// Field names as the show, the builder and the saved projects know them ("StetchImage" is spelled so).
struct ShowSettings {
    std::vector<std::string> Pictures;
    bool StetchImage = false;
    bool RandomImage = true;
    bool AllowReverseTransition = false;
    bool ClearOldImage = false;
    std::int32_t ImageInterval = 3;
    std::int32_t BackgroundColor = 0;
    std::string PicturePath;
    std::vector<std::string> Music;
    bool PlayMusic = true;
    bool RandomMusic = false;
    bool LoopMusic = false;
    std::string MusicPath;
    std::int32_t EffectSpeed = 3;
    // Minutes of no input before the idle watcher starts the show (kIdleMinutesMin..kIdleMinutesMax).
    std::int32_t IdleMinutes = 10;
    std::bitset<128> EnabledEffects;
    std::string Author;
    std::string Website;
    // How a full-screen show uses several monitors (see TMonitorMode); values outside 0..2 read as 0.
    std::int32_t Monitors = 0;
    // The photo looks; each off when its key is missing, so an older show looks as it always did.
    bool PanZoom = false;                // a slow drift of zoom and framing while a picture shows
    std::int32_t Caption = 0;            // TCaptionMode; values outside it read as 0
    std::int32_t Clock = 0;              // TClockMode; values outside it read as 0
    std::int32_t Fill = 0;               // TPictureFill; values outside it read as 0
    bool Shuffle = false;                // with RandomImage: every picture once before any repeats
    std::vector<TPictureFolder> Folders; // [Folders], in file order
};

// The values of ShowSettings::Monitors.
enum TMonitorMode : std::int32_t {
    mmSame = 0,      // the same show on every monitor, in step
    mmDifferent = 1, // each monitor its own picture at the same time
    mmSpan = 2,      // one show spanning the monitors' bounding box
};

// The values of ShowSettings::Caption: the text drawn in a corner of each picture.
enum TCaptionMode : std::int32_t {
    cpNone = 0,
    cpFileName = 1,  // the file name without its extension
    cpDateTaken = 2, // the date the photo was taken
    cpTitle = 3,     // the photo's own title or description
};

// The values of ShowSettings::Clock.
enum TClockMode : std::int32_t {
    ckNone = 0,
    ckTime = 1,
    ckTimeDate = 2,
};

// The values of ShowSettings::Fill: what surrounds a picture that does not cover the screen.
enum TPictureFill : std::int32_t {
    pfColor = 0, // the background colour
    pfBlur = 1,  // a blurred, darkened copy of the picture
    pfCrop = 2,  // no bars: the picture covers the screen, its centre kept
};

// The names and places derived at every read. Folders end in "/".
struct SettingsPlaces {
    std::string programFolder;
    std::string baseName;
    std::string settingsFile;
    std::string installationFolder;
};

// The registry key under HKEY_CURRENT_USER that holds a show's installation folder.
std::string installationKey(const std::string& baseName);

// The effects a read never enables (step 5): a show only plays them where its caller enables them itself.
constexpr int kFirstNeverReadEffect = 119;
constexpr int kLastNeverReadEffect = 122;

constexpr std::int32_t kIdleMinutesMin = 1;
constexpr std::int32_t kIdleMinutesMax = 120;
constexpr std::int32_t kIdleMinutesDefault = 10;
// A stored IdleMinutes brought into its range (a hand-edited 0 or 5000 still gives a usable watcher).
std::int32_t clampIdleMinutes(std::int32_t minutes);

// The longest value text a read gives.
constexpr std::size_t kMaxValueLength = 2047;

class ShowSettingsFile {
public:
    ShowSettings settings;
    SettingsPlaces places;

    // Read the show settings of the program at `programPath`, taking the installation folder from
    // `registry`. Never throws for a missing, unreadable or malformed file: it reads as empty.
    void read(const std::string& programPath, const platform::Registry& registry);

    // Rewrites the options of [Set] from the record (the twelve of the original file, then Monitors,
    // IdleMinutes and the photo looks) in one atomic replacement of the file. [Folders] is not written
    // here: it is a list, kept with the pictures.
    // Throws platform::WriteError (the old file stays whole) or std::logic_error before any read.
    void writeOptions();

    // File lookup: `path` itself, else the program folder plus its file name, else the installation folder
    // plus "sample/" plus its file name. The file name is the text after the last "/" or "\" (entries
    // written on Windows hold "\"). Returns true and replaces `path` with the first that exists.
    bool resolveFile(std::string& path) const;

    // A [Folders] path as the file system takes it: a relative one lies beside the settings file.
    std::string folderPath(const std::string& folder) const;
    // The pictures of `folders` in one listing (picture_folders.h), their paths taken by folderPath.
    std::vector<std::string> folderPictures(const std::vector<TPictureFolder>& folders) const;

    // The settings file's INI object (nullptr before the first read); the builder writes [Pictures],
    // [Music] and [Transitions] through it.
    platform::IniFile* iniFile() { return ini_.get(); }

private:
    std::unique_ptr<platform::IniFile> ini_;
};

// Base name and program folder of a program path, without the "~" rule.
SettingsPlaces programPlaces(const std::string& programPath);

// Every name and place of a read (steps 1 to 3), without reading the settings file.
SettingsPlaces settingsPlaces(const std::string& programPath, const platform::Registry& registry);

// The process-wide show settings (created empty on first use; filled by its read()).
ShowSettingsFile& showSettingsFile();
inline ShowSettings& showSettings() {
    return showSettingsFile().settings;
}

// Reads the process-wide show settings for the running program (platform::programPath()) with the current
// user's registry: the read at start-up, and the builder's reload.
void readShowSettings();

} // namespace vorlin::show
