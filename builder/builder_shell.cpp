#include "builder/builder_shell.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace vorlin::builder {

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

BuilderShell realBuilderShell() {
    BuilderShell shell;
    shell.openFiles = [](QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) {
        return QFileDialog::getOpenFileNames(parent, title, folder, qtFilter(filter));
    };
    shell.openFile = [](QWidget* parent, const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, title, QString(), qtFilter(filter));
    };
    shell.saveFile = [](QWidget* parent, const QString& title, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, title, QString(), qtFilter(filter));
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
