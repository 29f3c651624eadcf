#pragma once
// The builder window on a show in a temporary folder of its own, with every dialog answered by a test
// shell that records what was asked and said.

#include "builder/build_page.h"
#include "builder/config_form.h"
#include "builder/effects_page.h"
#include "builder/file_list_page.h"
#include "builder/options_page.h"
#include "platform/program_path.h"
#include "platform/registry.h"

#include "../lib/test_files.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace vorlin::testing {

// Answers the builder's dialogs with the answers set beforehand; records filters, messages and links.
struct BuilderTestShell {
    QStringList filesAnswer;
    QString fileAnswer;
    QString folderAnswer;
    QString saveAnswer;
    QStringList messages;
    QStringList urls;
    QStringList filters;
    // What openUrl answers: false stands for a desktop without a program for the address.
    bool urlOpens = true;

    builder::BuilderShell make() {
        builder::BuilderShell s;
        s.openFiles = [this](QWidget*, const QString&, const QString&, const QString& filter) {
            filters << filter;
            return filesAnswer;
        };
        s.openFolder = [this](QWidget*, const QString&, const QString&) { return folderAnswer; };
        s.openFile = [this](QWidget*, const QString&, const QString& filter) {
            filters << filter;
            return fileAnswer;
        };
        s.saveFile = [this](QWidget*, const QString&, const QString& filter, const auto&) {
            filters << filter;
            return saveAnswer;
        };
        s.message = [this](QWidget*, const QString&, const QString& text) { messages << text; };
        s.openUrl = [this](const QString& url) {
            urls << url;
            return urlOpens;
        };
        return s;
    }
};

// A temporary folder holding the program's place (its working settings file is `working`) and pictures
// a.bmp..d.bmp and "music" x.wav, y.wav in `pics`; the registry lives in the folder too.
class BuilderFixture : public ::testing::Test {
public:
    void SetUp() override {
        pics = dir / "pics";
        std::filesystem::create_directories(pics);
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"})
            std::filesystem::copy_file(std::filesystem::path(VORLIN_TEST_DATA_DIR) / "pictures/bmp_24bit.bmp",
                                       pics / name);
        for (const char* name : {"x.wav", "y.wav"}) writeFile(pics / name, "not really sound");
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        platform::setProgramPath((dir / "VorlinSaver").string());
        working = dir / "VorlinSaver.002";
    }
    void TearDown() override { form.reset(); }

    std::string pic(const char* name) const { return (pics / name).string(); }

    // Writes the working settings file, reads it and opens the window on it.
    void open(const std::string& text) {
        writeFile(working, text);
        settings = std::make_unique<show::ShowSettingsFile>();
        settings->read(platform::programPath(), platform::Registry());
        form = std::make_unique<builder::TVorlinConfigForm>(*settings, shell.make());
        form->show();
    }

    TempDir tmp;
    std::filesystem::path dir = tmp.path(), pics, working;
    BuilderTestShell shell;
    std::unique_ptr<show::ShowSettingsFile> settings;
    std::unique_ptr<builder::TVorlinConfigForm> form;
};

} // namespace vorlin::testing
