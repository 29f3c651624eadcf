#include "startup/info_json.h"

#include <cstdio>

namespace vorlin::startup {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when the byte there does not start one.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    std::uint32_t cp;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4, cp = c & 0x07;
    else
        return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    const bool overlong = (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

void appendList(std::string& out, const char* name, const std::vector<std::string>& list) {
    out += std::string(",\"") + name + "\":[";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += ',';
        out += jsonString(list[i]);
    }
    out += ']';
}

} // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
            ++i;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++i;
        } else if (const auto n = utf8Length(text, i); n > 0) {
            out.append(text, i, n);
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out + "\"";
}

std::string infoJson(const StartupState& state, const show::SettingsPlaces& places,
                     const show::ShowSettings& s) {
    const auto boolean = [](bool b) { return b ? "true" : "false"; };
    std::string out = "{";
    out += "\"mode\":" + jsonString(modeName(state.ScreenSaverMode));
    out += ",\"hostWindow\":" + std::to_string(state.HostWindow);
    out += ",\"mainWindow\":" +
           jsonString(mainWindowName(mainWindowFor(state.ScreenSaverMode, places.baseName)));
    out += ",\"programFolder\":" + jsonString(places.programFolder);
    out += ",\"baseName\":" + jsonString(places.baseName);
    out += ",\"settingsFile\":" + jsonString(places.settingsFile);
    out += ",\"installationFolder\":" + jsonString(places.installationFolder);
    appendList(out, "Pictures", s.Pictures);
    out += std::string(",\"StetchImage\":") + boolean(s.StetchImage);
    out += std::string(",\"RandomImage\":") + boolean(s.RandomImage);
    out += std::string(",\"AllowReverseTransition\":") + boolean(s.AllowReverseTransition);
    out += std::string(",\"ClearOldImage\":") + boolean(s.ClearOldImage);
    out += ",\"ImageInterval\":" + std::to_string(s.ImageInterval);
    out += ",\"BackgroundColor\":" + std::to_string(s.BackgroundColor);
    out += ",\"PicturePath\":" + jsonString(s.PicturePath);
    appendList(out, "Music", s.Music);
    out += std::string(",\"PlayMusic\":") + boolean(s.PlayMusic);
    out += std::string(",\"RandomMusic\":") + boolean(s.RandomMusic);
    out += std::string(",\"LoopMusic\":") + boolean(s.LoopMusic);
    out += ",\"MusicPath\":" + jsonString(s.MusicPath);
    out += ",\"EffectSpeed\":" + std::to_string(s.EffectSpeed);
    out += ",\"IdleMinutes\":" + std::to_string(s.IdleMinutes);
    out += ",\"EnabledEffects\":[";
    bool first = true;
    for (std::size_t n = 0; n < s.EnabledEffects.size(); ++n) {
        if (!s.EnabledEffects[n]) continue;
        if (!first) out += ',';
        out += std::to_string(n);
        first = false;
    }
    out += ']';
    out += ",\"Author\":" + jsonString(s.Author);
    out += ",\"Website\":" + jsonString(s.Website);
    out += ",\"Monitors\":" + std::to_string(s.Monitors);
    out += std::string(",\"PanZoom\":") + boolean(s.PanZoom);
    out += ",\"Caption\":" + std::to_string(s.Caption);
    out += ",\"Clock\":" + std::to_string(s.Clock);
    out += ",\"Fill\":" + std::to_string(s.Fill);
    out += std::string(",\"Shuffle\":") + boolean(s.Shuffle);
    out += ",\"Folders\":[";
    for (std::size_t i = 0; i < s.Folders.size(); ++i) {
        if (i) out += ',';
        out += "{\"path\":" + jsonString(s.Folders[i].path) +
               ",\"subfolders\":" + boolean(s.Folders[i].subfolders) + "}";
    }
    out += ']';
    out += "}";
    return out;
}

} // namespace vorlin::startup
