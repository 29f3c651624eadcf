#include "builder/config_form.h"

#include "builder/build_page.h"
#include "builder/build_page_hooks.h"
#include "builder/effects_page.h"
#include "builder/file_list_page.h"
#include "builder/list_file_kinds.h"
#include "builder/options_page.h"
#include "data/effect_tree.h"
#include "gfx/bitmap.h"
#include "music/playlist/playlist.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "saver_config/about_box.h"
#include "show/runner/run_vorlinscreen.h"
#include "show/windows/fullscreen_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>

#include <exception>

namespace vorlin::builder {

QString TVorlinConfigForm::pictureFilter() {
    return builder::pictureFilter();
}
const char* const TVorlinConfigForm::kMusicFilter = builder::kMusicFilter;

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
}

TVorlinConfigForm::~TVorlinConfigForm() {
    StopPreviews();
    // The runners' canvases belong to the panels; the runners go first so no timer reaches a dead canvas.
    PreviewRunner.reset();
    DemoRunner.reset();
    FullscreenForm.reset();
}

std::size_t TVorlinConfigForm::PendingThumbnails() const {
    return FImages->PendingThumbnails();
}

// ---------------------------------------------------------------- construction

void TVorlinConfigForm::CreateMenu() {
    QMenu* setting = menuBar()->addMenu("&Setting");
    FMenu.PreviewItem = setting->addAction("Preview", this, Slot(&TVorlinConfigForm::FullscreenPreview));
    FMenu.PreviewItem->setShortcut(Qt::Key_F2);
    setting->addSeparator();
    FMenu.SaveExitItem = setting->addAction("Save and E&xit", this, Slot(&TVorlinConfigForm::OKBClick));
    FMenu.SaveExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    FMenu.UndoExitItem = setting->addAction("Undo and &Exit", this, Slot(&TVorlinConfigForm::CancelBClick));
    FMenu.UndoExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));

    QMenu* project = menuBar()->addMenu("&Project");
    FMenu.LoadProjectItem =
        project->addAction("&Load Project", this, Slot(&TVorlinConfigForm::LoadProjectClick));
    FMenu.LoadProjectItem->setShortcut(Qt::Key_F3);
    FMenu.SaveProjectItem =
        project->addAction("&Save Project", this, Slot(&TVorlinConfigForm::SaveProjectClick));
    FMenu.SaveProjectItem->setShortcut(Qt::Key_F4);
    FMenu.SaveProjectAsItem =
        project->addAction("Save Project &As...", this, Slot(&TVorlinConfigForm::SaveProjectAsClick));
    FMenu.SaveProjectAsItem->setShortcut(Qt::Key_F5);
    project->addSeparator();
    FMenu.BuildProjectItem =
        project->addAction("&Build Project", this, [this] { FNavBar->setCurrentRow(int(Page::Build)); });
    FMenu.BuildProjectItem->setShortcut(Qt::Key_F9);

    QMenu* help = menuBar()->addMenu("&Help");
    FMenu.HelpItem = help->addAction("&Help", this, Slot(&TVorlinConfigForm::HelpClick));
    FMenu.HelpItem->setShortcut(Qt::Key_F1);
    help->addSeparator();
    FMenu.EmailItem = help->addAction("Email...", this, Slot(&TVorlinConfigForm::EmailClick));
    help->addSeparator();
    FMenu.AboutItem = help->addAction("&About", this, Slot(&TVorlinConfigForm::AboutClick));
}

void TVorlinConfigForm::ConnectPage(BuilderPage* page) {
    connect(page, &BuilderPage::fullscreenPreviewRequested, this, [this] { FullscreenPreview(); });
    connect(page, &BuilderPage::okRequested, this, [this] { OKBClick(); });
    connect(page, &BuilderPage::cancelRequested, this, [this] { CancelBClick(); });
    FPageControl->addWidget(page);
}

void TVorlinConfigForm::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName("Client");
    client->setFixedSize(kClientWidth, kClientHeight);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    FNavBar = new QListWidget(client);
    FNavBar->setObjectName("NavBar");
    FNavBar->setFixedWidth(kNavBarWidth);
    FNavBar->setViewMode(QListView::ListMode);
    FNavBar->setSpacing(6);
    for (const char* item : {"Images", "Music", "Effects", "Options", "Build"}) {
        auto* it = new QListWidgetItem(item, FNavBar);
        it->setTextAlignment(Qt::AlignCenter);
    }
    row->addWidget(FNavBar);

    FPageControl = new QStackedWidget(client);
    FPageControl->setObjectName("PageControl");
    const HandlerGuard guard = [this](const std::function<void()>& fn) { Guarded(fn); };
    FImages = new FileListPage(FileListPage::Kind::Pictures, Settings, FShell, guard);
    FMusic = new FileListPage(FileListPage::Kind::Music, Settings, FShell, guard);
    FEffects = new EffectsPage(guard);
    FOptions = new OptionsPage(guard);
    FBuild = new BuildPage(FShell, kCaption, guard);
    for (BuilderPage* page : std::initializer_list<BuilderPage*>{FImages, FMusic, FEffects, FOptions, FBuild})
        ConnectPage(page);
    row->addWidget(FPageControl, 1);
    connect(FNavBar, &QListWidget::currentRowChanged, this, [this](int r) { NavBarClick(r); });

    connect(FImages, &FileListPage::changed, this, [this] { ChangeFlags |= cfPictures; });
    connect(FMusic, &FileListPage::changed, this, [this] { ChangeFlags |= cfMusic; });
    connect(FEffects, &EffectsPage::changed, this, [this] { ChangeFlags |= cfEffects; });
    connect(FImages, &FileListPage::smallPreviewRequested, this, [this] { PreviewB2Click(); });
    // The thumbnail replaces a running small preview.
    connect(FImages, &FileListPage::thumbnailShown, this, [this] {
        if (PreviewRunner && PreviewRunner->Display) {
            PreviewRunner->Display->StopTransition();
            PreviewRunner->Display->hide();
        }
    });
    connect(FEffects, &EffectsPage::demonstrate, this, [this](int number) { Demonstrate(number); });
    connect(FBuild, &BuildPage::buildRequested, this, [this] { StartBuild(); });

    setCentralWidget(client);
    // Made now, so that the window keeps one size when the first status line appears.
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TVorlinConfigForm::ApplySkin() {
    // The skin is a style sheet beside the program; a missing or unreadable one leaves Qt's own look.
    QFile skin(QString::fromStdString(Settings.places.programFolder + "VorlinSaver.003"));
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
    {
        const QSignalBlocker block(FNavBar);
        FNavBar->setCurrentRow(int(Page::Images));
    }
    FPageControl->setCurrentIndex(int(Page::Images));
    FBuild->Reset();
    FillControls();
}

void TVorlinConfigForm::FillControls() {
    QFrame* panel = FImages->fsPanel();
    QPalette pal = panel->palette();
    const gfx::Color back =
        gfx::Color::fromColorRef(static_cast<std::uint32_t>(Settings.settings.BackgroundColor));
    pal.setColor(QPalette::Window, QColor::fromRgb(back.r, back.g, back.b));
    panel->setPalette(pal);
    FImages->Fill();
    FMusic->Fill();
    FOptions->Fill(Settings.settings);
    FEffects->SpeedEdit()->setValue(Settings.settings.EffectSpeed);
}

void TVorlinConfigForm::StoreControls(bool write) {
    auto& s = Settings.settings;
    const auto pictures = FImages->Items();
    const auto folders = FImages->FolderItems();
    const auto music = FMusic->Items();
    const auto leaves = FEffects->Leaves();

    if (write && (ChangeFlags & (cfPictures | cfMusic | cfEffects))) {
        platform::IniFile* ini = Settings.iniFile();
        if (!ini) throw platform::WriteError("The show settings file has not been read.");
        auto batch = ini->batch();
        const auto writeList = [&batch](const char* section, const auto& items) {
            batch.eraseSection(section);
            for (const auto& [path, ticked] : items) batch.writeBool(section, path, ticked);
        };
        if (ChangeFlags & cfPictures) {
            writeList("Pictures", pictures);
            // Kept with the pictures: 1 the folder, 2 with its sub-folders, 0 left out.
            batch.eraseSection("Folders");
            for (const auto& [folder, on] : folders)
                batch.writeInteger("Folders", folder.path, on ? (folder.subfolders ? 2 : 1) : 0);
        }
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
    if (ChangeFlags & cfPictures) {
        // The show lists the folders as a start would, so the previews show their pictures too.
        s.Pictures = ticked(pictures);
        s.Folders.clear();
        for (const auto& [folder, on] : folders)
            if (on) s.Folders.push_back(folder);
        const auto listed = Settings.folderPictures(s.Folders);
        s.Pictures.insert(s.Pictures.end(), listed.begin(), listed.end());
    }
    if (ChangeFlags & cfMusic) s.Music = ticked(music);
    if (ChangeFlags & cfEffects) {
        s.EnabledEffects.reset();
        for (const auto& [number, on] : leaves)
            if (on && number >= 0 && number <= 127) s.EnabledEffects.set(number);
    }
    FOptions->Store(s);
    s.EffectSpeed = FEffects->SpeedEdit()->value();
}

void TVorlinConfigForm::WriteOptions() {
    Settings.writeOptions();
}

// ---------------------------------------------------------------- handlers the pages carry out

void TVorlinConfigForm::AddImageBClick() {
    FImages->AddClick();
}
void TVorlinConfigForm::AddPictureFiles(const QStringList& files) {
    FImages->AddFiles(files);
}
void TVorlinConfigForm::RemoveImageBClick() {
    FImages->RemoveClick();
}
void TVorlinConfigForm::ClearImageBClick() {
    FImages->ClearClick();
}
void TVorlinConfigForm::ImageUpBClick() {
    FImages->UpClick();
}
void TVorlinConfigForm::ImageDownBClick() {
    FImages->DownClick();
}
void TVorlinConfigForm::ImageListClick() {
    FImages->ListClick();
}
void TVorlinConfigForm::AddMusicBClick() {
    FMusic->AddClick();
}
void TVorlinConfigForm::RemoveMusicBClick() {
    FMusic->RemoveClick();
}
void TVorlinConfigForm::ClearMusicBClick() {
    FMusic->ClearClick();
}
void TVorlinConfigForm::MusicUpBClick() {
    FMusic->UpClick();
}
void TVorlinConfigForm::MusicDownBClick() {
    FMusic->DownClick();
}
void TVorlinConfigForm::StyleListClick(QTreeWidgetItem* item) {
    FEffects->StyleListClick(item);
}
void TVorlinConfigForm::SelectAllBClick() {
    FEffects->SelectAllBClick();
}
void TVorlinConfigForm::DisableAllBClick() {
    FEffects->DisableAllBClick();
}
void TVorlinConfigForm::ExpandBClick() {
    FEffects->ExpandBClick();
}
void TVorlinConfigForm::CollapseBClick() {
    FEffects->CollapseBClick();
}
void TVorlinConfigForm::NextBClick() {
    FBuild->NextBClick();
}
void TVorlinConfigForm::BackBClick() {
    FBuild->BackBClick();
}
void TVorlinConfigForm::BuildBClick() {
    FBuild->BuildBClick();
}
void TVorlinConfigForm::LoadReadmeBClick() {
    FBuild->LoadReadmeBClick();
}

// ---------------------------------------------------------------- effects and previews

void TVorlinConfigForm::EffectsPageShow() {
    if (!FEffects->TreeLoaded) FEffects->FillTree(Settings);
    if (!DemoRunner)
        DemoRunner =
            std::make_unique<runner::TRunVorlinscreen>(FEffects->fsPanel2(), nullptr, nullptr, nullptr, true,
                                                       true, data::kMissingEffectNumber, &Settings);
    DemoRunner->ApplySettings();
}

void TVorlinConfigForm::Demonstrate(int effectNumber) {
    if (!DemoRunner || !DemoRunner->Display) return;
    DemoRunner->Display->StopTransition();
    DemoRunner->DemonstrationStyle = effectNumber;
    DemoRunner->NextPicture();
    DemoRunner->StartNext();
}

void TVorlinConfigForm::PreviewB2Click() {
    StoreControls(false);
    if (!PreviewRunner) {
        PreviewRunner = std::make_unique<runner::TRunVorlinscreen>(FImages->fsPanel(), nullptr, nullptr,
                                                                   nullptr, true, false, 1, &Settings);
    } else {
        PreviewRunner->ApplySettings();
        PreviewRunner->Resume();
    }
    FImages->Image1()->hide();
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
    if (index < 0 || index >= kPageCount) return;
    if (FNavBar->currentRow() != index) {
        const QSignalBlocker block(FNavBar);
        FNavBar->setCurrentRow(index);
    }
    FPageControl->setCurrentIndex(index);
    if (static_cast<Page>(index) == Page::Effects) Guarded([this] { EffectsPageShow(); });
}

void TVorlinConfigForm::StartBuild() {
    RunInstallerBuild(*this);
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
            const QString file = QString::fromStdString(help);
            // A desktop without a program for web pages opens nothing: then say where the file is.
            if (!FShell.openUrl(file))
                FShell.message(this, kCaption,
                               "No program is set up to open the help. The help file is " + file + ".");
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

// The about box is made on first use and shown modally.
void TVorlinConfigForm::AboutClick() {
    try {
        static QPointer<saverconfig::TAboutForm> box;
        if (!box) box = new saverconfig::TAboutForm(this);
        box->exec();
    } catch (...) {
    }
}

} // namespace vorlin::builder
