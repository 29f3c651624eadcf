// The built settings file, the readme and the installer script of a build (see script_writer.h).
#include "builder/installer/script_writer.h"

#include <algorithm>

#include "base/text.h"
#include "installer_script/script.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "show/settings/picture_folders.h"

namespace vorlin::installer {
namespace {

using iss::literalText;

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string withoutExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string removeForbidden(std::string s) {
    std::erase_if(s,
                  [](char c) { return std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos; });
    return s;
}

// Code points, so that a cut never splits a UTF-8 sequence.
std::vector<std::string> characters(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = 1;
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= 0xF0)
            n = 4;
        else if (b >= 0xE0)
            n = 3;
        else if (b >= 0xC0)
            n = 2;
        n = std::min(n, s.size() - i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

// A file name that can be an INI key as it is (the reader would trim blanks, and "=" ends a key).
bool usableAsKey(const std::string& name) {
    if (name.empty() || name.find('=') != std::string::npos) return false;
    if (name.front() == '[' || name.front() == ';') return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !blank(name.front()) && !blank(name.back());
}

} // namespace

std::string installerPathFor(const std::string& chosen) {
    const std::string name = fileNameOf(chosen);
    const bool suffixed = name.size() > 4 && lower(name.substr(name.size() - 4)) == ".run";
    return (suffixed ? chosen.substr(0, chosen.size() - 4) : chosen) + ".run";
}

std::string trimBlanks(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

SaverName makeSaverName(const std::string& nameEdit, const std::string& installerPath,
                        const std::function<int()>& randomBelow100) {
    const auto clean = [](const std::string& s) {
        std::string n = removeForbidden(trimBlanks(s));
        // "." and ".." would name the folder itself or its parent once joined to a folder.
        if (std::all_of(n.begin(), n.end(), [](char c) { return c == '.'; })) n.clear();
        return n;
    };
    std::string name = clean(nameEdit);
    if (name.empty()) name = clean(withoutExtension(fileNameOf(installerPath)));
    if (name.empty())
        return {{}, "The screen saver needs a name: type one in the name field or choose an installer name."};
    if (lower(name) == "vorlinsaver") name += std::to_string(randomBelow100());
    // The longest file a name leads to is the temporary of a desktop entry, "<name>.desktop.tmpXXXXXX".
    if (name.size() + 18 > 255)
        return {{}, "The screen saver's name is too long for a file name: please choose a shorter name."};
    return {name, {}};
}

std::string shortScrName(const std::string& scrName) {
    const std::string ext = ".scr";
    const auto at = scrName.find(ext);
    const std::string part = at == std::string::npos ? scrName : scrName.substr(0, at);
    std::vector<std::string> chars = characters(part);
    const bool spaced = std::find(chars.begin(), chars.end(), " ") != chars.end();
    if (spaced) std::erase(chars, std::string(" "));
    const auto join = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n && i < chars.size(); ++i) s += chars[i];
        return s;
    };
    if (chars.size() < 9) return spaced ? join(chars.size()) + "~1" + ext : scrName;
    return join(6) + "~1" + ext;
}

std::string filterProgressLine(const std::string& line) {
    const std::string text = trimBlanks(line);
    const bool bracketed = text.find('[') != std::string::npos && text.find(']') != std::string::npos;
    if (text.empty() || bracketed || text.find("File: ") != std::string::npos) return {};
    return text;
}

std::string uniqueSampleName(const std::string& fileName, std::set<std::string>& taken) {
    if (taken.insert(lower(fileName)).second) return fileName;
    const auto dot = fileName.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    const std::string ext = fileName.substr(stem.size());
    for (int n = 2;; ++n) {
        const std::string name = stem + "~" + std::to_string(n) + ext;
        if (taken.insert(lower(name)).second) return name;
    }
}

std::vector<std::string> scriptLines(const BuildInput& in, const std::vector<PackedFile>& pictures,
                                     const std::vector<PackedFile>& music, bool withReadme,
                                     const std::string& settingsFile) {
    using iss::Parameter;
    // Directives that have always been written without quotes keep that form.
    const auto directive = [](const char* name, const std::string& value, bool bare) {
        return iss::directiveLine({.name = name, .value = value, .bare = bare});
    };
    // A file the installer copies: its path as the source, then where it goes.
    const auto file = [](const std::string& source, std::vector<Parameter> rest) {
        rest.insert(rest.begin(), {.name = "Source", .value = literalText(source), .tight = true});
        return iss::entryLine(rest);
    };
    const auto icon = [](const std::string& name, const std::string& target) {
        return iss::entryLine({{"Name", name}, {"Filename", target}});
    };
    const std::string name = literalText(in.saverName);
    const std::string scr = name + ".scr";
    std::vector<std::string> l = {
        iss::sectionLine("Setup"),
        directive("AppName", name, true),
        directive("AppVerName", name, true),
        directive("DefaultDirName", "{pf}/" + name, true),
        directive("DefaultGroupName", name, true),
        directive("outputdir", literalText(folderOf(in.installerPath)), false),
        directive("OutputBaseFilename", literalText(withoutExtension(fileNameOf(in.installerPath))), false),
        iss::sectionLine("Files"),
        file(in.programFolder + "VorlinSaver.scr", {{"DestDir", "{sys}/"}, {"DestName", scr}}),
        file(in.programFolder + "VorlinSaver.001", {{"DestDir", "{sys}/"}}),
    };
    // A file keeps its own name unless another file took it (uniqueSampleName).
    const auto sample = [&](const PackedFile& f) {
        if (f.destName == fileNameOf(f.path)) return file(f.path, {{"DestDir", "{app}/sample"}});
        return file(f.path, {{"DestDir", "{app}/sample"}, {"DestName", literalText(f.destName)}});
    };
    for (const auto& p : pictures) l.push_back(sample(p));
    for (const auto& m : music) l.push_back(sample(m));
    if (!music.empty()) l.push_back(file(in.systemFolder + "/libmpegdll.so", {{"DestDir", "{sys}/"}}));
    if (withReadme)
        l.push_back(file(in.compileFolder + "Readme.txt",
                         {{"DestDir", "{app}/"}, {.name = "flags", .value = "isreadme", .bare = true}}));
    l.push_back(file(settingsFile, {{"DestDir", "{sys}/"}, {"DestName", name + ".002"}}));
    l.push_back(iss::sectionLine("Registry"));
    l.push_back(iss::entryLine({{.name = "Root", .value = "HKCU", .bare = true},
                                {.name = "Subkey", .value = "Software\\Mirtavo\\" + name},
                                {.name = "ValueType", .value = "string", .bare = true},
                                {.name = "ValueName", .value = ""},
                                {.name = "ValueData", .value = "{app}", .bare = true},
                                {.name = "flags", .value = "uninsdeletekey", .bare = true}}));
    l.push_back(iss::sectionLine("INI"));
    l.push_back(iss::entryLine({{"Filename", "{win}/system.INI"},
                                {"Section", "boot"},
                                {"Key", "SCRNSAVE.EXE"},
                                {"String", "{sys}/" + literalText(shortScrName(in.saverName + ".scr"))}}));
    l.push_back(iss::sectionLine("Icons"));
    l.push_back(icon("{group}/" + name, "{sys}/" + scr));
    l.push_back(icon("{userdesktop}/" + name, "{sys}/" + scr));
    l.push_back(icon("{group}/Uninstall", "{app}/unins000"));
    l.push_back(icon("{app}/" + name, "{sys}/" + scr));
    if (withReadme) l.push_back(icon("{group}/Readme", "{app}/readme.txt"));
    return l;
}

BuildOutput writeBuildFiles(const BuildInput& in) {
    BuildOutput out;
    out.settingsFile = in.compileFolder + in.saverName + ".002";
    out.scriptFile = in.compileFolder + "temp.iss";

    std::vector<PackedFile> pictures, music;
    platform::deleteFile(out.settingsFile);
    try {
        platform::IniFile built(out.settingsFile);
        auto batch = built.batch();
        if (!in.author.empty()) batch.writeString("Set", "Author", in.author);
        if (in.website != "http://") batch.writeString("Set", "Website", in.website);
        const auto working = platform::IniFile(in.workingSettingsFile).snapshot();
        for (const char* section : {"Set", "Transitions"})
            for (const auto& key : working.readKeys(section))
                batch.writeString(section, key, working.readString(section, key, ""));
        std::set<std::string> taken, packed; // names in the sample folder (lower case), paths packed
        const auto addFiles = [&](const std::vector<ListedFile>& list, const char* section,
                                  std::vector<PackedFile>& kept) {
            for (const auto& f : list) {
                if (!f.ticked || !platform::fileExists(f.path)) continue;
                if (!iss::canCarry(f.path) || !usableAsKey(fileNameOf(f.path))) {
                    out.notes.push_back("Left out (its name cannot be carried by the installer): " + f.path);
                    continue;
                }
                // A file listed twice (a listed picture that a folder holds too) is packed once.
                if (!packed.insert(f.path).second) continue;
                kept.push_back({f.path, uniqueSampleName(fileNameOf(f.path), taken)});
                batch.writeBool(section, kept.back().destName, true);
            }
        };
        std::vector<ListedFile> allPictures = in.pictures;
        for (auto& path : show::listFolderPictures(in.folders))
            allPictures.push_back({std::move(path), true});
        addFiles(allPictures, "Pictures", pictures);
        addFiles(in.music, "Music", music);
        batch.commit();
    } catch (const platform::WriteError&) {
        throw BuildWriteError("Unable to write to " + out.settingsFile);
    }

    const bool withReadme = !in.readme.empty();
    if (withReadme) {
        out.readmeFile = in.compileFolder + "Readme.txt";
        std::string text;
        std::size_t from = 0;
        while (from <= in.readme.size()) {
            auto nl = in.readme.find('\n', from);
            if (nl == std::string::npos) nl = in.readme.size();
            std::string line = in.readme.substr(from, nl - from);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            text += line + "\r\n";
            from = nl + 1;
        }
        try {
            platform::replaceFileAtomically(out.readmeFile, text);
        } catch (const platform::WriteError&) {
            throw BuildWriteError("Cannot create file " + out.readmeFile);
        }
    }

    std::string script;
    try {
        for (const auto& line : scriptLines(in, pictures, music, withReadme, out.settingsFile))
            script += line + "\r\n";
    } catch (const iss::ScriptError& e) {
        // A folder or the installer's path with a line break: no script can name it.
        throw BuildWriteError("Cannot create file " + out.scriptFile + ": " + e.what());
    }
    try {
        platform::replaceFileAtomically(out.scriptFile, script);
    } catch (const platform::WriteError&) {
        throw BuildWriteError("Cannot create file " + out.scriptFile);
    }
    return out;
}

void cleanUpBuildFiles(const BuildOutput& out) {
    for (const auto* f : {&out.scriptFile, &out.settingsFile, &out.readmeFile})
        if (!f->empty()) platform::deleteFile(*f);
}

} // namespace vorlin::installer
