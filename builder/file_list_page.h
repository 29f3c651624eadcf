#pragma once
// The Images and Music pages: one list of full paths with a check box per item, and the buttons "Add",
// "Remove", "Clear" and two arrows beside it. The two pages differ in a few rules, chosen by their kind:
// - Pictures: Add skips a path the list already holds (as the file system compares), every item shows a
//   small thumbnail decoded by worker threads, and the page holds the preview panel with the selected
//   picture's thumbnail and the buttons "Preview" and "Fullscreen".
// - Music: Add keeps duplicates, Remove and Clear stop the music first, and "Play" and "Stop" play the
//   selected file alone.
// Every edit of the list (add, remove, clear, move, tick) reports changed(). Files dropped from a file
// manager are added as Add adds them. On the Music page a dropped folder gives its files, sorted.
//
// Picture folders: "Add Folder..." and a folder dropped on the picture list add the folder as one entry
// (PictureFolderEntries). Folder entries stay after the files: files are added before them, and the
// arrows move an entry only among its own kind. The thumbnails are PictureThumbnails'.
// Main thread only.

#include "builder/builder_page.h"
#include "builder/builder_shell.h"
#include "show/settings/show_settings.h"

#include <QStringList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace vorlin::builder {

class PictureFolderEntries;
class PictureThumbnails;

class FileListPage : public BuilderPage {
    Q_OBJECT
public:
    enum class Kind { Pictures, Music };

    // `settings` and `shell` must outlive the page.
    FileListPage(Kind kind, show::ShowSettingsFile& settings, BuilderShell& shell, HandlerGuard guard,
                 QWidget* parent = nullptr);
    ~FileListPage() override;

    // Fills the list from the working settings file's section ([Pictures] or [Music]): each key that
    // resolves to an existing file, ticked as its value says; selects the first item.
    void Fill();
    // The files in list order: full path and tick (folder entries are not among them).
    std::vector<std::pair<std::string, bool>> Items() const;
    // The picture folders in list order, with their ticks.
    std::vector<std::pair<show::TPictureFolder, bool>> FolderItems() const;

    // ---- handlers
    void AddClick();
    void AddFiles(const QStringList& files);
    void AddFolderClick();
    // Adds `folder` as one entry after the others and selects it; a folder the list holds is selected.
    void AddFolder(const QString& folder, bool subfolders = false);
    // The check box under the list: the selected folder's sub-folders in or out.
    void SubfoldersClick();
    void RemoveClick();
    void ClearClick();
    void UpClick() { Move(-1); }
    void DownClick() { Move(+1); }
    // A row clicked or reached with the keys: the check box under the list follows it, and the panel shows
    // its thumbnail when the workers have decoded it.
    void ListClick();
    void ClickCheck(QListWidgetItem* item);
    void PlayClick();
    void StopClick();

    // ---- pictures only: the thumbnail of the selected picture in the preview panel
    // Decodes it here and shows it.
    void ShowThumbnail();
    // Shows the panel at once and has the thumbnail workers decode it ahead of the list's thumbnails; it
    // appears when it arrives, unless another picture was selected meanwhile.
    void RequestThumbnail();
    void ClearThumbnail();
    std::size_t PendingThumbnails() const;
    // Folder counts queued or running.
    std::size_t PendingCounts() const;

    QListWidget* List() const { return FList; }
    QFrame* fsPanel() const { return FPanel; }
    QLabel* Image1() const { return FImage1; }
    QCheckBox* SubfoldersCheck() const { return FSubfolders; }

signals:
    // An edit of the list: the window sets the list's change flag.
    void changed();
    // The thumbnail replaced whatever the preview panel showed.
    void thumbnailShown();
    // "Preview" under the preview panel.
    void smallPreviewRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pictures() const { return FKind == Kind::Pictures; }
    std::string& rememberedFolder();
    void Move(int delta);
    void SelectRow(int row);
    void SyncSubfoldersCheck();
    // The selected picture's thumbnail into the panel (a folder entry empties it), decoded here or by the
    // thumbnail workers.
    void PanelThumbnail(bool decodeHere);
    // Forgets the thumbnail and count jobs of a row (-1: of every row).
    void ForgetJobs(int row);

    const Kind FKind;
    show::ShowSettingsFile& Settings;
    BuilderShell& FShell;
    QListWidget* FList = nullptr;
    QFrame* FPanel = nullptr;
    QLabel* FImage1 = nullptr;
    QCheckBox* FSubfolders = nullptr;
    // Pictures only.
    std::unique_ptr<PictureThumbnails> FThumbs;
    std::unique_ptr<PictureFolderEntries> FFolders;
};

} // namespace vorlin::builder
