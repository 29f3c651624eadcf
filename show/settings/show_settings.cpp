#include "show/settings/show_settings.h"

#include "platform/files.h"
#include "platform/installed_layout.h"
#include "platform/program_path.h"
#include "show/settings/picture_folders.h"

#include <stdexcept>
#include <type_traits>
#include <variant>

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

// The options of [Set], in the order writeOptions writes them (the twelve of the original file, then
// Monitors, IdleMinutes' place kept, and the photo looks). Author and Website are only read: the build
// writes them into the built show.
struct SetOption {
    const char* key;
    std::variant<bool ShowSettings::*, std::int32_t ShowSettings::*, std::string ShowSettings::*> field;
    std::int32_t fallback = 0; // a flag's or number's value when the key is missing
    std::int32_t last = -1;    // a choice's last value: numbers outside 0..last read as `fallback`
    std::int32_t (*normalise)(std::int32_t) = nullptr; // brings a number into its range instead
    bool written = true;

    std::int32_t value(std::int32_t v) const {
        if (normalise) return normalise(v);
        return last >= 0 && (v < 0 || v > last) ? fallback : v;
    }
};

const SetOption kSetOptions[] = {
    {"StetchImage", &ShowSettings::StetchImage},
    {"RandomImage", &ShowSettings::RandomImage, true},
    {"AllowReverseTransition", &ShowSettings::AllowReverseTransition},
    {"ClearOldImage", &ShowSettings::ClearOldImage},
    {"PlayMusic", &ShowSettings::PlayMusic, true},
    {"RandomMusic", &ShowSettings::RandomMusic},
    {"LoopMusic", &ShowSettings::LoopMusic},
    {"ImageInterval", &ShowSettings::ImageInterval, 3},
    {"BackgroundColor", &ShowSettings::BackgroundColor},
    {"EffectSpeed", &ShowSettings::EffectSpeed, 3},
    {"IdleMinutes", &ShowSettings::IdleMinutes, kIdleMinutesDefault, -1, clampIdleMinutes},
    {"PicturePath", &ShowSettings::PicturePath},
    {"MusicPath", &ShowSettings::MusicPath},
    {"Monitors", &ShowSettings::Monitors, mmSame, mmSpan},
    {"PanZoom", &ShowSettings::PanZoom},
    {"Caption", &ShowSettings::Caption, cpNone, cpTitle},
    {"Clock", &ShowSettings::Clock, ckNone, ckTimeDate},
    {"Fill", &ShowSettings::Fill, pfColor, pfCrop},
    {"Shuffle", &ShowSettings::Shuffle},
    {"Author", &ShowSettings::Author, 0, -1, nullptr, false},
    {"Website", &ShowSettings::Website, 0, -1, nullptr, false},
};

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

    for (const SetOption& o : kSetOptions)
        std::visit(
            [&](auto field) {
                using T = std::remove_reference_t<decltype(settings.*field)>;
                if constexpr (std::is_same_v<T, bool>)
                    settings.*field = snap.readBool("Set", o.key, o.fallback != 0);
                else if constexpr (std::is_same_v<T, std::string>)
                    settings.*field = limited(snap.readString("Set", o.key, ""));
                else
                    settings.*field = o.value(snap.readInteger("Set", o.key, o.fallback));
            },
            o.field);
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
    for (const SetOption& o : kSetOptions) {
        if (!o.written) continue;
        std::visit(
            [&](auto field) {
                using T = std::remove_reference_t<decltype(settings.*field)>;
                if constexpr (std::is_same_v<T, bool>)
                    b.writeBool("Set", o.key, settings.*field);
                else if constexpr (std::is_same_v<T, std::string>)
                    b.writeString("Set", o.key, settings.*field);
                else
                    b.writeInteger("Set", o.key, o.value(settings.*field));
            },
            o.field);
    }
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
