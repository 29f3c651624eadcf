// The installer and uninstaller of a built screen saver (see setup_engine.h).
#include "vorlinbuild/setup_engine.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "installer_script/script.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/system_folder.h"
#include "vorlinbuild/conversation.h"
#include "vorlinbuild/desktop_entry.h"
#include "vorlinbuild/install_list.h"
#include "vorlinbuild/runtime_install.h"
#include "vorlinbuild/short_name.h"
#include "vorlinbuild/watcher_setup.h"
#include "vorlinbuild/xscreensaver_edit.h"

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {

using namespace vorlin::iss;

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool isInside(const fs::path& p, const fs::path& root) {
    const auto rel = p.lexically_normal().lexically_relative(root.lexically_normal());
    if (rel.empty()) return false;
    for (const auto& part : rel)
        if (part == "..") return false;
    return true;
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
    std::vector<InstallList> others; // the lists of the other installed shows

    // Creates the missing folders of `dir`. A folder that another installed show created is shared with
    // it: this installation records it too, so whichever show goes last removes it when it is empty.
    void makeFolders(const fs::path& dir) {
        fs::path deepest = dir.lexically_normal();
        if (deepest.filename().empty()) deepest = deepest.parent_path(); // a final "/"
        std::vector<fs::path> chain;
        for (fs::path d = deepest; !d.empty() && d != d.parent_path(); d = d.parent_path())
            chain.push_back(d);
        std::reverse(chain.begin(), chain.end());
        for (const auto& d : chain) {
            std::error_code ec;
            if (fs::exists(d, ec)) {
                if (namedByOthers(others, {"dir"}, d.string())) record({"dir", d.string()});
                continue;
            }
            fs::create_directory(d, ec);
            if (ec) throw Failure("cannot create the folder " + d.string() + ": " + ec.message());
            record({"dir", d.string()});
        }
    }

    // A settings file (registry store, system.INI) about to be written: recorded when this installation
    // creates it, or shares it with the installed show that did.
    void noteStore(const std::string& file) {
        if (!fs::exists(file) || namedByOthers(others, {"store"}, file)) record({"store", file});
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
    void record(const Record& r) {
        if (std::find(log.begin(), log.end(), r) == log.end()) log.push_back(r);
    }

    const InstallPlaces& p_;
    std::ostream& out_;
};

// A file the installation copies from its payload.
struct Copy {
    std::string from, to;
    bool readme;
};

// The short name that selects the screen saver `wanted` names (a path in the system folder): a link to the
// ".scr" installed in that folder, under the first "~N" no other show holds. Returns the path to use.
std::string linkShortName(const std::string& wanted, const std::vector<Copy>& copies, Installer& inst) {
    std::string target;
    for (const auto& cp : copies)
        if (lower(fs::path(cp.to).extension().string()) == ".scr" &&
            fs::path(cp.to).parent_path() == fs::path(wanted).parent_path())
            target = fs::path(cp.to).filename().string();
    std::error_code ec;
    if (target.empty()) {
        if (fs::exists(fs::symlink_status(wanted, ec))) return wanted;
        throw Failure("no installed screen saver for " + wanted);
    }
    if (fs::path(wanted).filename() == target) return wanted;
    const std::string saver = freeShortName(wanted, target);
    const auto st = fs::symlink_status(saver, ec);
    if (!fs::exists(st)) {
        fs::create_symlink(target, saver, ec);
        if (ec) throw Failure("cannot create the link " + saver + ": " + ec.message());
        inst.log.push_back({"link", saver});
    } else if (fs::is_symlink(st) && fs::read_symlink(saver, ec) == target &&
               !namedByOthers(inst.others, {"link"}, saver)) {
        inst.log.push_back({"link", saver}); // left by an installation whose list is gone
    }
    return saver;
}

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

// The ~/.xscreensaver entries of the other installed shows, with the user's settings each recorded.
std::vector<XssShow> xssShowsOf(const std::vector<InstallList>& others, const std::string& file) {
    std::vector<XssShow> shows;
    for (const auto& list : others)
        for (const auto& r : list.records)
            if (r[0] == "xss" && r.size() > 5 && r[1] == file)
                shows.push_back({r[2], {r[3], r[4], r[5] == "1"}});
    return shows;
}

// An INI entry this installation wrote: while another installed show wrote the same entry, it gets that
// show's value back (the newest such show); otherwise it is removed, with its section and file when empty.
void removeIniEntry(const Record& r, const std::vector<InstallList>& others) {
    platform::IniFile ini(r[1]);
    if (ini.readString(r[2], r[3], "") == r[4]) {
        std::string successor;
        for (const auto& list : others)
            for (const auto& o : list.records)
                if (successor.empty() && o[0] == "ini" && o.size() > 4 && o[1] == r[1] && o[2] == r[2] &&
                    o[3] == r[3])
                    successor = o[4];
        if (successor.empty())
            ini.deleteKey(r[2], r[3]);
        else
            ini.writeString(r[2], r[3], successor);
    }
    if (ini.readKeys(r[2]).empty()) ini.eraseSection(r[2]);
    std::error_code ec;
    if (ini.readSections().empty()) fs::remove(r[1], ec);
}

// Undoes one record. Files and links that another installed show's list names stay: they are shared.
void removeRecord(const Record& r, const std::vector<InstallList>& others, std::ostream& out) {
    std::error_code ec;
    const std::string& kind = r[0];
    try {
        if ((kind == "file" || kind == "link") && r.size() > 1) {
            if (!namedByOthers(others, {"file", "link"}, r[1])) fs::remove(r[1], ec);
        } else if (kind == "dir" && r.size() > 1) {
            if (fs::is_directory(r[1], ec) && fs::is_empty(r[1], ec)) fs::remove(r[1], ec);
        } else if (kind == "regkey" && r.size() > 1) {
            platform::Registry().deleteKey(r[1]);
        } else if (kind == "regvalue" && r.size() > 2) {
            platform::Registry().deleteValue(r[1], r[2]);
        } else if (kind == "ini" && r.size() > 4) {
            removeIniEntry(r, others);
        } else if (kind == "store" && r.size() > 1) {
            // A settings file the installation created (or shares), when nothing is left in it.
            if (fs::exists(r[1], ec) && platform::IniFile(r[1]).readSections().empty()) fs::remove(r[1], ec);
        } else if (kind == "watch" && r.size() > 1) {
            removeWatcher(WatcherPlaces::fromEnvironment(), r[1], out);
        } else if (kind == "runtime" && r.size() > 1) {
            // The runtime folder of a version stays while any installed show's list names it.
            if (!namedByOthers(others, {"runtime"}, r[1])) removeRuntimeFolder(r[1]);
        } else if (kind == "xss" && r.size() > 5 && fs::exists(r[1], ec)) {
            XssPrevious prev{r[3], r[4], r[5] == "1"};
            const std::string text = platform::readWholeFile(r[1]).value_or("");
            const std::string rest = xssRemoveProgram(text, r[2], prev, xssShowsOf(others, r[1]));
            if (prev.created && xssPrograms(rest).empty())
                fs::remove(r[1], ec);
            else
                platform::replaceFileAtomically(r[1], rest);
        }
    } catch (const std::exception& e) {
        out << "Could not undo " << kind << " " << (r.size() > 1 ? r[1] : "") << ": " << e.what() << "\n";
    }
}

// The installed saver (the first ".scr" copied) becomes the user's idle watcher.
template <typename Copies>
void addIdleWatcher(const Copies& copies, const std::string& title, std::vector<Record>& log,
                    std::ostream& out) {
    for (const auto& cp : copies) {
        if (lower(fs::path(cp.to).extension().string()) != ".scr") continue;
        log.push_back({"watch", cp.to});
        addWatcher(WatcherPlaces::fromEnvironment(), {cp.to, title}, out);
        return;
    }
}

void undo(const std::vector<Record>& log, const std::vector<InstallList>& others, std::ostream& out) {
    for (auto it = log.rbegin(); it != log.rend(); ++it) removeRecord(*it, others, out);
}

} // namespace

InstallPlaces InstallPlaces::fromEnvironment() {
    InstallPlaces p;
    p.home = platform::environmentVariable("HOME");
    const std::string data = platform::dataHome();
    const std::string config = platform::configHome();
    p.sys = platform::systemFolder();
    p.pf = data + "/vorlinsaver/programs";
    p.applications = data + "/applications";
    p.userdesktop = platform::environmentVariable("XDG_DESKTOP_DIR", p.home + "/Desktop");
    p.win = config + "/vorlinsaver/windows";
    return p;
}

int runUninstall(const std::string& logFile, bool yes, std::istream& in, std::ostream& out) {
    if (!std::ifstream(logFile)) {
        out << "Nothing to uninstall: " << logFile << " cannot be read.\n";
        return 1;
    }
    const InstallList list = readInstallList(logFile);
    Conversation talk(yes, "Uninstall " + list.title, in, out);
    if (!talk.ask({}, "Remove " + list.title + " and all of its files?", "Remove", "Cancel")) return 2;
    undo(list.records, otherInstallLists(InstallPlaces::fromEnvironment().pf, logFile), out);
    fs::remove(logFile);
    // The folder that held the list goes too when nothing else is left in it.
    std::error_code ec;
    for (auto it = list.records.rbegin(); it != list.records.rend(); ++it)
        if ((*it)[0] == "dir" && fs::is_directory((*it)[1], ec) && fs::is_empty((*it)[1], ec))
            fs::remove((*it)[1], ec);
    talk.tell(list.title + " was removed.\n");
    return 0;
}

int runInstall(const std::string& folder, const std::string& self, bool yes, std::istream& in,
               std::ostream& out) {
    const InstallPlaces places = InstallPlaces::fromEnvironment();
    Installer inst(places, out);
    Conversation talk(yes, "Setup", in, out);
    try {
        const IssScript s = readScript(folder + "/setup.iss");
        const auto setup = [&](const char* k) {
            const auto it = s.setup.find(k);
            return it == s.setup.end() ? std::string() : it->second;
        };
        const std::string title = expandConstants(setup("appname"), {});
        talk.setTitle(title + " Setup");
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
                talk.tell(refusal + "\n");
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

        std::vector<Copy> copies;
        for (const auto& e : s.files) {
            const auto get = [&](const char* k) { return e.count(k) ? e.at(k) : std::string(); };
            const std::string from = folder + "/" + get("source");
            const std::string name =
                e.count("destname") ? get("destname") : fs::path(get("source")).filename().string();
            const std::string to = place(get("destdir") + "/" + name);
            copies.push_back({from, to, lower(get("flags")).find("isreadme") != std::string::npos});
        }
        // What goes where: every file on the terminal, the first few in the window.
        constexpr std::size_t kShown = 10;
        std::string plan = "This installs \"" + title + "\" for " + places.home + ":\n", shown = plan;
        for (std::size_t i = 0; i < copies.size(); ++i) {
            plan += "  " + copies[i].to + "\n";
            if (i < kShown) shown += "  " + copies[i].to + "\n";
        }
        if (copies.size() > kShown)
            shown += "  and " + std::to_string(copies.size() - kShown) + " more files\n";
        const std::string selects =
            "  and makes it the screen saver of xscreensaver (" + places.home +
            "/.xscreensaver),\n"
            "  and starts it when the session is idle (a systemd user unit and an autostart entry).\n";
        out << plan << selects;
        if (!talk.ask(shown + selects, "Go on?", "Install", "Cancel")) {
            out << "Nothing was installed.\n";
            return 2;
        }
        const std::string logFile = app + "/unins000.dat";
        if (fs::exists(logFile)) {
            out << "Removing the earlier installation first.\n";
            std::istringstream none;
            runUninstall(logFile, true, none, out);
        }
        inst.others = otherInstallLists(places.pf, logFile);
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
            inst.log.push_back({"runtime", runtimeTo});
            std::vector<std::string> installed;
            for (const auto& cp : copies) installed.push_back(cp.to);
            checkInstalledSaver(title, installed, runtimeTo, out);
        }

        if (!s.registry.empty()) {
            const std::string store = platform::Registry().file();
            inst.makeFolders(fs::path(store).parent_path());
            inst.noteStore(store);
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
            std::string value = expandConstants(get("string"), c);
            const bool selects = lower(get("section")) == "boot" && lower(get("key")) == "scrnsave.exe";
            // The selected screen saver: its short name is a link to the installed "<name>.scr", under the
            // first short name no other show holds.
            if (selects) value = linkShortName(place(value), copies, inst);
            inst.makeFolders(fs::path(file).parent_path());
            inst.noteStore(file);
            platform::IniFile(file).writeString(get("section"), get("key"), value);
            inst.log.push_back({"ini", file, get("section"), get("key"), value});
            if (!selects) continue;
            std::string name = title;
            std::erase(name, '"');
            const std::string entry = "\"" + name + "\"  \"" + shellQuote(value) + "\" /s";
            const std::string xss = places.home + "/.xscreensaver";
            XssPrevious prev;
            const std::string text = xssAddProgram(platform::readWholeFile(xss).value_or(""), entry, prev,
                                                   xssShowsOf(inst.others, xss));
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
            inst.writeText(link, desktopEntry(fs::path(get("name")).filename().string(), title,
                                              fs::path(link).parent_path() == fs::path(group), target));
            std::error_code ec;
            if (fs::path(link).parent_path() == fs::path(places.userdesktop))
                fs::permissions(link, fs::perms::owner_exec, fs::perm_options::add, ec);
        }
        addIdleWatcher(copies, title, inst.log, out);
        platform::replaceFileAtomically(logFile, formatInstallList(title, inst.log));
        const std::string done = "\"" + title + "\" was installed. To remove it, run " + app + "/unins000\n";
        if (readme.empty() || yes) {
            talk.tell(done + (readme.empty() ? "" : "The readme is " + readme + "\n"));
        } else if (talk.tell(done, "View Readme", "View the readme now?") && fork() == 0) {
            execlp("xdg-open", "xdg-open", readme.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return 0;
    } catch (const std::exception& e) {
        undo(inst.log, inst.others, out);
        talk.tell(std::string("Installation failed: ") + e.what() + "\n");
        return 1;
    }
}

} // namespace vorlin::vorlinbuild
