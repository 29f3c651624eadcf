#pragma once
// The picture folder entries of the Images list: one item a folder, "<path> — N pictures", whose pictures
// join the show when it starts ([Folders]). The pictures are counted as a show lists them, on a worker
// thread (FolderCounter), so an entry reads "counting..." for a moment on a big folder. The check box under
// the list says whether the selected folder's sub-folders count too; the entry's tick says whether it is in
// the show at all. The page inserts the entries (after its files) and moves them; this class makes, finds,
// counts and reads them.
// Main thread only.

#include "builder/folder_counter.h"
#include "show/settings/show_settings.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QCheckBox;
class QListWidget;
class QListWidgetItem;

namespace vorlin::builder {

class PictureFolderEntries : public QObject {
public:
    // `list`, `subfoldersCheck` and `settings` must outlive the entries.
    PictureFolderEntries(QListWidget& list, QCheckBox& subfoldersCheck, show::ShowSettingsFile& settings);
    ~PictureFolderEntries() override;

    // A new entry for `folder` (not yet in the list, not yet counted).
    QListWidgetItem* newEntry(const QString& folder, bool subfolders, bool ticked) const;
    // The row of the entry for `folder` (a clean absolute path), -1 when there is none.
    int find(const QString& folder) const;
    // Starts counting an entry's pictures; it reads "counting..." until the count arrives.
    void count(QListWidgetItem* entry);
    // The folders in list order, with their ticks.
    std::vector<std::pair<show::TPictureFolder, bool>> folders() const;

    // The check box's state given to the selected entry; true when that changed it (it is then counted
    // again). Without a selected entry the check box goes back to what it shows.
    bool applySubfoldersCheck();
    // The check box shows the selected entry's choice, and is off and disabled on a file.
    void syncSubfoldersCheck();

    // The count of an entry that goes, or of every entry, is no longer wanted.
    void forget(const QListWidgetItem* entry);
    void forgetAll() { FCountItems.clear(); }
    // Counts queued or running.
    std::size_t pending() const { return FCounter->pending(); }

private:
    void countArrived(std::uint64_t id, FolderCount count);

    QListWidget& FList;
    QCheckBox& FSubfolders;
    show::ShowSettingsFile& Settings;
    std::uint64_t FNextId = 1;
    std::unordered_map<std::uint64_t, QListWidgetItem*> FCountItems;
    std::unique_ptr<FolderCounter> FCounter;
};

} // namespace vorlin::builder
