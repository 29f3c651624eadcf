#include "builder/picture_folder_entries.h"

#include "builder/file_list_items.h"
#include "platform/dispatcher/dispatcher.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QStyle>

namespace vorlin::builder {

namespace {

// "<path> — N pictures", said so that a folder's sub-folders and the show's limit are plain.
QString folderText(const QString& folder, bool subfolders, const FolderCount* count) {
    QString text = folder;
    if (subfolders) text += " (with sub-folders)";
    text += QString::fromUtf8(" \u2014 ");
    if (!count) return text + QString::fromUtf8("counting\u2026");
    text += count->pictures == 1 ? QString("1 picture") : QString("%1 pictures").arg(count->pictures);
    if (count->limitReached) text += " (the most a show takes)";
    return text;
}

QString entryFolder(const QListWidgetItem* entry) {
    return entry->data(item_role::Folder).toString();
}

bool entrySubfolders(const QListWidgetItem* entry) {
    return entry->data(item_role::Subfolders).toBool();
}

} // namespace

PictureFolderEntries::PictureFolderEntries(QListWidget& list, QCheckBox& subfoldersCheck,
                                           show::ShowSettingsFile& settings)
    : FList(list), FSubfolders(subfoldersCheck), Settings(settings) {
    QPointer<PictureFolderEntries> self(this);
    FCounter = std::make_unique<FolderCounter>(platform::Dispatcher::forApplication().queue(),
                                               [self](std::uint64_t id, FolderCount count) {
                                                   if (self) self->countArrived(id, count);
                                               });
}

PictureFolderEntries::~PictureFolderEntries() = default;

QListWidgetItem* PictureFolderEntries::newEntry(const QString& folder, bool subfolders, bool ticked) const {
    auto* item = newListItem(folderText(folder, subfolders, nullptr), ticked);
    item->setData(item_role::Folder, folder);
    item->setData(item_role::Subfolders, subfolders);
    item->setIcon(FList.style()->standardIcon(QStyle::SP_DirIcon));
    return item;
}

int PictureFolderEntries::find(const QString& folder) const {
    for (int i = firstFolderRow(FList); i < FList.count(); ++i)
        if (entryFolder(FList.item(i)) == folder) return i;
    return -1;
}

void PictureFolderEntries::count(QListWidgetItem* entry) {
    FCountItems.erase(entry->data(item_role::CountId).toULongLong());
    const std::uint64_t id = FNextId++;
    entry->setData(item_role::CountId, QVariant::fromValue<qulonglong>(id));
    const QString folder = entryFolder(entry);
    const bool subfolders = entrySubfolders(entry);
    {
        const QSignalBlocker block(&FList);
        entry->setText(folderText(folder, subfolders, nullptr));
    }
    FCountItems.emplace(id, entry);
    FCounter->add(id, {Settings.folderPath(folder.toStdString()), subfolders});
}

void PictureFolderEntries::countArrived(std::uint64_t id, FolderCount count) {
    const auto it = FCountItems.find(id);
    if (it == FCountItems.end()) return;
    QListWidgetItem* entry = it->second;
    FCountItems.erase(it);
    const QSignalBlocker block(&FList);
    entry->setText(folderText(entryFolder(entry), entrySubfolders(entry), &count));
}

std::vector<std::pair<show::TPictureFolder, bool>> PictureFolderEntries::folders() const {
    std::vector<std::pair<show::TPictureFolder, bool>> folders;
    for (int i = firstFolderRow(FList); i < FList.count(); ++i) {
        const QListWidgetItem* entry = FList.item(i);
        folders.push_back(
            {{entryFolder(entry).toStdString(), entrySubfolders(entry)}, entry->checkState() == Qt::Checked});
    }
    return folders;
}

bool PictureFolderEntries::applySubfoldersCheck() {
    QListWidgetItem* entry = FList.currentItem();
    if (!isFolderItem(entry)) {
        syncSubfoldersCheck();
        return false;
    }
    const bool on = FSubfolders.isChecked();
    if (entrySubfolders(entry) == on) return false;
    entry->setData(item_role::Subfolders, on);
    count(entry);
    return true;
}

void PictureFolderEntries::syncSubfoldersCheck() {
    const QListWidgetItem* item = FList.currentItem();
    FSubfolders.setEnabled(isFolderItem(item));
    FSubfolders.setChecked(isFolderItem(item) && entrySubfolders(item));
}

void PictureFolderEntries::forget(const QListWidgetItem* entry) {
    FCountItems.erase(entry->data(item_role::CountId).toULongLong());
}

} // namespace vorlin::builder
