#pragma once
// What the builder window asks of the desktop: file dialogs, message boxes and opening addresses.
// The window calls these through one object so that tests can answer them without a dialog blocking the
// event loop. realBuilderShell() gives the program's own: QFileDialog, QMessageBox, QDesktopServices.
//
// File-name filters are given in the Windows form "Text|pattern;pattern|Text|pattern" and converted for
// the dialog. Cancelled dialogs return an empty result. Main thread only.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vorlin::builder {

struct BuilderShell {
    // Several existing files (Add); the dialog starts in `folder` when that is not empty.
    std::function<QStringList(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter)>
        openFiles;
    // One existing folder (Add Folder); the dialog starts in `folder` when that is not empty.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder)> openFolder;
    // One existing file (Load Project, Load From File...).
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)> openFile;
    // A file name to save to. `finalName` turns a typed name into the name that will be written (the
    // filter's suffix appended, say); the dialog returns that name, and asks before replacing it when it
    // exists, so its question is about the file that is actually replaced.
    std::function<QString(QWidget* parent, const QString& title, const QString& filter,
                          const std::function<QString(const QString&)>& finalName)>
        saveFile;
    // An information message with an OK button.
    std::function<void(QWidget* parent, const QString& title, const QString& text)> message;
    // Opens a file, a web address or a mail address with the desktop's program; false when nothing opened.
    std::function<bool(const QString& url)> openUrl;
};

// "Pictures|*.jpg;*.gif|All|*" -> "Pictures (*.jpg *.gif);;All (*)".
QString qtFilter(const QString& windowsFilter);

// The suffix of a filter's first pattern, without its dot: "*.run|*.run" -> "run"; empty for "*".
QString defaultSuffix(const QString& windowsFilter);

BuilderShell realBuilderShell();

} // namespace vorlin::builder
