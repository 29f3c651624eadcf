#include "builder/config_form.h"

#include "builder/build_page_hooks.h"
#include "builder/monitors_box.h"
#include "data/effect_tree.h"
#include "gfx/codecs/picture_loader.h"
#include "music/playlist/playlist.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "platform/registry.h"
#include "show/runner/run_vorlinscreen.h"
#include "startup/show_windows/fullscreen_form.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <thread>

namespace vorlin::builder {

namespace {

constexpr int kNumberRole = Qt::UserRole;      // effect number of a tree leaf
constexpr int kTickedRole = Qt::UserRole + 1;  // last check state a list item reported
constexpr int kThumbIdRole = Qt::UserRole + 2; // thumbnail job of a picture item

const QString kNeverPlayedTip = "A screen saver never plays these effects: ticked, they play only in the "
                                "builder's own previews.";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string ss(const QString& s) {
    return s.toStdString();
}

QImage toImage(const gfx::Bitmap& bmp) {
    if (bmp.isEmpty()) return {};
    return QImage(bmp.bits(), bmp.width(), bmp.height(), bmp.stride(), QImage::Format_BGR888).copy();
}

// The folder part of a path with its trailing "/", as the remembered Add folders keep it.
std::string folderOf(const QString& file) {
    return ss(QFileInfo(file).absolutePath()) + "/";
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

const QStringList kPictureSuffixes = {"gif", "jpg", "jpeg", "bmp", "wmf", "emf", "ico", "png", "webp"};
const QStringList kMusicSuffixes = {"mp3", "wav", "mid"};

QPushButton* button(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

void TVorlinConfigForm::Guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        FShell.message(this, kCaption, QString::fromUtf8(e.what()));
    } catch (...) {
        FShell.message(this, kCaption, "The operation failed.");
    }
}

std::function<void()> TVorlinConfigForm::Slot(void (TVorlinConfigForm::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
}

TVorlinConfigForm::TVorlinConfigForm(show::ShowSettingsFile& settings, BuilderShell shell, QWidget* parent)
    : QMainWindow(parent), Settings(settings), FShell(std::move(shell)) {
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ChangeFlags = 0;
    ScriptLines.clear();
    CreateMenu();
    CreateControls();
    ApplySkin();

    QPointer<TVorlinConfigForm> self(this);
    const int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    FThumbPool = std::make_unique<ThumbnailPool>(
        platform::Dispatcher::forApplication().queue(),
        [self](std::uint64_t id, gfx::Bitmap thumbnail) {
            if (self) self->ThumbnailArrived(id, std::move(thumbnail));
        },
        std::min(threads, 2));
}

TVorlinConfigForm::~TVorlinConfigForm() {
    FThumbPool.reset();
    StopPreviews();
    // The runners' canvases belong to the panels; the runners go first so no timer reaches a dead canvas.
    PreviewRunner.reset();
    DemoRunner.reset();
    FullscreenForm.reset();
}

std::size_t TVorlinConfigForm::PendingThumbnails() const {
    return FThumbPool ? FThumbPool->pending() : 0;
}

// ---------------------------------------------------------------- construction

void TVorlinConfigForm::CreateMenu() {
    QMenu* setting = menuBar()->addMenu("&Setting");
    PreviewItem = setting->addAction("Preview", this, Slot(&TVorlinConfigForm::FullscreenPreview));
    PreviewItem->setShortcut(Qt::Key_F2);
    setting->addSeparator();
    SaveExitItem = setting->addAction("Save and E&xit", this, Slot(&TVorlinConfigForm::OKBClick));
    SaveExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    UndoExitItem = setting->addAction("Undo and &Exit", this, Slot(&TVorlinConfigForm::CancelBClick));
    UndoExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));

    QMenu* project = menuBar()->addMenu("&Project");
    LoadProjectItem = project->addAction("&Load Project", this, Slot(&TVorlinConfigForm::LoadProjectClick));
    LoadProjectItem->setShortcut(Qt::Key_F3);
    SaveProjectItem = project->addAction("&Save Project", this, Slot(&TVorlinConfigForm::SaveProjectClick));
    SaveProjectItem->setShortcut(Qt::Key_F4);
    SaveProjectAsItem =
        project->addAction("Save Project &As...", this, Slot(&TVorlinConfigForm::SaveProjectAsClick));
    SaveProjectAsItem->setShortcut(Qt::Key_F5);
    project->addSeparator();
    BuildProjectItem = project->addAction("&Build Project", this, [this] { NavBar->setCurrentRow(4); });
    BuildProjectItem->setShortcut(Qt::Key_F9);

    QMenu* help = menuBar()->addMenu("&Help");
    HelpItem = help->addAction("&Help", this, Slot(&TVorlinConfigForm::HelpClick));
    HelpItem->setShortcut(Qt::Key_F1);
    help->addSeparator();
    EmailItem = help->addAction("Email...", this, Slot(&TVorlinConfigForm::EmailClick));
    help->addSeparator();
    AboutItem = help->addAction("&About", this, Slot(&TVorlinConfigForm::AboutClick));
}

void TVorlinConfigForm::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName("Client");
    client->setFixedSize(kClientWidth, kClientHeight);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    NavBar = new QListWidget(client);
    NavBar->setObjectName("NavBar");
    NavBar->setFixedWidth(kNavBarWidth);
    NavBar->setViewMode(QListView::ListMode);
    NavBar->setSpacing(6);
    for (const char* item : {"Images", "Music", "Effects", "Options", "Build"}) {
        auto* it = new QListWidgetItem(item, NavBar);
        it->setTextAlignment(Qt::AlignCenter);
    }
    row->addWidget(NavBar);

    PageControl = new QStackedWidget(client);
    PageControl->setObjectName("PageControl");
    PageControl->addWidget(CreateImagesPage());
    PageControl->addWidget(CreateMusicPage());
    PageControl->addWidget(CreateEffectsPage());
    PageControl->addWidget(CreateOptionsPage());
    PageControl->addWidget(CreateBuildPage());
    row->addWidget(PageControl, 1);
    connect(NavBar, &QListWidget::currentRowChanged, this, [this](int r) { NavBarClick(r); });

    setCentralWidget(client);
    // Made now, so that the window keeps one size when the first status line appears.
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TVorlinConfigForm::CreateBottomBar() {
    auto* bar = new QWidget;
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    h->addStretch(1);
    auto* preview = button("Preview", bar);
    auto* ok = button("OK", bar);
    auto* cancel = button("Cancel", bar);
    for (auto* b : {preview, ok, cancel}) h->addWidget(b);
    connect(preview, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::FullscreenPreview));
    connect(ok, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::OKBClick));
    connect(cancel, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::CancelBClick));
    PreviewButtons.push_back(preview);
    OKButtons.push_back(ok);
    CancelButtons.push_back(cancel);
    return bar;
}

QWidget* TVorlinConfigForm::CreateImagesPage() {
    auto* page = new QWidget;
    page->setObjectName("ImagesPage");
    auto* v = new QVBoxLayout(page);
    // Non-breaking spaces keep "up to 1000" together when the heading wraps.
    auto* heading = new QLabel(
        QString::fromUtf8("Add images (GIF, JPG, BMP, WMF, EMF, ICO, PNG, WebP), up\u00A0to\u00A01000:"),
        page);
    heading->setWordWrap(true); // on a second line where a larger font would cut it
    v->addWidget(heading);
    auto* h = new QHBoxLayout;
    ImageList = new QListWidget(page);
    ImageList->setObjectName("ImageList");
    ImageList->setUniformItemSizes(true);
    ImageList->setIconSize(QSize(kListThumbWidth, kListThumbHeight));
    ImageList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ImageList->setAcceptDrops(true);
    ImageList->viewport()->setAcceptDrops(true);
    ImageList->viewport()->installEventFilter(this);
    h->addWidget(ImageList, 1);

    auto* side = new QVBoxLayout;
    AddImageB = button("Add", page);
    AddImageB->setObjectName("AddImageB");
    RemoveImageB = button("Remove", page);
    RemoveImageB->setObjectName("RemoveImageB");
    ClearImageB = button("Clear", page);
    ClearImageB->setObjectName("ClearImageB");
    ImageUpB = button(QString(), page);
    ImageUpB->setObjectName("ImageUpB");
    ImageUpB->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    ImageUpB->setAccessibleName("Up");
    ImageDownB = button(QString(), page);
    ImageDownB->setObjectName("ImageDownB");
    ImageDownB->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    ImageDownB->setAccessibleName("Down");
    auto* arrows = new QHBoxLayout;
    arrows->addWidget(ImageUpB);
    arrows->addWidget(ImageDownB);
    fsPanel = new QFrame(page);
    fsPanel->setObjectName("fsPanel");
    fsPanel->setFixedSize(125, 96);
    fsPanel->setAutoFillBackground(true);
    Image1 = new QLabel(fsPanel);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, 125, 96);
    Image1->setAlignment(Qt::AlignCenter);
    PreviewB2 = button("Preview", page);
    PreviewB2->setObjectName("PreviewB2");
    FullscreenB = button("Fullscreen", page);
    FullscreenB->setObjectName("FullscreenB");
    auto* previewRow = new QHBoxLayout;
    previewRow->addWidget(PreviewB2);
    previewRow->addWidget(FullscreenB);
    for (auto* b : {AddImageB, RemoveImageB, ClearImageB}) side->addWidget(b);
    side->addLayout(arrows);
    side->addStretch(1);
    side->addWidget(fsPanel);
    side->addLayout(previewRow);
    h->addLayout(side);
    v->addLayout(h, 1);
    v->addWidget(CreateBottomBar());

    connect(AddImageB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::AddImageBClick));
    connect(RemoveImageB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::RemoveImageBClick));
    connect(ClearImageB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::ClearImageBClick));
    connect(ImageUpB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::ImageUpBClick));
    connect(ImageDownB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::ImageDownBClick));
    connect(PreviewB2, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::PreviewB2Click));
    connect(FullscreenB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::FullscreenPreview));
    connect(ImageList, &QListWidget::itemClicked, this, Slot(&TVorlinConfigForm::ImageListClick));
    // Moving through the list with the keys shows the thumbnail too; programmatic moves block signals.
    connect(ImageList, &QListWidget::currentRowChanged, this, Slot(&TVorlinConfigForm::ImageListClick));
    connect(ImageList, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* it) { ImageListClickCheck(it); });
    return page;
}

QWidget* TVorlinConfigForm::CreateMusicPage() {
    auto* page = new QWidget;
    page->setObjectName("MusicPage");
    auto* v = new QVBoxLayout(page);
    v->addWidget(new QLabel("Add background music here (MP3, WAV, MIDI):", page));
    auto* h = new QHBoxLayout;
    MusicList = new QListWidget(page);
    MusicList->setObjectName("MusicList");
    MusicList->setAcceptDrops(true);
    MusicList->viewport()->setAcceptDrops(true);
    MusicList->viewport()->installEventFilter(this);
    h->addWidget(MusicList, 1);
    auto* side = new QVBoxLayout;
    AddMusicB = button("Add", page);
    AddMusicB->setObjectName("AddMusicB");
    RemoveMusicB = button("Remove", page);
    RemoveMusicB->setObjectName("RemoveMusicB");
    ClearMusicB = button("Clear", page);
    ClearMusicB->setObjectName("ClearMusicB");
    PlayB = button("Play", page);
    PlayB->setObjectName("PlayB");
    StopB = button("Stop", page);
    StopB->setObjectName("StopB");
    MusicUpB = button(QString(), page);
    MusicUpB->setObjectName("MusicUpB");
    MusicUpB->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    MusicUpB->setAccessibleName("Up");
    MusicDownB = button(QString(), page);
    MusicDownB->setObjectName("MusicDownB");
    MusicDownB->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    MusicDownB->setAccessibleName("Down");
    for (auto* b : {AddMusicB, RemoveMusicB, ClearMusicB, PlayB, StopB}) side->addWidget(b);
    auto* arrows = new QHBoxLayout;
    arrows->addWidget(MusicUpB);
    arrows->addWidget(MusicDownB);
    side->addLayout(arrows);
    side->addStretch(1);
    h->addLayout(side);
    v->addLayout(h, 1);
    v->addWidget(CreateBottomBar());

    connect(AddMusicB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::AddMusicBClick));
    connect(RemoveMusicB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::RemoveMusicBClick));
    connect(ClearMusicB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::ClearMusicBClick));
    connect(PlayB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::PlayBClick));
    connect(StopB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::StopBClick));
    connect(MusicUpB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::MusicUpBClick));
    connect(MusicDownB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::MusicDownBClick));
    connect(MusicList, &QListWidget::itemDoubleClicked, this, Slot(&TVorlinConfigForm::PlayBClick));
    connect(MusicList, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* it) { MusicListClickCheck(it); });
    return page;
}

QWidget* TVorlinConfigForm::CreateEffectsPage() {
    auto* page = new QWidget;
    page->setObjectName("EffectsPage");
    auto* v = new QVBoxLayout(page);
    v->addWidget(new QLabel("Select transition effects:", page));
    auto* h = new QHBoxLayout;
    auto* treeColumn = new QVBoxLayout;
    StyleList = new QTreeWidget(page);
    StyleList->setObjectName("StyleList");
    StyleList->setHeaderHidden(true);
    StyleList->setRootIsDecorated(true);
    StyleList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StyleList->setUniformRowHeights(true);
    // Every node has its own check box; a group's box is never derived from its leaves.
    for (const auto& group : data::effectTree()) {
        auto* g = new QTreeWidgetItem(StyleList, QStringList(qs(std::string(group.caption))));
        g->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        g->setCheckState(0, Qt::Unchecked);
        for (const auto leaf : group.leaves) {
            auto* l = new QTreeWidgetItem(g, QStringList(qs(std::string(leaf))));
            l->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                        Qt::ItemNeverHasChildren);
            l->setCheckState(0, Qt::Unchecked);
            l->setData(0, kNumberRole, data::kMissingEffectNumber);
        }
    }
    treeColumn->addWidget(StyleList, 1);
    auto* below = new QHBoxLayout;
    SelectAllB = button("Select All", page);
    SelectAllB->setObjectName("SelectAllB");
    DisableAllB = button("Disable All", page);
    DisableAllB->setObjectName("DisableAllB");
    below->addWidget(SelectAllB);
    below->addWidget(DisableAllB);
    treeColumn->addLayout(below);
    h->addLayout(treeColumn, 1);

    auto* side = new QVBoxLayout;
    auto* plusMinus = new QHBoxLayout;
    ExpandB = button("+", page);
    ExpandB->setObjectName("ExpandB");
    CollapseB = button("-", page);
    CollapseB->setObjectName("CollapseB");
    ExpandB->setFixedWidth(36);
    CollapseB->setFixedWidth(36);
    plusMinus->addWidget(ExpandB);
    plusMinus->addWidget(CollapseB);
    plusMinus->addStretch(1);
    side->addLayout(plusMinus);
    fsPanel2 = new QFrame(page);
    fsPanel2->setObjectName("fsPanel2");
    fsPanel2->setFixedSize(144, 108);
    fsPanel2->setAutoFillBackground(true);
    side->addWidget(fsPanel2);
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel("Effect Speed:", page));
    SpeedEdit = new QSpinBox(page);
    SpeedEdit->setObjectName("SpeedEdit");
    SpeedEdit->setRange(1, 5);
    speedRow->addWidget(SpeedEdit);
    side->addLayout(speedRow);
    side->addStretch(1);
    h->addLayout(side);
    v->addLayout(h, 1);
    v->addWidget(CreateBottomBar());

    connect(StyleList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* it) { StyleListClick(it); });
    connect(StyleList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* it) { StyleListChange(it); });
    connect(SelectAllB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::SelectAllBClick));
    connect(DisableAllB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::DisableAllBClick));
    connect(ExpandB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::ExpandBClick));
    connect(CollapseB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::CollapseBClick));
    return page;
}

QWidget* TVorlinConfigForm::CreateOptionsPage() {
    auto* page = new QWidget;
    page->setObjectName("OptionsPage");
    auto* v = new QVBoxLayout(page);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;

    auto* size = new QGroupBox("Image Size", page);
    auto* sizeL = new QVBoxLayout(size);
    OriginalRadio = new QRadioButton("Original Size", size);
    StretchRadio = new QRadioButton("Stretch To Screen", size);
    sizeL->addWidget(OriginalRadio);
    sizeL->addWidget(StretchRadio);
    auto* seq = new QGroupBox("Image Sequence", page);
    auto* seqL = new QVBoxLayout(seq);
    NormalizeRadio = new QRadioButton("Normalize", seq);
    RandomizeRadio = new QRadioButton("Shuffle", seq);
    seqL->addWidget(NormalizeRadio);
    seqL->addWidget(RandomizeRadio);
    // The left column is narrow: the box shows the start of its choice, its list the whole texts.
    auto* monitors = new QGroupBox(TMonitorsBox::kCaption, page);
    auto* moL = new QVBoxLayout(monitors);
    MonitorsCb = new TMonitorsBox(monitors);
    MonitorsCb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    MonitorsCb->setMinimumContentsLength(12);
    MonitorsCb->view()->setMinimumWidth(MonitorsCb->view()->sizeHintForColumn(0) + 24);
    moL->addWidget(MonitorsCb);
    left->addWidget(size);
    left->addWidget(seq);
    left->addWidget(monitors);
    left->addStretch(1);

    auto* effects = new QGroupBox("Transition Effects", page);
    auto* efL = new QVBoxLayout(effects);
    ReverseCheck = new QCheckBox("Allow reverse drawing procedure", effects);
    efL->addWidget(ReverseCheck);
    efL->addWidget(new QLabel(" -  Double the transition effects", effects));
    ClearOldCheck = new QCheckBox("Clear old image before drawing", effects);
    efL->addWidget(ClearOldCheck);
    auto* sounds = new QGroupBox("Sounds and Music", page);
    auto* soL = new QVBoxLayout(sounds);
    PlayMusicCheck = new QCheckBox("Play background music in screen saver", sounds);
    RandomMusicCheck = new QCheckBox("Shuffle Play", sounds);
    LoopMusicCheck = new QCheckBox("Loop Play", sounds);
    for (auto* c : {PlayMusicCheck, RandomMusicCheck, LoopMusicCheck}) soL->addWidget(c);
    right->addWidget(effects);
    right->addWidget(sounds);
    right->addStretch(1);
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);
    v->addLayout(columns, 1);

    auto* transition = new QGroupBox("Transition Setting", page);
    auto* trL = new QHBoxLayout(transition);
    trL->addWidget(new QLabel("Background Color: ", transition));
    BackcolorCb = new TColorBox(transition);
    BackcolorCb->setObjectName("BackcolorCb");
    trL->addWidget(BackcolorCb);
    trL->addSpacing(12);
    trL->addWidget(new QLabel("Redraw Interval (secs):", transition));
    IntervalEdit = new QSpinBox(transition);
    IntervalEdit->setObjectName("IntervalEdit");
    IntervalEdit->setRange(1, 10);
    trL->addWidget(IntervalEdit);
    trL->addStretch(1);
    v->addWidget(transition);
    v->addWidget(CreateBottomBar());
    return page;
}

QWidget* TVorlinConfigForm::CreateBuildPage() {
    auto* page = new QWidget;
    page->setObjectName("BuildPage");
    auto* v = new QVBoxLayout(page);
    NotebookTitle = new QLabel(page);
    NotebookTitle->setObjectName("NotebookTitle");
    QFont bold = NotebookTitle->font();
    bold.setBold(true);
    NotebookTitle->setFont(bold);
    v->addWidget(NotebookTitle);
    Notebook = new QStackedWidget(page);
    Notebook->setObjectName("Notebook");
    const QString note =
        "Note: Click \"Build\" button to create your own screen saver installation, or click "
        "\"Next\" to input more information (Optional).";
    auto noteLabel = [&](QWidget* parent) {
        auto* l = new QLabel(note, parent);
        l->setWordWrap(true);
        return l;
    };

    auto* p0 = new QWidget;
    p0->setWindowTitle("Screen Saver Name");
    auto* l0 = new QVBoxLayout(p0);
    l0->addWidget(new QLabel("Name:", p0));
    NameEdit = new QLineEdit(p0);
    NameEdit->setObjectName("NameEdit");
    l0->addWidget(NameEdit);
    l0->addStretch(1);
    l0->addWidget(noteLabel(p0));

    auto* p1 = new QWidget;
    p1->setWindowTitle("Author Information");
    auto* l1 = new QVBoxLayout(p1);
    l1->addWidget(new QLabel("Author:", p1));
    AuthorEdit = new QLineEdit(p1);
    AuthorEdit->setObjectName("AuthorEdit");
    l1->addWidget(AuthorEdit);
    l1->addWidget(new QLabel("Website:", p1));
    WebsiteEdit = new QLineEdit("http://", p1);
    WebsiteEdit->setObjectName("WebsiteEdit");
    l1->addWidget(WebsiteEdit);
    l1->addStretch(1);
    l1->addWidget(noteLabel(p1));

    auto* p2 = new QWidget;
    p2->setWindowTitle("Readme Text");
    auto* l2 = new QVBoxLayout(p2);
    ReadmeMemo = new QPlainTextEdit(p2);
    ReadmeMemo->setObjectName("ReadmeMemo");
    l2->addWidget(ReadmeMemo, 1);
    LoadReadmeB = button("Load From File...", p2);
    LoadReadmeB->setObjectName("LoadReadmeB");
    auto* lr = new QHBoxLayout;
    lr->addWidget(LoadReadmeB);
    lr->addStretch(1);
    l2->addLayout(lr);

    auto* p3 = new QWidget;
    p3->setWindowTitle("Building...");
    auto* l3 = new QVBoxLayout(p3);
    StatusMemo = new QPlainTextEdit(p3);
    StatusMemo->setObjectName("StatusMemo");
    StatusMemo->setReadOnly(true);
    // Long lines (paths, the compiler's messages) wrap, inside a word when they have no blank.
    StatusMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    StatusMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    l3->addWidget(StatusMemo);

    for (auto* p : {p0, p1, p2, p3}) Notebook->addWidget(p);
    v->addWidget(Notebook, 1);

    auto* nav = new QHBoxLayout;
    nav->addStretch(1);
    BackB = button("<< Back", page);
    BackB->setObjectName("BackB");
    NextB = button("Next >>", page);
    NextB->setObjectName("NextB");
    BuildB = button("Build", page);
    BuildB->setObjectName("BuildB");
    for (auto* b : {BackB, NextB, BuildB}) nav->addWidget(b);
    v->addLayout(nav);

    connect(Notebook, &QStackedWidget::currentChanged, this, [this](int i) { NotebookChange(i); });
    connect(BackB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::BackBClick));
    connect(NextB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::NextBClick));
    connect(BuildB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::BuildBClick));
    connect(LoadReadmeB, &QPushButton::clicked, this, Slot(&TVorlinConfigForm::LoadReadmeBClick));
    for (auto* e : {NameEdit, AuthorEdit, WebsiteEdit})
        connect(e, &QLineEdit::returnPressed, this, Slot(&TVorlinConfigForm::BuildBClick));
    NotebookChange(0);
    return page;
}

void TVorlinConfigForm::ApplySkin() {
    // The skin is a style sheet beside the program; a missing or unreadable one leaves Qt's own look.
    QFile skin(qs(Settings.places.programFolder + "VorlinSaver.003"));
    if (!Settings.places.programFolder.empty() && skin.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(skin.readAll()));
}

// ---------------------------------------------------------------- opening, filling, storing

void TVorlinConfigForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        Guarded([this] { FormShow(); });
    }
}

void TVorlinConfigForm::FormShow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    NavBar->blockSignals(true);
    NavBar->setCurrentRow(0);
    NavBar->blockSignals(false);
    PageControl->setCurrentIndex(0);
    Notebook->setCurrentIndex(0);
    NotebookChange(0);
    FillControls();
}

QListWidgetItem* TVorlinConfigForm::NewListItem(const QString& path, bool ticked) {
    auto* item = new QListWidgetItem(path);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(kTickedRole, ticked);
    return item;
}

void TVorlinConfigForm::FillControls() {
    QPalette pal = fsPanel->palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(Settings.settings.BackgroundColor & 0xFF,
                                                   (Settings.settings.BackgroundColor >> 8) & 0xFF,
                                                   (Settings.settings.BackgroundColor >> 16) & 0xFF));
    fsPanel->setPalette(pal);

    const auto fillList = [this](QListWidget* list, const char* section, bool thumbnails) {
        if (thumbnails) ForgetThumbnails(list, -1);
        list->clear();
        platform::IniFile* ini = Settings.iniFile();
        if (!ini) return;
        const auto snap = ini->snapshot();
        list->setUpdatesEnabled(false);
        for (const auto& key : snap.readKeys(section)) {
            std::string path = key;
            if (!Settings.resolveFile(path)) continue;
            auto* item = NewListItem(qs(path), snap.readBool(section, key, true));
            list->addItem(item);
            if (thumbnails) RequestListThumbnail(item);
        }
        list->setUpdatesEnabled(true);
        if (list->count() > 0) SelectRow(list, 0);
    };
    fillList(ImageList, "Pictures", true);
    if (ImageList->count() > 0)
        ShowThumbnail();
    else
        ClearThumbnail();
    fillList(MusicList, "Music", false);

    const auto& s = Settings.settings;
    (s.StetchImage ? StretchRadio : OriginalRadio)->setChecked(true);
    (s.RandomImage ? RandomizeRadio : NormalizeRadio)->setChecked(true);
    ReverseCheck->setChecked(s.AllowReverseTransition);
    ClearOldCheck->setChecked(s.ClearOldImage);
    PlayMusicCheck->setChecked(s.PlayMusic);
    RandomMusicCheck->setChecked(s.RandomMusic);
    LoopMusicCheck->setChecked(s.LoopMusic);
    BackcolorCb->SelectColor(static_cast<std::uint32_t>(s.BackgroundColor));
    IntervalEdit->setValue(s.ImageInterval);
    SpeedEdit->setValue(s.EffectSpeed);
    MonitorsCb->SetMode(s.Monitors);
}

void TVorlinConfigForm::StoreControls(bool write) {
    auto& s = Settings.settings;
    const auto listKeys = [](QListWidget* list) {
        std::vector<std::pair<std::string, bool>> items;
        items.reserve(list->count());
        for (int i = 0; i < list->count(); ++i)
            items.emplace_back(ss(list->item(i)->text()), list->item(i)->checkState() == Qt::Checked);
        return items;
    };
    const auto pictures = listKeys(ImageList);
    const auto music = listKeys(MusicList);
    // Effect leaves in tree order: number and tick.
    std::vector<std::pair<int, bool>> leaves;
    for (int g = 0; g < StyleList->topLevelItemCount(); ++g) {
        const auto* group = StyleList->topLevelItem(g);
        for (int l = 0; l < group->childCount(); ++l)
            leaves.emplace_back(group->child(l)->data(0, kNumberRole).toInt(),
                                group->child(l)->checkState(0) == Qt::Checked);
    }

    if (write && (ChangeFlags & (cfPictures | cfMusic | cfEffects))) {
        platform::IniFile* ini = Settings.iniFile();
        if (!ini) throw platform::WriteError("The show settings file has not been read.");
        auto batch = ini->batch();
        const auto writeList = [&batch](const char* section, const auto& items) {
            batch.eraseSection(section);
            for (const auto& [path, ticked] : items) batch.writeBool(section, path, ticked);
        };
        if (ChangeFlags & cfPictures) writeList("Pictures", pictures);
        if (ChangeFlags & cfMusic) writeList("Music", music);
        if (ChangeFlags & cfEffects) {
            batch.eraseSection("Transitions");
            for (const auto& [number, ticked] : leaves)
                if (!ticked) batch.writeBool("Transitions", std::to_string(std::int64_t{number} * 3), false);
        }
        batch.commit();
    }
    const auto ticked = [](const auto& items) {
        std::vector<std::string> out;
        for (const auto& [path, on] : items)
            if (on) out.push_back(path);
        return out;
    };
    if (ChangeFlags & cfPictures) s.Pictures = ticked(pictures);
    if (ChangeFlags & cfMusic) s.Music = ticked(music);
    if (ChangeFlags & cfEffects) {
        s.EnabledEffects.reset();
        for (const auto& [number, on] : leaves)
            if (on && number >= 0 && number <= 127) s.EnabledEffects.set(number);
    }
    s.StetchImage = StretchRadio->isChecked();
    s.RandomImage = RandomizeRadio->isChecked();
    s.AllowReverseTransition = ReverseCheck->isChecked();
    s.ClearOldImage = ClearOldCheck->isChecked();
    s.PlayMusic = PlayMusicCheck->isChecked();
    s.RandomMusic = RandomMusicCheck->isChecked();
    s.LoopMusic = LoopMusicCheck->isChecked();
    s.BackgroundColor = static_cast<std::int32_t>(BackcolorCb->SelectedColor());
    s.ImageInterval = IntervalEdit->value();
    s.EffectSpeed = SpeedEdit->value();
    s.Monitors = MonitorsCb->Mode();
}

void TVorlinConfigForm::WriteOptions() {
    Settings.writeOptions();
}

// ---------------------------------------------------------------- lists

void TVorlinConfigForm::SelectRow(QListWidget* list, int row) {
    const QSignalBlocker block(list);
    list->setCurrentRow(row);
}

void TVorlinConfigForm::AddImageBClick() {
    const QString folder =
        QFileInfo(qs(Settings.settings.PicturePath)).isDir() ? qs(Settings.settings.PicturePath) : QString();
    const QStringList files = FShell.openFiles(this, "Open", folder, kPictureFilter);
    if (files.isEmpty()) return;
    AddPictureFiles(files);
}

void TVorlinConfigForm::AddPictureFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    // A path is already present when the file system takes it for one in the list: the same text, or on a
    // file system that ignores letter case, another spelling that reaches the same file. Paths are grouped
    // by their lower-case text so that only such spellings are looked at on disk.
    QHash<QString, QStringList> present;
    present.reserve(ImageList->count() + files.size());
    for (int i = 0; i < ImageList->count(); ++i)
        present[ImageList->item(i)->text().toLower()] << ImageList->item(i)->text();
    const auto isPresent = [&present](const QString& path) {
        const auto it = present.constFind(path.toLower());
        if (it == present.cend()) return false;
        return std::any_of(it->cbegin(), it->cend(), [&path](const QString& known) {
            return known == path || platform::sameExistingFile(ss(known), ss(path));
        });
    };
    ImageList->setUpdatesEnabled(false);
    {
        const QSignalBlocker block(ImageList);
        for (const QString& file : files) {
            const QString path = QFileInfo(file).absoluteFilePath();
            if (isPresent(path)) continue;
            present[path.toLower()] << path;
            auto* item = NewListItem(path, true);
            ImageList->addItem(item);
            RequestListThumbnail(item);
        }
    }
    ImageList->setUpdatesEnabled(true);
    Settings.settings.PicturePath = folderOf(files.front());
    ChangeFlags |= cfPictures;
    if (ImageList->count() > 0) {
        SelectRow(ImageList, ImageList->count() - 1);
        ShowThumbnail();
    }
}

void TVorlinConfigForm::ForgetThumbnails(QListWidget* list, int row) {
    if (list != ImageList) return;
    if (row < 0) {
        FThumbItems.clear();
        if (FThumbPool) FThumbPool->cancelAll();
        return;
    }
    if (auto* item = list->item(row)) FThumbItems.erase(item->data(kThumbIdRole).toULongLong());
}

void TVorlinConfigForm::RemoveFromList(QListWidget* list) {
    const int row = list->currentRow();
    if (row < 0) return;
    ForgetThumbnails(list, row);
    delete list->takeItem(row);
    if (list->count() > 0)
        SelectRow(list, std::min(row, list->count() - 1));
    else
        SelectRow(list, -1);
}

void TVorlinConfigForm::RemoveImageBClick() {
    if (ImageList->currentRow() < 0) return;
    RemoveFromList(ImageList);
    ChangeFlags |= cfPictures;
    ClearThumbnail();
    if (ImageList->count() > 0) ShowThumbnail();
}

void TVorlinConfigForm::ClearImageBClick() {
    ForgetThumbnails(ImageList, -1);
    ImageList->clear();
    ChangeFlags |= cfPictures;
    ClearThumbnail();
}

void TVorlinConfigForm::MoveItem(QListWidget* list, int delta, int flag) {
    const int row = list->currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= list->count()) return;
    const QSignalBlocker block(list);
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(to, item);
    list->setCurrentRow(to);
    ChangeFlags |= flag;
}

void TVorlinConfigForm::ImageUpBClick() {
    MoveItem(ImageList, -1, cfPictures);
}
void TVorlinConfigForm::ImageDownBClick() {
    MoveItem(ImageList, +1, cfPictures);
}

void TVorlinConfigForm::ImageListClick() {
    if (ImageList->currentRow() >= 0) ShowThumbnail();
}

void TVorlinConfigForm::ImageListClickCheck(QListWidgetItem* item) {
    // itemChanged also reports icon changes: only a changed tick counts.
    const bool ticked = item->checkState() == Qt::Checked;
    if (item->data(kTickedRole).toBool() == ticked) return;
    item->setData(kTickedRole, ticked);
    ChangeFlags |= cfPictures;
}

void TVorlinConfigForm::RequestListThumbnail(QListWidgetItem* item) {
    if (!FThumbPool) return;
    const std::uint64_t id = FNextThumbId++;
    item->setData(kThumbIdRole, QVariant::fromValue<qulonglong>(id));
    FThumbItems.emplace(id, item);
    FThumbPool->add(id, ss(item->text()), kListThumbWidth, kListThumbHeight,
                    gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor)));
}

void TVorlinConfigForm::ThumbnailArrived(std::uint64_t id, gfx::Bitmap thumbnail) {
    const auto it = FThumbItems.find(id);
    if (it == FThumbItems.end()) return;
    QListWidgetItem* item = it->second;
    FThumbItems.erase(it);
    if (thumbnail.isEmpty()) return;
    const QSignalBlocker block(ImageList);
    item->setIcon(QIcon(QPixmap::fromImage(toImage(thumbnail))));
}

void TVorlinConfigForm::ClearThumbnail() {
    Image1->clear();
}

void TVorlinConfigForm::ShowThumbnail() {
    QListWidgetItem* item = ImageList->currentItem();
    if (!item) return;
    gfx::Bitmap bmp;
    try {
        gfx::LoadPictureToBitmap(
            bmp, ss(item->text()), Image1->width(),
            gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor)),
            Image1->height());
    } catch (...) {
        bmp = gfx::Bitmap();
    }
    Image1->setPixmap(bmp.isEmpty() ? QPixmap() : QPixmap::fromImage(toImage(bmp)));
    Image1->show();
    if (PreviewRunner && PreviewRunner->Display) {
        PreviewRunner->Display->StopTransition();
        PreviewRunner->Display->hide();
    }
}

void TVorlinConfigForm::AddMusicBClick() {
    const QString folder =
        QFileInfo(qs(Settings.settings.MusicPath)).isDir() ? qs(Settings.settings.MusicPath) : QString();
    const QStringList files = FShell.openFiles(this, "Open", folder, kMusicFilter);
    if (files.isEmpty()) return;
    AddMusicFiles(files);
}

void TVorlinConfigForm::AddMusicFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    {
        const QSignalBlocker block(MusicList);
        for (const QString& file : files)
            MusicList->addItem(NewListItem(QFileInfo(file).absoluteFilePath(), true));
    }
    Settings.settings.MusicPath = folderOf(files.front());
    ChangeFlags |= cfMusic;
    SelectRow(MusicList, MusicList->count() - 1);
}

void TVorlinConfigForm::RemoveMusicBClick() {
    if (MusicList->currentRow() < 0) return;
    music::StopMusic();
    RemoveFromList(MusicList);
    ChangeFlags |= cfMusic;
}

void TVorlinConfigForm::ClearMusicBClick() {
    music::StopMusic();
    MusicList->clear();
    ChangeFlags |= cfMusic;
}

// Moving a music file marks the list changed, so the new order is stored and previewed.
void TVorlinConfigForm::MusicUpBClick() {
    MoveItem(MusicList, -1, cfMusic);
}
void TVorlinConfigForm::MusicDownBClick() {
    MoveItem(MusicList, +1, cfMusic);
}

void TVorlinConfigForm::MusicListClickCheck(QListWidgetItem* item) {
    const bool ticked = item->checkState() == Qt::Checked;
    if (item->data(kTickedRole).toBool() == ticked) return;
    item->setData(kTickedRole, ticked);
    ChangeFlags |= cfMusic;
}

void TVorlinConfigForm::PlayBClick() {
    QListWidgetItem* item = MusicList->currentItem();
    if (!item) return;
    music::StopMusic();
    const std::string file = ss(item->text());
    if (platform::fileExists(file)) music::PlayTrack(file);
}

void TVorlinConfigForm::StopBClick() {
    music::ClearMusicList();
    music::StopMusic();
}

// ---------------------------------------------------------------- effects

void TVorlinConfigForm::FillTree() {
    // A missing catalogue reads as an empty file, so every leaf gets the missing-entry number.
    const std::vector<int> numbers =
        data::readEffectNumbers(Settings.places.programFolder + std::string(data::kCatalogueFileName));
    FFillingTree = true;
    for (int g = 0; g < StyleList->topLevelItemCount(); ++g) {
        auto* group = StyleList->topLevelItem(g);
        group->setCheckState(0, Qt::Unchecked);
        group->setToolTip(0, QString());
        for (int l = 0; l < group->childCount(); ++l) group->child(l)->setCheckState(0, Qt::Unchecked);
    }
    std::size_t next = 0;
    for (int g = 0; g < StyleList->topLevelItemCount(); ++g) {
        auto* group = StyleList->topLevelItem(g);
        for (int l = 0; l < group->childCount(); ++l) {
            auto* leaf = group->child(l);
            const int number = numbers[next++];
            leaf->setData(0, kNumberRole, number);
            if (number >= 0 && number <= 127 && Settings.settings.EnabledEffects.test(number)) {
                leaf->setCheckState(0, Qt::Checked);
                group->setCheckState(0, Qt::Checked);
            }
            // A saved show cannot keep these enabled: a tick would otherwise promise what no show does.
            const bool neverPlayed =
                number >= show::kFirstNeverReadEffect && number <= show::kLastNeverReadEffect;
            leaf->setToolTip(0, neverPlayed ? kNeverPlayedTip : QString());
            if (neverPlayed) group->setToolTip(0, kNeverPlayedTip);
        }
    }
    FFillingTree = false;
    TreeLoaded = true;
}

void TVorlinConfigForm::EffectsPageShow() {
    if (!TreeLoaded) FillTree();
    if (!DemoRunner)
        DemoRunner = std::make_unique<runner::TRunVorlinscreen>(fsPanel2, nullptr, nullptr, nullptr, true,
                                                                true, data::kMissingEffectNumber, &Settings);
    DemoRunner->ApplySettings();
}

void TVorlinConfigForm::StyleListClick(QTreeWidgetItem* item) {
    if (!item) return;
    QTreeWidgetItem* leaf = item;
    if (!item->parent()) {
        if (item->childCount() == 0) return;
        leaf = item->child(0);
        item->setExpanded(!item->isExpanded());
    }
    if (!DemoRunner || !DemoRunner->Display) return;
    DemoRunner->Display->StopTransition();
    DemoRunner->DemonstrationStyle = leaf->data(0, kNumberRole).toInt();
    DemoRunner->NextPicture();
    DemoRunner->StartNext();
}

void TVorlinConfigForm::StyleListChange(QTreeWidgetItem* item) {
    if (!TreeLoaded || FFillingTree || !item) return;
    ChangeFlags |= cfEffects;
    if (!item->parent()) {
        const Qt::CheckState state = item->checkState(0);
        for (int l = 0; l < item->childCount(); ++l) item->child(l)->setCheckState(0, state);
    }
}

void TVorlinConfigForm::SelectAllBClick() {
    const QSignalBlocker block(StyleList);
    for (int g = 0; g < StyleList->topLevelItemCount(); ++g) {
        auto* group = StyleList->topLevelItem(g);
        group->setCheckState(0, Qt::Checked);
        for (int l = 0; l < group->childCount(); ++l) group->child(l)->setCheckState(0, Qt::Checked);
    }
    ChangeFlags |= cfEffects;
}

void TVorlinConfigForm::DisableAllBClick() {
    const QSignalBlocker block(StyleList);
    for (int g = 0; g < StyleList->topLevelItemCount(); ++g) {
        auto* group = StyleList->topLevelItem(g);
        group->setCheckState(0, Qt::Unchecked);
        for (int l = 0; l < group->childCount(); ++l) group->child(l)->setCheckState(0, Qt::Unchecked);
    }
    ChangeFlags |= cfEffects;
}

void TVorlinConfigForm::ExpandBClick() {
    StyleList->expandAll();
}
void TVorlinConfigForm::CollapseBClick() {
    StyleList->collapseAll();
}

// ---------------------------------------------------------------- previews

void TVorlinConfigForm::PreviewB2Click() {
    StoreControls(false);
    if (!PreviewRunner) {
        PreviewRunner = std::make_unique<runner::TRunVorlinscreen>(fsPanel, nullptr, nullptr, nullptr, true,
                                                                   false, 1, &Settings);
    } else {
        PreviewRunner->ApplySettings();
        PreviewRunner->Resume();
    }
    Image1->hide();
    if (PreviewRunner->Display) {
        PreviewRunner->Display->show();
        PreviewRunner->Display->raise();
    }
}

void TVorlinConfigForm::FullscreenPreview() {
    StoreControls(false);
    if (!FullscreenForm) {
        FullscreenForm = std::make_unique<showwindows::TFullscreenForm>();
    } else if (FullscreenForm->Runner) {
        FullscreenForm->Runner->ApplySettings();
    }
    FullscreenForm->show();
}

void TVorlinConfigForm::StopPreviews() {
    // The timers first: a tick after this would start the next transition on a closed window.
    for (runner::TRunVorlinscreen* r : {PreviewRunner.get(), DemoRunner.get()}) {
        if (!r) continue;
        if (r->Timer) r->Timer->stop();
        if (r->Display) r->Display->StopTransition();
    }
}

// ---------------------------------------------------------------- navigation

void TVorlinConfigForm::NavBarClick(int index) {
    if (index < 0 || index >= PageControl->count()) return;
    if (NavBar->currentRow() != index) {
        const QSignalBlocker block(NavBar);
        NavBar->setCurrentRow(index);
    }
    PageControl->setCurrentIndex(index);
    if (index == 2) Guarded([this] { EffectsPageShow(); });
}

void TVorlinConfigForm::NotebookChange(int index) {
    BackB->setEnabled(index != 0);
    NotebookTitle->setText(Notebook->widget(index) ? Notebook->widget(index)->windowTitle() : QString());
}

void TVorlinConfigForm::NextBClick() {
    const int page = Notebook->currentIndex();
    if (page < 2)
        Notebook->setCurrentIndex(page + 1);
    else
        BuildBClick();
}

void TVorlinConfigForm::BackBClick() {
    const int page = Notebook->currentIndex();
    Notebook->setCurrentIndex(page == 3 ? 0 : std::max(0, page - 1));
}

void TVorlinConfigForm::BuildBClick() {
    if (!BuildB->isEnabled()) return;
#ifdef VORLIN_HAVE_INSTALLER
    RunInstallerBuild(*this);
#else
    Notebook->setCurrentIndex(3);
    StatusMemo->appendPlainText("The installer build is not part of this program.");
#endif
}

void TVorlinConfigForm::LoadReadmeBClick() {
    const QString file = FShell.openFile(this, "Open", "*.txt|*.txt");
    if (file.isEmpty()) return;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        FShell.message(this, kCaption, "Cannot read the file " + file + ": " + f.errorString());
        return;
    }
    ReadmeMemo->setPlainText(QString::fromUtf8(f.readAll()));
}

// ---------------------------------------------------------------- closing

void TVorlinConfigForm::OKBClick() {
    close();
}

void TVorlinConfigForm::CancelBClick() {
    FUndo = true;
    if (!close()) FUndo = false;
}

void TVorlinConfigForm::closeEvent(QCloseEvent* event) {
    if (!FUndo) {
        try {
            StoreControls(true);
            WriteOptions();
        } catch (const std::exception& e) {
            // Closing would lose the show: the window stays open and says why.
            FShell.message(this, kCaption, QString::fromUtf8(e.what()));
            event->ignore();
            return;
        }
    }
    try {
        StopPreviews();
        music::ClearMusicList();
        music::StopMusic();
        // Closing (not hiding) ends its show: transition, timer, music and the saver flag.
        if (FullscreenForm) FullscreenForm->CloseNow();
    } catch (...) {
    }
    event->accept();
}

// ---------------------------------------------------------------- help

void TVorlinConfigForm::HelpClick() {
    for (const std::string& folder : {Settings.places.programFolder, Settings.places.installationFolder}) {
        const std::string help = folder + "help.html";
        if (!folder.empty() && platform::fileExists(help)) {
            // A desktop without a program for web pages opens nothing: then say where the file is.
            if (!FShell.openUrl(qs(help)))
                FShell.message(this, kCaption,
                               "No program is set up to open the help. The help file is " + qs(help) + ".");
            return;
        }
    }
    if (!FShell.openUrl(kMakerWebsite))
        FShell.message(this, kCaption,
                       QString("No program is set up to open web pages. The help is at ") + kMakerWebsite +
                           ".");
}

void TVorlinConfigForm::EmailClick() {
    FShell.openUrl(kMakerEmail);
}

void TVorlinConfigForm::AboutClick() {
#ifdef VORLIN_HAVE_INSTALLER
    ShowAboutBox(this);
#else
    FShell.message(this, "About", "VorlinSaver");
#endif
}

// ---------------------------------------------------------------- dropping files

bool TVorlinConfigForm::eventFilter(QObject* watched, QEvent* event) {
    const bool onImages = ImageList && watched == ImageList->viewport();
    const bool onMusic = MusicList && watched == MusicList->viewport();
    if (!onImages && !onMusic) return QMainWindow::eventFilter(watched, event);
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
        Guarded([&] {
            if (onImages)
                AddPictureFiles(expandDropped(urls, kPictureSuffixes));
            else
                AddMusicFiles(expandDropped(urls, kMusicSuffixes));
        });
        return true;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vorlin::builder
