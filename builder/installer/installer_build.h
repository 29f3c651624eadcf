#pragma once
// Running a build from the builder window: the compile folder's files (script_writer.h), then vorlinbuild
// as a separate process whose standard output carries its reports, "10000 <text>" per progress line and
// one final number (0: installer written; any other: failed).
//
// A compiler that cannot be started, or that ends without its final report, counts as a failed build
// (finished(-1)), so the window never waits for a report that cannot come. Main thread only; no exception
// leaves a slot.
#include <QObject>
#include <QProcess>

#include <functional>
#include <string>
#include <vector>

#include "builder/installer/script_writer.h"

class QWidget;

namespace vorlin::installer {

// The values of the Build page and the show that a build needs.
struct BuildRequest {
    std::string chosenPath; // from the save dialog
    std::string nameEdit, author, website, readme;
    std::string programFolder;      // ends in "/"
    std::string installationFolder; // ends in "/"
    std::string systemFolder;       // without a final "/"
    std::string workingSettingsFile;
    std::vector<ListedFile> pictures, music;
    std::vector<show::TPictureFolder> folders; // the included picture folders, as the file system takes them
};

class InstallerBuild : public QObject {
    Q_OBJECT
public:
    explicit InstallerBuild(QObject* parent = nullptr);
    ~InstallerBuild() override;

    // Forms the names and writes the files. Returns the text of the error box when the build cannot go on
    // (a refused name, a file that cannot be written); an empty text when the compiler can start.
    QString prepare(const BuildRequest& request, const std::function<int()>& randomBelow100);
    // Starts (or, after a failure, restarts) the compiler on the prepared script; an earlier installer at
    // the installer path is deleted first.
    void start();
    // Deletes the temporary files of the build.
    void cleanUp();

    const BuildInput& input() const { return in_; }
    const BuildOutput& output() const { return out_; }
    bool running() const { return proc_ != nullptr; }

signals:
    // A progress line that the status memo shows (already filtered).
    void progressLine(const QString& text);
    // The final report: 0 success, anything else a failure (-1: no report came).
    void finished(int code);

private:
    void readReports();
    void ended();

    BuildInput in_;
    BuildOutput out_;
    QProcess* proc_ = nullptr;
    QByteArray pending_;
    bool reported_ = false;
};

// The yes/no question box of a build's end ("Confirm", question icon, "&Yes" and "&No"); replaceable so
// that tests answer it.
using BuildQuestion = std::function<bool(QWidget* parent, const QString& title, const QString& text)>;
BuildQuestion& buildQuestion();

// Runs a freshly built installer for "test the installation", as a person who double-clicks it would: with
// no terminal, so that it asks its question in its own window. `openUrl` is the fall-back when it cannot
// be started. Replaceable for tests; launchInstaller is the program's own.
using InstallerLauncher =
    std::function<void(const QString& installer, const std::function<bool(const QString&)>& openUrl)>;
InstallerLauncher& installerLauncher();
void launchInstaller(const QString& installer, const std::function<bool(const QString&)>& openUrl);

} // namespace vorlin::installer
