#include "builder/file_list_page.h"

#include "gfx/codecs/picture_formats.h"
#include "gfx/codecs/picture_loader.h"
#include "music/playlist/playlist.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "show/settings/picture_folders.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

namespace vorlin::builder {

namespace {

constexpr int kTickedRole = Qt::UserRole;      // last check state an item reported
constexpr int kThumbIdRole = Qt::UserRole + 1; // thumbnail job of a picture item
constexpr int kFolderRole = Qt::UserRole + 2;  // the folder of a folder entry (none on a file)
constexpr int kSubfoldersRole = Qt::UserRole + 3;
constexpr int kCountIdRole = Qt::UserRole + 4; // count job of a folder entry

// The picture extensions the loader knows, in lower case.
QStringList pictureSuffixes() {
    QStringList suffixes;
    for (const gfx::PictureExtension& e : gfx::kPictureExtensions) suffixes << e.extension;
    return suffixes;
}
const QStringList kPictureSuffixes = pictureSuffixes();
const QStringList kMusicSuffixes = {"mp3", "wav", "mid"};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QImage toImage(const gfx::Bitmap& bmp) {
    if (bmp.isEmpty()) return {};
    return QImage(bmp.bits(), bmp.width(), bmp.height(), bmp.stride(), QImage::Format_BGR888).copy();
}

// Files of a dropped folder whose extension is one of `suffixes` (lower case), sorted by path.
QStringList expandDropped(const QList<QUrl>& urls, const QStringList& suffixes) {
    QStringList files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (info.isDir()) {
            QStringList inFolder;
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString f = it.next();
                if (suffixes.contains(QFileInfo(f).suffix().toLower())) inFolder << f;
            }
            inFolder.sort(Qt::CaseInsensitive);
            files << inFolder;
        } else if (info.isFile() && suffixes.contains(info.suffix().toLower())) {
            files << info.absoluteFilePath();
        }
    }
    return files;
}

bool isFolderItem(const QListWidgetItem* item) {
    return item && !item->data(kFolderRole).toString().isEmpty();
}

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
        FList->setIconSize(QSize(kListThumbWidth, kListThumbHeight));
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

        QPointer<FileListPage> self(this);
        const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
        FThumbPool = std::make_unique<ThumbnailPool>(
            platform::Dispatcher::forApplication().queue(),
            [self](std::uint64_t id, gfx::Bitmap thumbnail) {
                if (self) self->ThumbnailArrived(id, std::move(thumbnail));
            },
            std::min(threads, 2));
        FCounter = std::make_unique<FolderCounter>(platform::Dispatcher::forApplication().queue(),
                                                   [self](std::uint64_t id, FolderCount count) {
                                                       if (self) self->CountArrived(id, count);
                                                   });
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

FileListPage::~FileListPage() {
    FThumbPool.reset();
    FCounter.reset();
}

std::string& FileListPage::rememberedFolder() {
    return pictures() ? Settings.settings.PicturePath : Settings.settings.MusicPath;
}

std::size_t FileListPage::PendingThumbnails() const {
    return FThumbPool ? FThumbPool->pending() : 0;
}

std::size_t FileListPage::PendingCounts() const {
    return FCounter ? FCounter->pending() : 0;
}

QListWidgetItem* FileListPage::NewItem(const QString& path, bool ticked) {
    auto* item = new QListWidgetItem(path);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(kTickedRole, ticked);
    return item;
}

QListWidgetItem* FileListPage::NewFolderItem(const QString& folder, bool subfolders, bool ticked) {
    auto* item = NewItem(folderText(folder, subfolders, nullptr), ticked);
    item->setData(kFolderRole, folder);
    item->setData(kSubfoldersRole, subfolders);
    item->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    return item;
}

int FileListPage::FolderRow() const {
    int row = FList->count();
    while (row > 0 && isFolderItem(FList->item(row - 1))) --row;
    return row;
}

void FileListPage::SelectRow(int row) {
    {
        const QSignalBlocker block(FList);
        FList->setCurrentRow(row);
    }
    SyncSubfoldersCheck();
}

void FileListPage::SyncSubfoldersCheck() {
    if (!FSubfolders) return;
    const QListWidgetItem* item = FList->currentItem();
    FSubfolders->setEnabled(isFolderItem(item));
    FSubfolders->setChecked(isFolderItem(item) && item->data(kSubfoldersRole).toBool());
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
            auto* item = NewItem(qs(path), snap.readBool(section, key, true));
            FList->addItem(item);
            RequestListThumbnail(item);
        }
        // The picture folders after the files; a missing one stays (a drive not plugged in, say) and
        // counts no pictures.
        for (const auto& key : pictures() ? snap.readKeys("Folders") : std::vector<std::string>{}) {
            const std::int32_t v = snap.readInteger("Folders", key, 1);
            auto* item = NewFolderItem(qs(key), v == 2, v != 0);
            FList->addItem(item);
            CountFolder(item);
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

QString FileListPage::pictureFilter() {
    using F = gfx::PictureFormat;
    struct Group {
        const char* label;
        std::initializer_list<F> formats;
    };
    static const Group groups[] = {
        {"GIF Files", {F::Gif}},   {"JPEG Files", {F::Jpeg}},
        {"Bitmaps", {F::Bmp}},     {"Metafiles", {F::Wmf, F::Emf}},
        {"Icons", {F::Ico}},       {"PNG Files", {F::Png}},
        {"WebP Files", {F::Webp}}, {"HEIC and AVIF Files", {F::Heif}},
    };
    // The patterns of the given formats, in the extension list's order: "*.jpg;*.jpeg" / "*.jpg, *.jpeg".
    auto patterns = [](std::initializer_list<F> formats, const char* separator) {
        QStringList list;
        for (const gfx::PictureExtension& e : gfx::kPictureExtensions)
            if (std::find(formats.begin(), formats.end(), e.format) != formats.end())
                list << QStringLiteral("*.") + e.extension;
        return list.join(separator);
    };
    QStringList parts{"All Pictures", "*." + kPictureSuffixes.join(";*.")};
    for (const Group& g : groups)
        parts << QString("%1 (%2)").arg(g.label, patterns(g.formats, ", ")) << patterns(g.formats, ";");
    return parts.join('|');
}

std::vector<std::pair<show::TPictureFolder, bool>> FileListPage::FolderItems() const {
    std::vector<std::pair<show::TPictureFolder, bool>> folders;
    for (int i = FolderRow(); i < FList->count(); ++i) {
        const QListWidgetItem* item = FList->item(i);
        folders.push_back(
            {{item->data(kFolderRole).toString().toStdString(), item->data(kSubfoldersRole).toBool()},
             item->checkState() == Qt::Checked});
    }
    return folders;
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
    int row = FolderRow();
    FList->setUpdatesEnabled(false);
    {
        const QSignalBlocker block(FList);
        for (const QString& file : files) {
            const QString path = QFileInfo(file).absoluteFilePath();
            if (pictures()) {
                if (isPresent(path)) continue;
                present[path.toLower()] << path;
            }
            auto* item = NewItem(path, true);
            FList->insertItem(row++, item);
            RequestListThumbnail(item);
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
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    for (int i = FolderRow(); i < FList->count(); ++i) {
        if (FList->item(i)->data(kFolderRole).toString() == path) return SelectRow(i);
    }
    auto* item = NewFolderItem(path, subfolders, true);
    {
        const QSignalBlocker block(FList);
        FList->addItem(item);
    }
    CountFolder(item);
    rememberedFolder() = QFileInfo(path).absolutePath().toStdString() + "/";
    emit changed();
    SelectRow(FList->count() - 1);
    ClearThumbnail();
}

void FileListPage::SubfoldersClick() {
    QListWidgetItem* item = FList->currentItem();
    if (!isFolderItem(item)) return SyncSubfoldersCheck();
    const bool on = FSubfolders->isChecked();
    if (item->data(kSubfoldersRole).toBool() == on) return;
    item->setData(kSubfoldersRole, on);
    CountFolder(item);
    emit changed();
}

void FileListPage::CountFolder(QListWidgetItem* item) {
    if (!FCounter) return;
    FCountItems.erase(item->data(kCountIdRole).toULongLong());
    const std::uint64_t id = FNextThumbId++;
    item->setData(kCountIdRole, QVariant::fromValue<qulonglong>(id));
    const QString folder = item->data(kFolderRole).toString();
    const bool subfolders = item->data(kSubfoldersRole).toBool();
    {
        const QSignalBlocker block(FList);
        item->setText(folderText(folder, subfolders, nullptr));
    }
    FCountItems.emplace(id, item);
    FCounter->add(id, {Settings.folderPath(folder.toStdString()), subfolders});
}

void FileListPage::CountArrived(std::uint64_t id, FolderCount count) {
    const auto it = FCountItems.find(id);
    if (it == FCountItems.end()) return;
    QListWidgetItem* item = it->second;
    FCountItems.erase(it);
    const QSignalBlocker block(FList);
    item->setText(
        folderText(item->data(kFolderRole).toString(), item->data(kSubfoldersRole).toBool(), &count));
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
    if (FList->currentRow() >= 0) ShowThumbnail();
}

void FileListPage::ClickCheck(QListWidgetItem* item) {
    // itemChanged also reports icon changes: only a changed tick counts.
    const bool ticked = item->checkState() == Qt::Checked;
    if (item->data(kTickedRole).toBool() == ticked) return;
    item->setData(kTickedRole, ticked);
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

// ---------------------------------------------------------------- thumbnails

void FileListPage::RequestListThumbnail(QListWidgetItem* item) {
    if (!FThumbPool) return;
    const std::uint64_t id = FNextThumbId++;
    item->setData(kThumbIdRole, QVariant::fromValue<qulonglong>(id));
    FThumbItems.emplace(id, item);
    FThumbPool->add(id, item->text().toStdString(), kListThumbWidth, kListThumbHeight,
                    gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor)));
}

void FileListPage::RequestThumbnail() {
    QListWidgetItem* item = FList->currentItem();
    if (!item || !FImage1) return;
    if (isFolderItem(item)) return ClearThumbnail();
    if (!FThumbPool || FImage1->width() <= 0 || FImage1->height() <= 0) return ShowThumbnail();
    FPanelThumb = {FNextThumbId++, item};
    FThumbPool->add(FPanelThumb.id, item->text().toStdString(), FImage1->width(), FImage1->height(),
                    gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor)),
                    ThumbnailPool::Place::First);
    FImage1->clear();
    FImage1->show();
    emit thumbnailShown();
}

void FileListPage::ThumbnailArrived(std::uint64_t id, gfx::Bitmap thumbnail) {
    if (id == FPanelThumb.id) {
        const bool current = FList->currentItem() == FPanelThumb.item;
        FPanelThumb = {};
        if (current && FImage1)
            FImage1->setPixmap(thumbnail.isEmpty() ? QPixmap() : QPixmap::fromImage(toImage(thumbnail)));
        return;
    }
    const auto it = FThumbItems.find(id);
    if (it == FThumbItems.end()) return;
    QListWidgetItem* item = it->second;
    FThumbItems.erase(it);
    if (thumbnail.isEmpty()) return;
    const QSignalBlocker block(FList);
    item->setIcon(QIcon(QPixmap::fromImage(toImage(thumbnail))));
}

void FileListPage::ForgetJobs(int row) {
    if (!FThumbPool) return;
    if (row < 0) {
        FThumbItems.clear();
        FCountItems.clear();
        FThumbPool->cancelAll();
        FPanelThumb = {};
    } else if (auto* item = FList->item(row)) {
        FThumbItems.erase(item->data(kThumbIdRole).toULongLong());
        FCountItems.erase(item->data(kCountIdRole).toULongLong());
        if (FPanelThumb.item == item) FPanelThumb = {};
    }
}

void FileListPage::ClearThumbnail() {
    FPanelThumb = {};
    if (FImage1) FImage1->clear();
}

void FileListPage::ShowThumbnail() {
    QListWidgetItem* item = FList->currentItem();
    if (!item || !FImage1) return;
    if (isFolderItem(item)) return ClearThumbnail();
    FPanelThumb = {};
    gfx::Bitmap bmp;
    try {
        gfx::LoadPictureToBitmap(
            bmp, item->text().toStdString(), FImage1->width(),
            gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor)),
            FImage1->height());
    } catch (...) {
        bmp = gfx::Bitmap();
    }
    FImage1->setPixmap(bmp.isEmpty() ? QPixmap() : QPixmap::fromImage(toImage(bmp)));
    FImage1->show();
    emit thumbnailShown();
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
            if (!pictures()) return AddFiles(expandDropped(urls, kMusicSuffixes));
            // A dropped folder is one folder entry; dropped files are added as Add adds them.
            QList<QUrl> files;
            QStringList folders;
            for (const QUrl& url : urls) {
                if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
                    folders << url.toLocalFile();
                else
                    files << url;
            }
            AddFiles(expandDropped(files, kPictureSuffixes));
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
