// A show whose pictures come from a folder of 10,000 photos:
//  ListFolder         the listing alone (readdir, names sorted; no file opened);
//  StartFolderShow    what a show does before its first picture appears: read the settings file (which
//                     lists the folder) and load the first picture fitted to 1920x1080, a 4000x3000 photo.
//  LoadFirstPicture   the load alone: the floor of the start, so StartFolderShow minus it is what the
//                     folder costs the start.
// The target is a start well under 1 s. The 10,000 files are hard links to one photo made by ImageMagick
// (the listing looks at names, not content), in a temporary folder made once per run.

#include "gfx/codecs/picture_loader.h"
#include "platform/registry.h"
#include "show/settings/picture_folders.h"
#include "show/settings/show_settings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace vorlin;

namespace {

constexpr int kPictures = 10000;
const gfx::PictureSize kScreen{1920, 1080};

struct FolderShow {
    fs::path root;
    std::string photo;
    bool ok = false;
    FolderShow() {
        std::string pattern = (fs::temp_directory_path() / "vorlin-folder-bench-XXXXXX").string();
        root = mkdtemp(pattern.data());
        photo = (root / "photo.jpg").string();
        const std::string cmd =
            "convert -seed 7 -size 1000x750 plasma:fractal -resize 4000x3000! -quality 90 '" + photo + "'";
        if (std::system(cmd.c_str()) != 0) return;
        fs::create_directories(root / "photos");
        for (int i = 0; i < kPictures; ++i) {
            char name[40];
            std::snprintf(name, sizeof name, "IMG_%05d.jpg", (i * 7919) % kPictures); // not in creation order
            fs::create_hard_link(photo, root / "photos" / name);
        }
        std::ofstream(root / "Bench.002") << "[Folders]\n" << (root / "photos").string() << "=1\n[Set]\n";
        ok = true;
    }
    ~FolderShow() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

FolderShow& folderShow() {
    static FolderShow show;
    return show;
}

void BM_ListFolder(benchmark::State& state) {
    FolderShow& show = folderShow();
    if (!show.ok) return state.SkipWithError("no photo (ImageMagick's convert)");
    const std::vector<show::TPictureFolder> folders = {{(show.root / "photos").string(), false}};
    for (auto _ : state) {
        const auto pictures = show::listFolderPictures(folders);
        if (pictures.size() != std::size_t(kPictures)) state.SkipWithError("wrong picture count");
        benchmark::DoNotOptimize(pictures.data());
    }
    state.counters["files"] = kPictures;
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadFirstPicture(benchmark::State& state) {
    FolderShow& show = folderShow();
    if (!show.ok) return state.SkipWithError("no photo (ImageMagick's convert)");
    for (auto _ : state) benchmark::DoNotOptimize(gfx::loadPicture(show.photo, gfx::Color{}, kScreen).bits());
}
BENCHMARK(BM_LoadFirstPicture)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartFolderShow(benchmark::State& state) {
    FolderShow& show = folderShow();
    if (!show.ok) return state.SkipWithError("no photo (ImageMagick's convert)");
    platform::Registry registry((show.root / "registry.ini").string());
    const std::string program = (show.root / "Bench.scr").string();
    for (auto _ : state) {
        show::ShowSettingsFile file;
        file.read(program, registry);
        if (file.settings.Pictures.size() != std::size_t(kPictures))
            return state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(
            gfx::loadPicture(file.settings.Pictures.front(), gfx::Color{}, kScreen).bits());
    }
}
BENCHMARK(BM_StartFolderShow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
