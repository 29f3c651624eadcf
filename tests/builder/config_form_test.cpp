// The builder window on the offscreen platform: which change flag each edit sets, what storing writes
// into the working settings file (and what it must leave alone), the effect tree's fill and group rules,
// closing with and without storing, and project files. Dialogs are answered through a test shell.

#include "builder_fixture.h"

#include "../lib/controls_whole.h"
#include "saver_config/color_box.h"
#include "saver_config/look_boxes.h"
#include "saver_config/monitors_box.h"
#include "show/runner/run_vorlinscreen.h"
#include "show/windows/fullscreen_form.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;
using namespace vorlin;
using builder::TVorlinConfigForm;

namespace {

using namespace vorlin::testing;

// The lines of one section, header included, as they stand in the file.
std::string sectionText(const std::string& file, const std::string& name) {
    std::istringstream in(file);
    std::string line, out;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') inside = line == "[" + name + "]";
        if (inside) out += line + "\n";
    }
    return out;
}

class BuilderForm : public vorlin::testing::BuilderFixture {
public:
    // A show of three pictures (b unticked), one music file, one missing picture kept in the file.
    void openStandard() {
        open("[Pictures]\n" + pic("a.bmp") + "=1\n/nowhere/gone.bmp=1\n" + pic("b.bmp") + "=0\n" +
             pic("c.bmp") + "=1\n[Music]\n" + pic("x.wav") +
             "=1\n[Transitions]\n30=0\n[Set]\nImageInterval=4\n");
    }

    QTreeWidgetItem* leaf(int group, int index) {
        return form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(group)->child(index);
    }
};

TEST_F(BuilderForm, OpensWithFixedClientPagesAndFilledLists) {
    openStandard();
    EXPECT_EQ(form->windowTitle(), "2Vorlin Screen Saver Builder");
    EXPECT_EQ(form->centralWidget()->size(), QSize(538, 333));
    EXPECT_EQ(form->findChild<QListWidget*>("NavBar")->width(), 77);
    EXPECT_EQ(form->findChild<QStackedWidget*>("PageControl")->currentIndex(), 0);
    EXPECT_FALSE(form->Build()->findChild<QPushButton*>("BackB")->isEnabled());
    // The missing picture is left out; b stays unticked.
    ASSERT_EQ(form->Images()->List()->count(), 3);
    EXPECT_EQ(form->Images()->List()->item(1)->text().toStdString(), pic("b.bmp"));
    EXPECT_EQ(form->Images()->List()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(form->Images()->List()->currentRow(), 0);
    EXPECT_FALSE(form->Images()->Image1()->pixmap().isNull());
    EXPECT_EQ(form->Music()->List()->count(), 1);
    EXPECT_EQ(form->Options()->findChild<QSpinBox*>("IntervalEdit")->value(), 4);
    EXPECT_EQ(form->ChangeFlags, 0);
}

// Each row: an edit and the change flags it must leave set (from a freshly opened window).
struct FlagRow {
    const char* name;
    std::function<void(BuilderForm&, TVorlinConfigForm&)> edit;
    int flags;
};

class FlagTable : public BuilderForm, public ::testing::WithParamInterface<FlagRow> {};

TEST_P(FlagTable, EditSetsItsFlag) {
    openStandard();
    GetParam().edit(*this, *form);
    EXPECT_EQ(form->ChangeFlags, GetParam().flags) << GetParam().name;
}

using builder::cfEffects;
using builder::cfMusic;
using builder::cfPictures;

INSTANTIATE_TEST_SUITE_P(
    Rows, FlagTable,
    ::testing::Values(
        FlagRow{"add picture",
                [](BuilderForm& t, TVorlinConfigForm& f) {
                    t.shell.filesAnswer = {QString::fromStdString(t.pic("d.bmp"))};
                    f.AddImageBClick();
                },
                cfPictures},
        FlagRow{"add cancelled", [](BuilderForm&, TVorlinConfigForm& f) { f.AddImageBClick(); }, 0},
        FlagRow{"remove picture", [](BuilderForm&, TVorlinConfigForm& f) { f.RemoveImageBClick(); },
                cfPictures},
        FlagRow{"clear pictures", [](BuilderForm&, TVorlinConfigForm& f) { f.ClearImageBClick(); },
                cfPictures},
        FlagRow{"picture down", [](BuilderForm&, TVorlinConfigForm& f) { f.ImageDownBClick(); }, cfPictures},
        FlagRow{"first picture up", [](BuilderForm&, TVorlinConfigForm& f) { f.ImageUpBClick(); }, 0},
        FlagRow{"last picture down",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.Images()->List()->setCurrentRow(2);
                    f.ImageDownBClick();
                },
                0},
        FlagRow{"tick and untick picture",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.Images()->List()->item(0)->setCheckState(Qt::Unchecked);
                    f.Images()->List()->item(0)->setCheckState(Qt::Checked);
                },
                cfPictures},
        FlagRow{"click picture",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.Images()->List()->setCurrentRow(2);
                    f.ImageListClick();
                },
                0},
        FlagRow{"add music",
                [](BuilderForm& t, TVorlinConfigForm& f) {
                    t.shell.filesAnswer = {QString::fromStdString(t.pic("y.wav"))};
                    f.AddMusicBClick();
                },
                cfMusic},
        FlagRow{"remove music", [](BuilderForm&, TVorlinConfigForm& f) { f.RemoveMusicBClick(); }, cfMusic},
        FlagRow{"clear music", [](BuilderForm&, TVorlinConfigForm& f) { f.ClearMusicBClick(); }, cfMusic},
        FlagRow{"move music",
                [](BuilderForm& t, TVorlinConfigForm& f) {
                    t.shell.filesAnswer = {QString::fromStdString(t.pic("y.wav"))};
                    f.AddMusicBClick();
                    f.ChangeFlags = 0;
                    f.MusicUpBClick();
                },
                cfMusic},
        FlagRow{"tick music",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.Music()->List()->item(0)->setCheckState(Qt::Unchecked);
                },
                cfMusic},
        FlagRow{"show effects page", [](BuilderForm&, TVorlinConfigForm& f) { f.NavBarClick(2); }, 0},
        FlagRow{"tick effect",
                [](BuilderForm& t, TVorlinConfigForm& f) {
                    f.NavBarClick(2);
                    t.leaf(0, 0)->setCheckState(0, Qt::Unchecked);
                },
                cfEffects},
        FlagRow{"tick effect before the tree is loaded",
                [](BuilderForm& t, TVorlinConfigForm&) { t.leaf(0, 0)->setCheckState(0, Qt::Unchecked); }, 0},
        FlagRow{"select all",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.NavBarClick(2);
                    f.SelectAllBClick();
                },
                cfEffects},
        FlagRow{"disable all",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.NavBarClick(2);
                    f.DisableAllBClick();
                },
                cfEffects},
        FlagRow{"expand and collapse",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.NavBarClick(2);
                    f.ExpandBClick();
                    f.CollapseBClick();
                },
                0},
        FlagRow{"options and save",
                [](BuilderForm&, TVorlinConfigForm& f) {
                    f.Options()->findChild<QSpinBox*>("IntervalEdit")->setValue(9);
                    f.SaveProjectClick();
                },
                0}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

TEST_F(BuilderForm, UnsetFlagsLeaveTheirSectionsByteForByte) {
    openStandard();
    const std::string before = readFile(working);
    form->Images()->List()->item(0)->setCheckState(Qt::Unchecked); // pictures only
    form->MusicDownBClick();                                       // nothing to move: no flag
    form->close();
    const std::string after = readFile(working);
    EXPECT_EQ(sectionText(after, "Music"), sectionText(before, "Music"));
    EXPECT_EQ(sectionText(after, "Transitions"), sectionText(before, "Transitions"));
    // The edited list is rewritten from the control: the missing picture disappears.
    EXPECT_EQ(sectionText(after, "Pictures"),
              "[Pictures]\n" + pic("a.bmp") + "=0\n" + pic("b.bmp") + "=0\n" + pic("c.bmp") + "=1\n");
    EXPECT_NE(after.find("ImageInterval=4"), std::string::npos);
    EXPECT_EQ(settings->settings.Pictures, std::vector<std::string>{pic("c.bmp")});
}

TEST_F(BuilderForm, AddRulesForDuplicatesAndFolders) {
    openStandard();
    // "A.BMP" beside "a.bmp" is a file of its own here. "C.BMP" is a second name of "c.bmp" (a hard link),
    // as both spellings are of one file on a file system that ignores letter case.
    fs::copy_file(pics / "a.bmp", pics / "A.BMP");
    fs::create_hard_link(pics / "c.bmp", pics / "C.BMP");
    const auto q = [this](const char* n) { return QString::fromStdString(pic(n)); };
    shell.filesAnswer = {q("A.BMP"), q("C.BMP"), q("d.bmp"), q("d.bmp")};
    form->AddImageBClick();
    EXPECT_EQ(shell.filters.last(), TVorlinConfigForm::pictureFilter());
    EXPECT_TRUE(shell.filters.last().startsWith(
        "All Pictures|*.gif;*.jpg;*.jpeg;*.bmp;*.wmf;*.emf;*.ico;*.png;*.webp;*.heic;*.heif;*.avif|GIF Files "
        "(*.gif)|*.gif|JPEG Files (*.jpg, *.jpeg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|Metafiles (*.wmf, "
        "*.emf)|"));
    EXPECT_TRUE(
        shell.filters.last().endsWith("|HEIC and AVIF Files (*.heic, *.heif, *.avif)|*.heic;*.heif;*.avif"));
    // "C.BMP" and the second "d.bmp" are skipped; the last item is selected.
    QStringList paths;
    for (int i = 0; i < form->Images()->List()->count(); ++i)
        paths << form->Images()->List()->item(i)->text();
    EXPECT_EQ(
        paths.join('\n').toStdString(),
        QStringList({q("a.bmp"), q("b.bmp"), q("c.bmp"), q("A.BMP"), q("d.bmp")}).join('\n').toStdString());
    EXPECT_EQ(form->Images()->List()->currentRow(), 4);
    // "a.bmp" and "A.BMP" are kept apart in the working file too, so the next start lists both.
    form->StoreControls(true);
    const std::string pictures = sectionText(readFile(working), "Pictures");
    EXPECT_NE(pictures.find(pic("a.bmp") + "=1\n"), std::string::npos) << pictures;
    EXPECT_NE(pictures.find(pic("A.BMP") + "=1\n"), std::string::npos) << pictures;
    EXPECT_EQ(settings->settings.PicturePath, pics.string() + "/");

    // Music keeps duplicates in the list, but the stored section holds the file once.
    shell.filesAnswer = {QString::fromStdString(pic("x.wav"))};
    form->AddMusicBClick();
    EXPECT_EQ(form->Music()->List()->count(), 2);
    EXPECT_EQ(form->Music()->List()->currentRow(), 1);
    form->close();
    EXPECT_EQ(sectionText(readFile(working), "Music"), "[Music]\n" + pic("x.wav") + "=1\n");
}

// A drag from outside entering `target` and dropping `data` there.
void dropOn(QWidget* target, const QMimeData& data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QStringList listTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

// Serves the window's events until no folder entry is still being counted.
void waitForCounts(const builder::FileListPage& page) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000 &&
           (page.PendingCounts() > 0 || listTexts(page.List()).join('\n').contains("counting")))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Dropped files are added as Add adds them (pictures of their kind, no duplicates); a folder dropped on the
// pictures is one folder entry with its count, on the music the files of the folder, sorted.
TEST_F(BuilderForm, DroppedFoldersAndFilesAddAsAddDoes) {
    open("[Pictures]\n" + pic("b.bmp") + "=1\n");
    const auto q = [this](const char* n) { return QString::fromStdString(pic(n)); };
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(pics.string())), QUrl::fromLocalFile(q("a.bmp")),
                  QUrl::fromLocalFile(q("x.wav"))});
    dropOn(form->Images()->List()->viewport(), data);
    waitForCounts(*form->Images());
    EXPECT_EQ(listTexts(form->Images()->List()),
              (QStringList{q("b.bmp"), q("a.bmp"), QString::fromStdString(pics.string()) + " — 4 pictures"}));
    EXPECT_EQ(form->ChangeFlags, cfPictures);

    // HEIC and AVIF files are pictures too (by their extension, in any letter case).
    std::ofstream(pic("x.AVIF")) << "x";
    std::ofstream(pic("z.heic")) << "z";
    QMimeData phones;
    phones.setUrls({QUrl::fromLocalFile(q("x.AVIF")), QUrl::fromLocalFile(q("z.heic")),
                    QUrl::fromLocalFile(q("y.wav"))});
    dropOn(form->Images()->List()->viewport(), phones);
    // Files go before the folder entry, which stays last.
    EXPECT_EQ(listTexts(form->Images()->List()),
              (QStringList{q("b.bmp"), q("a.bmp"), q("x.AVIF"), q("z.heic"),
                           QString::fromStdString(pics.string()) + " — 4 pictures"}));

    QMimeData sound;
    sound.setUrls({QUrl::fromLocalFile(q("y.wav")), QUrl::fromLocalFile(q("a.bmp"))});
    dropOn(form->Music()->List()->viewport(), sound);
    EXPECT_EQ(listTexts(form->Music()->List()), QStringList{q("y.wav")});
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(QString::fromStdString(pics.string()))});
    dropOn(form->Music()->List()->viewport(), folder);
    EXPECT_EQ(listTexts(form->Music()->List()), (QStringList{q("y.wav"), q("x.wav"), q("y.wav")}));
    EXPECT_EQ(form->ChangeFlags, cfPictures | cfMusic);
}

// A folder entry: filled from [Folders] after the files, counted, kept after the files, its sub-folders
// chosen under the list, stored with the pictures, shown by the previews, and gone with its entry.
TEST_F(BuilderForm, FolderEntriesStayAfterTheFilesAndAreStoredAsFolders) {
    const fs::path trip = dir / "trip";
    fs::create_directories(trip / "day2");
    for (const char* f : {"b.bmp", "a.bmp", "day2/c.bmp"}) fs::copy_file(pics / "a.bmp", trip / f);
    writeFile(trip / "notes.txt", "x");
    const QString tripText = QString::fromStdString(trip.string());
    const QString picsText = QString::fromStdString(pics.string());
    const auto q = [](const std::string& path) { return QString::fromStdString(path); };
    open("[Pictures]\n" + pic("a.bmp") + "=1\n[Folders]\n" + trip.string() + "=2\n/nowhere=0\n");
    auto* page = form->Images();
    waitForCounts(*page);
    EXPECT_EQ(listTexts(page->List()),
              (QStringList{q(pic("a.bmp")), tripText + " (with sub-folders) — 3 pictures",
                           "/nowhere — 0 pictures"}));
    EXPECT_EQ(page->List()->item(2)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(page->SubfoldersCheck()->isEnabled()); // a file is selected
    // The show read at the start holds the folder's pictures after the listed one.
    EXPECT_EQ(settings->settings.Pictures.size(), 4u);

    // Add Folder appends an entry; a file added later goes before the folders; the arrows keep them apart.
    shell.folderAnswer = picsText;
    form->Images()->AddFolderClick();
    waitForCounts(*page);
    EXPECT_EQ(page->List()->currentRow(), 3);
    EXPECT_EQ(page->List()->item(3)->text(), picsText + " — 4 pictures");
    EXPECT_TRUE(page->SubfoldersCheck()->isEnabled());
    EXPECT_FALSE(page->SubfoldersCheck()->isChecked());
    form->AddPictureFiles({q(pic("d.bmp"))});
    EXPECT_EQ(page->List()->item(1)->text(), q(pic("d.bmp")));
    EXPECT_EQ(page->List()->currentRow(), 1);
    form->ImageDownBClick(); // onto a folder: refused
    EXPECT_EQ(page->List()->currentRow(), 1);
    page->List()->setCurrentRow(2);
    form->ImageUpBClick(); // a folder onto a file: refused
    EXPECT_EQ(page->List()->item(2)->text().left(tripText.size()), tripText);
    // Adding a folder the list holds selects it instead.
    form->Images()->AddFolderClick();
    EXPECT_EQ(page->List()->count(), 5);
    EXPECT_EQ(page->List()->currentRow(), 4);

    // Sub-folders off for the trip: counted again.
    page->List()->setCurrentRow(2);
    EXPECT_TRUE(page->SubfoldersCheck()->isChecked());
    page->SubfoldersCheck()->click();
    waitForCounts(*page);
    EXPECT_EQ(page->List()->item(2)->text(), tripText + " — 2 pictures");

    // The preview's show (stored without writing): files, then the ticked folders' pictures.
    form->StoreControls(false);
    const auto p = [](const fs::path& f) { return f.string(); };
    EXPECT_EQ(settings->settings.Pictures,
              (std::vector<std::string>{pic("a.bmp"), pic("d.bmp"), p(trip / "a.bmp"), p(trip / "b.bmp"),
                                        pic("a.bmp"), pic("b.bmp"), pic("c.bmp"), pic("d.bmp")}));
    form->StoreControls(true);
    EXPECT_EQ(sectionText(readFile(working), "Folders"),
              "[Folders]\n" + trip.string() + "=1\n/nowhere=0\n" + pics.string() + "=1\n");

    // Removing the entries removes their keys; with none left, the section goes.
    for (int row : {4, 3, 2}) {
        page->List()->setCurrentRow(row);
        form->RemoveImageBClick();
    }
    form->StoreControls(true);
    EXPECT_EQ(sectionText(readFile(working), "Folders"), "");
    EXPECT_EQ(settings->settings.Pictures, (std::vector<std::string>{pic("a.bmp"), pic("d.bmp")}));
}

// A click on a picture leaves its decoding to the thumbnail workers: the panel shows at once, empty, and
// the thumbnail appears when it arrives, the same as one decoded at once.
TEST_F(BuilderForm, AClickedPicturesThumbnailComesFromTheWorkers) {
    openStandard();
    builder::FileListPage& page = *form->Images();
    page.List()->setCurrentRow(2);
    EXPECT_TRUE(page.Image1()->isVisible());
    EXPECT_TRUE(page.Image1()->pixmap().isNull()) << "decoded on the window's thread";
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000 && page.Image1()->pixmap().isNull())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(page.Image1()->pixmap().isNull());
    const QImage fromWorkers = page.Image1()->pixmap().toImage();
    page.ShowThumbnail();
    EXPECT_EQ(page.Image1()->pixmap().toImage(), fromWorkers);
}

TEST_F(BuilderForm, RemoveSelectsTheItemNowAtTheSamePlace) {
    openStandard();
    // Middle: the next item moves up into the place; last: the new last item.
    form->Images()->List()->setCurrentRow(1);
    form->RemoveImageBClick();
    EXPECT_EQ(form->Images()->List()->currentRow(), 1);
    EXPECT_EQ(form->Images()->List()->currentItem()->text().toStdString(), pic("c.bmp"));
    form->Images()->List()->setCurrentRow(1);
    form->RemoveImageBClick();
    EXPECT_EQ(form->Images()->List()->currentRow(), 0);
    form->RemoveImageBClick();
    EXPECT_EQ(form->Images()->List()->count(), 0);
    EXPECT_EQ(form->Images()->List()->currentRow(), -1);
    EXPECT_TRUE(form->Images()->Image1()->pixmap().isNull());
    // Nothing selected: nothing removed, no flag.
    form->ChangeFlags = 0;
    form->RemoveImageBClick();
    EXPECT_EQ(form->ChangeFlags, 0);
}

TEST_F(BuilderForm, TreeFillsFromCatalogueAndFollowsGroupRules) {
    // Group 0 partly enabled (first leaf 58 disabled); "Miscellaneous/Triangle" set to a rotation number.
    writeFile(dir / "VorlinSaver.001", "[Arc Wiping]\nLeft=58\nRight=59\n[Miscellaneous]\nTriangle=120\n"
                                       "Flash=118\n[Regular Wiping]\nLeft=5\n");
    open("[Transitions]\n174=0\n15=0\n");
    form->NavBarClick(2);
    ASSERT_TRUE(form->Effects()->TreeLoaded);
    ASSERT_EQ(form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItemCount(), 12);
    int leaves = 0;
    for (int g = 0; g < 12; ++g)
        leaves += form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(g)->childCount();
    EXPECT_EQ(leaves, 127);
    auto* arc = form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(0);
    EXPECT_EQ(leaf(0, 0)->checkState(0), Qt::Unchecked);  // 58 disabled
    EXPECT_EQ(leaf(0, 1)->checkState(0), Qt::Checked);    // 59
    EXPECT_EQ(arc->checkState(0), Qt::Checked);           // partly enabled group shows ticked
    EXPECT_EQ(leaf(11, 0)->checkState(0), Qt::Unchecked); // 120 is never enabled by a read
    EXPECT_EQ(leaf(11, 1)->checkState(0), Qt::Checked);
    EXPECT_EQ(leaf(1, 0)->checkState(0), Qt::Unchecked); // 5 disabled (key 15)
    EXPECT_EQ(form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(1)->checkState(0),
              Qt::Checked); // other leaves are 59
    EXPECT_EQ(form->ChangeFlags, 0);

    // Ticking a leaf leaves its group alone; unticking a group unticks all its leaves.
    leaf(0, 0)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(arc->checkState(0), Qt::Checked);
    arc->setCheckState(0, Qt::Unchecked);
    for (int l = 0; l < arc->childCount(); ++l) EXPECT_EQ(arc->child(l)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(arc->checkState(0), Qt::Unchecked);

    // Ticking the rotation enables it in the record and writes no key for it.
    leaf(11, 0)->setCheckState(0, Qt::Checked);
    form->StoreControls(true);
    const std::string transitions = sectionText(readFile(working), "Transitions");
    EXPECT_TRUE(settings->settings.EnabledEffects.test(120));
    EXPECT_TRUE(settings->settings.EnabledEffects.test(118));
    EXPECT_FALSE(settings->settings.EnabledEffects.test(58));
    EXPECT_EQ(transitions.find("360="), std::string::npos);
    EXPECT_NE(transitions.find("174=0"), std::string::npos);
    EXPECT_NE(transitions.find("177=0"), std::string::npos); // Arc "Right" and the other 59s unticked
}

TEST_F(BuilderForm, MissingCatalogueGivesEveryLeaf59) {
    open("");
    form->NavBarClick(2);
    for (int g = 0; g < 12; ++g)
        for (int l = 0;
             l < form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(g)->childCount(); ++l)
            EXPECT_EQ(leaf(g, l)->checkState(0), Qt::Checked); // 59 is enabled by default
    leaf(4, 3)->setCheckState(0, Qt::Unchecked);
    form->StoreControls(true);
    EXPECT_EQ(sectionText(readFile(working), "Transitions"), "[Transitions]\n177=0\n");
    std::bitset<128> only59;
    only59.set(59);
    EXPECT_EQ(settings->settings.EnabledEffects, only59);
}

TEST_F(BuilderForm, ClickingAGroupTogglesItAndDemonstratesItsFirstLeaf) {
    writeFile(dir / "VorlinSaver.001", "[Cross Wiping]\nUpLeft=12\n");
    open("");
    form->NavBarClick(2);
    ASSERT_TRUE(form->DemoRunner);
    auto* cross = form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(2);
    cross->setExpanded(false);
    form->StyleListClick(cross);
    EXPECT_TRUE(cross->isExpanded());
    EXPECT_EQ(form->DemoRunner->DemonstrationStyle, 12);
    form->StyleListClick(cross);
    EXPECT_FALSE(cross->isExpanded());
    form->StyleListClick(leaf(2, 1));
    EXPECT_EQ(form->DemoRunner->DemonstrationStyle, 59);
}

TEST_F(BuilderForm, UndoLeavesTheWorkingFileAndCloseBoxStoresEverything) {
    openStandard();
    const std::string before = readFile(working);
    form->ClearImageBClick();
    form->ClearMusicBClick();
    form->NavBarClick(2);
    form->DisableAllBClick();
    form->Options()->findChild<QRadioButton*>("StretchRadio")->setChecked(true);
    form->CancelBClick();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readFile(working), before);

    form.reset();
    openStandard();
    form->ClearMusicBClick();
    form->NavBarClick(2);
    form->DisableAllBClick();
    form->Options()->findChild<QRadioButton*>("StretchRadio")->setChecked(true);
    EXPECT_EQ(form->Options()->findChild<saverconfig::TMonitorsBox*>("MonitorsCb")->Mode(), show::mmSame);
    EXPECT_EQ(form->Options()->findChild<saverconfig::TMonitorsBox*>("MonitorsCb")->count(), 3);
    form->Options()->findChild<saverconfig::TMonitorsBox*>("MonitorsCb")->setCurrentIndex(2);
    EXPECT_TRUE(form->close());
    const std::string after = readFile(working);
    EXPECT_EQ(after.find(pic("x.wav")), std::string::npos);
    EXPECT_NE(after.find("StetchImage=1"), std::string::npos);
    EXPECT_NE(after.find("Monitors=2"), std::string::npos);
    // Without a catalogue every leaf is effect 59: disabling all writes its one key.
    EXPECT_EQ(sectionText(after, "Transitions"), "[Transitions]\n177=0\n");
    // The reopened window shows what was stored.
    form.reset();
    settings = std::make_unique<show::ShowSettingsFile>();
    settings->read(platform::programPath(), platform::Registry());
    EXPECT_TRUE(settings->settings.StetchImage);
    EXPECT_EQ(settings->settings.Monitors, show::mmSpan);
    EXPECT_TRUE(settings->settings.Music.empty());
    EXPECT_FALSE(settings->settings.EnabledEffects.test(59));
    EXPECT_TRUE(settings->settings.EnabledEffects.test(10)); // the old key 30 is gone
}

// Each row: an edit on the Options page and the [Set] line the close box stores for it (from the standard
// show, which has none of these keys). Options set no change flag: they are always stored.
struct OptionRow {
    const char* name;
    std::function<void(builder::OptionsPage&)> edit;
    const char* stored;
};

class OptionTable : public BuilderForm, public ::testing::WithParamInterface<OptionRow> {};

template <class T> T* control(builder::OptionsPage& page, const char* name) {
    T* found = page.findChild<T*>(name);
    EXPECT_TRUE(found) << name;
    return found;
}

TEST_P(OptionTable, EditIsStored) {
    openStandard();
    GetParam().edit(*form->Options());
    EXPECT_EQ(form->ChangeFlags, 0) << GetParam().name;
    EXPECT_TRUE(form->close());
    const std::string set = sectionText(readFile(working), "Set");
    EXPECT_NE(set.find(std::string("\n") + GetParam().stored + "\n"), std::string::npos)
        << GetParam().name << "\n"
        << set;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OptionTable,
    ::testing::Values(
        OptionRow{"nothing", [](builder::OptionsPage&) {},
                  "PanZoom=0\nCaption=0\nClock=0\nFill=0\nShuffle=0"},
        OptionRow{"pan and zoom",
                  [](builder::OptionsPage& p) { control<QCheckBox>(p, "PanZoomCheck")->setChecked(true); },
                  "PanZoom=1"},
        OptionRow{"caption file name",
                  [](builder::OptionsPage& p) {
                      control<saverconfig::TCaptionBox>(p, "CaptionCb")->setCurrentText("File name");
                  },
                  "Caption=1"},
        OptionRow{
            "caption title",
            [](builder::OptionsPage& p) {
                control<saverconfig::TCaptionBox>(p, "CaptionCb")->setCurrentText("Title or description");
            },
            "Caption=3"},
        OptionRow{"clock time and date",
                  [](builder::OptionsPage& p) {
                      control<saverconfig::TClockBox>(p, "ClockCb")->setCurrentText("Time and date");
                  },
                  "Clock=2"},
        OptionRow{"blurred picture",
                  [](builder::OptionsPage& p) {
                      control<saverconfig::TFillBox>(p, "FillCb")->setCurrentText("Blurred picture");
                  },
                  "Fill=1"},
        OptionRow{"crop",
                  [](builder::OptionsPage& p) {
                      control<saverconfig::TFillBox>(p, "FillCb")->setCurrentText("Crop to fill the screen");
                  },
                  "Fill=2"},
        OptionRow{"every picture once",
                  [](builder::OptionsPage& p) { control<QCheckBox>(p, "ShuffleCheck")->setChecked(true); },
                  "Shuffle=1"}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

// The page shows the stored looks; "Every picture once before any repeats" can be ticked only with the
// random order, and keeps its value while list order is chosen.
TEST_F(BuilderForm, OptionsPageShowsTheLooksAndShuffleFollowsTheOrder) {
    fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "../../data/VorlinSaver.003", dir / "VorlinSaver.003");
    open("[Set]\nRandomImage=0\nShuffle=1\nPanZoom=1\nCaption=2\nClock=1\nFill=2\n");
    auto& page = *form->Options();
    EXPECT_TRUE(control<QCheckBox>(page, "PanZoomCheck")->isChecked());
    EXPECT_EQ(control<saverconfig::TCaptionBox>(page, "CaptionCb")->currentText(), "Date taken");
    EXPECT_EQ(control<saverconfig::TClockBox>(page, "ClockCb")->currentText(), "Time");
    EXPECT_EQ(control<saverconfig::TFillBox>(page, "FillCb")->currentText(), "Crop to fill the screen");
    auto* shuffle = control<QCheckBox>(page, "ShuffleCheck");
    EXPECT_TRUE(shuffle->isChecked());
    EXPECT_FALSE(shuffle->isEnabled());
    control<QRadioButton>(page, "RandomizeRadio")->setChecked(true);
    EXPECT_TRUE(shuffle->isEnabled());
    form->NavBarClick(3);
    // The options scroll inside the fixed window; each is whole where it stands.
    auto* content = page.findChild<QWidget*>("OptionsContent");
    ASSERT_TRUE(content);
    vorlin::testing::expectEveryControlWhole(*content, "options page", 20);
    EXPECT_LE(content->width(), content->parentWidget()->width()) << "the options are cut at the right";

    // Unknown values read as off and show the first entry.
    form.reset();
    open("[Set]\nCaption=9\nClock=-1\nFill=ten\n");
    EXPECT_EQ(control<saverconfig::TCaptionBox>(*form->Options(), "CaptionCb")->currentText(), "None");
    EXPECT_EQ(control<saverconfig::TClockBox>(*form->Options(), "ClockCb")->currentText(), "None");
    EXPECT_EQ(control<saverconfig::TFillBox>(*form->Options(), "FillCb")->currentText(), "Background colour");
    EXPECT_TRUE(control<QCheckBox>(*form->Options(), "ShuffleCheck")->isEnabled())
        << "random order is the default";
}

TEST_F(BuilderForm, CloseThatCannotWriteKeepsTheWindowOpen) {
    openStandard();
    form->ClearImageBClick();
    fs::remove(working);
    fs::create_directory(working); // a folder where the file should be
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(shell.messages.size(), 1);
    fs::remove(working);
}

TEST_F(BuilderForm, SaveAsWritesTheProjectAndRestoresTheWorkingFile) {
    openStandard();
    const std::string before = readFile(working);
    form->RemoveImageBClick();
    form->Options()->findChild<QSpinBox*>("IntervalEdit")->setValue(7);
    shell.saveAnswer = QString::fromStdString((dir / "show").string());
    form->SaveProjectAsClick();
    EXPECT_TRUE(shell.messages.isEmpty());
    const std::string project = readFile(dir / "show.fly");
    EXPECT_EQ(readFile(working), before);
    EXPECT_FALSE(fs::exists(dir / "VorlinSaver.002.bak"));
    EXPECT_NE(project.find("ImageInterval=7"), std::string::npos);
    EXPECT_EQ(project.find(pic("a.bmp")), std::string::npos);
    EXPECT_EQ(form->ChangeFlags, cfPictures);

    // A name holding ".fly" before its end is used as typed.
    shell.saveAnswer = QString::fromStdString((dir / "keep.fly.old").string());
    form->SaveProjectAsClick();
    EXPECT_EQ(readFile(dir / "keep.fly.old"), project);

    // Undo and Exit afterwards leaves the working file as before the save.
    form->CancelBClick();
    EXPECT_EQ(readFile(working), before);

    // Loading the project makes the working file its byte copy and clears the flags.
    form.reset();
    openStandard();
    form->ImageUpBClick();
    form->Images()->List()->setCurrentRow(1);
    form->ImageUpBClick();
    shell.fileAnswer = QString::fromStdString((dir / "show.fly").string());
    form->LoadProjectClick();
    EXPECT_EQ(readFile(working), project);
    EXPECT_EQ(form->ChangeFlags, 0);
    EXPECT_EQ(form->Options()->findChild<QSpinBox*>("IntervalEdit")->value(), 7);
    EXPECT_EQ(form->Images()->List()->count(), 2);
    // Saving again right away gives the same bytes: a round trip.
    form->SaveProjectClick();
    EXPECT_EQ(readFile(working), project);
}

TEST_F(BuilderForm, FailedProjectCommandsSayWhyAndKeepTheShow) {
    openStandard();
    const std::string before = readFile(working);
    form->RemoveImageBClick();
    shell.fileAnswer = QString::fromStdString((dir / "missing.fly").string());
    form->LoadProjectClick();
    ASSERT_EQ(shell.messages.size(), 1);
    EXPECT_TRUE(shell.messages[0].contains("missing.fly"));
    EXPECT_EQ(form->Images()->List()->count(), 2); // the edit is kept
    EXPECT_EQ(form->ChangeFlags, cfPictures);
    EXPECT_EQ(readFile(working), before);

    shell.saveAnswer = QString::fromStdString((dir / "no-such-folder/show.fly").string());
    form->SaveProjectAsClick();
    ASSERT_EQ(shell.messages.size(), 2);
    EXPECT_TRUE(shell.messages[1].contains("show.fly"));
    EXPECT_EQ(readFile(working), before);
    EXPECT_FALSE(fs::exists(dir / "VorlinSaver.002.bak"));
}

// Without a working file there is nothing to put back, so a backup left over from an earlier run must not
// replace the show just stored.
TEST_F(BuilderForm, SaveAsWithoutWorkingFileKeepsTheCurrentShow) {
    openStandard();
    fs::remove(working);
    writeFile(dir / "VorlinSaver.002.bak", "[Set]\nImageInterval=9\n");
    form->Options()->findChild<QSpinBox*>("IntervalEdit")->setValue(2);
    shell.saveAnswer = QString::fromStdString((dir / "new.fly").string());
    form->SaveProjectAsClick();
    EXPECT_TRUE(shell.messages.isEmpty());
    EXPECT_EQ(readFile(working), readFile(dir / "new.fly"));
    EXPECT_NE(readFile(working).find("ImageInterval=2"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "VorlinSaver.002.bak"));
}

TEST_F(BuilderForm, LoadProjectWhileOnEffectsPageRefillsOnlyWhenShownAgain) {
    writeFile(dir / "project.fly", "[Transitions]\n177=0\n");
    open("");
    form->NavBarClick(2);
    EXPECT_EQ(leaf(0, 1)->checkState(0), Qt::Checked);
    shell.fileAnswer = QString::fromStdString((dir / "project.fly").string());
    form->LoadProjectClick();
    EXPECT_FALSE(form->Effects()->TreeLoaded);
    EXPECT_EQ(leaf(0, 1)->checkState(0), Qt::Checked); // old boxes stay
    leaf(0, 1)->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(form->ChangeFlags, 0);
    form->NavBarClick(0);
    form->NavBarClick(2);
    EXPECT_EQ(leaf(0, 1)->checkState(0), Qt::Unchecked); // every 59 now disabled
}

TEST_F(BuilderForm, BuildPageNavigationAndMenuKeys) {
    open("");
    form->Menu().BuildProjectItem->trigger();
    EXPECT_EQ(form->findChild<QStackedWidget*>("PageControl")->currentIndex(), 4);
    struct Step {
        void (TVorlinConfigForm::*click)();
        int page;
        bool back;
    };
    const Step steps[] = {{&TVorlinConfigForm::NextBClick, 1, true},
                          {&TVorlinConfigForm::NextBClick, 2, true},
                          {&TVorlinConfigForm::BackBClick, 1, true},
                          {&TVorlinConfigForm::BackBClick, 0, false}};
    for (const auto& s : steps) {
        (form.get()->*s.click)();
        EXPECT_EQ(form->Build()->findChild<QStackedWidget*>("Notebook")->currentIndex(), s.page);
        EXPECT_EQ(form->Build()->findChild<QPushButton*>("BackB")->isEnabled(), s.back);
    }
    form->Build()->findChild<QStackedWidget*>("Notebook")->setCurrentIndex(3);
    form->BackBClick();
    EXPECT_EQ(form->Build()->findChild<QStackedWidget*>("Notebook")->currentIndex(), 0);
    EXPECT_EQ(form->Build()->findChild<QLineEdit*>("WebsiteEdit")->text(), "http://");

    const std::pair<QAction*, QKeySequence> keys[] = {
        {form->Menu().PreviewItem, Qt::Key_F2},
        {form->Menu().SaveExitItem, QKeySequence(Qt::ALT | Qt::Key_X)},
        {form->Menu().UndoExitItem, QKeySequence(Qt::ALT | Qt::Key_E)},
        {form->Menu().LoadProjectItem, Qt::Key_F3},
        {form->Menu().SaveProjectItem, Qt::Key_F4},
        {form->Menu().SaveProjectAsItem, Qt::Key_F5},
        {form->Menu().BuildProjectItem, Qt::Key_F9},
        {form->Menu().HelpItem, Qt::Key_F1}};
    for (const auto& [action, key] : keys) EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();

    // Help falls back to the maker's site without a help file, and opens the file when there is one.
    form->HelpClick();
    writeFile(dir / "help.html", "<html></html>");
    form->HelpClick();
    ASSERT_EQ(shell.urls.size(), 2);
    EXPECT_EQ(shell.urls[0], TVorlinConfigForm::kMakerWebsite);
    EXPECT_EQ(shell.urls[1].toStdString(), (dir / "help.html").string());
    form->EmailClick();
    EXPECT_TRUE(shell.urls.last().startsWith("mailto:"));
}

// Both previews store the controls first without writing; the runners and the full-screen window are made
// once and reused.
TEST_F(BuilderForm, PreviewsShowTheCurrentStateWithoutWriting) {
    openStandard();
    const std::string before = readFile(working);
    form->Images()->List()->item(0)->setCheckState(Qt::Unchecked);
    form->PreviewB2Click();
    ASSERT_TRUE(form->PreviewRunner);
    auto* runner = form->PreviewRunner.get();
    EXPECT_EQ(settings->settings.Pictures, std::vector<std::string>{pic("c.bmp")});
    EXPECT_FALSE(form->Images()->Image1()->isVisible());
    form->PreviewB2Click();
    EXPECT_EQ(form->PreviewRunner.get(), runner);
    // A click on the list brings the thumbnail back over the stopped preview.
    form->ImageListClick();
    EXPECT_TRUE(form->Images()->Image1()->isVisible());
    EXPECT_FALSE(form->PreviewRunner->Display->isVisible());

    form->FullscreenPreview();
    ASSERT_TRUE(form->FullscreenForm);
    auto* fullscreen = form->FullscreenForm.get();
    EXPECT_TRUE(fullscreen->isVisible());
    fullscreen->CloseNow();
    form->Menu().PreviewItem->trigger();
    EXPECT_EQ(form->FullscreenForm.get(), fullscreen);
    EXPECT_TRUE(fullscreen->isVisible());
    fullscreen->CloseNow();
    EXPECT_EQ(readFile(working), before);
}

// A preview first opened while the list is empty starts when it is opened again after pictures were
// added, in the panel and full screen alike. The full-screen window reads the process-wide show, as in
// the program: the builder works on that one here.
TEST_F(BuilderForm, PreviewsOpenedBeforeThereWerePicturesShowThemLater) {
    writeFile(working, "[Set]\nImageInterval=1\nEffectSpeed=1\n");
    show::ShowSettingsFile& global = show::showSettingsFile();
    global.read(platform::programPath(), platform::Registry());
    form = std::make_unique<TVorlinConfigForm>(global, shell.make());
    form->show();
    form->PreviewB2Click();
    form->FullscreenPreview();
    auto* panel = form->PreviewRunner->Display.data();
    auto* fullscreen = form->FullscreenForm.get();
    ASSERT_TRUE(panel && fullscreen->Runner && fullscreen->Runner->Display);
    // Both first ticks find nothing to show.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form->PreviewRunner->TickCount > 0 && fullscreen->Runner->TickCount > 0; }, 3000));
    fullscreen->CloseNow();

    shell.filesAnswer = {QString::fromStdString(pic("a.bmp"))};
    form->AddImageBClick();
    form->PreviewB2Click();
    form->FullscreenPreview();
    // Each shows the picture: a finished transition, and its pixels on the control.
    auto showsPicture = [](canvas::TVorlinscreen* d) {
        if (d->Picture().isEmpty() || d->Animating() || d->FScreen.isEmpty()) return false;
        const QImage image = d->grab().toImage();
        const QPoint centre = image.rect().center();
        return image.pixel(centre) != qRgb(0, 0, 0);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsPicture(panel); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsPicture(fullscreen->Runner->Display.data()); }, 5000));
    fullscreen->CloseNow();
    form.reset();
    global.settings = show::ShowSettings();
}

TEST_F(BuilderForm, ReadmeLoadsFromATextFile) {
    open("");
    writeFile(dir / "readme.txt", "Line one\nLine two\n");
    shell.fileAnswer = QString::fromStdString((dir / "readme.txt").string());
    form->LoadReadmeBClick();
    EXPECT_EQ(shell.filters.last(), "*.txt|*.txt");
    EXPECT_EQ(form->Build()->findChild<QPlainTextEdit*>("ReadmeMemo")->toPlainText(), "Line one\nLine two\n");
}

// What a person sees first, with the skin the program ships: the Images page names every format Add
// offers, the colour list shows each name whole, the build status wraps long lines instead of cutting them.
TEST_F(BuilderForm, ShowsItsTextsWholeWithTheShippedSkin) {
    fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "../../data/VorlinSaver.003", dir / "VorlinSaver.003");
    open("");
    const auto* heading = form->findChild<QWidget*>("ImagesPage")->findChild<QLabel*>();
    ASSERT_TRUE(heading);
    for (const char* format : {"GIF", "JPG", "BMP", "WMF", "EMF", "ICO", "PNG", "WebP", "HEIC", "AVIF"})
        EXPECT_TRUE(heading->text().contains(format)) << heading->text().toStdString() << " lacks " << format;
    const QRect room = heading->contentsRect();
    const QRect text = heading->fontMetrics().boundingRect(room, heading->wordWrap() ? Qt::TextWordWrap : 0,
                                                           heading->text());
    EXPECT_TRUE(room.contains(text)) << "the heading needs " << text.width() << "x" << text.height();

    // Each entry of the opened list gets at least the width the list itself asks for it; narrower, the
    // list draws "M...n" for "Maroon".
    form->NavBarClick(3);
    form->Options()->BackcolorCb()->showPopup();
    QApplication::processEvents();
    const QAbstractItemView* list = form->Options()->BackcolorCb()->view();
    for (int i = 0; i < form->Options()->BackcolorCb()->count(); ++i) {
        const QModelIndex item = list->model()->index(i, 0);
        EXPECT_GE(list->viewport()->width(), list->sizeHintForIndex(item).width())
            << item.data().toString().toStdString();
    }
    form->Options()->BackcolorCb()->hidePopup();

    form->NavBarClick(4);
    form->Build()->findChild<QStackedWidget*>("Notebook")->setCurrentIndex(3);
    const QString folder = "/" + QString("very-long-folder-name/").repeated(12);
    form->Build()
        ->findChild<QPlainTextEdit*>("StatusMemo")
        ->appendPlainText("Unable to write to " + folder +
                          "Holiday Pictures.002 because of "
                          "reasons that take more words than the memo is wide");
    QApplication::processEvents();
    EXPECT_EQ(form->Build()->findChild<QPlainTextEdit*>("StatusMemo")->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(form->Build()
                  ->findChild<QPlainTextEdit*>("StatusMemo")
                  ->document()
                  ->firstBlock()
                  .layout()
                  ->lineCount(),
              2);
}

// Help without a program for the address says where the help is instead of doing nothing.
TEST_F(BuilderForm, HelpWithoutAProgramSaysWhereTheHelpIs) {
    open("");
    shell.urlOpens = false;
    form->HelpClick();
    ASSERT_EQ(shell.messages.size(), 1);
    EXPECT_TRUE(shell.messages[0].contains(TVorlinConfigForm::kMakerWebsite))
        << shell.messages[0].toStdString();
    writeFile(dir / "help.html", "<html></html>");
    form->HelpClick();
    ASSERT_EQ(shell.messages.size(), 2);
    EXPECT_TRUE(shell.messages[1].contains(QString::fromStdString((dir / "help.html").string())))
        << shell.messages[1].toStdString();
    // With a program nothing is said.
    shell.urlOpens = true;
    form->HelpClick();
    EXPECT_EQ(shell.messages.size(), 2);
}

// "Save Project" tells that it saved, for a few seconds; a save that fails says why and claims nothing.
TEST_F(BuilderForm, SaveProjectShowsAStatusLineForAFewSeconds) {
    openStandard();
    QStatusBar* status = form->statusBar();
    EXPECT_TRUE(status->currentMessage().isEmpty());
    form->SaveProjectClick();
    EXPECT_TRUE(status->currentMessage().contains("saved")) << status->currentMessage().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (!status->currentMessage().isEmpty() &&
           clock.elapsed() < TVorlinConfigForm::kStatusMessageMs + 3000)
        QTest::qWait(50);
    EXPECT_TRUE(status->currentMessage().isEmpty());
    EXPECT_GE(clock.elapsed(), TVorlinConfigForm::kStatusMessageMs - 500);

    fs::remove(working);
    fs::create_directory(working); // a folder where the file should be
    form->SaveProjectClick();
    EXPECT_TRUE(status->currentMessage().isEmpty());
    EXPECT_EQ(shell.messages.size(), 1);
    fs::remove(working);
}

// The shipped catalogue puts the four effects a saved show can never keep enabled under "Splash Show":
// that group, and only groups holding such effects, say so when the pointer rests on them.
TEST_F(BuilderForm, TreeTellsWhichEffectsAShowNeverPlays) {
    fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "../../data/VorlinSaver.001", dir / "VorlinSaver.001");
    open("");
    form->NavBarClick(2);
    int told = 0;
    for (int g = 0; g < form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = form->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(g);
        const bool splash = group->text(0) == "Splash Show";
        EXPECT_EQ(group->toolTip(0).contains("never plays"), splash) << group->text(0).toStdString();
        told += splash;
        for (int l = 0; splash && l < group->childCount(); ++l)
            EXPECT_TRUE(group->child(l)->toolTip(0).contains("never plays"));
    }
    EXPECT_EQ(told, 1);
}

// The Build page on its own: "Build", Enter in an edit and "Next >>" on the readme page ask for a build only
// while "Build" is enabled; a started build shows its notes alone and holds both buttons until it ends.
TEST(BuildPageAlone, AsksForABuildOnlyWhileBuildIsEnabled) {
    vorlin::testing::BuilderTestShell answers;
    builder::BuilderShell shell = answers.make();
    builder::BuildPage page(shell, TVorlinConfigForm::kCaption,
                            [](const std::function<void()>& fn) { fn(); });
    page.show();
    auto* buildB = page.findChild<QPushButton*>("BuildB");
    auto* nextB = page.findChild<QPushButton*>("NextB");
    auto* notebook = page.findChild<QStackedWidget*>("Notebook");
    auto* statusMemo = page.findChild<QPlainTextEdit*>("StatusMemo");
    int requests = 0;
    QObject::connect(&page, &builder::BuildPage::buildRequested, [&requests] { ++requests; });
    const auto askAllWays = [&] {
        buildB->click();
        QTest::keyClick(page.findChild<QLineEdit*>("NameEdit"), Qt::Key_Return);
        QTest::keyClick(page.findChild<QLineEdit*>("WebsiteEdit"), Qt::Key_Return);
        notebook->setCurrentIndex(builder::BuildPage::npReadme);
        nextB->click();
    };
    askAllWays();
    EXPECT_EQ(requests, 4);

    page.AppendStatus("from an earlier build");
    page.BuildStarted({"first note", "second note"});
    EXPECT_EQ(notebook->currentIndex(), builder::BuildPage::npStatus);
    EXPECT_FALSE(buildB->isEnabled());
    EXPECT_FALSE(nextB->isEnabled());
    EXPECT_EQ(statusMemo->toPlainText(), "first note\nsecond note");
    askAllWays();
    EXPECT_EQ(requests, 4);

    page.AppendStatus("compiled");
    page.BuildEnded();
    EXPECT_TRUE(buildB->isEnabled());
    EXPECT_TRUE(nextB->isEnabled());
    EXPECT_TRUE(statusMemo->toPlainText().endsWith("compiled"));
    buildB->click();
    EXPECT_EQ(requests, 5);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
