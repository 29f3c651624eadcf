#include "builder/build_page.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlin::builder {

namespace {

// One notebook page titled `title`, its widgets one under the other.
QWidget* notebookPage(const char* title, QBoxLayout** layout) {
    auto* page = new QWidget;
    page->setWindowTitle(title);
    *layout = new QVBoxLayout(page);
    return page;
}

QLabel* noteLabel(QWidget* parent) {
    auto* l =
        new QLabel("Note: Click \"Build\" button to create your own screen saver installation, or click "
                   "\"Next\" to input more information (Optional).",
                   parent);
    l->setWordWrap(true);
    return l;
}

QLineEdit* lineEdit(const QString& text, const char* objectName, QWidget* parent) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(objectName);
    return e;
}

} // namespace

BuildPage::BuildPage(BuilderShell& shell, const char* caption, HandlerGuard guard, QWidget* parent)
    : BuilderPage("BuildPage", std::move(guard), parent), FShell(shell), FCaption(caption) {
    auto* v = new QVBoxLayout(this);
    FNotebookTitle = new QLabel(this);
    FNotebookTitle->setObjectName("NotebookTitle");
    QFont bold = FNotebookTitle->font();
    bold.setBold(true);
    FNotebookTitle->setFont(bold);
    v->addWidget(FNotebookTitle);
    FNotebook = new QStackedWidget(this);
    FNotebook->setObjectName("Notebook");

    QBoxLayout* l = nullptr;
    QWidget* p0 = notebookPage("Screen Saver Name", &l);
    l->addWidget(new QLabel("Name:", p0));
    FNameEdit = lineEdit(QString(), "NameEdit", p0);
    l->addWidget(FNameEdit);
    l->addStretch(1);
    l->addWidget(noteLabel(p0));

    QWidget* p1 = notebookPage("Author Information", &l);
    l->addWidget(new QLabel("Author:", p1));
    FAuthorEdit = lineEdit(QString(), "AuthorEdit", p1);
    l->addWidget(FAuthorEdit);
    l->addWidget(new QLabel("Website:", p1));
    FWebsiteEdit = lineEdit("http://", "WebsiteEdit", p1);
    l->addWidget(FWebsiteEdit);
    l->addStretch(1);
    l->addWidget(noteLabel(p1));

    QWidget* p2 = notebookPage("Readme Text", &l);
    FReadmeMemo = new QPlainTextEdit(p2);
    FReadmeMemo->setObjectName("ReadmeMemo");
    l->addWidget(FReadmeMemo, 1);
    QPushButton* loadReadme = button("Load From File...", "LoadReadmeB", p2);
    auto* lr = new QHBoxLayout;
    lr->addWidget(loadReadme);
    lr->addStretch(1);
    l->addLayout(lr);

    QWidget* p3 = notebookPage("Building...", &l);
    FStatusMemo = new QPlainTextEdit(p3);
    FStatusMemo->setObjectName("StatusMemo");
    FStatusMemo->setReadOnly(true);
    // Long lines (paths, the compiler's messages) wrap, inside a word when they have no blank.
    FStatusMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    FStatusMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    l->addWidget(FStatusMemo);

    for (auto* p : {p0, p1, p2, p3}) FNotebook->addWidget(p);
    v->addWidget(FNotebook, 1);

    auto* nav = new QHBoxLayout;
    nav->addStretch(1);
    FBackB = button("<< Back", "BackB", this);
    FNextB = button("Next >>", "NextB", this);
    FBuildB = button("Build", "BuildB", this);
    for (auto* b : {FBackB, FNextB, FBuildB}) nav->addWidget(b);
    v->addLayout(nav);

    connect(FNotebook, &QStackedWidget::currentChanged, this, [this](int i) { NotebookChange(i); });
    onClick(FBackB, this, &BuildPage::BackBClick);
    onClick(FNextB, this, &BuildPage::NextBClick);
    onClick(FBuildB, this, &BuildPage::BuildBClick);
    onClick(loadReadme, this, &BuildPage::LoadReadmeBClick);
    for (auto* e : {FNameEdit, FAuthorEdit, FWebsiteEdit})
        connect(e, &QLineEdit::returnPressed, this, [this] { guarded([this] { BuildBClick(); }); });
    NotebookChange(npName);
}

BuildFields BuildPage::Fields() const {
    return {FNameEdit->text().toStdString(), FAuthorEdit->text().toStdString(),
            FWebsiteEdit->text().toStdString(), FReadmeMemo->toPlainText().toStdString()};
}

void BuildPage::Reset() {
    FNotebook->setCurrentIndex(npName);
    NotebookChange(npName);
}

void BuildPage::NotebookChange(int index) {
    FBackB->setEnabled(index != npName);
    FNotebookTitle->setText(FNotebook->widget(index) ? FNotebook->widget(index)->windowTitle() : QString());
}

void BuildPage::NextBClick() {
    const int page = FNotebook->currentIndex();
    if (page < npReadme)
        FNotebook->setCurrentIndex(page + 1);
    else
        BuildBClick();
}

void BuildPage::BackBClick() {
    const int page = FNotebook->currentIndex();
    FNotebook->setCurrentIndex(page == npStatus ? npName : std::max(0, page - 1));
}

void BuildPage::BuildBClick() {
    if (FBuildB->isEnabled()) emit buildRequested();
}

void BuildPage::LoadReadmeBClick() {
    const QString file = FShell.openFile(this, "Open", "*.txt|*.txt");
    if (file.isEmpty()) return;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        FShell.message(this, FCaption, "Cannot read the file " + file + ": " + f.errorString());
        return;
    }
    FReadmeMemo->setPlainText(QString::fromUtf8(f.readAll()));
}

void BuildPage::BuildStarted(const std::vector<std::string>& notes) {
    FBuildB->setEnabled(false);
    FStatusMemo->clear();
    for (const auto& note : notes) FStatusMemo->appendPlainText(QString::fromStdString(note));
    FNotebook->setCurrentIndex(npStatus);
    FNextB->setEnabled(false);
}

void BuildPage::AppendStatus(const QString& line) {
    FStatusMemo->appendPlainText(line);
}

void BuildPage::ClearStatus() {
    FStatusMemo->clear();
}

void BuildPage::BuildEnded() {
    FBuildB->setEnabled(true);
    FNextB->setEnabled(true);
}

} // namespace vorlin::builder
