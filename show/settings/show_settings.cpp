#include "show/settings/show_settings.h"

#include "platform/files.h"
#include "platform/installed_layout.h"
#include "platform/program_path.h"
#include "show/settings/picture_folders.h"

#include <stdexcept>

namespace vorlin::show {

namespace {

std::string fileNameOf(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Cuts a value to the reader's limit without splitting a UTF-8 character.
std::string limited(std::string s) {
    if (s.size() <= kMaxValueLength) return s;
    std::size_t n = kMaxValueLength;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
    return s;
}

} // namespace

std::string installationKey(const std::string& baseName) {
    return "Software\\Mirtavo\\" + baseName;
}

SettingsPlaces programPlaces(const std::string& programPath) {
    SettingsPlaces p;
    const auto slash = programPath.rfind('/');
    p.programFolder = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const auto dot = file.rfind('.');
    if (dot == std::string::npos) {
        p.baseName = file;
    } else {
        // The extension is cut where its text first occurs in the name: "my.scrapbook.scr" gives "my".
        p.baseName = file.substr(0, file.find(file.substr(dot)));
    }
    return p;
}

SettingsPlaces settingsPlaces(const std::string& programPath, const platform::Registry& registry) {
    SettingsPlaces places = programPlaces(programPath);
    if (const auto tilde = places.baseName.find('~'); tilde != std::string::npos) {
        const auto found = platform::listFiles(places.programFolder.empty() ? "." : places.programFolder,
                                               places.baseName.substr(0, tilde) + "*.002");
        if (!found.empty()) {
            const auto& first = found.front();
            const auto dot = first.rfind('.');
            places.baseName = dot == std::string::npos ? first : first.substr(0, dot);
        }
    }
    const auto recorded = registry.readString(installationKey(places.baseName), "");
    if (platform::installedLayout(places.programFolder)) {
        // The program folder is read-only: the working settings file lives in the installation folder, the
        // per-user working folder unless the registry names another.
        places.installationFolder = recorded ? *recorded + "/" : platform::builderWorkingFolder();
        places.settingsFile = places.installationFolder + places.baseName + ".002";
    } else {
        places.installationFolder = recorded.value_or("") + "/";
        places.settingsFile = places.programFolder + places.baseName + ".002";
    }
    return places;
}

void ShowSettingsFile::read(const std::string& programPath, const platform::Registry& registry) {
    places = settingsPlaces(programPath, registry);

    if (!ini_) ini_ = std::make_unique<platform::IniFile>(places.settingsFile);
    const auto snap = ini_->snapshot();

    auto readList = [&](const char* section, std::vector<std::string>& list) {
        list.clear();
        for (const auto& key : snap.readKeys(section)) {
            std::string path = key;
            if (resolveFile(path) && snap.readBool(section, key, true)) list.push_back(std::move(path));
        }
    };
    settings = ShowSettings{};
    readList("Pictures", settings.Pictures);
    readList("Music", settings.Music);

    auto& effects = settings.EnabledEffects;
    effects.set();
    effects.reset(0);
    for (int n = kFirstNeverReadEffect; n <= kLastNeverReadEffect; ++n) effects.reset(std::size_t(n));
    for (const auto& key : snap.readKeys("Transitions")) {
        if (snap.readBool("Transitions", key, false)) continue;
        std::int32_t number;
        if (!platform::tryParseProfileInteger(key, number)) continue;
        const std::int32_t effect = number / 3; // truncates toward zero
        if (effect >= 0 && effect <= 127) effects.reset(std::size_t(effect));
    }

    auto str = [&](const char* key) { return limited(snap.readString("Set", key, "")); };
    settings.StetchImage = snap.readBool("Set", "StetchImage", false);
    settings.RandomImage = snap.readBool("Set", "RandomImage", true);
    settings.AllowReverseTransition = snap.readBool("Set", "AllowReverseTransition", false);
    settings.ClearOldImage = snap.readBool("Set", "ClearOldImage", false);
    settings.PlayMusic = snap.readBool("Set", "PlayMusic", true);
    settings.RandomMusic = snap.readBool("Set", "RandomMusic", false);
    settings.LoopMusic = snap.readBool("Set", "LoopMusic", false);
    settings.ImageInterval = snap.readInteger("Set", "ImageInterval", 3);
    settings.BackgroundColor = snap.readInteger("Set", "BackgroundColor", 0);
    settings.EffectSpeed = snap.readInteger("Set", "EffectSpeed", 3);
    settings.IdleMinutes = clampIdleMinutes(snap.readInteger("Set", "IdleMinutes", kIdleMinutesDefault));
    settings.PicturePath = str("PicturePath");
    settings.MusicPath = str("MusicPath");
    settings.Author = str("Author");
    settings.Website = str("Website");
    const std::int32_t monitors = snap.readInteger("Set", "Monitors", mmSame);
    settings.Monitors = monitors >= mmSame && monitors <= mmSpan ? monitors : mmSame;
    auto choice = [&](const char* key, std::int32_t last) {
        const std::int32_t v = snap.readInteger("Set", key, 0);
        return v >= 0 && v <= last ? v : 0;
    };
    settings.PanZoom = snap.readBool("Set", "PanZoom", false);
    settings.Caption = choice("Caption", cpTitle);
    settings.Clock = choice("Clock", ckTimeDate);
    settings.Fill = choice("Fill", pfCrop);
    settings.Shuffle = snap.readBool("Set", "Shuffle", false);
    for (const auto& key : snap.readKeys("Folders")) {
        const std::int32_t v = snap.readInteger("Folders", key, 1);
        if (v != 0) settings.Folders.push_back({key, v == 2});
    }
    const auto listed = folderPictures(settings.Folders);
    settings.Pictures.insert(settings.Pictures.end(), listed.begin(), listed.end());
}

std::string ShowSettingsFile::folderPath(const std::string& folder) const {
    // A relative folder lies beside the settings file, wherever the show was started from.
    if (folder.empty() || folder.front() == '/') return folder;
    const auto cut = places.settingsFile.rfind('/');
    return (cut == std::string::npos ? std::string() : places.settingsFile.substr(0, cut + 1)) + folder;
}

std::vector<std::string> ShowSettingsFile::folderPictures(const std::vector<TPictureFolder>& folders) const {
    std::vector<TPictureFolder> resolved = folders;
    for (auto& f : resolved) f.path = folderPath(f.path);
    return listFolderPictures(resolved);
}

void ShowSettingsFile::writeOptions() {
    if (!ini_) throw std::logic_error("the show settings were written before they were read");
    auto b = ini_->batch();
    b.writeBool("Set", "StetchImage", settings.StetchImage);
    b.writeBool("Set", "RandomImage", settings.RandomImage);
    b.writeBool("Set", "AllowReverseTransition", settings.AllowReverseTransition);
    b.writeBool("Set", "ClearOldImage", settings.ClearOldImage);
    b.writeBool("Set", "PlayMusic", settings.PlayMusic);
    b.writeBool("Set", "RandomMusic", settings.RandomMusic);
    b.writeBool("Set", "LoopMusic", settings.LoopMusic);
    b.writeInteger("Set", "ImageInterval", settings.ImageInterval);
    b.writeInteger("Set", "BackgroundColor", settings.BackgroundColor);
    b.writeInteger("Set", "EffectSpeed", settings.EffectSpeed);
    b.writeInteger("Set", "IdleMinutes", clampIdleMinutes(settings.IdleMinutes));
    b.writeString("Set", "PicturePath", settings.PicturePath);
    b.writeString("Set", "MusicPath", settings.MusicPath);
    b.writeInteger("Set", "Monitors", settings.Monitors);
    b.writeBool("Set", "PanZoom", settings.PanZoom);
    b.writeInteger("Set", "Caption", settings.Caption);
    b.writeInteger("Set", "Clock", settings.Clock);
    b.writeInteger("Set", "Fill", settings.Fill);
    b.writeBool("Set", "Shuffle", settings.Shuffle);
    b.commit();
}

bool ShowSettingsFile::resolveFile(std::string& path) const {
    if (platform::fileExists(path)) return true;
    const std::string name = fileNameOf(path);
    if (name.empty()) return false;
    for (const std::string& candidate :
         {places.programFolder + name, places.installationFolder + "sample/" + name}) {
        if (platform::fileExists(candidate)) {
            path = candidate;
            return true;
        }
    }
    return false;
}

std::int32_t clampIdleMinutes(std::int32_t minutes) {
    return minutes < kIdleMinutesMin   ? kIdleMinutesMin
           : minutes > kIdleMinutesMax ? kIdleMinutesMax
                                       : minutes;
}

ShowSettingsFile& showSettingsFile() {
    static ShowSettingsFile instance;
    return instance;
}

void readShowSettings() {
    showSettingsFile().read(platform::programPath(), platform::Registry());
}

} // namespace vorlin::show
