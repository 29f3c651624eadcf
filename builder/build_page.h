#pragma once
// The Build page: a notebook of four pages (the screen saver's name; author and web site; the readme
// text; the build's status) with "<< Back", "Next >>" and "Build" below it.
//
// The page moves through its notebook by itself; "Build" (also "Next >>" on the readme and status pages,
// and Enter in the name, author and web-site edits) emits buildRequested() while "Build" is enabled. The
// build reports back through BuildStarted, AppendStatus and BuildEnded, which are the only ways the
// status page and the buttons change during a build. Main thread only.

#include "builder/builder_page.h"
#include "builder/builder_shell.h"

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;

namespace vorlin::builder {

// What the user typed on the Build page.
struct BuildFields {
    std::string name, author, website, readme;
};

class BuildPage : public BuilderPage {
    Q_OBJECT
public:
    enum NotebookPage : int { npName, npAuthor, npReadme, npStatus };

    // `shell` must outlive the page; `caption` titles its messages.
    BuildPage(BuilderShell& shell, const char* caption, HandlerGuard guard, QWidget* parent = nullptr);

    BuildFields Fields() const;
    // Back to the name page, "<< Back" disabled (the window's first showing).
    void Reset();

    // ---- handlers
    void NotebookChange(int index);
    void NextBClick();
    void BackBClick();
    void BuildBClick();
    void LoadReadmeBClick();

    // ---- the build's reports
    // The status page shows `notes` alone; "Build" and "Next >>" are disabled until BuildEnded.
    void BuildStarted(const std::vector<std::string>& notes);
    void AppendStatus(const QString& line);
    void ClearStatus();
    void BuildEnded();

    // Its widgets are found by their object names: "Notebook", "NameEdit", "AuthorEdit", "WebsiteEdit",
    // "ReadmeMemo", "StatusMemo", "BackB", "NextB", "BuildB", "LoadReadmeB".

signals:
    void buildRequested();

private:
    BuilderShell& FShell;
    const char* FCaption;
    QStackedWidget* FNotebook = nullptr;
    QLabel* FNotebookTitle = nullptr;
    QLineEdit *FNameEdit = nullptr, *FAuthorEdit = nullptr, *FWebsiteEdit = nullptr;
    QPlainTextEdit* FReadmeMemo = nullptr;
    QPlainTextEdit* FStatusMemo = nullptr;
    QPushButton *FBackB = nullptr, *FNextB = nullptr, *FBuildB = nullptr;
};

} // namespace vorlin::builder
