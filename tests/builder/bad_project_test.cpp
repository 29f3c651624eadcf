// Load Project with picks that are not projects: pictures, huge files, binary garbage, folders, pipes,
// devices and paths that cannot be read. Such a pick is refused with a message naming the file, and the
// working settings file, the lists, the record and the change flags stay exactly as they were. Text that
// is merely odd (empty, one enormous line, no known section, 8-bit bytes) loads as any project does.

#include "builder/project_check.h"
#include "builder_fixture.h"

#include <QApplication>
#include <QListWidget>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace vorlin;
using builder::TVorlinConfigForm;

namespace {

using namespace vorlin::testing;

// A file of `size` bytes that takes no disk space and no time to make (a hole reads as NUL bytes).
void makeSparse(const fs::path& p, off_t size) {
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

std::string randomBytes(size_t n, unsigned seed, int lowest) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(lowest, 255);
    std::string s(n, '\0');
    for (char& c : s) c = char(byte(rng));
    return s;
}

class BadProject : public vorlin::testing::BuilderFixture {
public:
    // Opens the window on a show of three pictures and one music file.
    void openStandard() {
        open("[Pictures]\n" + pic("a.bmp") + "=1\n" + pic("b.bmp") + "=0\n" + pic("c.bmp") + "=1\n[Music]\n" +
             pic("x.wav") + "=1\n[Set]\nImageInterval=4\n");
    }

    QStringList listTexts(QListWidget* list) const {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "-");
        return out;
    }

    void load(const fs::path& p) {
        shell.fileAnswer = QString::fromStdString(p.string());
        form->LoadProjectClick();
    }
};

// Each row makes a pick (returning its path) and names the reason the message must give.
struct RefusedRow {
    const char* name;
    std::function<fs::path(BadProject&)> make;
    const char* reason;
};

void PrintTo(const RefusedRow& row, std::ostream* os) {
    *os << row.name;
}

class Refused : public BadProject, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(Refused, KeepsTheShowAndSaysWhy) {
    openStandard();
    // Unsaved edits on two lists: a refused load must keep them and their flags.
    form->Images()->List()->setCurrentRow(1);
    form->RemoveImageBClick();
    form->ClearMusicBClick();
    form->Options()->findChild<QSpinBox*>("IntervalEdit")->setValue(9);
    const int flags = form->ChangeFlags;
    ASSERT_EQ(flags, builder::cfPictures | builder::cfMusic);
    const std::string before = readFile(working);
    const QStringList images = listTexts(form->Images()->List());
    const auto record = settings->settings.Pictures;

    const fs::path pick = GetParam().make(*this);
    const auto names = [this] {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
        return out;
    };
    const std::set<std::string> namesBefore = names();
    load(pick);

    ASSERT_EQ(shell.messages.size(), 1);
    const QString expectedStart =
        "The project file " + QString::fromStdString(pick.string()) + " could not be loaded. ";
    EXPECT_TRUE(shell.messages[0].startsWith(expectedStart)) << shell.messages[0].toStdString();
    EXPECT_TRUE(shell.messages[0].contains(GetParam().reason)) << shell.messages[0].toStdString();
    EXPECT_EQ(readFile(working), before);
    EXPECT_EQ(listTexts(form->Images()->List()), images);
    EXPECT_EQ(form->Music()->List()->count(), 0);
    EXPECT_EQ(form->Options()->findChild<QSpinBox*>("IntervalEdit")->value(), 9);
    EXPECT_EQ(form->ChangeFlags, flags);
    EXPECT_EQ(settings->settings.Pictures, record);
    // No temporary file of a half-done replacement is left beside the working file.
    EXPECT_EQ(names(), namesBefore);

    // Nothing was lost: storing now writes the edits made before the refused load.
    form->SaveProjectClick();
    const std::string after = readFile(working);
    EXPECT_EQ(after.find(pic("b.bmp")), std::string::npos);
    EXPECT_NE(after.find(pic("a.bmp")), std::string::npos);
    EXPECT_EQ(after.find("x.wav"), std::string::npos);
    EXPECT_NE(after.find("ImageInterval=9"), std::string::npos);
}

std::string validProject(BadProject& t) {
    return "[Pictures]\n" + t.pic("c.bmp") + "=1\n[Set]\nImageInterval=2\n";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Refused,
    ::testing::Values(
        RefusedRow{"JpegNamedFly",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "holiday.fly";
                       fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "pictures/jpeg_baseline.jpg", p);
                       return p;
                   },
                   "binary"},
        // 100 MB, refused before a byte of it is read.
        RefusedRow{"HundredMegabytes",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "huge.fly";
                       makeSparse(p, off_t(100) << 20);
                       return p;
                   },
                   "larger than 16 MB"},
        // Text, one byte over the limit: the size decides, not the content.
        RefusedRow{"TextJustOverTheLimit",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "big.fly";
                       std::string s = validProject(t);
                       s.resize(size_t(builder::kProjectSizeLimit) + 1, 'a');
                       writeFile(p, s);
                       return p;
                   },
                   "larger than 16 MB"},
        RefusedRow{"GarbageWithNulBytes",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "garbage.fly";
                       writeFile(p, randomBytes(4096, 1, 0));
                       return p;
                   },
                   "binary"},
        // Garbage without a single NUL still holds control bytes no text has.
        RefusedRow{"GarbageWithoutNulBytes",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "nonul.fly";
                       writeFile(p, randomBytes(4096, 2, 1));
                       return p;
                   },
                   "binary"},
        // A good project with one NUL near its end: the whole file is judged, not its start.
        RefusedRow{"ProjectWithOneNulNearTheEnd",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "nul.fly";
                       std::string s = validProject(t) + std::string(200000, ';') + "\n";
                       s[s.size() - 10] = '\0';
                       writeFile(p, s);
                       return p;
                   },
                   "binary"},
        RefusedRow{"FolderNamedFly",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "x.fly";
                       fs::create_directories(p);
                       return p;
                   },
                   "folder"},
        RefusedRow{"Missing", [](BadProject& t) { return t.dir / "missing.fly"; }, "does not exist"},
        // Paths that cannot be opened, even by root.
        RefusedRow{"SymbolicLinkLoop",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "loop.fly";
                       fs::create_symlink(p, p);
                       return p;
                   },
                   "cannot be read"},
        RefusedRow{"UnderAFile",
                   [](BadProject& t) {
                       writeFile(t.dir / "plain", "x");
                       return t.dir / "plain" / "x.fly";
                   },
                   "cannot be read"},
        // Opening a pipe for reading would wait for a writer forever; /dev/zero never ends.
        RefusedRow{"NamedPipe",
                   [](BadProject& t) {
                       const fs::path p = t.dir / "pipe.fly";
                       EXPECT_EQ(::mkfifo(p.c_str(), 0644), 0);
                       return p;
                   },
                   "not a plain file"},
        RefusedRow{"EndlessDevice", [](BadProject&) { return fs::path("/dev/zero"); }, "not a plain file"}),
    [](const ::testing::TestParamInfo<RefusedRow>& info) { return std::string(info.param.name); });

// Without root's rights a file of mode 000 cannot be opened (root reads it anyway, so the row is skipped
// there; the rows above cover unreadable paths for root).
TEST_F(BadProject, UnreadableFileIsRefusedWhereModesHold) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores file modes";
    openStandard();
    const std::string before = readFile(working);
    const fs::path p = dir / "locked.fly";
    writeFile(p, validProject(*this));
    fs::permissions(p, fs::perms::none);
    load(p);
    ASSERT_EQ(shell.messages.size(), 1);
    EXPECT_TRUE(shell.messages[0].contains("cannot be read"));
    EXPECT_EQ(readFile(working), before);
}

// Each row: text that is no show the builder wrote, loaded as it is; the list the window then shows.
struct LoadedRow {
    const char* name;
    std::function<std::string(BadProject&)> content;
    int pictures;
    int interval;
};

void PrintTo(const LoadedRow& row, std::ostream* os) {
    *os << row.name;
}

class Loaded : public BadProject, public ::testing::WithParamInterface<LoadedRow> {};

TEST_P(Loaded, ReplacesTheWorkingFileAndClearsTheFlags) {
    openStandard();
    form->RemoveImageBClick();
    const fs::path p = dir / "odd.fly";
    const std::string content = GetParam().content(*this);
    writeFile(p, content);
    load(p);
    EXPECT_TRUE(shell.messages.isEmpty()) << shell.messages.join("\n").toStdString();
    EXPECT_TRUE(readFile(working) == content); // not EXPECT_EQ: a failure would print megabytes
    EXPECT_EQ(form->ChangeFlags, 0);
    EXPECT_EQ(form->Images()->List()->count(), GetParam().pictures);
    EXPECT_EQ(form->Options()->findChild<QSpinBox*>("IntervalEdit")->value(), GetParam().interval);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Loaded,
    ::testing::Values(LoadedRow{"Empty", [](BadProject&) { return std::string(); }, 0, 3},
                      LoadedRow{"TenMegabyteLine", [](BadProject&) { return std::string(10u << 20, 'k'); }, 0,
                                3},
                      LoadedRow{"NoKnownSection",
                                [](BadProject&) { return std::string("[Other]\nkey=value\nwords\n"); }, 0, 3},
                      // Exactly at the limit is still a project.
                      LoadedRow{"AtTheLimit",
                                [](BadProject& t) {
                                    std::string s = validProject(t);
                                    s.resize(size_t(builder::kProjectSizeLimit), ';');
                                    return s;
                                },
                                1, 2},
                      // Windows line ends, tabs, a form feed and the old end-of-file mark are text.
                      LoadedRow{"WindowsText",
                                [](BadProject& t) {
                                    return "[Pictures]\r\n" + t.pic("a.bmp") +
                                           "=1\r\n\f\r\n[Set]\r\n\tImageInterval=6\r\n\x1A";
                                },
                                1, 6},
                      // A project from an 8-bit code page: bytes above 0x7F in a picture's name.
                      LoadedRow{"EightBitFileName",
                                [](BadProject& t) {
                                    const std::string name = t.pics.string() + "/caf\xE9.bmp";
                                    fs::copy_file(t.pics / "a.bmp", name);
                                    return "[Pictures]\n" + name + "=1\n" + t.pic("b.bmp") +
                                           "=1\n[Set]\nImageInterval=5\n";
                                },
                                2, 5}),
    [](const ::testing::TestParamInfo<LoadedRow>& info) { return std::string(info.param.name); });

// A working file that cannot be replaced (its place is a folder) leaves the show as it was.
TEST_F(BadProject, WorkingFileThatCannotBeReplacedKeepsTheShow) {
    openStandard();
    form->RemoveImageBClick();
    const fs::path p = dir / "good.fly";
    writeFile(p, validProject(*this));
    fs::remove(working);
    fs::create_directories(working);
    load(p);
    ASSERT_EQ(shell.messages.size(), 1);
    EXPECT_TRUE(shell.messages[0].startsWith("The project file " + QString::fromStdString(p.string()) +
                                             " could not be loaded. "));
    EXPECT_EQ(form->Images()->List()->count(), 2);
    EXPECT_EQ(form->ChangeFlags, builder::cfPictures);
    EXPECT_TRUE(fs::is_directory(working));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
