// The builder storing a show whose settings file cannot be written: the person is told, the window stays
// open with the edits, and once the folder is back the same close stores them.

#include "builder/config_form.h"
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
#include <sstream>

namespace fs = std::filesystem;
using namespace vorlin;

namespace {

using vorlin::testing::readFile;

TEST(BuilderStore, SettingsFolderGoneThenBack) {
    char tmpl[] = "/tmp/vorlin-store-XXXXXX";
    const fs::path dir = mkdtemp(tmpl);
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
    shell.saveFile = [](QWidget*, const QString&, const QString&) { return QString(); };
    shell.message = [&](QWidget*, const QString&, const QString& text) { messages << text; };
    shell.openUrl = [](const QString&) { return true; };

    show::ShowSettingsFile settings;
    settings.read(platform::programPath(), platform::Registry());
    auto form = std::make_unique<builder::TVorlinConfigForm>(settings, shell);
    form->show();
    ASSERT_EQ(form->ImageList->count(), 2);
    form->StretchRadio->setChecked(true);

    // The program's folder disappears (unmounted, deleted by another program) before the close stores.
    fs::rename(program, dir / "away");
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("VorlinSaver.002")) << messages[0].toStdString();
    EXPECT_EQ(form->ImageList->count(), 2);
    EXPECT_TRUE(form->StretchRadio->isChecked());
    EXPECT_EQ(readFile(dir / "away" / "VorlinSaver.002"), original); // the old file was not touched

    // The folder is back: the next close stores what was edited.
    fs::rename(dir / "away", program);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(messages.size(), 1);
    const std::string stored = readFile(working);
    EXPECT_NE(stored.find("StetchImage=1"), std::string::npos) << stored;
    EXPECT_NE(stored.find((pics / "b.bmp").string()), std::string::npos) << stored;
    form.reset();
    fs::remove_all(dir);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
