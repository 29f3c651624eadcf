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
// Each page is a class of its own (builder_page.h); the window keeps what concerns all of them: the change
// flags, the previews, storing and closing, the menu and project files. The handlers keep their
// established names as forwarders to the pages. Every dialog and message goes through a BuilderShell so
// that tests answer them. Main thread only; no exception leaves a handler.

#include "builder/builder_page.h"
#include "builder/builder_shell.h"
#include "saver_config/branding.h"
#include "show/settings/show_settings.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QListWidget;
class QStackedWidget;
class QTreeWidgetItem;

namespace vorlin::runner {
class TRunVorlinscreen;
}
namespace vorlin::showwindows {
class TFullscreenForm;
}

namespace vorlin::builder {

class BuildPage;
class EffectsPage;
class FileListPage;
class OptionsPage;

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
    static constexpr const char* kCaption = branding::kBuilderCaption;
    static QString pictureFilter();
    static const char* const kMusicFilter;
    static constexpr const char* kProjectFilter = "*.fly|*.fly";
    static constexpr const char* kMakerWebsite = branding::kMakerWebsite;
    static constexpr const char* kMakerEmail = branding::kMakerEmail;
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
    void AddMusicBClick();
    void RemoveMusicBClick();
    void ClearMusicBClick();
    void MusicUpBClick();
    void MusicDownBClick();
    void EffectsPageShow();
    void StyleListClick(QTreeWidgetItem* item);
    void SelectAllBClick();
    void DisableAllBClick();
    void ExpandBClick();
    void CollapseBClick();
    void PreviewB2Click();
    void FullscreenPreview();
    void OKBClick();
    void CancelBClick();
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

    // Add as the picture list's "Add" does, for files already chosen.
    void AddPictureFiles(const QStringList& files);

    // ---- state
    int ChangeFlags = 0;
    std::vector<std::string> ScriptLines;
    TBuildNames BuildNames;
    std::unique_ptr<runner::TRunVorlinscreen> PreviewRunner;
    std::unique_ptr<runner::TRunVorlinscreen> DemoRunner;
    std::unique_ptr<showwindows::TFullscreenForm> FullscreenForm;
    // Thumbnail decodes queued or running (for tests and benchmarks).
    std::size_t PendingThumbnails() const;

    // ---- the window's own controls and its pages
    FileListPage* Images() const { return FImages; }
    FileListPage* Music() const { return FMusic; }
    EffectsPage* Effects() const { return FEffects; }
    OptionsPage* Options() const { return FOptions; }
    BuildPage* Build() const { return FBuild; }

    // The main menu's entries.
    struct TMainMenu {
        QAction *PreviewItem = nullptr, *SaveExitItem = nullptr, *UndoExitItem = nullptr;
        QAction *LoadProjectItem = nullptr, *SaveProjectItem = nullptr, *SaveProjectAsItem = nullptr;
        QAction *BuildProjectItem = nullptr, *HelpItem = nullptr, *EmailItem = nullptr, *AboutItem = nullptr;
    };
    const TMainMenu& Menu() const { return FMenu; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void ConnectPage(BuilderPage* page);
    void StartBuild();
    void Demonstrate(int effectNumber);
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
    TMainMenu FMenu;
    QListWidget* FNavBar = nullptr;
    QStackedWidget* FPageControl = nullptr;
    FileListPage* FImages = nullptr;
    FileListPage* FMusic = nullptr;
    EffectsPage* FEffects = nullptr;
    OptionsPage* FOptions = nullptr;
    BuildPage* FBuild = nullptr;
};

} // namespace vorlin::builder
