#pragma once
// The builder window: one show's pictures, music, effects and options, its previews, its project files,
// and the Build page that hands over to the installer build.
//
// The window keeps the show in its controls. It fills them from the show settings record, copies them back
// before every preview, save and build (StoreControls), and writes them into the working settings file
// when it closes with storing. A list is copied back, and its section of the working settings file
// rewritten, only while its change flag is set, so a list the user never touched keeps its section byte
// for byte. The flags are cleared only by loading a project.
//
// Project files (*.fly) are byte copies of the working settings file: Save Project stores and writes it,
// Save Project As stores, copies it out and puts the previous working file back, Load Project copies a
// project over it and reloads.
//
// Picture thumbnails in the list are decoded by a worker pool that never calls Qt; results come back
// through the application's dispatcher. Every dialog and message goes through a BuilderShell so that
// tests answer them. Main thread only; no exception leaves a handler.

#include "builder/builder_shell.h"
#include "builder/color_box.h"
#include "builder/thumbnail_pool.h"
#include "show/settings/show_settings.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vorlin::platform {
class IniFile;
}
namespace vorlin::runner {
class TRunVorlinscreen;
}
namespace vorlin::showwindows {
class TFullscreenForm;
}

namespace vorlin::builder {

class TMonitorsBox;
// The change flags.
enum TChangeFlag : int { cfPictures = 1, cfMusic = 2, cfEffects = 4 };

// What each build sets (the installer build fills them).
struct TBuildNames {
    std::string CompileFolder;
    std::string SaverName;
    std::string ScrFile;
    std::string InstallerPath;
    std::string SettingsFile;
};

class TVorlinConfigForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 538;
    static constexpr int kClientHeight = 333;
    static constexpr int kNavBarWidth = 77;
    static constexpr const char* kCaption = "2Vorlin Screen Saver Builder";
    static constexpr const char* kPictureFilter =
        "All Pictures|*.gif;*.jpg;*.jpeg;*.bmp;*.wmf;*.emf;*.ico;*.png;*.webp|GIF Files (*.gif)|*.gif|"
        "JPEG Files (*.jpg, *.jpeg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|Metafiles (*.wmf, *.emf)|*.wmf;*.emf|"
        "Icons (*.ico)|*.ico|PNG Files (*.png)|*.png|WebP Files (*.webp)|*.webp";
    static constexpr const char* kMusicFilter =
        "All Support Types|*.mp3;*.wav;*.mid|Mp3 Files (*.mp3)|*.mp3|Wave Files (*.wav)|*.wav|MIDI Files "
        "(*.mid)|*.mid";
    static constexpr const char* kProjectFilter = "*.fly|*.fly";
    static constexpr const char* kMakerWebsite = "https://mirtavo.example/vorlinsaver/";
    static constexpr const char* kMakerEmail = "mailto:support@mirtavo.example";
    // The thumbnail beside each path of the picture list.
    static constexpr int kListThumbWidth = 21;
    static constexpr int kListThumbHeight = 16;
    // How long a status line (such as "Project saved") stays.
    static constexpr int kStatusMessageMs = 4000;

    // `settings` must outlive the window; it has been read (its places name the working settings file).
    explicit TVorlinConfigForm(show::ShowSettingsFile& settings, BuilderShell shell = realBuilderShell(),
                               QWidget* parent = nullptr);
    ~TVorlinConfigForm() override;

    // ---- operations other parts of the builder call
    void FillControls();
    // Copies the controls into the show settings; with `write` also rewrites the edited lists in the
    // working settings file. Throws platform::WriteError when the file cannot be written.
    void StoreControls(bool write);
    // Writes the twelve [Set] options of the record. Throws platform::WriteError.
    void WriteOptions();
    show::ShowSettingsFile& SettingsFile() { return Settings; }
    BuilderShell& Shell() { return FShell; }

    // ---- handlers
    void FormShow();
    void NavBarClick(int index);
    void AddImageBClick();
    void RemoveImageBClick();
    void ClearImageBClick();
    void ImageUpBClick();
    void ImageDownBClick();
    void ImageListClick();
    void ImageListClickCheck(QListWidgetItem* item);
    void AddMusicBClick();
    void RemoveMusicBClick();
    void ClearMusicBClick();
    void MusicUpBClick();
    void MusicDownBClick();
    void MusicListClickCheck(QListWidgetItem* item);
    void PlayBClick();
    void StopBClick();
    void EffectsPageShow();
    void StyleListClick(QTreeWidgetItem* item);
    void StyleListChange(QTreeWidgetItem* item);
    void SelectAllBClick();
    void DisableAllBClick();
    void ExpandBClick();
    void CollapseBClick();
    void PreviewB2Click();
    void FullscreenPreview();
    void OKBClick();
    void CancelBClick();
    void NotebookChange(int index);
    void NextBClick();
    void BackBClick();
    void BuildBClick();
    void LoadReadmeBClick();
    void SaveProjectClick();
    void SaveProjectAsClick();
    void LoadProjectClick();
    void HelpClick();
    void EmailClick();
    void AboutClick();

    // Add as the "Add" buttons do, for files already chosen (the dialogs and dropped files).
    void AddPictureFiles(const QStringList& files);
    void AddMusicFiles(const QStringList& files);

    // ---- state
    int ChangeFlags = 0;
    bool TreeLoaded = false;
    std::vector<std::string> ScriptLines;
    TBuildNames BuildNames;
    std::unique_ptr<runner::TRunVorlinscreen> PreviewRunner;
    std::unique_ptr<runner::TRunVorlinscreen> DemoRunner;
    std::unique_ptr<showwindows::TFullscreenForm> FullscreenForm;
    // Thumbnail decodes queued or running (for tests and benchmarks).
    std::size_t PendingThumbnails() const;

    // ---- controls
    QListWidget* NavBar = nullptr;
    QStackedWidget* PageControl = nullptr;
    // Images
    QListWidget* ImageList = nullptr;
    QFrame* fsPanel = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton *AddImageB = nullptr, *RemoveImageB = nullptr, *ClearImageB = nullptr;
    QPushButton *ImageUpB = nullptr, *ImageDownB = nullptr, *PreviewB2 = nullptr, *FullscreenB = nullptr;
    // Music
    QListWidget* MusicList = nullptr;
    QPushButton *AddMusicB = nullptr, *RemoveMusicB = nullptr, *ClearMusicB = nullptr;
    QPushButton *PlayB = nullptr, *StopB = nullptr, *MusicUpB = nullptr, *MusicDownB = nullptr;
    // Effects
    QTreeWidget* StyleList = nullptr;
    QPushButton *ExpandB = nullptr, *CollapseB = nullptr, *SelectAllB = nullptr, *DisableAllB = nullptr;
    QFrame* fsPanel2 = nullptr;
    QSpinBox* SpeedEdit = nullptr;
    // Options
    QRadioButton *OriginalRadio = nullptr, *StretchRadio = nullptr;
    QRadioButton *NormalizeRadio = nullptr, *RandomizeRadio = nullptr;
    QCheckBox *ReverseCheck = nullptr, *ClearOldCheck = nullptr;
    QCheckBox *PlayMusicCheck = nullptr, *RandomMusicCheck = nullptr, *LoopMusicCheck = nullptr;
    TColorBox* BackcolorCb = nullptr;
    QSpinBox* IntervalEdit = nullptr;
    TMonitorsBox* MonitorsCb = nullptr;
    // Bottom bars of the first four pages
    std::vector<QPushButton*> PreviewButtons, OKButtons, CancelButtons;
    // Build
    QStackedWidget* Notebook = nullptr;
    QLabel* NotebookTitle = nullptr;
    QLineEdit *NameEdit = nullptr, *AuthorEdit = nullptr, *WebsiteEdit = nullptr;
    QPlainTextEdit* ReadmeMemo = nullptr;
    QPushButton* LoadReadmeB = nullptr;
    QPlainTextEdit* StatusMemo = nullptr;
    QPushButton *BackB = nullptr, *NextB = nullptr, *BuildB = nullptr;
    // Menu
    QAction *PreviewItem = nullptr, *SaveExitItem = nullptr, *UndoExitItem = nullptr;
    QAction *LoadProjectItem = nullptr, *SaveProjectItem = nullptr, *SaveProjectAsItem = nullptr;
    QAction *BuildProjectItem = nullptr, *HelpItem = nullptr, *EmailItem = nullptr, *AboutItem = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    QWidget* CreateImagesPage();
    QWidget* CreateMusicPage();
    QWidget* CreateEffectsPage();
    QWidget* CreateOptionsPage();
    QWidget* CreateBuildPage();
    QWidget* CreateBottomBar();
    void FillTree();
    void ShowThumbnail();
    void ClearThumbnail();
    void SelectRow(QListWidget* list, int row);
    void MoveItem(QListWidget* list, int delta, int flag);
    void RemoveFromList(QListWidget* list);
    QListWidgetItem* NewListItem(const QString& path, bool ticked);
    void RequestListThumbnail(QListWidgetItem* item);
    void ThumbnailArrived(std::uint64_t id, gfx::Bitmap thumbnail);
    void ForgetThumbnails(QListWidget* list, int row);
    void StopPreviews();
    void ApplySkin();
    // Runs a handler, turning an escaping exception into a message box.
    void Guarded(const std::function<void()>& fn);
    // A slot that runs a handler through Guarded.
    std::function<void()> Slot(void (TVorlinConfigForm::*handler)());

    show::ShowSettingsFile& Settings;
    BuilderShell FShell;
    bool FShown = false;
    bool FUndo = false;
    bool FFillingTree = false;
    std::uint64_t FNextThumbId = 1;
    std::unordered_map<std::uint64_t, QListWidgetItem*> FThumbItems;
    std::unique_ptr<ThumbnailPool> FThumbPool;
};

} // namespace vorlin::builder
