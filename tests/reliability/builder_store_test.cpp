// The builder storing a show whose settings file cannot be written (in ways that hold for root too): the
// person is told, the window stays open with the edits, nothing on disk is harmed, and once the obstacle is
// gone the same close stores them.

#include "builder/build_page.h"
#include "builder/config_form.h"
#include "builder/effects_page.h"
#include "builder/file_list_page.h"
#include "builder/options_page.h"
#include "platform/program_path.h"
#include "platform/registry.h"

#include "../lib/test_files.h"

#include <QApplication>
#include <QListWidget>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;
using namespace vorlin;

namespace {

using vorlin::testing::readFile;

struct StoreCase {
    // Makes the settings file unwritable.
    std::function<void(const fs::path& dir, const fs::path& working)> block;
    // Checks that nothing on disk was harmed by the failed store, then removes the obstacle.
    std::function<void(const fs::path& dir, const fs::path& working, const std::string& original)> unblock;
};

void storeBlockedThenFreed(const StoreCase& c) {
    const vorlin::testing::TempDir tmp;
    const fs::path dir = tmp.path();
    const fs::path program = dir / "prog", pics = dir / "pics";
    fs::create_directories(program);
    fs::create_directories(pics);
    for (const char* name : {"a.bmp", "b.bmp"})
        fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "pictures/bmp_24bit.bmp", pics / name);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    platform::setProgramPath((program / "VorlinSaver").string());
    const fs::path working = program / "VorlinSaver.002";
    const std::string original = "[Pictures]\n" + (pics / "a.bmp").string() + "=1\n" +
                                 (pics / "b.bmp").string() + "=1\n[Set]\nImageInterval=4\n";
    std::ofstream(working, std::ios::binary) << original;

    QStringList messages;
    builder::BuilderShell shell;
    shell.openFiles = [](QWidget*, const QString&, const QString&, const QString&) { return QStringList(); };
    shell.openFile = [](QWidget*, const QString&, const QString&) { return QString(); };
    shell.saveFile = [](QWidget*, const QString&, const QString&, const auto&) { return QString(); };
    shell.message = [&](QWidget*, const QString&, const QString& text) { messages << text; };
    shell.openUrl = [](const QString&) { return true; };

    show::ShowSettingsFile settings;
    settings.read(platform::programPath(), platform::Registry());
    auto form = std::make_unique<builder::TVorlinConfigForm>(settings, shell);
    form->show();
    ASSERT_EQ(form->Images()->List()->count(), 2);
    form->Options()->findChild<QRadioButton*>("StretchRadio")->setChecked(true);

    c.block(dir, working);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("VorlinSaver.002")) << messages[0].toStdString();
    EXPECT_EQ(form->Images()->List()->count(), 2);
    EXPECT_TRUE(form->Options()->findChild<QRadioButton*>("StretchRadio")->isChecked());
    c.unblock(dir, working, original);

    // The obstacle is gone: the next close stores what was edited.
    EXPECT_TRUE(form->close());
    EXPECT_EQ(messages.size(), 1);
    const std::string stored = readFile(working);
    EXPECT_NE(stored.find("StetchImage=1"), std::string::npos) << stored;
    EXPECT_NE(stored.find((pics / "b.bmp").string()), std::string::npos) << stored;
    form.reset();
}

TEST(BuilderStore, SettingsFolderGoneThenBack) {
    // The program's folder disappears (unmounted, deleted by another program) before the close stores.
    storeBlockedThenFreed({[](const fs::path& dir, const fs::path& working) {
                               fs::rename(working.parent_path(), dir / "away");
                           },
                           [](const fs::path& dir, const fs::path& working, const std::string& original) {
                               // The old file was not touched.
                               EXPECT_EQ(readFile(dir / "away" / working.filename()), original);
                               fs::rename(dir / "away", working.parent_path());
                           }});
}

TEST(BuilderStore, FolderWhereTheSettingsFileShouldBe) {
    // Another program moved the settings file aside and put a folder with something in it in its place.
    storeBlockedThenFreed({[](const fs::path& dir, const fs::path& working) {
                               fs::rename(working, dir / "aside.002");
                               fs::create_directory(working);
                               std::ofstream(working / "keep.txt") << "somebody's file";
                           },
                           [](const fs::path& dir, const fs::path& working, const std::string& original) {
                               // The folder and what is in it are left alone, no temporary is left beside
                               // it, and the file moved aside was not touched.
                               EXPECT_TRUE(fs::is_directory(working));
                               EXPECT_EQ(readFile(working / "keep.txt"), "somebody's file");
                               std::size_t entries = 0;
                               for ([[maybe_unused]] const auto& e :
                                    fs::directory_iterator(working.parent_path()))
                                   ++entries;
                               EXPECT_EQ(entries, 1u);
                               EXPECT_EQ(readFile(dir / "aside.002"), original);
                               fs::rename(working, dir / "moved-away");
                               fs::rename(dir / "aside.002", working);
                           }});
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
