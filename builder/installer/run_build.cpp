// What "Build" of the builder window does (builder/build_page_hooks.h). The Build page asks for
// a build and shows its course; this file makes the request from the show and the page's fields, runs the
// build and asks the questions of its end.
#include <QApplication>
#include <QCursor>

#include "base/random.h"
#include "builder/build_page.h"
#include "builder/build_page_hooks.h"
#include "builder/config_form.h"
#include "builder/file_list_page.h"
#include "builder/installer/installer_build.h"
#include "platform/system_folder.h"

namespace vorlin::builder {
namespace {

using installer::InstallerBuild;

// The files a list shows, with their ticks: the paths the list found them under (a bare name in the
// working settings file resolves through the program folder or the installation's "sample" folder).
std::vector<installer::ListedFile> listedFiles(const FileListPage& page) {
    std::vector<installer::ListedFile> out;
    for (auto& [path, ticked] : page.Items()) out.push_back({path, ticked});
    return out;
}

void restoreCursor() {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void startCompiler(TVorlinConfigForm& form, InstallerBuild& build) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    form.Build()->BuildStarted(build.output().notes);
    form.repaint();
    build.start();
}

void buildEnded(TVorlinConfigForm& form, InstallerBuild& build, int code) {
    restoreCursor();
    const auto& ask = installer::buildQuestion();
    if (code == 0) {
        if (ask(&form, "Confirm", "Build Successful, Would you like to test the installation now?"))
            installer::installerLauncher()(QString::fromStdString(build.input().installerPath),
                                           form.Shell().openUrl);
    } else if (ask(&form, "Confirm", "Build Failed, Please try it again.")) {
        startCompiler(form, build);
        return;
    }
    build.cleanUp();
    form.Build()->BuildEnded();
}

InstallerBuild& buildOf(TVorlinConfigForm& form) {
    if (auto* b = form.findChild<InstallerBuild*>("InstallerBuild", Qt::FindDirectChildrenOnly)) return *b;
    auto* b = new InstallerBuild(&form);
    b->setObjectName("InstallerBuild");
    BuildPage* page = form.Build();
    // The status page shows the compiler's lines; the first one ends the wait cursor.
    QObject::connect(b, &InstallerBuild::progressLine, page, [] { restoreCursor(); });
    QObject::connect(b, &InstallerBuild::progressLine, page, &BuildPage::AppendStatus);
    QObject::connect(b, &InstallerBuild::finished, &form, [&form, b](int code) {
        try {
            buildEnded(form, *b, code);
        } catch (const std::exception& e) {
            form.Shell().message(&form, TVorlinConfigForm::kCaption, QString::fromUtf8(e.what()));
            form.Build()->BuildEnded();
        }
    });
    return *b;
}

} // namespace

void RunInstallerBuild(TVorlinConfigForm& form) {
    try {
        InstallerBuild& build = buildOf(form);
        if (build.running()) return;
        const QString chosen = form.Shell().saveFile(
            &form, "Save screen saver installation as...", "*.run|*.run", [](const QString& typed) {
                return QString::fromStdString(installer::installerPathFor(typed.toStdString()));
            });
        if (chosen.isEmpty()) return;
        // The working settings file holds the current show before the built one is made from it.
        form.StoreControls(true);
        form.WriteOptions();
        auto& settings = form.SettingsFile();
        const BuildFields fields = form.Build()->Fields();
        installer::BuildRequest r;
        r.chosenPath = chosen.toStdString();
        r.nameEdit = fields.name;
        r.author = fields.author;
        r.website = fields.website;
        r.readme = fields.readme;
        r.programFolder = settings.places.programFolder;
        r.installationFolder = settings.places.installationFolder;
        r.systemFolder = platform::systemFolder();
        r.workingSettingsFile = settings.places.settingsFile;
        r.pictures = listedFiles(*form.Images());
        r.music = listedFiles(*form.Music());
        for (const auto& [folder, on] : form.Images()->FolderItems())
            if (on) r.folders.push_back({settings.folderPath(folder.path), folder.subfolders});
        form.Build()->ClearStatus();
        const QString error = build.prepare(r, [] { return static_cast<int>(vorlin::random(100)); });
        if (!error.isEmpty()) {
            form.Shell().message(&form, TVorlinConfigForm::kCaption, error);
            return;
        }
        const auto& in = build.input();
        form.BuildNames = {in.compileFolder, in.saverName, in.saverName + ".scr", in.installerPath,
                           build.output().settingsFile};
        startCompiler(form, build);
    } catch (const std::exception& e) {
        restoreCursor();
        form.Shell().message(&form, TVorlinConfigForm::kCaption, QString::fromUtf8(e.what()));
    }
}

} // namespace vorlin::builder
