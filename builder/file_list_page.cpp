#include "builder/file_list_page.h"

#include "builder/file_list_items.h"
#include "builder/list_file_kinds.h"
#include "builder/picture_folder_entries.h"
#include "builder/picture_thumbnails.h"
#include "music/playlist/playlist.h"
#include "platform/files.h"
#include "platform/ini_file.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlin::builder {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

FileListPage::FileListPage(Kind kind, show::ShowSettingsFile& settings, BuilderShell& shell,
                           HandlerGuard guard, QWidget* parent)
    : BuilderPage(kind == Kind::Pictures ? "ImagesPage" : "MusicPage", std::move(guard), parent), FKind(kind),
      Settings(settings), FShell(shell) {
    auto* v = new QVBoxLayout(this);
    // Non-breaking spaces keep "up to 1000" together when the heading wraps.
    auto* heading = new QLabel(
        pictures() ? QString::fromUtf8("Add images (GIF, JPG, BMP, WMF, EMF, ICO, PNG, WebP, HEIC, AVIF), "
                                       "up\u00A0to\u00A01000:")
                   : QString("Add background music here (MP3, WAV, MIDI):"),
        this);
    heading->setWordWrap(pictures()); // on a second line where a larger font would cut it
    v->addWidget(heading);
    auto* h = new QHBoxLayout;
    FList = new QListWidget(this);
    FList->setObjectName(pictures() ? "ImageList" : "MusicList");
    if (pictures()) {
        FList->setUniformItemSizes(true);
        FList->setIconSize(QSize(PictureThumbnails::kListWidth, PictureThumbnails::kListHeight));
        FList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    FList->setAcceptDrops(true);
    FList->viewport()->setAcceptDrops(true);
    FList->viewport()->installEventFilter(this);
    if (pictures()) {
        // The list with the selected folder's sub-folder choice under it.
        auto* listColumn = new QVBoxLayout;
        listColumn->addWidget(FList, 1);
        FSubfolders = new QCheckBox("With sub-folders", this);
        FSubfolders->setObjectName("SubfoldersCheck");
        FSubfolders->setEnabled(false);
        listColumn->addWidget(FSubfolders);
        h->addLayout(listColumn, 1);
    } else {
        h->addWidget(FList, 1);
    }

    const char* prefix = pictures() ? "Image" : "Music";
    const auto name = [prefix](const char* what) { return QString(what).replace("%", prefix); };
    auto* side = new QVBoxLayout;
    QPushButton* add = button("Add", name("Add%B"), this);
    QPushButton* addFolder =
        pictures() ? button(QString::fromUtf8("Add Folder\u2026"), "AddFolderB", this) : nullptr;
    QPushButton* remove = button("Remove", name("Remove%B"), this);
    QPushButton* clear = button("Clear", name("Clear%B"), this);
    QPushButton* up = arrowButton(true, name("%UpB"), this);
    QPushButton* down = arrowButton(false, name("%DownB"), this);
    for (auto* b : {add, addFolder, remove, clear})
        if (b) side->addWidget(b);
    if (!pictures()) {
        QPushButton* play = button("Play", "PlayB", this);
        QPushButton* stop = button("Stop", "StopB", this);
        side->addWidget(play);
        side->addWidget(stop);
        onClick(play, this, &FileListPage::PlayClick);
        onClick(stop, this, &FileListPage::StopClick);
        connect(FList, &QListWidget::itemDoubleClicked, this, [this] { guarded([this] { PlayClick(); }); });
    }
    auto* arrows = new QHBoxLayout;
    arrows->addWidget(up);
    arrows->addWidget(down);
    side->addLayout(arrows);
    side->addStretch(1);
    if (pictures()) {
        FPanel = new QFrame(this);
        FPanel->setObjectName("fsPanel");
        FPanel->setFixedSize(125, 96);
        FPanel->setAutoFillBackground(true);
        FImage1 = new QLabel(FPanel);
        FImage1->setObjectName("Image1");
        FImage1->setGeometry(0, 0, 125, 96);
        FImage1->setAlignment(Qt::AlignCenter);
        QPushButton* preview = button("Preview", "PreviewB2", this);
        QPushButton* fullscreen = button("Fullscreen", "FullscreenB", this);
        auto* previewRow = new QHBoxLayout;
        previewRow->addWidget(preview);
        previewRow->addWidget(fullscreen);
        side->addWidget(FPanel);
        side->addLayout(previewRow);
        onClick(preview, [this] { emit smallPreviewRequested(); });
        onClick(fullscreen, [this] { emit fullscreenPreviewRequested(); });
        connect(FList, &QListWidget::itemClicked, this, [this] { guarded([this] { ListClick(); }); });
        // Moving through the list with the keys shows the thumbnail too; programmatic moves block signals.
        connect(FList, &QListWidget::currentRowChanged, this, [this] { guarded([this] { ListClick(); }); });

        FThumbs = std::make_unique<PictureThumbnails>(*FList, *FImage1, Settings);
        FFolders = std::make_unique<PictureFolderEntries>(*FList, *FSubfolders, Settings);
        onClick(addFolder, this, &FileListPage::AddFolderClick);
        connect(FSubfolders, &QCheckBox::clicked, this, [this] { guarded([this] { SubfoldersClick(); }); });
    }
    h->addLayout(side);
    v->addLayout(h, 1);
    addBottomBar(v);

    onClick(add, this, &FileListPage::AddClick);
    onClick(remove, this, &FileListPage::RemoveClick);
    onClick(clear, this, &FileListPage::ClearClick);
    onClick(up, this, &FileListPage::UpClick);
    onClick(down, this, &FileListPage::DownClick);
    connect(FList, &QListWidget::itemChanged, this, [this](QListWidgetItem* it) { ClickCheck(it); });
}

FileListPage::~FileListPage() = default;

std::string& FileListPage::rememberedFolder() {
    return pictures() ? Settings.settings.PicturePath : Settings.settings.MusicPath;
}

std::size_t FileListPage::PendingThumbnails() const {
    return FThumbs ? FThumbs->pending() : 0;
}

std::size_t FileListPage::PendingCounts() const {
    return FFolders ? FFolders->pending() : 0;
}

void FileListPage::SelectRow(int row) {
    {
        const QSignalBlocker block(FList);
        FList->setCurrentRow(row);
    }
    SyncSubfoldersCheck();
}

void FileListPage::SyncSubfoldersCheck() {
    if (FFolders) FFolders->syncSubfoldersCheck();
}

void FileListPage::Fill() {
    const char* section = pictures() ? "Pictures" : "Music";
    ForgetJobs(-1);
    FList->clear();
    if (platform::IniFile* ini = Settings.iniFile()) {
        const auto snap = ini->snapshot();
        FList->setUpdatesEnabled(false);
        for (const auto& key : snap.readKeys(section)) {
            std::string path = key;
            if (!Settings.resolveFile(path)) continue;
            auto* item = newListItem(qs(path), snap.readBool(section, key, true));
            FList->addItem(item);
            if (FThumbs) FThumbs->requestForList(item);
        }
        // The picture folders after the files; a missing one stays (a drive not plugged in, say) and
        // counts no pictures.
        for (const auto& key : FFolders ? snap.readKeys("Folders") : std::vector<std::string>{}) {
            const std::int32_t v = snap.readInteger("Folders", key, 1);
            auto* item = FFolders->newEntry(qs(key), v == 2, v != 0);
            FList->addItem(item);
            FFolders->count(item);
        }
        FList->setUpdatesEnabled(true);
        if (FList->count() > 0) SelectRow(0);
    }
    if (!pictures()) return;
    if (FList->count() > 0)
        ShowThumbnail();
    else
        ClearThumbnail();
}

std::vector<std::pair<std::string, bool>> FileListPage::Items() const {
    std::vector<std::pair<std::string, bool>> items;
    items.reserve(FList->count());
    for (int i = 0; i < FList->count(); ++i)
        if (!isFolderItem(FList->item(i)))
            items.emplace_back(FList->item(i)->text().toStdString(),
                               FList->item(i)->checkState() == Qt::Checked);
    return items;
}

std::vector<std::pair<show::TPictureFolder, bool>> FileListPage::FolderItems() const {
    if (!FFolders) return {};
    return FFolders->folders();
}

void FileListPage::AddClick() {
    const QString folder = QFileInfo(qs(rememberedFolder())).isDir() ? qs(rememberedFolder()) : QString();
    const QStringList files =
        FShell.openFiles(this, "Open", folder, pictures() ? pictureFilter() : QString(kMusicFilter));
    if (files.isEmpty()) return;
    AddFiles(files);
}

void FileListPage::AddFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    // A picture is already present when the file system takes it for one in the list: the same text, or
    // on a file system that ignores letter case, another spelling that reaches the same file. Paths are
    // grouped by their lower-case text so that only such spellings are looked at on disk. Music keeps
    // duplicates.
    QHash<QString, QStringList> present;
    if (pictures()) {
        present.reserve(FList->count() + files.size());
        for (int i = 0; i < FList->count(); ++i)
            present[FList->item(i)->text().toLower()] << FList->item(i)->text();
    }
    const auto isPresent = [&present](const QString& path) {
        const auto it = present.constFind(path.toLower());
        if (it == present.cend()) return false;
        return std::any_of(it->cbegin(), it->cend(), [&path](const QString& known) {
            return known == path || platform::sameExistingFile(known.toStdString(), path.toStdString());
        });
    };
    // Files go before the folder entries.
    int row = firstFolderRow(*FList);
    FList->setUpdatesEnabled(false);
    {
        const QSignalBlocker block(FList);
        for (const QString& file : files) {
            const QString path = QFileInfo(file).absoluteFilePath();
            if (pictures()) {
                if (isPresent(path)) continue;
                present[path.toLower()] << path;
            }
            auto* item = newListItem(path, true);
            FList->insertItem(row++, item);
            if (FThumbs) FThumbs->requestForList(item);
        }
    }
    FList->setUpdatesEnabled(true);
    // The folder part with its trailing "/", as the remembered Add folders keep it.
    rememberedFolder() = QFileInfo(files.front()).absolutePath().toStdString() + "/";
    emit changed();
    if (row > 0) {
        SelectRow(row - 1);
        // Not decoded here: a camera photo takes a tenth of a second or more, and the window stays
        // responsive.
        if (pictures()) RequestThumbnail();
    }
}

void FileListPage::AddFolderClick() {
    const QString start = QFileInfo(qs(rememberedFolder())).isDir() ? qs(rememberedFolder()) : QString();
    const QString folder = FShell.openFolder(this, "Add Folder", start);
    if (!folder.isEmpty()) AddFolder(folder);
}

void FileListPage::AddFolder(const QString& folder, bool subfolders) {
    if (!FFolders) return;
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (const int row = FFolders->find(path); row >= 0) return SelectRow(row);
    auto* item = FFolders->newEntry(path, subfolders, true);
    {
        const QSignalBlocker block(FList);
        FList->addItem(item);
    }
    FFolders->count(item);
    rememberedFolder() = QFileInfo(path).absolutePath().toStdString() + "/";
    emit changed();
    SelectRow(FList->count() - 1);
    ClearThumbnail();
}

void FileListPage::SubfoldersClick() {
    if (FFolders && FFolders->applySubfoldersCheck()) emit changed();
}

void FileListPage::RemoveClick() {
    const int row = FList->currentRow();
    if (row < 0) return;
    if (!pictures()) music::StopMusic();
    ForgetJobs(row);
    delete FList->takeItem(row);
    SelectRow(FList->count() > 0 ? std::min(row, FList->count() - 1) : -1);
    emit changed();
    if (!pictures()) return;
    ClearThumbnail();
    if (FList->count() > 0) ShowThumbnail();
}

void FileListPage::ClearClick() {
    if (!pictures()) music::StopMusic();
    ForgetJobs(-1);
    FList->clear();
    emit changed();
    if (pictures()) {
        ClearThumbnail();
        SyncSubfoldersCheck();
    }
}

// Moving a music file marks its list changed too, so the new order is stored and previewed.
void FileListPage::Move(int delta) {
    const int row = FList->currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= FList->count()) return;
    // Files stay before the folder entries.
    if (isFolderItem(FList->item(row)) != isFolderItem(FList->item(to))) return;
    const QSignalBlocker block(FList);
    QListWidgetItem* item = FList->takeItem(row);
    FList->insertItem(to, item);
    FList->setCurrentRow(to);
    emit changed();
}

void FileListPage::ListClick() {
    if (!pictures()) return;
    SyncSubfoldersCheck();
    // Not decoded here, as after an add: the window stays responsive while the keys run through the list.
    if (FList->currentRow() >= 0) RequestThumbnail();
}

void FileListPage::ClickCheck(QListWidgetItem* item) {
    // itemChanged also reports icon changes: only a changed tick counts.
    const bool ticked = item->checkState() == Qt::Checked;
    if (item->data(item_role::Ticked).toBool() == ticked) return;
    item->setData(item_role::Ticked, ticked);
    emit changed();
}

void FileListPage::PlayClick() {
    QListWidgetItem* item = FList->currentItem();
    if (!item) return;
    music::StopMusic();
    const std::string file = item->text().toStdString();
    if (platform::fileExists(file)) music::PlayTrack(file);
}

void FileListPage::StopClick() {
    music::ClearMusicList();
    music::StopMusic();
}

// ---------------------------------------------------------------- the panel's thumbnail and the jobs

void FileListPage::RequestThumbnail() {
    PanelThumbnail(false);
}

void FileListPage::ShowThumbnail() {
    PanelThumbnail(true);
}

void FileListPage::PanelThumbnail(bool decodeHere) {
    QListWidgetItem* item = FList->currentItem();
    if (!item || !FThumbs) return;
    if (isFolderItem(item)) return ClearThumbnail();
    if (decodeHere)
        FThumbs->showInPanel(item);
    else
        FThumbs->requestForPanel(item);
    emit thumbnailShown();
}

void FileListPage::ClearThumbnail() {
    if (FThumbs) FThumbs->clearPanel();
}

void FileListPage::ForgetJobs(int row) {
    if (!pictures()) return;
    if (row < 0) {
        FThumbs->forgetAll();
        FFolders->forgetAll();
    } else if (const QListWidgetItem* item = FList->item(row)) {
        FThumbs->forget(item);
        FFolders->forget(item);
    }
}

// ---------------------------------------------------------------- dropping files

bool FileListPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FList->viewport()) return BuilderPage::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDropEvent*>(event);
        if (e->mimeData()->hasUrls()) {
            e->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        if (!e->mimeData()->hasUrls()) break;
        const QList<QUrl> urls = e->mimeData()->urls();
        e->acceptProposedAction();
        guarded([&] {
            if (!pictures()) return AddFiles(expandDropped(urls, musicSuffixes()));
            // A dropped folder is one folder entry; dropped files are added as Add adds them.
            QList<QUrl> files;
            QStringList folders;
            for (const QUrl& url : urls) {
                if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
                    folders << url.toLocalFile();
                else
                    files << url;
            }
            AddFiles(expandDropped(files, pictureSuffixes()));
            for (const QString& folder : folders) AddFolder(folder);
        });
        return true;
    }
    default:
        break;
    }
    return BuilderPage::eventFilter(watched, event);
}

} // namespace vorlin::builder
