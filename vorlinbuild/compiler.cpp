// vorlinbuild's compile step (see compiler.h).
#include "vorlinbuild/compiler.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>

#include "base/text.h"
#include "installer_script/script.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/runtime_folder.h"
#include "vorlinbuild/elf_file.h"
#include "vorlinbuild/run_program.h"
#include "vorlinbuild/runtime_pack.h"

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {

using namespace vorlin::iss;

namespace {

// makeself's header refuses options it does not know; ours hands them to the installer program, so that
// "installer.run --yes" works as well as "installer.run -- --yes".
std::string headerPassingOptions() {
    const std::string stock = platform::readWholeFile("/usr/share/makeself/makeself-header.sh").value_or("");
    const std::string refuse = "    -*)\n\techo Unrecognized flag : \"\\$1\" >&2\n\tMS_Help\n\texit 1\n\t;;";
    const auto at = stock.find(refuse);
    if (at == std::string::npos) return {};
    std::string patched = stock;
    patched.replace(at, refuse.size(), "    -*)\n\tbreak ;;");
    return patched;
}

// The ELF files that go into the system folder: the screen saver and the modules it loads.
bool goesToSystemFolder(const ScriptEntry& e) {
    std::string dir = lower(e.at("destdir"));
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir == "{sys}";
}

bool isMidiFile(const std::string& path) {
    const std::string ext = lower(fs::path(path).extension().string());
    return ext == ".mid" || ext == ".midi" || ext == ".rmi";
}

std::string megabytes(std::uintmax_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

} // namespace

int compileInstaller(const std::string& scriptPath, const std::string& installerProgram,
                     std::ostream& report) {
    const auto progress = [&](const std::string& text) { report << "10000 " << text << std::endl; };
    const auto finish = [&](int code) {
        report << code << std::endl;
        return code;
    };
    IssScript script;
    std::string output;
    try {
        progress("Reading the script " + scriptPath);
        script = readScript(scriptPath);
        for (const char* k : {"appname", "defaultdirname", "outputdir", "outputbasefilename"})
            if (!script.setup.count(k)) throw ScriptError(scriptPath + ": [Setup] lacks " + std::string(k));
        const std::string dir = expandConstants(script.setup["outputdir"], {});
        output = (dir.empty() || dir.back() == '/' ? dir : dir + "/") +
                 expandConstants(script.setup["outputbasefilename"], {}) + ".run";
        for (const auto& e : script.files)
            if (!e.count("source") || !e.count("destdir"))
                throw ScriptError(scriptPath + ": a [Files] line lacks Source or DestDir");
    } catch (const std::exception& e) {
        progress(std::string("Error: ") + e.what());
        return finish(1);
    }

    std::string tmpl = (fs::temp_directory_path() / "vorlinbuild.XXXXXX").string();
    const char* made = mkdtemp(tmpl.data());
    if (!made) {
        progress("Error: no temporary folder");
        return finish(3);
    }
    const fs::path work(made);
    const fs::path pack = work / "installer";
    fs::create_directories(pack / "payload");
    int code = 0;
    try {
        int n = 0;
        std::map<std::string, std::string> sources; // name in the installer folder -> source path
        for (auto& e : script.files) {
            const std::string source = expandConstants(e["source"], {});
            if (!platform::fileExists(source)) {
                progress("Error: the source file " + source + " does not exist");
                code = 2;
                break;
            }
            progress("File: " + source);
            const std::string name = "payload/" + std::to_string(++n);
            fs::copy_file(source, pack / name);
            // A name taken from the source path is plain text: its "{" must not start a constant.
            if (!e.count("destname")) e["destname"] = literalText(fs::path(source).filename().string());
            sources[name] = source;
            e["source"] = name;
        }
        if (code == 0) {
            RuntimeRequest runtime;
            runtime.version = platform::runtimeVersion();
            runtime.folder = (pack / "runtime").string();
            runtime.soundfontPlaces = defaultSoundfontPlaces();
            for (const auto& e : script.files) {
                const std::string copy = (pack / e.at("source")).string();
                if (isMidiFile(sources.at(e.at("source")))) runtime.midi = true;
                if (goesToSystemFolder(e) && isElfFile(copy)) {
                    runtime.programSources.push_back(sources.at(e.at("source")));
                    runtime.programCopies.push_back(copy);
                }
            }
            fs::copy_file(installerProgram, pack / "vorlin-install");
            fs::permissions(pack / "vorlin-install", fs::perms::owner_all, fs::perm_options::add);
            if (!runtime.programSources.empty()) {
                // The installer runs on the receiver's machine too: its needs count towards the floor, and
                // it is stripped like the saver.
                runtime.programSources.push_back(installerProgram);
                runtime.programCopies.push_back((pack / "vorlin-install").string());
                progress("Gathering the runtime the screen saver needs");
                const RuntimePack packed = packRuntime(runtime, progress);
                progress("Runtime " + packed.version + ": " + std::to_string(packed.libraries) +
                         " libraries, " + std::to_string(packed.plugins) + " Qt plugins" +
                         (packed.soundfont ? ", the General MIDI soundfont" : "") + "; " +
                         megabytes(packed.bytes) + " installed; needs glibc " + packed.glibc + " or newer");
            }
            platform::replaceFileAtomically((pack / "setup").string(), preflightScript());
            fs::permissions(pack / "setup", fs::perms::owner_all, fs::perm_options::add);
            platform::replaceFileAtomically((pack / "setup.iss").string(), formatScript(script));
            progress("Compressing the files into " + output);
            // Level 6 packs the runtime within a few per cent of level 9 in a third of the time.
            std::vector<std::string> args = {"makeself", "--quiet", "--nox11", "--complevel", "6"};
            const std::string header = headerPassingOptions();
            if (!header.empty()) {
                platform::replaceFileAtomically((work / "header.sh").string(), header);
                args.insert(args.end(), {"--header", (work / "header.sh").string()});
            }
            fs::remove(output);
            // makeself copies the label into shell code unquoted: only plain characters go into it.
            std::string label;
            for (char ch : script.setup["appname"])
                if (std::isalnum(static_cast<unsigned char>(ch)) || ch == ' ' || ch == '.' || ch == '-' ||
                    ch == '_')
                    label += ch;
            args.insert(args.end(), {pack.string(), output, label + " installer", "./setup"});
            const int rc = runProgram(args);
            if (rc != 0 || !platform::fileExists(output)) {
                progress("Error: makeself ended with " + std::to_string(rc));
                code = 3;
            } else {
                progress("Installer written: " + output + " (" + megabytes(fs::file_size(output)) + ")");
            }
        }
    } catch (const std::exception& e) {
        progress(std::string("Error: ") + e.what());
        code = 3;
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    return finish(code);
}

} // namespace vorlin::vorlinbuild
