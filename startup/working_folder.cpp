#include "startup/working_folder.h"

#include "platform/files.h"
#include "platform/installed_layout.h"
#include "platform/system_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace vorlin::startup {

namespace {

// The installed program files a build runs from the compile folder.
constexpr const char* kCompilerFiles[] = {"vorlinbuild", "vorlin-install"};
constexpr const char* kMpegLibrary = "libmpegdll.so";

bool sameContent(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::file_size(a, ec) != fs::file_size(b, ec) || ec) return false;
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(fb));
}

class Steps {
public:
    std::vector<std::string> problems;

    void fail(const std::string& what, const fs::path& path, const std::error_code& ec) {
        problems.push_back(what + " " + path.string() + ": " + ec.message());
    }
    bool makeFolder(const fs::path& folder) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder, ec)) {
            fail("cannot make the folder", folder,
                 ec ? ec : std::make_error_code(std::errc::not_a_directory));
            return false;
        }
        return true;
    }
    void copy(const fs::path& from, const fs::path& to, fs::copy_options how) {
        std::error_code ec;
        fs::copy_file(from, to, how, ec);
        if (ec) fail("cannot copy " + from.string() + " to", to, ec);
    }
};

void copyDemoShow(Steps& steps, const fs::path& demo, const show::SettingsPlaces& places) {
    std::error_code ec;
    if (fs::exists(places.settingsFile, ec) || !fs::is_directory(demo, ec)) return;
    const fs::path sample = fs::path(places.installationFolder) / "sample";
    if (!steps.makeFolder(sample)) return;
    for (const auto& entry : fs::directory_iterator(demo, ec)) {
        if (!entry.is_regular_file(ec) || entry.path().extension() == ".002") continue;
        steps.copy(entry.path(), sample / entry.path().filename(), fs::copy_options::skip_existing);
    }
    // The settings file last: a start cut short before it tries the whole copy again.
    steps.copy(demo / "VorlinSaver.002", places.settingsFile, fs::copy_options::skip_existing);
}

void linkCompiler(Steps& steps, const show::SettingsPlaces& places) {
    const fs::path compile = fs::path(places.installationFolder) / "Compile";
    if (!steps.makeFolder(compile)) return;
    for (const char* name : kCompilerFiles) {
        const fs::path installed = fs::path(places.programFolder) / "Compile" / name;
        const fs::path link = compile / name;
        std::error_code ec;
        if (fs::exists(link, ec) || !fs::exists(installed, ec)) continue;
        fs::remove(link, ec); // a link left dangling by a removed or moved installation
        fs::create_symlink(fs::absolute(installed, ec), link, ec);
        if (ec) steps.fail("cannot link the compiler to", link, ec);
    }
}

void installMpegLibrary(Steps& steps, const show::SettingsPlaces& places) {
    const fs::path installed = fs::path(places.programFolder) / kMpegLibrary;
    const fs::path system = platform::systemFolder();
    std::error_code ec;
    if (!fs::exists(installed, ec) || sameContent(installed, system / kMpegLibrary)) return;
    // Replaced through a new file and a rename: a screen saver that has the old one loaded keeps it intact.
    if (steps.makeFolder(system) &&
        !platform::copyFile(installed.string(), (system / kMpegLibrary).string(), false))
        steps.problems.push_back("cannot copy " + installed.string() + " to " +
                                 (system / kMpegLibrary).string());
}

} // namespace

std::vector<std::string> prepareWorkingFolder(const show::SettingsPlaces& places) {
    Steps steps;
    const auto layout = platform::installedLayout(places.programFolder);
    if (!layout || places.installationFolder == "/") return steps.problems;
    if (!steps.makeFolder(places.installationFolder)) return steps.problems;
    copyDemoShow(steps, fs::path(layout->dataFolder) / "demo", places);
    linkCompiler(steps, places);
    installMpegLibrary(steps, places);
    return steps.problems;
}

} // namespace vorlin::startup
