// "Build" in the builder window with the real compiler, and the configuration dialog of a built screen saver.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../lib/test_files.h"
#include "builder/build_page.h"
#include "builder/config_form.h"
#include "builder/effects_page.h"
#include "builder/file_list_page.h"
#include "builder/installer/installer_build.h"
#include "builder/options_page.h"
#include "platform/ini_file.h"
#include "platform/program_path.h"
#include "platform/registry.h"
#include "saver_config/config_dialog.h"
#include "saver_config/monitors_box.h"
#include "show/settings/show_settings.h"

namespace fs = std::filesystem;
using namespace vorlin;

namespace {

using vorlin::testing::readFile;
using vorlin::testing::spit;

class Folder : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("VORLIN_SYSTEM_DIR", (dir / "sys").c_str(), 1);
        unsetenv("VORLIN_REGISTRY");
    }
    vorlin::testing::TempDir tmp;
    fs::path dir = tmp.path();
};

struct Answers {
    QStringList questions, messages, urls;
    QString save;
    std::vector<bool> replies;
    std::string script, built; // the compile folder's script and settings file when the question came
};

class BuildPage : public Folder {
protected:
    void SetUp() override {
        Folder::SetUp();
        spit(dir / "VorlinSaver.scr", "saver");
        spit(dir / "VorlinSaver.001", "[Effects]\n");
        spit(dir / "sys/libmpegdll.so", "lib");
        spit(dir / "pics/a.jpg", "a");
        spit(dir / "pics/b.jpg", "b");
        spit(dir / "pics/song.wav", "w");
        fs::create_directories(dir / "Compile");
        fs::create_directories(dir / "out");
        for (const char* p : {"vorlinbuild", "vorlin-install"})
            fs::create_symlink(fs::path(VORLIN_BINARY_DIR) / "vorlinbuild" / p, dir / "Compile" / p);
        platform::Registry().writeString(show::installationKey("VorlinSaver"), "", dir.string());
        platform::setProgramPath((dir / "VorlinSaver").string());
        spit(dir / "VorlinSaver.002", "[Pictures]\n" + (dir / "pics/a.jpg").string() + "=1\n" +
                                          (dir / "pics/b.jpg").string() + "=1\n[Music]\n" +
                                          (dir / "pics/song.wav").string() + "=1\n[Set]\nImageInterval=5\n");
        settings.read(platform::programPath(), platform::Registry());
        shell.saveFile = [this](QWidget*, const QString&, const QString&, const auto&) {
            return answers.save;
        };
        shell.message = [this](QWidget*, const QString&, const QString& t) { answers.messages << t; };
        shell.openUrl = [this](const QString& u) {
            answers.urls << u;
            return true;
        };
        shell.openFile = [](QWidget*, const QString&, const QString&) { return QString(); };
        shell.openFiles = [](QWidget*, const QString&, const QString&, const QString&) {
            return QStringList();
        };
        installer::buildQuestion() = [this](QWidget*, const QString&, const QString& text) {
            answers.questions << text;
            answers.script = readFile(dir / "Compile/temp.iss");
            answers.built = readFile(dir / "Compile/Holiday Pictures.002");
            const bool yes = answers.replies.size() >= static_cast<std::size_t>(answers.questions.size()) &&
                             answers.replies[answers.questions.size() - 1];
            return yes;
        };
        installer::installerLauncher() = [](const QString& installer,
                                            const std::function<bool(const QString&)>& open) {
            open(installer);
        };
        openForm();
        answers.save = QString::fromStdString((dir / "out/Holiday").string());
    }
    void openForm() {
        form = std::make_unique<builder::TVorlinConfigForm>(settings, shell);
        form->show();
        form->Build()->findChild<QLineEdit*>("NameEdit")->setText("  Holiday Pictures ");
        form->Build()->findChild<QLineEdit*>("AuthorEdit")->setText("Ann");
        form->Build()->findChild<QPlainTextEdit*>("ReadmeMemo")->setPlainText("Enjoy");
    }
    void TearDown() override { form.reset(); }
    bool compileFilesGone() {
        for (const auto& e : fs::directory_iterator(dir / "Compile"))
            if (e.path().filename() != "vorlinbuild" && e.path().filename() != "vorlin-install") return false;
        return true;
    }

    show::ShowSettingsFile settings;
    builder::BuilderShell shell;
    Answers answers;
    std::unique_ptr<builder::TVorlinConfigForm> form;
};

TEST_F(BuildPage, BuildsTheInstallerAndOffersATest) {
    answers.replies = {true};
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    EXPECT_FALSE(form->Build()->findChild<QPushButton*>("BuildB")->isEnabled());
    EXPECT_FALSE(form->Build()->findChild<QPushButton*>("NextB")->isEnabled());
    EXPECT_EQ(form->Build()->findChild<QStackedWidget*>("Notebook")->currentIndex(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.questions.isEmpty(); }, 60000));
    EXPECT_EQ(answers.questions,
              QStringList{"Build Successful, Would you like to test the installation now?"});
    const std::string installer = (dir / "out/Holiday.run").string();
    EXPECT_TRUE(fs::exists(installer));
    EXPECT_EQ(answers.urls, QStringList{QString::fromStdString(installer)});
    EXPECT_EQ(form->BuildNames.SaverName, "Holiday Pictures");
    EXPECT_TRUE(compileFilesGone());
    EXPECT_TRUE(form->Build()->findChild<QPushButton*>("BuildB")->isEnabled());
    EXPECT_TRUE(form->Build()->findChild<QPushButton*>("NextB")->isEnabled());
    // The memo shows progress but none of the per-file lines.
    const QString memo = form->Build()->findChild<QPlainTextEdit*>("StatusMemo")->toPlainText();
    EXPECT_FALSE(memo.isEmpty());
    EXPECT_FALSE(memo.contains("File: "));
    EXPECT_FALSE(memo.contains("a.jpg"));
}

TEST_F(BuildPage, ACompilerThatCannotStartIsAFailureWithRetry) {
    fs::remove(dir / "Compile/vorlinbuild");
    answers.replies = {true, false};
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.questions.size() == 2; }, 30000));
    QTest::qWait(50);
    EXPECT_EQ(answers.questions,
              QStringList({"Build Failed, Please try it again.", "Build Failed, Please try it again."}));
    EXPECT_TRUE(compileFilesGone());
    EXPECT_TRUE(form->Build()->findChild<QPushButton*>("BuildB")->isEnabled());
    EXPECT_TRUE(answers.urls.isEmpty());
}

TEST_F(BuildPage, ACompilerEndingWithoutAReportIsAFailure) {
    fs::remove(dir / "Compile/vorlinbuild");
    spit(dir / "Compile/vorlinbuild", "#!/bin/sh\necho '10000   Compiling  '\necho '10000 Reading [Files]'\n"
                                      "echo '10000 File: /x.jpg'\necho '10000 ['\nexit 0\n");
    fs::permissions(dir / "Compile/vorlinbuild", fs::perms::owner_all, fs::perm_options::add);
    answers.replies = {false};
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.questions.isEmpty(); }, 30000));
    EXPECT_EQ(answers.questions, QStringList{"Build Failed, Please try it again."});
    EXPECT_EQ(form->Build()->findChild<QPlainTextEdit*>("StatusMemo")->toPlainText(),
              "Compiling\n[\nThe installer compiler ended without a report.");
    EXPECT_TRUE(form->Build()->findChild<QPushButton*>("BuildB")->isEnabled());
    EXPECT_TRUE(form->Build()->findChild<QPushButton*>("NextB")->isEnabled());
    EXPECT_TRUE(compileFilesGone());
}

TEST_F(BuildPage, UnwritableCompileFolderStopsBeforeTheCompiler) {
    fs::remove_all(dir / "Compile");
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    EXPECT_EQ(answers.messages,
              QStringList{QString::fromStdString("Unable to write to " +
                                                 (dir / "Compile/Holiday Pictures.002").string())});
    EXPECT_TRUE(form->Build()->findChild<QPushButton*>("BuildB")->isEnabled());
    EXPECT_NE(form->Build()->findChild<QStackedWidget*>("Notebook")->currentIndex(), 3);
    // Cancelling the save dialog changes nothing.
    answers.save.clear();
    answers.messages.clear();
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    EXPECT_TRUE(answers.messages.isEmpty());
}

TEST_F(BuildPage, TheBuildTakesThePathsTheListsFound) {
    // Entries that resolve through the installation's "sample" folder and the program folder, as in the
    // demo show and in a project saved from a built screen saver.
    spit(dir / "sample/c.jpg", "c");
    spit(dir / "d.jpg", "d");
    spit(dir / "sample/tune.wav", "t");
    // A folder given beside the settings file, holding a picture of an equal name, and one left out.
    spit(dir / "more/c.jpg", "c2");
    spit(dir / "less/e.jpg", "e");
    spit(dir / "VorlinSaver.002", "[Pictures]\nc.jpg=1\n/old/place/d.jpg=1\n[Music]\ntune.wav=1\n[Set]\n"
                                  "[Folders]\nmore=1\nless=0\n");
    settings.read(platform::programPath(), platform::Registry());
    openForm();
    ASSERT_EQ(form->Images()->List()->count(), 4);
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.questions.isEmpty(); }, 60000));
    spit(dir / "built.002", answers.built);
    const auto built = platform::IniFile((dir / "built.002").string()).snapshot();
    EXPECT_EQ(built.readKeys("Pictures"), (std::vector<std::string>{"c.jpg", "d.jpg", "c~2.jpg"}))
        << answers.built;
    EXPECT_TRUE(built.readKeys("Folders").empty()) << answers.built;
    EXPECT_NE(answers.script.find("Source:\"" + (dir / "more/c.jpg").string() +
                                  "\"; DestDir: \"{app}/sample\"; DestName: \"c~2.jpg\""),
              std::string::npos)
        << answers.script;
    EXPECT_EQ(answers.script.find("e.jpg"), std::string::npos);
    EXPECT_EQ(built.readKeys("Music"), (std::vector<std::string>{"tune.wav"})) << answers.built;
    for (const fs::path& packed : {dir / "sample/c.jpg", dir / "d.jpg", dir / "sample/tune.wav"})
        EXPECT_NE(answers.script.find("Source:\"" + packed.string() + "\""), std::string::npos)
            << packed << "\n"
            << answers.script;
    EXPECT_NE(answers.script.find("libmpegdll.so"), std::string::npos);
}

TEST_F(BuildPage, AnInstallerNameInAnotherCaseIsWrittenTestedAndDeletedUnderOneName) {
    spit(dir / "out/Holiday.RUN", "someone else's");
    answers.save = QString::fromStdString((dir / "out/Holiday.RUN").string());
    answers.replies = {true};
    form->Build()->findChild<QPushButton*>("BuildB")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.questions.isEmpty(); }, 60000));
    const std::string written = (dir / "out/Holiday.run").string();
    EXPECT_EQ(answers.urls, QStringList{QString::fromStdString(written)});
    EXPECT_EQ(form->BuildNames.InstallerPath, written);
    EXPECT_TRUE(fs::exists(written));
    EXPECT_EQ(readFile(dir / "out/Holiday.RUN"), "someone else's");
}

// The real save dialog, driven like a person: types `typed`, presses Enter, answers "No" to a question
// about replacing a file (recorded in `asked`) and then cancels. Returns the dialog's result.
QString typeIntoSaveDialog(const fs::path& folder, const QString& typed, QStringList& asked) {
    const auto finalName = [](const QString& t) {
        return QString::fromStdString(installer::installerPathFor(t.toStdString()));
    };
    bool typing = true;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            asked << box->text();
            box->button(QMessageBox::No)->click();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* edit = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (!edit) return;
        if (!typing) {
            dialog->reject();
            return;
        }
        typing = false;
        dialog->setDirectory(QString::fromStdString(folder.string()));
        edit->setText(typed);
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
    });
    driver.start(20);
    const QString chosen = builder::realBuilderShell().saveFile(
        nullptr, "Save screen saver installation as...", "*.run|*.run", finalName);
    driver.stop();
    return chosen;
}

TEST_F(Folder, TheSaveDialogAsksAboutTheNameThatWillBeWritten) {
    spit(dir / "Holiday.run", "old");
    spit(dir / "my.show.run", "old");
    const struct {
        QString typed, asked;
    } rows[] = {{"Holiday", "Holiday.run"}, {"Holiday.RUN", "Holiday.run"}, {"my.show", "my.show.run"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        QStringList asked;
        EXPECT_TRUE(typeIntoSaveDialog(dir, r.typed, asked).isEmpty());
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].startsWith(r.asked + " already exists")) << asked[0].toStdString();
    }
    // A new name is not asked about and comes back as it will be written.
    QStringList asked;
    EXPECT_EQ(typeIntoSaveDialog(dir, "Fresh", asked), QString::fromStdString((dir / "Fresh.run").string()));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(readFile(dir / "Holiday.run"), "old");
}

TEST_F(Folder, YesRunsTheInstallerAsADoubleClickWould) {
    // The installer asks in its window only when it has no terminal: it gets none, and no input.
    const fs::path ran = dir / "ran";
    spit(dir / "installer.run", "{ if [ -t 0 ]; then echo terminal; else echo none; fi; cat; } > '" +
                                    ran.string() + ".part' && mv '" + ran.string() + ".part' '" +
                                    ran.string() + "'\n");
    QStringList opened;
    installer::launchInstaller(QString::fromStdString((dir / "installer.run").string()),
                               [&](const QString& u) {
                                   opened << u;
                                   return true;
                               });
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(ran); }, 20000));
    EXPECT_EQ(readFile(ran), "none\n");
    EXPECT_TRUE(opened.isEmpty());
}

class ConfigDialog : public Folder {
protected:
    // A built screen saver "Sea.scr" with its settings file.
    void open(const std::string& text) {
        spit(dir / "Sea.002", text);
        spit(dir / "tune.wav", "w");
        settings.read((dir / "Sea.scr").string(), platform::Registry());
        dialog = std::make_unique<saverconfig::TDistributeConfigForm>(settings, [this](const QString& u) {
            urls << u;
            return true;
        });
        dialog->show();
        QApplication::processEvents();
    }
    show::ShowSettingsFile settings;
    std::unique_ptr<saverconfig::TDistributeConfigForm> dialog;
    QStringList urls;
};

TEST_F(ConfigDialog, AuthorAndWebsiteLabels) {
    struct Row {
        std::string set;
        QString label;
        bool link;
    } rows[] = {
        {"", "Author: ", false},
        {"Author=Ann\n", "Author: Ann", false},
        {"Website=not an address\n", "Author: , Web site: ", true},
        {"Author=Ann\nWebsite=http://ann.example\n", "Author: Ann, Web site: ", true},
    };
    for (const auto& r : rows) {
        open("[Set]\n" + r.set);
        EXPECT_EQ(dialog->AuthorLabel->text(), r.label);
        EXPECT_EQ(dialog->WebsiteLabel->isVisible(), r.link);
        if (!r.link) continue;
        const QRect a = dialog->AuthorLabel->geometry(), w = dialog->WebsiteLabel->geometry();
        EXPECT_EQ(w.left(), a.left() + a.width() + 1);
        EXPECT_EQ(w.top(), a.top());
        QTest::mouseClick(dialog->WebsiteLabel, Qt::LeftButton);
        EXPECT_EQ(urls.back(), QString::fromStdString(settings.settings.Website));
    }
    EXPECT_EQ(dialog->windowTitle(), "Config Screen Saver");
}

TEST_F(ConfigDialog, MusicCheckAndOkRewriteEveryOption) {
    open("[Music]\nmissing.wav=1\n[Set]\nPlayMusic=1\nStetchImage=1\nRandomImage=0\nLoopMusic=1\nMusicPath=/"
         "m\nMonitors=1\n");
    EXPECT_EQ(dialog->MonitorsCb->Mode(), show::mmDifferent);
    EXPECT_EQ(dialog->MonitorsCb->currentText(), "A different picture on each monitor");
    dialog->MonitorsCb->SetMode(show::mmSpan);
    EXPECT_FALSE(dialog->PlayMusicCheck->isEnabled());
    EXPECT_FALSE(dialog->PlayMusicCheck->isChecked());
    EXPECT_TRUE(dialog->StretchRadio->isChecked());
    EXPECT_TRUE(dialog->NormalizeRadio->isChecked());
    dialog->IntervalEdit->setValue(9);
    dialog->OKBClick();
    const auto ini = platform::IniFile((dir / "Sea.002").string()).snapshot();
    EXPECT_EQ(ini.readKeys("Set"),
              (std::vector<std::string>{"PlayMusic", "StetchImage", "RandomImage", "LoopMusic", "MusicPath",
                                        "Monitors", "AllowReverseTransition", "ClearOldImage", "RandomMusic",
                                        "ImageInterval", "BackgroundColor", "EffectSpeed", "IdleMinutes",
                                        "PicturePath", "PanZoom", "Caption", "Clock", "Fill", "Shuffle"}));
    EXPECT_EQ(ini.readString("Set", "Monitors", ""), "2");
    EXPECT_EQ(ini.readString("Set", "PlayMusic", ""), "0");
    EXPECT_EQ(ini.readString("Set", "ImageInterval", ""), "9");
    EXPECT_EQ(ini.readString("Set", "LoopMusic", ""), "1");
    EXPECT_EQ(ini.readString("Set", "MusicPath", ""), "/m");
    EXPECT_EQ(ini.readString("Set", "IdleMinutes", ""), "10") << "the watcher's default idle time";

    // With music found the check follows PlayMusic; Cancel writes nothing.
    open("[Music]\ntune.wav=1\n[Set]\nPlayMusic=1\n");
    EXPECT_TRUE(dialog->PlayMusicCheck->isEnabled());
    EXPECT_TRUE(dialog->PlayMusicCheck->isChecked());
    const std::string before = readFile(dir / "Sea.002");
    dialog->IntervalEdit->setValue(2);
    dialog->reject();
    EXPECT_EQ(readFile(dir / "Sea.002"), before);
}

TEST_F(ConfigDialog, StartAfterMinutesKeepsItsRangeAndIsStored) {
    // A hand-edited value out of range opens at the nearest end; the spin box holds 1..120.
    for (const auto& [stored, shown] : {std::pair{"0", 1}, {"45", 45}, {"5000", 120}}) {
        open(std::string("[Set]\nIdleMinutes=") + stored + "\n");
        EXPECT_EQ(dialog->IdleMinutesEdit->value(), shown) << stored;
    }
    dialog->IdleMinutesEdit->setValue(500);
    EXPECT_EQ(dialog->IdleMinutesEdit->value(), 120);
    dialog->IdleMinutesEdit->setValue(3);
    dialog->OKBClick();
    EXPECT_EQ(platform::IniFile((dir / "Sea.002").string()).readInteger("Set", "IdleMinutes", 0), 3);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
