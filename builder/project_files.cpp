// Project files: byte copies of the working settings file. The builder never parses a project: Save
// Project stores into the working file, Save Project As stores, copies the working file out and puts the
// previous working file back, Load Project copies a project over the working file and reloads it.
//
// A load whose file cannot be read, or is plainly not a project (see project_check.h), changes nothing:
// the working file, the lists and the change flags stay, and a message names the file and the reason.
// A Save As whose project cannot be written says so, and the working file is put back as always.

#include "builder/config_form.h"
#include "builder/effects_page.h"
#include "builder/project_check.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "platform/registry.h"

#include <QStatusBar>

#include <exception>

namespace vorlin::builder {

void TVorlinConfigForm::SaveProjectClick() {
    Guarded([this] {
        StoreControls(true);
        WriteOptions();
        statusBar()->showMessage("Project saved to " + QString::fromStdString(Settings.places.settingsFile),
                                 kStatusMessageMs);
    });
}

void TVorlinConfigForm::SaveProjectAsClick() {
    const auto projectName = [](const QString& typed) {
        return typed.contains(".fly", Qt::CaseInsensitive) ? typed : typed + ".fly";
    };
    const QString chosen = FShell.saveFile(this, "Save Project as...", kProjectFilter, projectName);
    if (chosen.isEmpty()) return;
    const QString name = projectName(chosen);
    const std::string working = Settings.places.settingsFile;
    const std::string backup = working + ".bak";
    // A backup left by an earlier run must not be put back over a working file that did not exist.
    platform::deleteFile(backup);
    const bool backedUp = platform::copyFile(working, backup, false);
    QString failure;
    try {
        StoreControls(true);
        WriteOptions();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    bool copied = false;
    if (failure.isEmpty()) {
        copied = platform::copyFile(working, name.toStdString(), false);
        if (!copied) failure = "The project file " + name + " could not be written.";
    }
    if (backedUp) {
        platform::copyFile(backup, working, false);
        platform::deleteFile(backup);
    }
    if (!failure.isEmpty()) FShell.message(this, kCaption, failure);
}

void TVorlinConfigForm::LoadProjectClick() {
    const QString name = FShell.openFile(this, "Open", kProjectFilter);
    if (name.isEmpty()) return;
    const QString failed = "The project file " + name + " could not be loaded. ";
    // Read and judge the pick first, then write exactly those bytes: a picture, a folder or a huge file
    // chosen by mistake must not replace the show.
    const ProjectRead project = readProjectFile(name.toStdString());
    if (!project.ok()) {
        FShell.message(this, kCaption, failed + QString::fromStdString(project.fault));
        return;
    }
    try {
        platform::replaceFileAtomically(Settings.places.settingsFile, project.content);
    } catch (const platform::WriteError& e) {
        FShell.message(this, kCaption, failed + QString::fromUtf8(e.what()));
        return;
    }
    Guarded([this] {
        ChangeFlags = 0;
        FEffects->TreeLoaded = false;
        Settings.read(platform::programPath(), platform::Registry());
        FillControls();
    });
}

} // namespace vorlin::builder
