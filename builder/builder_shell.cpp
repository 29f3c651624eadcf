#include "builder/builder_shell.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace vorlin::builder {
namespace {

// A save dialog whose overwrite question concerns the name that will be written: the typed name with the
// default suffix, then the caller's rule. The question is asked here, in the dialog's own accept, because
// the rule may change a name the dialog would not (a suffix in another letter case, a name with a dot).
// Native dialogs ask before any code of ours runs, so this dialog is always Qt's own.
class SaveDialog : public QFileDialog {
public:
    SaveDialog(QWidget* parent, const QString& title, const QString& filter,
               std::function<QString(const QString&)> finalName)
        : QFileDialog(parent, title, QString(), qtFilter(filter)), finalName_(std::move(finalName)) {
        setAcceptMode(AcceptSave);
        setFileMode(AnyFile);
        setOption(DontUseNativeDialog);
        setOption(DontConfirmOverwrite);
        setDefaultSuffix(builder::defaultSuffix(filter));
    }

    QString chosen() const { return chosen_; }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty() || QFileInfo(files.first()).isDir()) {
            QFileDialog::accept(); // an empty name is refused, a folder is entered
            return;
        }
        const QString name = finalName_ ? finalName_(files.first()) : files.first();
        if (QFileInfo::exists(name) &&
            QMessageBox::warning(this, windowTitle(),
                                 QFileInfo(name).fileName() + " already exists.\nDo you want to replace it?",
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        chosen_ = name;
        QFileDialog::accept();
    }

private:
    std::function<QString(const QString&)> finalName_;
    QString chosen_;
};

} // namespace

QString qtFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // A text that already shows its patterns ("*.fly") is not repeated.
        entries << (parts[i] == parts[i + 1] ? patterns : parts[i] + " (" + patterns + ")");
    }
    return entries.join(";;");
}

QString defaultSuffix(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    if (parts.size() < 2) return {};
    const QString first = parts[1].split(';').first().trimmed();
    return first.startsWith("*.") && first.indexOf(QChar(u'*'), 2) < 0 ? first.mid(2) : QString();
}

BuilderShell realBuilderShell() {
    BuilderShell shell;
    shell.openFiles = [](QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) {
        return QFileDialog::getOpenFileNames(parent, title, folder, qtFilter(filter));
    };
    shell.openFolder = [](QWidget* parent, const QString& title, const QString& folder) {
        return QFileDialog::getExistingDirectory(parent, title, folder);
    };
    shell.openFile = [](QWidget* parent, const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, title, QString(), qtFilter(filter));
    };
    shell.saveFile = [](QWidget* parent, const QString& title, const QString& filter,
                        const std::function<QString(const QString&)>& finalName) {
        SaveDialog dialog(parent, title, filter, finalName);
        return dialog.exec() == QDialog::Accepted ? dialog.chosen() : QString();
    };
    shell.message = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::information(parent, title, text);
    };
    shell.openUrl = [](const QString& url) {
        const QUrl u = url.startsWith('/') ? QUrl::fromLocalFile(url) : QUrl(url);
        return QDesktopServices::openUrl(u);
    };
    return shell;
}

} // namespace vorlin::builder
