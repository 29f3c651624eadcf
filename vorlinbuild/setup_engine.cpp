// The installer and uninstaller of a built screen saver (see setup_engine.h).
#include "vorlinbuild/setup_engine.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/system_folder.h"
#include "vorlinbuild/iss_script.h"
#include "vorlinbuild/runtime_install.h"

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The install list: one record a line, fields separated by tabs, "\\", "\t" and "\n" escaped.
std::string escapeField(const std::string& s) {
    std::string o;
    for (char c : s) {
        if (c == '\\')
            o += "\\\\";
        else if (c == '\t')
            o += "\\t";
        else if (c == '\n')
            o += "\\n";
        else
            o += c;
    }
    return o;
}

std::vector<std::string> splitRecord(const std::string& line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t')
            fields.emplace_back();
        else if (line[i] == '\\' && i + 1 < line.size()) {
            const char n = line[++i];
            fields.back() += n == 't' ? '\t' : n == 'n' ? '\n' : n;
        } else
            fields.back() += line[i];
    }
    return fields;
}

using Record = std::vector<std::string>;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Desktop-entry string value.
std::string desktopString(const std::string& s) {
    std::string o;
    for (char c : s) {
        if (c == '\\')
            o += "\\\\";
        else if (c == '\n')
            o += "\\n";
        else if (c == '\r')
            o += "\\r";
        else if (c == '\t')
            o += "\\t";
        else
            o += c;
    }
    return o;
}

// One Exec argument: quoted, with the characters the Exec rules reserve escaped, "%" doubled.
std::string execArgument(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
        if (c == '%') q += '%';
        q += c;
    }
    return desktopString(q + "\"");
}

bool isInside(const fs::path& p, const fs::path& root) {
    const auto rel = p.lexically_normal().lexically_relative(root.lexically_normal());
    if (rel.empty()) return false;
    for (const auto& part : rel)
        if (part == "..") return false;
    return true;
}

// The lines of the programs resource in ~/.xscreensaver: [first, last] and its entries.
struct ProgramsBlock {
    std::vector<std::string> lines;
    std::size_t first = std::string::npos, last = 0;
    std::vector<std::string> entries;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else
            cur += c;
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

ProgramsBlock readPrograms(const std::string& text) {
    ProgramsBlock b;
    b.lines = splitLines(text);
    for (std::size_t i = 0; i < b.lines.size(); ++i)
        if (b.lines[i].rfind("programs:", 0) == 0) {
            b.first = i;
            break;
        }
    if (b.first == std::string::npos) return b;
    std::string value = b.lines[b.first].substr(9);
    std::size_t i = b.first;
    while (!value.empty() && value.back() == '\\' && i + 1 < b.lines.size()) {
        value.pop_back();
        value += b.lines[++i];
    }
    if (!value.empty() && value.back() == '\\') value.pop_back();
    b.last = i;
    std::size_t from = 0;
    while (from <= value.size()) {
        auto at = value.find("\\n", from);
        if (at == std::string::npos) at = value.size();
        const std::string e = trimmed(value.substr(from, at - from));
        if (!e.empty()) b.entries.push_back(e);
        from = at + 2;
    }
    return b;
}

std::string writePrograms(ProgramsBlock b) {
    std::vector<std::string> block = {"programs:\t\t\t\t\t\t\t\t      \\"};
    for (const auto& e : b.entries) block.push_back("\t\t\t\t  " + e + " \\n\\");
    block.push_back("");
    if (b.first == std::string::npos) {
        b.lines.insert(b.lines.end(), block.begin(), block.end());
    } else {
        b.lines.erase(b.lines.begin() + b.first, b.lines.begin() + b.last + 1);
        b.lines.insert(b.lines.begin() + b.first, block.begin(), block.end());
    }
    std::string out;
    for (const auto& l : b.lines) out += l + "\n";
    return out;
}

// Sets (or, with an empty value, removes) the resource line "name:".
void setResource(std::vector<std::string>& lines, const std::string& name, const std::string& value) {
    for (auto it = lines.begin(); it != lines.end(); ++it)
        if (it->rfind(name + ":", 0) == 0) {
            if (value.empty())
                lines.erase(it);
            else
                *it = name + ":\t\t" + value;
            return;
        }
    if (!value.empty()) lines.insert(lines.begin(), name + ":\t\t" + value);
}

std::string resource(const std::vector<std::string>& lines, const std::string& name) {
    for (const auto& l : lines)
        if (l.rfind(name + ":", 0) == 0) return trimmed(l.substr(name.size() + 1));
    return {};
}

bool ask(bool yes, const std::string& question, std::istream& in, std::ostream& out) {
    if (yes) return true;
    out << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

// Writes a file through a temporary name, so a running program or a reader never sees it cut.
void copyInto(const std::string& from, const std::string& to) {
    const std::string part = to + ".part";
    std::error_code ec;
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(part, to, ec);
    if (ec) {
        fs::remove(part);
        throw Failure("cannot write " + to + ": " + ec.message());
    }
}

class Installer {
public:
    Installer(const InstallPlaces& places, std::ostream& out) : p_(places), out_(out) {}

    std::vector<Record> log;

    void makeFolders(const fs::path& dir) {
        std::vector<fs::path> missing;
        for (fs::path d = dir; !d.empty() && !fs::exists(d); d = d.parent_path()) missing.push_back(d);
        std::reverse(missing.begin(), missing.end());
        for (const auto& d : missing) {
            std::error_code ec;
            fs::create_directory(d, ec);
            if (ec) throw Failure("cannot create the folder " + d.string() + ": " + ec.message());
            log.push_back({"dir", d.string()});
        }
    }

    void writeText(const std::string& path, const std::string& text) {
        makeFolders(fs::path(path).parent_path());
        try {
            platform::replaceFileAtomically(path, text);
        } catch (const platform::WriteError& e) {
            throw Failure(e.what());
        }
        log.push_back({"file", path});
    }

private:
    const InstallPlaces& p_;
    std::ostream& out_;
};

// The installed file a script target names: the path itself, else a file of that folder whose name
// matches ignoring letter case, else the same without ".exe".
std::string resolveTarget(const std::string& path) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) return path;
    const fs::path p(path);
    for (const std::string& name : {p.filename().string(), p.stem().string()}) {
        for (const auto& e : fs::directory_iterator(p.parent_path(), ec))
            if (lower(e.path().filename().string()) == lower(name)) return e.path().string();
        if (lower(p.extension().string()) != ".exe") break;
    }
    return path;
}

void removeRecord(const Record& r, std::ostream& out) {
    std::error_code ec;
    const std::string& kind = r[0];
    try {
        if ((kind == "file" || kind == "link") && r.size() > 1) {
            fs::remove(r[1], ec);
        } else if (kind == "dir" && r.size() > 1) {
            if (fs::is_directory(r[1], ec) && fs::is_empty(r[1], ec)) fs::remove(r[1], ec);
        } else if (kind == "regkey" && r.size() > 1) {
            platform::Registry().deleteKey(r[1]);
        } else if (kind == "regvalue" && r.size() > 2) {
            platform::Registry().deleteValue(r[1], r[2]);
        } else if (kind == "ini" && r.size() > 4) {
            platform::IniFile ini(r[1]);
            if (ini.readString(r[2], r[3], "") == r[4]) ini.deleteKey(r[2], r[3]);
            if (ini.readKeys(r[2]).empty()) ini.eraseSection(r[2]);
            if (ini.readSections().empty()) fs::remove(r[1], ec);
        } else if (kind == "store" && r.size() > 1) {
            // The registry store file, when the installation created it and nothing else is left in it.
            if (platform::IniFile(r[1]).readSections().empty()) fs::remove(r[1], ec);
        } else if (kind == "runtime" && r.size() > 3) {
            removeRuntimeUnlessUsed(r[1], r[2], r[3]);
        } else if (kind == "xss" && r.size() > 5) {
            XssPrevious prev{r[3], r[4], r[5] == "1"};
            const std::string text = slurp(r[1]);
            const std::string rest = xssRemoveProgram(text, r[2], prev);
            if (prev.created && readPrograms(rest).entries.empty())
                fs::remove(r[1], ec);
            else
                platform::replaceFileAtomically(r[1], rest);
        }
    } catch (const std::exception& e) {
        out << "Could not undo " << kind << " " << (r.size() > 1 ? r[1] : "") << ": " << e.what() << "\n";
    }
}

void undo(const std::vector<Record>& log, std::ostream& out) {
    for (auto it = log.rbegin(); it != log.rend(); ++it) removeRecord(*it, out);
}

} // namespace

InstallPlaces InstallPlaces::fromEnvironment() {
    InstallPlaces p;
    p.home = env("HOME");
    const std::string data = env("XDG_DATA_HOME").empty() ? p.home + "/.local/share" : env("XDG_DATA_HOME");
    const std::string config = env("XDG_CONFIG_HOME").empty() ? p.home + "/.config" : env("XDG_CONFIG_HOME");
    p.sys = platform::systemFolder();
    p.pf = data + "/vorlinsaver/programs";
    p.applications = data + "/applications";
    p.userdesktop = env("XDG_DESKTOP_DIR").empty() ? p.home + "/Desktop" : env("XDG_DESKTOP_DIR");
    p.win = config + "/vorlinsaver/windows";
    return p;
}

std::vector<std::string> splitInstallRecord(const std::string& line) {
    return splitRecord(line);
}

std::string shellQuote(const std::string& text) {
    std::string q;
    for (char c : text) {
        if (c == '"' || c == '\\' || c == '$' || c == '`') q += '\\';
        q += c;
    }
    return q;
}

std::string xssAddProgram(const std::string& text, const std::string& entry, XssPrevious& previous) {
    ProgramsBlock b = readPrograms(text);
    previous.created = text.empty();
    previous.mode = resource(b.lines, "mode");
    previous.selected = resource(b.lines, "selected");
    std::erase(b.entries, entry);
    b.entries.push_back(entry);
    std::string out = writePrograms(b);
    std::vector<std::string> lines = splitLines(out);
    setResource(lines, "mode", "one");
    setResource(lines, "selected", std::to_string(b.entries.size() - 1));
    out.clear();
    for (const auto& l : lines) out += l + "\n";
    return out;
}

std::string xssRemoveProgram(const std::string& text, const std::string& entry, const XssPrevious& previous) {
    ProgramsBlock b = readPrograms(text);
    const auto it = std::find(b.entries.begin(), b.entries.end(), entry);
    if (it == b.entries.end()) return text;
    const long index = it - b.entries.begin();
    b.entries.erase(it);
    std::vector<std::string> lines = splitLines(writePrograms(b));
    const std::string selected = resource(lines, "selected");
    if (selected == std::to_string(index)) {
        setResource(lines, "mode", previous.mode);
        setResource(lines, "selected", previous.selected);
    } else if (!selected.empty() && std::atol(selected.c_str()) > index) {
        setResource(lines, "selected", std::to_string(std::atol(selected.c_str()) - 1));
    }
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

int runUninstall(const std::string& logFile, bool yes, std::istream& in, std::ostream& out) {
    std::ifstream f(logFile);
    if (!f) {
        out << "Nothing to uninstall: " << logFile << " cannot be read.\n";
        return 1;
    }
    std::vector<Record> log;
    std::string line, title;
    while (std::getline(f, line)) {
        Record r = splitRecord(line);
        if (r[0] == "title" && r.size() > 1)
            title = r[1];
        else
            log.push_back(std::move(r));
    }
    if (!ask(yes, "Remove " + title + " and all of its files?", in, out)) return 2;
    undo(log, out);
    fs::remove(logFile);
    // The folder that held the list goes too when nothing else is left in it.
    std::error_code ec;
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if ((*it)[0] == "dir" && fs::is_directory((*it)[1], ec) && fs::is_empty((*it)[1], ec))
            fs::remove((*it)[1], ec);
    out << title << " was removed.\n";
    return 0;
}

int runInstall(const std::string& folder, const std::string& self, bool yes, std::istream& in,
               std::ostream& out) {
    const InstallPlaces places = InstallPlaces::fromEnvironment();
    Installer inst(places, out);
    try {
        const IssScript s = readScript(folder + "/setup.iss");
        const auto setup = [&](const char* k) {
            const auto it = s.setup.find(k);
            return it == s.setup.end() ? std::string() : it->second;
        };
        const std::string title = expandConstants(setup("appname"), {});
        // The runtime the installer carries, and whether this machine's C and C++ libraries can run it.
        const std::string runtimeFrom = folder + "/runtime";
        const bool withRuntime = fs::exists(runtimeFrom + "/runtime.ini");
        const RuntimePack runtime =
            withRuntime ? readRuntimeManifest(runtimeFrom + "/runtime.ini") : RuntimePack();
        if (withRuntime) {
            // The version names a folder: nothing but a plain name may come from the manifest.
            if (runtime.version.empty() ||
                runtime.version.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"
                                                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ.-_") != std::string::npos ||
                runtime.version.find_first_not_of('.') == std::string::npos)
                throw Failure("the installer's runtime has no usable version (\"" + runtime.version + "\")");
            const std::string refusal =
                versionProblem(runtime, title, glibcVersionHere(), glibcxxVersionHere());
            if (!refusal.empty()) {
                out << refusal << "\n";
                return 3;
            }
        }
        std::map<std::string, std::string> c = {
            {"sys", places.sys}, {"pf", places.pf}, {"userdesktop", places.userdesktop}, {"win", places.win}};
        const std::string app =
            fs::path(expandConstants(setup("defaultdirname"), c)).lexically_normal().string();
        const std::string group =
            (fs::path(places.applications) / expandConstants(setup("defaultgroupname"), {}))
                .lexically_normal()
                .string();
        c["app"] = app;
        c["group"] = group;
        const std::vector<std::string> roots = {places.sys, places.pf, places.userdesktop,
                                                places.win, app,       group};
        const auto place = [&](const std::string& text) {
            const fs::path p = fs::path(expandConstants(text, c)).lexically_normal();
            if (!std::any_of(roots.begin(), roots.end(),
                             [&](const std::string& r) { return isInside(p, r); }))
                throw Failure("the place " + p.string() + " (" + text +
                              ") lies outside the installation's folders");
            return p.string();
        };
        if (!isInside(app, places.pf) || !isInside(group, places.applications))
            throw Failure("the installation folder " + app + " or menu folder " + group + " is not usable");

        struct Copy {
            std::string from, to;
            bool readme;
        };
        std::vector<Copy> copies;
        for (const auto& e : s.files) {
            const auto get = [&](const char* k) { return e.count(k) ? e.at(k) : std::string(); };
            const std::string from = folder + "/" + get("source");
            const std::string name =
                e.count("destname") ? get("destname") : fs::path(get("source")).filename().string();
            const std::string to = place(get("destdir") + "/" + name);
            copies.push_back({from, to, lower(get("flags")).find("isreadme") != std::string::npos});
        }
        out << "This installs \"" << title << "\" for " << places.home << ":\n";
        for (const auto& cp : copies) out << "  " << cp.to << "\n";
        out << "  and makes it the screen saver of xscreensaver (" << places.home << "/.xscreensaver).\n";
        if (!ask(yes, "Go on?", in, out)) {
            out << "Nothing was installed.\n";
            return 2;
        }
        const std::string logFile = app + "/unins000.dat";
        if (fs::exists(logFile)) {
            out << "Removing the earlier installation first.\n";
            std::istringstream none;
            runUninstall(logFile, true, none, out);
        }
        std::string readme;
        for (const auto& cp : copies) {
            inst.makeFolders(fs::path(cp.to).parent_path());
            copyInto(cp.from, cp.to);
            inst.log.push_back({"file", cp.to});
            if (cp.readme) readme = cp.to;
        }
        inst.makeFolders(app);
        copyInto(self, app + "/unins000");
        inst.log.push_back({"file", app + "/unins000"});
        if (withRuntime) {
            const std::string runtimeTo = places.sys + "/runtime/" + runtime.version;
            inst.makeFolders(fs::path(runtimeTo).parent_path());
            installRuntimeFolder(runtimeFrom, runtimeTo);
            inst.log.push_back({"runtime", runtimeTo, places.pf, logFile});
            std::vector<std::string> installed;
            for (const auto& cp : copies) installed.push_back(cp.to);
            checkInstalledSaver(title, installed, runtimeTo, out);
        }

        if (!s.registry.empty()) {
            const std::string store = platform::Registry().file();
            inst.makeFolders(fs::path(store).parent_path());
            if (!fs::exists(store)) inst.log.push_back({"store", store});
        }
        for (const auto& e : s.registry) {
            const auto get = [&](const char* k) { return e.count(k) ? e.at(k) : std::string(); };
            if (lower(get("root")) != "hkcu") throw Failure("only HKCU registry entries can be installed");
            const std::string key = expandConstants(get("subkey"), {});
            platform::Registry().writeString(key, expandConstants(get("valuename"), {}),
                                             expandConstants(get("valuedata"), c));
            if (lower(get("flags")).find("uninsdeletekey") != std::string::npos)
                inst.log.push_back({"regkey", key});
            else
                inst.log.push_back({"regvalue", key, expandConstants(get("valuename"), {})});
        }
        for (const auto& e : s.ini) {
            const auto get = [&](const char* k) { return e.count(k) ? e.at(k) : std::string(); };
            const std::string file = place(get("filename"));
            const std::string value = expandConstants(get("string"), c);
            inst.makeFolders(fs::path(file).parent_path());
            if (!fs::exists(file)) inst.log.push_back({"store", file});
            platform::IniFile(file).writeString(get("section"), get("key"), value);
            inst.log.push_back({"ini", file, get("section"), get("key"), value});
            if (lower(get("section")) != "boot" || lower(get("key")) != "scrnsave.exe") continue;
            // The selected screen saver: its short name is a link to the installed "<name>.scr".
            const std::string saver = place(value);
            std::error_code ec;
            if (!fs::exists(fs::symlink_status(saver, ec))) {
                std::string target;
                for (const auto& cp : copies)
                    if (lower(fs::path(cp.to).extension().string()) == ".scr" &&
                        fs::path(cp.to).parent_path() == fs::path(saver).parent_path())
                        target = fs::path(cp.to).filename().string();
                if (target.empty()) throw Failure("no installed screen saver for " + saver);
                fs::create_symlink(target, saver, ec);
                if (ec) throw Failure("cannot create the link " + saver + ": " + ec.message());
                inst.log.push_back({"link", saver});
            }
            std::string name = title;
            std::erase(name, '"');
            const std::string entry = "\"" + name + "\"  \"" + shellQuote(saver) + "\" /s";
            const std::string xss = places.home + "/.xscreensaver";
            XssPrevious prev;
            const std::string text = xssAddProgram(slurp(xss), entry, prev);
            try {
                platform::replaceFileAtomically(xss, text);
            } catch (const platform::WriteError& err) {
                throw Failure(err.what());
            }
            inst.log.push_back({"xss", xss, entry, prev.mode, prev.selected, prev.created ? "1" : "0"});
        }
        for (const auto& e : s.icons) {
            const auto get = [&](const char* k) { return e.count(k) ? e.at(k) : std::string(); };
            const std::string link = place(get("name") + ".desktop");
            const std::string target = resolveTarget(place(get("filename")));
            std::error_code ec;
            // The uninstaller asks before it removes anything: it runs in a terminal.
            const bool uninstaller = fs::path(target).filename() == "unins000";
            const bool program = lower(fs::path(target).extension().string()) == ".scr" || uninstaller;
            const std::string exec = program ? execArgument(target) : "xdg-open " + execArgument(target);
            inst.writeText(link, "[Desktop Entry]\nType=Application\nName=" +
                                     desktopString(fs::path(get("name")).filename().string()) +
                                     "\nExec=" + exec + "\nTerminal=" + (uninstaller ? "true" : "false") +
                                     "\nX-Vorlin-Target=" + desktopString(target) + "\n");
            if (fs::path(link).parent_path() == fs::path(places.userdesktop))
                fs::permissions(link, fs::perms::owner_exec, fs::perm_options::add, ec);
        }
        std::string list = "title\t" + escapeField(title) + "\n";
        for (const auto& r : inst.log) {
            std::string line;
            for (std::size_t i = 0; i < r.size(); ++i) line += (i ? "\t" : "") + escapeField(r[i]);
            list += line + "\n";
        }
        platform::replaceFileAtomically(logFile, list);
        out << "\"" << title << "\" was installed. To remove it, run " << app << "/unins000\n";
        if (!readme.empty()) {
            if (yes)
                out << "The readme is " << readme << "\n";
            else if (ask(false, "View the readme now?", in, out) && fork() == 0) {
                execlp("xdg-open", "xdg-open", readme.c_str(), static_cast<char*>(nullptr));
                _exit(127);
            }
        }
        return 0;
    } catch (const std::exception& e) {
        out << "Installation failed: " << e.what() << "\n";
        undo(inst.log, out);
        return 1;
    }
}

} // namespace vorlin::vorlinbuild
