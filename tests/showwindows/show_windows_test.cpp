// The show windows on a real X server with real input (xdotool through XTEST): the mouse allowance and
// its timer, clicks, keys, the window manager's close request, the password path with a refusing module,
// showing the window again, and the preview inside a foreign window or on its own.
#include "show/windows/fullscreen_form.h"
#include "show/windows/preview_form.h"
#include "show/windows/saver_running.h"

#include "../lib/test_files.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using namespace vorlin;
using namespace vorlin::showwindows;

namespace {

void xdotool(const QStringList& args) {
    ASSERT_EQ(QProcess::execute("xdotool", args), 0) << args.join(' ').toStdString();
}

xcb_connection_t* xcb() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

class ShowWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "system");
        ::setenv("VORLIN_REGISTRY", (dir_ / "registry.ini").c_str(), 1);
        ::setenv("VORLIN_SYSTEM_DIR", (dir_ / "system").c_str(), 1);
        ::setenv("VORLIN_TEST_PASSWORD_RECORD", (dir_ / "record.txt").c_str(), 1);
        // The pointer rests in a corner before a window appears under it.
        xdotool({"mousemove", "2", "2"});
    }
    void TearDown() override { EXPECT_EQ(cursorCount(), 0) << "cursor calls not balanced"; }
    void requirePassword(const char* answer) {
        platform::Registry(dir_ / "registry.ini")
            .writeDword("Control Panel\\desktop", "ScreenSaveUsePassword", 1);
        fs::copy_file(VORLIN_PASSWORD_MODULE, dir_ / "system" / "libpassword.so",
                      fs::copy_options::overwrite_existing);
        ::setenv("VORLIN_TEST_PASSWORD_ANSWER", answer, 1);
    }
    int passwordCalls() const {
        std::ifstream in(dir_ / "record.txt");
        int n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    }
    // Shows the form and waits until it is on screen and holds the keyboard.
    static void showAndSettle(TFullscreenForm& form) {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTest::qWait(300);
    }
    static bool waitClosed(QWidget& w, int ms = 2000) {
        return QTest::qWaitFor([&] { return !w.isVisible(); }, ms);
    }

    vorlin::testing::TempDir tmp_;
    fs::path dir_ = tmp_.path();
};

TEST_F(ShowWindowTest, CoversTheScreenOnTopWithoutFrameAndHidesTheCursor) {
    TFullscreenForm form;
    showAndSettle(form);
    EXPECT_EQ(form.geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.windowTitle(), "Screen Show");
    EXPECT_EQ(cursorCount(), -1);
    EXPECT_TRUE(cursorBlank());
    ASSERT_TRUE(form.Runner);
    EXPECT_TRUE(form.Runner->Display->isVisible());
    EXPECT_EQ(form.Runner->Display->geometry(), form.rect());
    form.CloseNow();
    EXPECT_FALSE(cursorBlank());
}

TEST_F(ShowWindowTest, FourQuickMovesKeepTheShowAndTheFifthEndsIt) {
    TFullscreenForm form;
    showAndSettle(form);
    bool decided = false;
    // MouseTimer runs on its own period; a sequence that straddles one of its ticks proves nothing and is
    // repeated, at most three times. Starting right after a tick leaves almost the whole period.
    for (int attempt = 0; attempt < 3 && !decided; ++attempt) {
        const int before = form.MouseTimerTicks;
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.MouseTimerTicks > before; }, 3000));
        const int ticks = form.MouseTimerTicks;
        for (int i = 0; i < 4; ++i) {
            // Each move is its own X event; wait until the form has counted it, since on a busy machine
            // queued motion events may otherwise reach Qt together and be merged into one.
            const int allowanceBefore = form.MouseAllowance;
            xdotool({"mousemove", QString::number(300 + 40 * i), QString::number(200 + 30 * i)});
            (void)QTest::qWaitFor([&] { return form.MouseAllowance != allowanceBefore || !form.isVisible(); },
                                  500);
            QTest::qWait(20);
        }
        const bool openAfterFour = form.isVisible();
        const int allowance = form.MouseAllowance;
        xdotool({"mousemove", "700", "700"});
        const bool closed = waitClosed(form, 500);
        if (form.MouseTimerTicks != ticks) continue;
        EXPECT_TRUE(openAfterFour);
        EXPECT_EQ(allowance, 0);
        EXPECT_TRUE(closed);
        decided = true;
    }
    EXPECT_TRUE(decided) << "every attempt straddled a timer tick";
}

TEST_F(ShowWindowTest, SlowMovesNeverEndTheShow) {
    TFullscreenForm form;
    showAndSettle(form);
    // One move per timer period, for three periods.
    for (int i = 0; i < 3; ++i) {
        const int before = form.MouseTimerTicks;
        xdotool({"mousemove", QString::number(100 + 50 * i), "100"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.MouseTimerTicks > before; }, 3000));
        EXPECT_EQ(form.MouseAllowance, TFullscreenForm::kMouseAllowance);
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.ExitAttempts, 0);
    form.CloseNow();
}

TEST_F(ShowWindowTest, PressSpendsAllowanceAndReleaseEnds) {
    TFullscreenForm form;
    showAndSettle(form);
    // Qt precedes a press at a position it has not seen with a move of its own: move there first.
    xdotool({"mousemove", "500", "500"});
    QTest::qWait(100);
    const int before = form.MouseAllowance;
    const int ticks = form.MouseTimerTicks;
    xdotool({"mousedown", "1"});
    QTest::qWait(150);
    EXPECT_TRUE(form.isVisible());
    if (form.MouseTimerTicks == ticks) {
        EXPECT_EQ(form.MouseAllowance, before - 1);
    }
    xdotool({"mouseup", "1"});
    EXPECT_TRUE(waitClosed(form));
    EXPECT_EQ(form.ExitAttempts, 1);
}

TEST_F(ShowWindowTest, AnyKeyEndsTheShowAltAndF10Included) {
    for (const char* key : {"alt", "F10", "a", "Escape", "shift"}) {
        TFullscreenForm form;
        showAndSettle(form);
        xdotool({"key", key});
        EXPECT_TRUE(waitClosed(form)) << key;
    }
}

TEST_F(ShowWindowTest, WindowManagerCloseRequestIsAnExitAttempt) {
    TFullscreenForm form;
    showAndSettle(form);
    requirePassword("0");
    // WM_DELETE_WINDOW, as a window manager sends it for Alt+F4.
    auto atom = [](const char* name) {
        auto* reply =
            xcb_intern_atom_reply(xcb(), xcb_intern_atom(xcb(), 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    };
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = static_cast<xcb_window_t>(form.winId());
    ev.type = atom("WM_PROTOCOLS");
    ev.data.data32[0] = atom("WM_DELETE_WINDOW");
    ev.data.data32[1] = XCB_CURRENT_TIME;
    auto send = [&] {
        xcb_send_event(xcb(), 0, ev.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
        xcb_flush(xcb());
    };
    send();
    QTest::qWait(300);
    EXPECT_TRUE(form.isVisible()) << "a refused password keeps the show";
    EXPECT_EQ(passwordCalls(), 1);
    ::setenv("VORLIN_TEST_PASSWORD_ANSWER", "1", 1);
    send();
    EXPECT_TRUE(waitClosed(form));
    EXPECT_EQ(passwordCalls(), 2);
}

TEST_F(ShowWindowTest, RefusedPasswordKeepsTheShowWithTheCursorHidden) {
    requirePassword("0");
    TFullscreenForm form;
    showAndSettle(form);
    xdotool({"mousemove", "400", "400"});
    xdotool({"mousemove", "420", "420"});
    QTest::qWait(50);
    xdotool({"key", "a"});
    QTest::qWait(300);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(passwordCalls(), 1);
    EXPECT_EQ(cursorCount(), -1);
    EXPECT_TRUE(cursorBlank());
    EXPECT_EQ(form.MouseAllowance, TFullscreenForm::kMouseAllowance);

    // The record holds the window the module was given: the show's own.
    std::ifstream in(dir_ / "record.txt");
    unsigned long window = 0;
    in >> window;
    EXPECT_EQ(window, static_cast<unsigned long>(form.winId()));

    ::setenv("VORLIN_TEST_PASSWORD_ANSWER", "1", 1);
    xdotool({"key", "a"});
    EXPECT_TRUE(waitClosed(form));
    EXPECT_EQ(passwordCalls(), 2);
    EXPECT_FALSE(cursorBlank());
}

TEST_F(ShowWindowTest, ShownAgainKeepsItsRunnerAndRestartsTheShow) {
    TFullscreenForm form;
    showAndSettle(form);
    auto* runner = form.Runner.get();
    xdotool({"key", "a"});
    ASSERT_TRUE(waitClosed(form));
    EXPECT_FALSE(form.Runner->Timer->isActive());
    showAndSettle(form);
    EXPECT_EQ(form.Runner.get(), runner);
    EXPECT_EQ(form.RunnersCreated, 1);
    EXPECT_EQ(cursorCount(), -1);
    xdotool({"key", "b"});
    EXPECT_TRUE(waitClosed(form));
}

// The X server's own screen saver, set to start after one idle second, must not start while the flag is
// set, and must start again once it is cleared.
TEST_F(ShowWindowTest, XServerSaverIsSuspendedWhileTheFlagIsSet) {
    Display* display = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    int eventBase = 0, errorBase = 0;
    ASSERT_TRUE(XScreenSaverQueryExtension(display, &eventBase, &errorBase));
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    XSetScreenSaver(display, 1, 0, blanking, exposures);
    XResetScreenSaver(display);
    auto state = [&] {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        XScreenSaverQueryInfo(display, DefaultRootWindow(display), info);
        const int s = info->state;
        XFree(info);
        return s;
    };
    {
        SaverRunningFlag flag;
        flag.set(true);
        XResetScreenSaver(display);
        QTest::qWait(2500);
        EXPECT_NE(state(), ScreenSaverOn);
        flag.set(false);
    }
    XResetScreenSaver(display);
    EXPECT_TRUE(QTest::qWaitFor([&] { return state() == ScreenSaverOn; }, 4000));
    XSetScreenSaver(display, timeout, interval, blanking, exposures);
    XResetScreenSaver(display);
    XFlush(display);
}

struct HostWindow {
    explicit HostWindow(int width, int height) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(xcb())).data;
        id = xcb_generate_id(xcb());
        const std::uint32_t values[] = {screen->white_pixel, 1};
        xcb_create_window(xcb(), XCB_COPY_FROM_PARENT, id, screen->root, 50, 60, width, height, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(xcb(), id);
        xcb_flush(xcb());
    }
    void destroy() {
        xcb_destroy_window(xcb(), id);
        xcb_flush(xcb());
    }
    xcb_window_t id = 0;
};

TEST_F(ShowWindowTest, PreviewFillsTheHostWindowAndEndsWithIt) {
    HostWindow host(300, 200);
    TPreviewForm preview(host.id);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    QTest::qWait(200);

    const auto window = static_cast<xcb_window_t>(preview.winId());
    auto* geometry = xcb_get_geometry_reply(xcb(), xcb_get_geometry(xcb(), window), nullptr);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->x, 0);
    EXPECT_EQ(geometry->y, 0);
    EXPECT_EQ(geometry->width, 310);
    EXPECT_EQ(geometry->height, 210);
    std::free(geometry);
    auto* tree = xcb_query_tree_reply(xcb(), xcb_query_tree(xcb(), window), nullptr);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->parent, host.id);
    std::free(tree);

    // Windowed and quiet: a runner of its own, shrinking pictures, and no cursor change.
    ASSERT_TRUE(preview.Runner);
    EXPECT_TRUE(preview.Runner->Windowed);
    EXPECT_TRUE(preview.Runner->Display->ShrinkToFit);
    EXPECT_EQ(cursorCount(), 0);

    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&] { loop.exit(99); });
    host.destroy();
    EXPECT_EQ(loop.exec(), 0) << "the host's end did not end the event loop";
}

TEST_F(ShowWindowTest, PreviewWithoutHostIsAnOrdinaryWindowOfDesignSize) {
    TPreviewForm preview(0);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    EXPECT_TRUE(preview.isWindow());
    EXPECT_EQ(preview.size(), QSize(517, 392));
    EXPECT_EQ(preview.windowTitle(), "PreviewForm");
    auto* tree = xcb_query_tree_reply(
        xcb(), xcb_query_tree(xcb(), static_cast<xcb_window_t>(preview.winId())), nullptr);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->parent, tree->root);
    std::free(tree);
    auto* geometry = xcb_get_geometry_reply(
        xcb(), xcb_get_geometry(xcb(), static_cast<xcb_window_t>(preview.winId())), nullptr);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, 517);
    EXPECT_EQ(geometry->height, 392);
    std::free(geometry);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
