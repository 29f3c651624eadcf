// The built program, copied or linked under screen-saver names, started as a host would start it; what it
// reports with --info is checked field by field.

#include "../lib/test_files.h"
#include "platform/registry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using vorlin::platform::Registry;
using namespace vorlin::testing;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
    QJsonObject json;
};

class Program : public ::testing::Test {
protected:
    TempDir root;
    std::string folder = root / "show/";
    std::string system = root / "system";
    std::string registryFile = root / "registry.ini";

    void SetUp() override {
        fs::create_directories(folder);
        fs::create_directories(system);
    }

    std::string install(const std::string& name) {
        const std::string path = folder + name;
        fs::copy_file(VORLIN_PROGRAM, path);
        return path;
    }

    // The environment of a program started without a display, its registry and system folder in the
    // test's folder; `withQt` keeps the offscreen platform the test runs under; `extraEnv` holds "K=V"s.
    QProcessEnvironment environment(bool withQt, const QStringList& extraEnv) const {
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (!withQt) env.remove("QT_QPA_PLATFORM");
        env.insert("VORLIN_REGISTRY", QString::fromStdString(registryFile));
        env.insert("VORLIN_SYSTEM_DIR", QString::fromStdString(system));
        env.insert("VORLIN_TEST_MPR_RECORD", QString::fromStdString(root / "record.txt"));
        for (const auto& kv : extraEnv) env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        return env;
    }

    // Runs `program` to its end (see environment()).
    Result run(const std::string& program, const QStringList& args, bool withQt = false,
               const QStringList& extraEnv = {}, const std::string& cwd = {}) {
        QProcess p;
        p.setProcessEnvironment(environment(withQt, extraEnv));
        if (!cwd.empty()) p.setWorkingDirectory(QString::fromStdString(cwd));
        p.start(QString::fromStdString(program), args);
        Result r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << program << " did not end";
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        QJsonParseError error{};
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
        if (error.error == QJsonParseError::NoError) r.json = doc.object();
        return r;
    }

    static std::string str(const QJsonObject& o, const char* key) {
        return o.value(key).toString().toStdString();
    }
};

TEST_F(Program, NamesAndModes) {
    writeFile(folder + "MyShow Deluxe.002", "[Set]\nAuthor=Deluxe\n");
    writeFile(folder + "my.002", "[Set]\nAuthor=my\n");
    writeFile(folder + "VorlinSaver.002", "[Set]\nAuthor=builder\n");
    const struct {
        const char* name;
        QStringList args;
        const char* mode;
        int host;
        const char* base;
        const char* window;
        const char* author;
    } rows[] = {
        {"MYSHOW~1.SCR", {"/s", "--info"}, "Show", 0, "MyShow Deluxe", "full-screen show", "Deluxe"},
        {"OTHER~1.SCR", {"--info"}, "Default", 0, "OTHER~1", "configuration dialog", ""},
        {"my.scrapbook.scr", {"--info"}, "Default", 0, "my", "configuration dialog", "my"},
        {"VorlinSaver.EXE", {"--info"}, "Default", 0, "VorlinSaver", "builder window", "builder"},
        {"VorlinSaver", {"/c:1234", "--info"}, "Configure", 0, "VorlinSaver", "builder window", "builder"},
        {"vorlinsaver.scr", {"/p", "1234", "--info"}, "Preview", 1234, "vorlinsaver", "preview window", ""},
        {"MyShow.scr", {"--info", "/p", "abc"}, "Preview", 0, "MyShow", "preview window", ""},
        {"MyShow.scr", {"/p", "--info"}, "Default", 0, "MyShow", "configuration dialog", ""},
        {"MyShow.scr", {"/a", "99", "--info"}, "ChangePassword", 99, "MyShow", "none", ""},
        {"MyShow.scr", {"-S", "--info"}, "Show", 0, "MyShow", "full-screen show", ""},
    };
    for (const auto& r : rows) {
        const std::string path = folder + r.name;
        if (!fs::exists(path)) install(r.name);
        const auto res = run(path, r.args);
        const std::string label = std::string(r.name) + " " + r.args.join(' ').toStdString();
        ASSERT_EQ(res.status, 0) << label << "\n" << res.err;
        ASSERT_FALSE(res.json.isEmpty()) << label << "\n" << res.out;
        EXPECT_EQ(str(res.json, "mode"), r.mode) << label;
        EXPECT_EQ(res.json.value("hostWindow").toInt(-1), r.host) << label;
        EXPECT_EQ(str(res.json, "baseName"), r.base) << label;
        EXPECT_EQ(str(res.json, "programFolder"), folder) << label;
        EXPECT_EQ(str(res.json, "settingsFile"), folder + r.base + ".002") << label;
        EXPECT_EQ(str(res.json, "mainWindow"), r.window) << label;
        EXPECT_EQ(str(res.json, "Author"), r.author) << label;
        // Shows without the photo-look keys report them off.
        for (const char* key : {"PanZoom", "Shuffle"})
            EXPECT_EQ(res.json.value(key), QJsonValue(false)) << key;
        for (const char* key : {"Caption", "Clock", "Fill"})
            EXPECT_EQ(res.json.value(key), QJsonValue(0)) << key;
        EXPECT_EQ(res.json.value("Folders"), QJsonValue(QJsonArray{})) << label;
    }
    EXPECT_FALSE(fs::exists(root / "record.txt")) << "--info changes no password";
}

TEST_F(Program, LinksAndPathLookupAreShowsOfTheirOwn) {
    const std::string real = install("VorlinSaver");
    const std::string other = root / "links/";
    fs::create_directories(other);
    fs::create_symlink(real, other + "Linked.scr");
    writeFile(other + "Linked.002", "[Set]\nAuthor=link\n");

    const struct {
        const char* how;
        std::string program;
        QStringList args;
        QStringList env;
        std::string cwd;
    } rows[] = {
        {"absolute", other + "Linked.scr", {"--info"}, {}, {}},
        {"relative", "/bin/sh", {"-c", "exec ./Linked.scr --info"}, {}, other},
        {"on PATH",
         "/bin/sh",
         {"-c", "exec Linked.scr --info"},
         {"PATH=/nonexistent:" + QString::fromStdString(other)},
         {}},
    };
    for (const auto& r : rows) {
        const auto res = run(r.program, r.args, false, r.env, r.cwd);
        ASSERT_EQ(res.status, 0) << r.how << "\n" << res.err;
        EXPECT_EQ(str(res.json, "programFolder"), other) << r.how;
        EXPECT_EQ(str(res.json, "baseName"), "Linked") << r.how;
        EXPECT_EQ(str(res.json, "mainWindow"), "configuration dialog") << r.how;
        EXPECT_EQ(str(res.json, "Author"), "link") << r.how;
    }
    const auto direct = run(real, {"--info"});
    EXPECT_EQ(str(direct.json, "baseName"), "VorlinSaver");
    EXPECT_EQ(str(direct.json, "mainWindow"), "builder window");
}

TEST_F(Program, ReportsTheWholeRecord) {
    const std::string inst = root / "inst";
    fs::create_directories(inst + "/sample");
    Registry(registryFile).writeString("Software\\Mirtavo\\MyShow", "", inst);
    writeFile(folder + "a.jpg", "x");
    writeFile(inst + "/sample/c.jpg", "x");
    writeFile(folder + "song.mp3", "x");
    writeFile(folder + "MyShow.002", "[Pictures]\n/old/a.jpg=1\nc.jpg=1\nmissing.jpg=1\n"
                                     "[Music]\nsong.mp3=1\n"
                                     "[Transitions]\n15=0\n3=0\n"
                                     "[Set]\nStetchImage=1\nRandomImage=0\nAllowReverseTransition=1\n"
                                     "ClearOldImage=1\nPlayMusic=0\nRandomMusic=1\nLoopMusic=1\n"
                                     "ImageInterval=0x0A\nBackgroundColor=-5\nEffectSpeed=ten\n"
                                     "PicturePath=/p \"q\"\nMusicPath=/m\nAuthor=Ann\nWebsite=http://x\n"
                                     "Monitors=2\nPanZoom=1\nCaption=3\nClock=0x2\nFill=1\nShuffle=1\n"
                                     "[Folders]\n/nowhere/My \"Photos\"=2\n/nowhere/out=0\n/nowhere/b=1\n");
    const auto res = run(install("MyShow.scr"), {"/s", "--info"});
    ASSERT_EQ(res.status, 0) << res.err;
    const auto& j = res.json;
    EXPECT_EQ(str(j, "installationFolder"), inst + "/");
    const QJsonArray pictures = {QString::fromStdString(folder + "a.jpg"),
                                 QString::fromStdString(inst + "/sample/c.jpg")};
    EXPECT_EQ(j.value("Pictures").toArray(), pictures);
    EXPECT_EQ(j.value("Music").toArray(), QJsonArray{QString::fromStdString(folder + "song.mp3")});
    for (const char* key :
         {"StetchImage", "AllowReverseTransition", "ClearOldImage", "RandomMusic", "LoopMusic"})
        EXPECT_EQ(j.value(key), QJsonValue(true)) << key;
    for (const char* key : {"RandomImage", "PlayMusic"}) EXPECT_EQ(j.value(key), QJsonValue(false)) << key;
    EXPECT_EQ(j.value("ImageInterval"), QJsonValue(10));
    EXPECT_EQ(j.value("BackgroundColor"), QJsonValue(-5));
    EXPECT_EQ(j.value("EffectSpeed"), QJsonValue(3));
    EXPECT_EQ(str(j, "PicturePath"), "/p \"q\"");
    EXPECT_EQ(str(j, "MusicPath"), "/m");
    EXPECT_EQ(str(j, "Website"), "http://x");
    EXPECT_EQ(j.value("Monitors"), QJsonValue(2));
    EXPECT_EQ(j.value("PanZoom"), QJsonValue(true));
    EXPECT_EQ(j.value("Caption"), QJsonValue(3));
    EXPECT_EQ(j.value("Clock"), QJsonValue(2));
    EXPECT_EQ(j.value("Fill"), QJsonValue(1));
    EXPECT_EQ(j.value("Shuffle"), QJsonValue(true));
    const QJsonArray folders = {QJsonObject{{"path", "/nowhere/My \"Photos\""}, {"subfolders", true}},
                                QJsonObject{{"path", "/nowhere/b"}, {"subfolders", false}}};
    EXPECT_EQ(j.value("Folders").toArray(), folders);
    const auto effects = j.value("EnabledEffects").toArray();
    ASSERT_EQ(effects.size(), 121);
    int previous = 0;
    for (const auto& e : effects) {
        const int n = e.toInt();
        EXPECT_GT(n, previous);
        EXPECT_TRUE(n != 1 && n != 5 && (n < 119 || n > 122)) << n;
        previous = n;
    }
    EXPECT_EQ(previous, 127);
}

TEST_F(Program, PasswordChangeNeedsNoDisplay) {
    const std::string show = install("MyShow.scr");
    fs::copy_file(VORLIN_MPR_MODULE, system + "/libmpr.so");
    const struct {
        QStringList args;
        const char* record;
    } rows[] = {
        {{"/a", "0"}, ""},
        {{"/a", "abc"}, ""},
        {{"/a", "1234"}, "SCRSAVE 1234 0 0\n"},
        {{"-A:x", "55", "--bogus-free"}, nullptr}, // an unknown option ends first
    };
    for (const auto& r : rows) {
        fs::remove(root / "record.txt");
        const auto res = run(show, r.args);
        if (!r.record) {
            EXPECT_EQ(res.status, 2);
            continue;
        }
        EXPECT_EQ(res.status, 0) << res.err;
        EXPECT_EQ(res.out + res.err, "");
        EXPECT_EQ(readFile(root / "record.txt"), r.record) << r.args.join(' ').toStdString();
    }
    fs::remove(system + "/libmpr.so");
    EXPECT_EQ(run(show, {"/a", "1234"}).status, 0) << "no password module: nothing to do";
}

TEST_F(Program, ProgramOptionsAndNoDisplay) {
    const std::string show = install("MyShow.scr");
    const auto help = run(show, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--info"), std::string::npos);
    const auto version = run(show, {"/s", "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("VorlinSaver ", 0), 0u) << version.out;
    const auto bogus = run(show, {"--bogus"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_NE(bogus.err.find("--bogus"), std::string::npos);
    for (const QStringList& args : {QStringList{}, QStringList{"/s"}, QStringList{"/p", "1"}}) {
        const auto res = run(show, args);
        EXPECT_EQ(res.status, 1) << args.join(' ').toStdString();
        EXPECT_EQ(std::count(res.err.begin(), res.err.end(), '\n'), 1) << res.err;
    }
}

// The builder and a saver's configuration dialog are in every program: started with a display, each keeps
// its window open until it is closed, where a program without it would end at once.
TEST_F(Program, BuilderAndConfigurationDialogStayOpen) {
    for (const char* name : {"VorlinSaver", "MyShow.scr"}) {
        QProcess p;
        p.setProcessEnvironment(environment(true, {"QT_QPA_PLATFORM=offscreen"}));
        p.start(QString::fromStdString(install(name)), {});
        ASSERT_TRUE(p.waitForStarted()) << name;
        EXPECT_FALSE(p.waitForFinished(2000))
            << name << " ended, status " << p.exitCode() << ": " << p.readAllStandardError().toStdString();
        p.kill();
        p.waitForFinished();
    }
}

// A show off X (here on the offscreen platform) has no screen-saver daemon to tell anything. The daemon's
// command tool, given no display, would go to ":0", another server, perhaps running this very screen saver
// as its own: it must not be run at all.
TEST_F(Program, ShowOffXLeavesScreenSaverDaemonsAlone) {
    const std::string tools = root / "tools";
    const std::string calls = root / "calls.txt";
    fs::create_directories(tools);
    writeFile(tools + "/xscreensaver-command", "#!/bin/sh\necho \"$*\" >> '" + calls + "'\n");
    fs::permissions(tools + "/xscreensaver-command", fs::perms::owner_all);
    fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "pictures/bmp_24bit.bmp", folder + "a.bmp");
    writeFile(folder + "MyShow.002", "[Pictures]\na.bmp=1\n[Set]\nPlayMusic=0\nImageInterval=60\n");

    QProcess p;
    const QString path = QString::fromStdString(tools) + ":" + qEnvironmentVariable("PATH");
    p.setProcessEnvironment(
        environment(true, {"QT_QPA_PLATFORM=offscreen", "VORLIN_REPORT_FIRST_FRAME=1", "PATH=" + path}));
    p.start(QString::fromStdString(install("MyShow.scr")), {"/s"});
    ASSERT_TRUE(p.waitForStarted());
    // The show is running once its first frame is drawn; the daemon would have been told before that.
    QByteArray err;
    for (int i = 0; i < 100 && !err.contains("first-frame"); ++i) {
        p.waitForReadyRead(200);
        err += p.readAllStandardError();
    }
    EXPECT_TRUE(err.contains("first-frame")) << err.toStdString();
    p.waitForFinished(1500); // time for a started tool to write its line
    p.kill();
    p.waitForFinished();
    EXPECT_FALSE(fs::exists(calls)) << readFile(calls);
}

} // namespace
