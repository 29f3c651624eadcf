// Running a build's compiler and reading its reports (see installer_build.h).
#include "builder/installer/installer_build.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/files.h"

namespace vorlin::installer {

InstallerBuild::InstallerBuild(QObject* parent) : QObject(parent) {}

InstallerBuild::~InstallerBuild() {
    if (proc_) {
        proc_->disconnect(this);
        proc_->kill();
        proc_->waitForFinished(2000);
    }
}

QString InstallerBuild::prepare(const BuildRequest& r, const std::function<int()>& randomBelow100) {
    BuildInput in;
    in.installerPath = installerPathFor(r.chosenPath);
    const SaverName name = makeSaverName(r.nameEdit, in.installerPath, randomBelow100);
    if (name.name.empty()) return QString::fromStdString(name.error);
    in.saverName = name.name;
    in.programFolder = r.programFolder;
    in.compileFolder = r.installationFolder + "Compile/";
    in.systemFolder = r.systemFolder;
    in.workingSettingsFile = r.workingSettingsFile;
    in.author = r.author;
    in.website = r.website;
    in.readme = r.readme;
    in.pictures = r.pictures;
    in.music = r.music;
    in.folders = r.folders;
    in_ = in;
    try {
        out_ = writeBuildFiles(in_);
    } catch (const BuildWriteError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

void InstallerBuild::start() {
    if (proc_) {
        // A retry from within the previous compiler's final report: that process is ending anyway.
        proc_->disconnect(this);
        proc_->deleteLater();
    }
    platform::deleteFile(in_.installerPath);
    reported_ = false;
    pending_.clear();
    proc_ = new QProcess(this);
    connect(proc_, &QProcess::readyReadStandardOutput, this, [this] {
        try {
            readReports();
        } catch (...) {
        }
    });
    connect(proc_, &QProcess::finished, this, [this] {
        try {
            ended();
        } catch (...) {
        }
    });
    connect(proc_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        try {
            if (e == QProcess::FailedToStart) ended();
        } catch (...) {
        }
    });
    proc_->setProcessChannelMode(QProcess::SeparateChannels);
    proc_->setStandardErrorFile(QProcess::nullDevice());
    // The script's path goes over as one argument, in double quotes.
    proc_->start(QString::fromStdString(in_.compileFolder + "vorlinbuild"),
                 {QString::fromStdString("\"" + out_.scriptFile + "\"")});
}

void InstallerBuild::readReports() {
    if (!proc_) return;
    pending_ += proc_->readAllStandardOutput();
    for (int nl; (nl = pending_.indexOf('\n')) >= 0;) {
        const std::string line = pending_.left(nl).toStdString();
        pending_.remove(0, nl + 1);
        if (reported_) continue;
        if (line.rfind("10000 ", 0) == 0 || line == "10000") {
            const std::string text = filterProgressLine(line.size() > 6 ? line.substr(6) : std::string());
            if (!text.empty()) emit progressLine(QString::fromStdString(text));
            continue;
        }
        bool ok = false;
        const int code = QString::fromStdString(trimBlanks(line)).toInt(&ok);
        if (!ok) continue;
        reported_ = true;
        // Handled from the event loop, so that a retry never starts inside this read.
        QMetaObject::invokeMethod(
            this, [this, code] { emit finished(code); }, Qt::QueuedConnection);
    }
}

void InstallerBuild::ended() {
    if (!proc_) return;
    readReports();
    QProcess* p = proc_;
    proc_ = nullptr;
    p->disconnect(this);
    p->deleteLater();
    if (!reported_) {
        reported_ = true;
        emit progressLine("The installer compiler ended without a report.");
        QMetaObject::invokeMethod(
            this, [this] { emit finished(-1); }, Qt::QueuedConnection);
    }
}

void InstallerBuild::cleanUp() {
    cleanUpBuildFiles(out_);
}

BuildQuestion& buildQuestion() {
    static BuildQuestion ask = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
        box.addButton("&No", QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    };
    return ask;
}

void launchInstaller(const QString& installer, const std::function<bool(const QString&)>& openUrl) {
    QProcess run;
    run.setProgram("/bin/sh");
    run.setArguments({installer});
    // Not the builder's own terminal, if it has one: the installer is to ask in its window.
    run.setStandardInputFile(QProcess::nullDevice());
    run.setStandardOutputFile(QProcess::nullDevice());
    run.setStandardErrorFile(QProcess::nullDevice());
    if (!run.startDetached()) openUrl(installer);
}

InstallerLauncher& installerLauncher() {
    static InstallerLauncher launch = launchInstaller;
    return launch;
}

} // namespace vorlin::installer
