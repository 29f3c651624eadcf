// The builder's three shows at once: the panel preview, the effect demonstration and the full-screen
// preview, each a runner with its own canvas and pacing worker, all started through the window's own
// buttons on a show of solid-coloured pictures.
//
// Every frame of every canvas is checked by pixel: the three shows use pictures of colours far apart
// (three BMPs for the show, two JPEG samples for the demonstration, black background), and the chosen
// effects are wipes, which never blend. So a frame holds only its own show's colours and the background;
// within one transition the new picture's area never shrinks; a finished transition shows exactly the
// picture its runner chose. Each finished transition also records its effect number, its tick and the
// timer's interval, from which the test tells whether a setting leaked from one runner to another or
// reached a running preview before the window's Preview did.
//
// Runs under ThreadSanitizer too (label "thread"): a race between the three workers and the main thread,
// or a hang while the window ends them (the test timeout), fails it.

#include "builder/build_page.h"
#include "builder/config_form.h"
#include "builder/effects_page.h"
#include "builder/file_list_page.h"
#include "builder/options_page.h"
#include "music/playlist/playlist.h"
#include "platform/program_path.h"
#include "platform/registry.h"
#include "show/canvas/vorlinscreen.h"
#include "show/runner/run_vorlinscreen.h"
#include "show/windows/fullscreen_form.h"
#include "tests/runner/bmp_writer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QThreadPool>
#include <QTreeWidget>

#include <bitset>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if defined(__SANITIZE_THREAD__)
// Qt paints the builder's own controls (the style's scroll bars, for one) partly on its global thread
// pool, handing the work over through its own futex-based locks, which ThreadSanitizer cannot see in
// Debian's uninstrumented Qt. Memory calls made from inside such uninstrumented libraries are left out;
// every access of our own code, the three pacing workers' included, is still checked.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
#endif

namespace fs = std::filesystem;
using namespace vorlin;
using builder::TVorlinConfigForm;
using canvas::TCustomVorlinscreen;
using gfx::Color;
using runner::TRunVorlinscreen;

namespace {

constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 120;
// JPEG keeps a solid colour within a few levels; the colours below lie much further apart than this.
constexpr int kTolerance = 12;
const Color kBackground{0, 0, 0};

struct Picture {
    const char* name;
    Color color;
};
const Picture kShowPictures[] = {
    {"p1.bmp", {220, 30, 30}}, {"p2.bmp", {30, 200, 40}}, {"p3.bmp", {40, 50, 220}}};
const Picture kSamples[] = {{"t1.jpg", {230, 220, 30}}, {"t2.jpg", {210, 40, 210}}};

// Effect numbers of the catalogue leaves the test ticks and clicks (data/VorlinSaver.001).
constexpr int kWipeLeft = 5, kWipeRight = 6, kWipeUp = 22, kWipeDown = 23;
constexpr int kArcRight = 59;    // the demonstration's first effect
constexpr int kArcRoundOut = 84; // the one clicked for the demonstration

bool near(Color a, Color b) {
    return std::abs(a.r - b.r) <= kTolerance && std::abs(a.g - b.g) <= kTolerance &&
           std::abs(a.b - b.b) <= kTolerance;
}

std::string text(Color c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// Threads of the process, after Qt's global pool (which image conversions use) has let its own go.
int threadCount() {
    QThreadPool::globalInstance()->waitForDone();
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// The names of the process's threads, for a failure message.
std::string threadNames() {
    std::string names;
    for (const auto& e : fs::directory_iterator("/proc/self/task")) {
        std::ifstream in(e.path() / "comm");
        std::string name;
        std::getline(in, name);
        names += " " + name;
    }
    return names;
}

// One finished transition of a runner.
struct Completion {
    int style;
    std::string file; // file name only
    int tick;         // the runner's TickCount when it finished
    int intervalMs;   // the runner's timer interval then
};

// What one runner's canvas showed, checked frame by frame.
struct Watch {
    Watch() = default;
    Watch(std::string n, std::vector<Picture> p, bool w)
        : name(std::move(n)), pictures(std::move(p)), windowed(w) {}

    std::string name;
    std::vector<Picture> pictures;
    bool windowed = false;
    int frames = 0;
    int grabs = 0;
    std::vector<Completion> done;
    std::vector<std::string> faults;
    int lastProgress = -1;
    const gfx::Bitmap* lastNewFrame = nullptr;
    long lastNewCount = -1;

    void fault(const std::string& text) {
        if (faults.size() < 20) faults.push_back(name + ": " + text);
    }
    bool own(Color c) const {
        for (const auto& p : pictures)
            if (near(c, p.color)) return true;
        return false;
    }
    bool allowed(Color c) const { return own(c) || near(c, kBackground); }
    const Picture* pictureNamed(const std::string& file) const {
        for (const auto& p : pictures)
            if (file == p.name) return &p;
        return nullptr;
    }

    // OnProgress: every pixel is one of this show's colours or the background, and the new picture's
    // area grows (or stays) from frame to frame of one transition.
    void frame(const TCustomVorlinscreen& c) {
        ++frames;
        const int progress = c.FProgress;
        const gfx::Bitmap* fresh = c.FNewFrame.get();
        if (progress < lastProgress || fresh != lastNewFrame) lastNewCount = -1;
        lastProgress = progress;
        lastNewFrame = fresh;
        if (!fresh || fresh->isEmpty()) {
            fault("a frame without a new picture");
            return;
        }
        const Color newColor = fresh->pixel(fresh->width() / 2, fresh->height() / 2);
        if (!own(newColor)) fault("new picture of a foreign colour " + text(newColor));
        const gfx::Bitmap& s = c.FScreen;
        long count = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                const Color p = s.pixel(x, y);
                if (near(p, newColor)) {
                    ++count;
                } else if (!allowed(p)) {
                    fault("frame at progress " + std::to_string(progress) + " has " + text(p) + " at " +
                          std::to_string(x) + "," + std::to_string(y));
                    return;
                }
            }
        if (count < lastNewCount)
            fault("the new picture shrank from " + std::to_string(lastNewCount) + " to " +
                  std::to_string(count) + " pixels at progress " + std::to_string(progress));
        lastNewCount = count;
    }

    // OnComplete: the screen is the chosen picture (padded with the background in a window), whole.
    void complete(const TRunVorlinscreen& r, const TCustomVorlinscreen& c) {
        const std::string file = fs::path(r.CurrentFile).filename().string();
        done.push_back({c.Style(), file, r.TickCount, r.Timer ? r.Timer->interval() : -1});
        lastProgress = -1;
        lastNewCount = -1;
        const Picture* p = pictureNamed(file);
        if (!p) {
            fault("finished on a picture of another show: " + r.CurrentFile);
            return;
        }
        const gfx::Bitmap& s = c.FScreen;
        // A window's canvas pads to its client size plus 3; the full screen shows the picture as it is.
        const int w = windowed ? c.width() + 3 : kPictureWidth;
        const int h = windowed ? c.height() + 3 : kPictureHeight;
        if (s.width() != w || s.height() != h)
            fault("finished screen is " + std::to_string(s.width()) + "x" + std::to_string(s.height()) +
                  ", not " + std::to_string(w) + "x" + std::to_string(h));
        long count = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                const Color px = s.pixel(x, y);
                if (near(px, p->color))
                    ++count;
                else if (!near(px, kBackground)) {
                    fault("finished on " + file + " but " + text(px) + " is left at " + std::to_string(x) +
                          "," + std::to_string(y));
                    return;
                }
            }
        if (s.isEmpty() || !near(s.pixel(s.width() / 2, s.height() / 2), p->color) ||
            count * 2 < static_cast<long>(s.width()) * s.height())
            fault("finished screen does not show " + file);
    }

    // What the canvas paints: only this show's colours and the background. Read pixel by pixel: a
    // format conversion would run on Qt's thread pool, which ThreadSanitizer cannot see into.
    void painted(QWidget& canvas) {
        const QImage img = canvas.grab().toImage();
        ++grabs;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb v = img.pixel(x, y);
                const Color c{static_cast<std::uint8_t>(qRed(v)), static_cast<std::uint8_t>(qGreen(v)),
                              static_cast<std::uint8_t>(qBlue(v))};
                if (!allowed(c)) {
                    fault("painted " + text(c) + " at " + std::to_string(x) + "," + std::to_string(y));
                    return;
                }
            }
    }

    int completedAfterTick(int tick) const {
        int n = 0;
        for (const auto& d : done) n += d.tick > tick;
        return n;
    }
};

void writeText(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

class ThreeRunners : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/vorlin-runners-XXXXXX";
        dir_ = mkdtemp(tmpl);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        platform::setProgramPath((dir_ / "VorlinSaver").string());
        fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "../../data/VorlinSaver.001",
                      dir_ / "VorlinSaver.001");
        fs::create_directories(dir_ / "pics");
        for (const auto& p : kShowPictures)
            vorlin::testing::writeSolidBmp((dir_ / "pics" / p.name).string(), kPictureWidth, kPictureHeight,
                                           p.color.r, p.color.g, p.color.b);
        // The demonstration's samples, found beside the program.
        for (const auto& p : kSamples) {
            QImage img(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
            img.fill(QColor(p.color.r, p.color.g, p.color.b));
            ASSERT_TRUE(img.save(QString::fromStdString((dir_ / p.name).string()), "JPG", 100));
        }
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    void SetUp() override {
        // The playlist and its players are process-wide and made on first use: make them before counting.
        music::ClearMusicList();
        music::StopMusic();
        // ThreadSanitizer starts a helper thread of its own with the process's first other thread.
        std::thread([] {}).join();
        baselineThreads_ = threadCount();
        panel_ = Watch("panel preview", {std::begin(kShowPictures), std::end(kShowPictures)}, true);
        demo_ = Watch("demonstration", {std::begin(kSamples), std::end(kSamples)}, true);
        full_ = Watch("full screen", {std::begin(kShowPictures), std::end(kShowPictures)}, false);
    }
    void TearDown() override {
        form_.reset();
        for (Watch* w : {&panel_, &demo_, &full_})
            for (const auto& f : w->faults) ADD_FAILURE() << f;
    }

    // The working settings: the three pictures in list order, the four plain wipes only, one-second
    // interval, quick effects, no music.
    void open() {
        std::string text = "[Pictures]\n";
        for (const auto& p : kShowPictures) text += (dir_ / "pics" / p.name).string() + "=1\n";
        text += "[Transitions]\n";
        for (int n = 1; n < 128; ++n)
            if (n != kWipeLeft && n != kWipeRight && n != kWipeUp && n != kWipeDown)
                text += std::to_string(3 * n) + "=0\n";
        text +=
            "[Set]\nStetchImage=0\nRandomImage=0\nAllowReverseTransition=0\nClearOldImage=0\nPlayMusic=0\n"
            "ImageInterval=1\nBackgroundColor=0\nEffectSpeed=2\n";
        writeText(dir_ / "VorlinSaver.002", text);
        // The builder works on the process-wide record, which the full-screen show reads too.
        show::showSettingsFile().read(platform::programPath(), platform::Registry());
        form_ = std::make_unique<TVorlinConfigForm>(show::showSettingsFile());
        form_->show();
    }

    QTreeWidgetItem* leaf(const char* group, const char* caption) {
        for (int g = 0; g < form_->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItemCount();
             ++g) {
            auto* item = form_->Effects()->findChild<QTreeWidget*>("StyleList")->topLevelItem(g);
            if (item->text(0) != group) continue;
            for (int l = 0; l < item->childCount(); ++l)
                if (item->child(l)->text(0) == caption) return item->child(l);
        }
        ADD_FAILURE() << "no leaf " << group << "/" << caption;
        return nullptr;
    }

    // Chains the watch into the runner's canvas events, in front of the runner's own.
    static void hook(Watch& w, TRunVorlinscreen& r) {
        ASSERT_TRUE(r.Display);
        canvas::TVorlinscreen* d = r.Display;
        d->OnProgress = [&w, prev = d->OnProgress](TCustomVorlinscreen& c) {
            w.frame(c);
            if (prev) prev(c);
        };
        // The runner clears OnComplete when it goes, so `r` is alive whenever this runs.
        d->OnComplete = [&w, &r, prev = d->OnComplete](TCustomVorlinscreen& c) {
            w.complete(r, c);
            if (prev) prev(c);
        };
    }

    QWidget* canvasOf(TRunVorlinscreen* r) { return r ? r->Display.data() : nullptr; }

    // Serves events until `pred` holds or the time is up, checking the visible canvases' paint meanwhile.
    bool runUntil(const std::function<bool()>& pred, int timeoutMs = 30000) {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        auto nextGrab = Clock::now();
        while (!pred()) {
            if (Clock::now() > end) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (Clock::now() >= nextGrab && form_) {
                nextGrab = Clock::now() + std::chrono::milliseconds(300);
                const std::pair<Watch*, QWidget*> canvases[] = {
                    {&panel_, canvasOf(form_->PreviewRunner.get())},
                    {&demo_, canvasOf(form_->DemoRunner.get())},
                    {&full_,
                     form_->FullscreenForm ? canvasOf(form_->FullscreenForm->Runner.get()) : nullptr}};
                for (auto [w, c] : canvases)
                    if (c && c->isVisible()) w->painted(*c);
            }
        }
        return true;
    }
    void serveFor(int ms) {
        runUntil([] { return false; }, ms);
    }
    // Waits until every watch has finished `more` transitions beyond what it had.
    bool moreCompletions(std::initializer_list<Watch*> watches, int more) {
        std::vector<std::pair<Watch*, std::size_t>> goal;
        for (Watch* w : watches) goal.emplace_back(w, w->done.size() + more);
        return runUntil([&] {
            for (auto [w, n] : goal)
                if (w->done.size() < n) return false;
            return true;
        });
    }

    static inline fs::path dir_;
    int baselineThreads_ = 0;
    Watch panel_, demo_, full_;
    std::unique_ptr<TVorlinConfigForm> form_;
};

TEST_F(ThreeRunners, RunSideBySideFollowTheirOwnSettingsAndEndWithTheWindow) {
    open();

    // Effects page: the demonstration starts; the show keeps the four plain wipes only.
    form_->findChild<QListWidget*>("NavBar")->setCurrentRow(2);
    ASSERT_TRUE(form_->DemoRunner);
    hook(demo_, *form_->DemoRunner);
    form_->Effects()->findChild<QPushButton*>("DisableAllB")->click();
    for (const char* caption : {"Left", "Right", "Up", "Down"})
        leaf("Regular Wiping", caption)->setCheckState(0, Qt::Checked);
    ASSERT_TRUE(moreCompletions({&demo_}, 1));
    EXPECT_EQ(form_->DemoRunner->DemonstrationStyle, kArcRight);
    // A click on a leaf makes it the demonstration's effect at once.
    const std::size_t demoClicked = demo_.done.size();
    emit form_->Effects()
        ->findChild<QTreeWidget*>("StyleList")
        ->itemClicked(leaf("Arc Wiping", "Round Out"), 0);
    EXPECT_EQ(form_->DemoRunner->DemonstrationStyle, kArcRoundOut);

    // Images page: the panel preview, then the full screen.
    form_->findChild<QListWidget*>("NavBar")->setCurrentRow(0);
    form_->Images()->findChild<QPushButton*>("PreviewB2")->click();
    ASSERT_TRUE(form_->PreviewRunner);
    hook(panel_, *form_->PreviewRunner);
    EXPECT_FALSE(form_->Images()->Image1()->isVisible());
    form_->Images()->findChild<QPushButton*>("FullscreenB")->click();
    ASSERT_TRUE(form_->FullscreenForm && form_->FullscreenForm->Runner);
    auto& fullscreen = *form_->FullscreenForm;
    hook(full_, *fullscreen.Runner);
    const std::bitset<128> fourWipes =
        (std::bitset<128>{}.set(kWipeLeft).set(kWipeRight).set(kWipeUp).set(kWipeDown));
    EXPECT_EQ(show::showSettings().EnabledEffects, fourWipes);

    // Only the full screen shows the picture unshrunk and unpadded.
    EXPECT_TRUE(form_->PreviewRunner->Display->PadToWindow);
    EXPECT_TRUE(form_->DemoRunner->Display->PadToWindow);
    EXPECT_FALSE(fullscreen.Runner->Display->PadToWindow);
    EXPECT_FALSE(fullscreen.Runner->Display->ShrinkToFit);

    // All three advance side by side.
    ASSERT_TRUE(moreCompletions({&panel_, &demo_, &full_}, 3));

    // A key ends the full screen; the other two go on, the full screen's canvas stays still.
    QTest::keyClick(&fullscreen, Qt::Key_Escape);
    EXPECT_FALSE(fullscreen.isVisible());
    EXPECT_FALSE(fullscreen.Runner->Display->FAnimating);
    EXPECT_FALSE(fullscreen.Runner->Timer->isActive());
    const int fullFrames = full_.frames;
    ASSERT_TRUE(moreCompletions({&panel_, &demo_}, 2));
    EXPECT_EQ(full_.frames, fullFrames);

    // A thumbnail takes the panel's place mid-transition: the panel preview stops and stays stopped
    // while the demonstration goes on; the panel's Preview brings it back.
    ASSERT_TRUE(runUntil([&] { return form_->PreviewRunner->Display->FAnimating; }));
    form_->Images()->List()->setCurrentRow(1);
    EXPECT_TRUE(form_->Images()->Image1()->isVisible());
    EXPECT_FALSE(form_->PreviewRunner->Display->isVisible());
    EXPECT_FALSE(form_->PreviewRunner->Display->FAnimating);
    const int panelFrames = panel_.frames;
    ASSERT_TRUE(moreCompletions({&demo_}, 2));
    EXPECT_EQ(panel_.frames, panelFrames);
    form_->Images()->findChild<QPushButton*>("PreviewB2")->click();
    EXPECT_TRUE(form_->PreviewRunner->Display->isVisible());
    ASSERT_TRUE(moreCompletions({&panel_, &demo_}, 2));

    // Edits while the previews run reach the show record only through Preview: untick all wipes but
    // one and lengthen the interval; the running previews keep the old effects and pace meanwhile.
    form_->findChild<QListWidget*>("NavBar")->setCurrentRow(2);
    for (const char* caption : {"Left", "Right", "Down"})
        leaf("Regular Wiping", caption)->setCheckState(0, Qt::Unchecked);
    form_->findChild<QListWidget*>("NavBar")->setCurrentRow(3);
    form_->Options()->findChild<QSpinBox*>("IntervalEdit")->setValue(2);
    EXPECT_EQ(show::showSettings().EnabledEffects, fourWipes);
    EXPECT_EQ(show::showSettings().ImageInterval, 1);
    ASSERT_TRUE(moreCompletions({&panel_, &demo_}, 1));
    form_->findChild<QListWidget*>("NavBar")->setCurrentRow(0);
    const int panelTick = form_->PreviewRunner->TickCount;
    const int demoTick = form_->DemoRunner->TickCount;
    const int fullTick = fullscreen.Runner->TickCount;
    form_->Images()->findChild<QPushButton*>("PreviewB2")->click();
    const std::bitset<128> upOnly = std::bitset<128>{}.set(kWipeUp);
    EXPECT_EQ(show::showSettings().EnabledEffects, upOnly);
    EXPECT_EQ(show::showSettings().ImageInterval, 2);
    ASSERT_TRUE(runUntil([&] {
        return panel_.completedAfterTick(panelTick) >= 2 && demo_.completedAfterTick(demoTick) >= 1;
    }));

    // The bottom bar's Preview brings the full screen back beside the two others.
    form_->Images()->findChild<QPushButton*>("PreviewB")->click();
    EXPECT_TRUE(fullscreen.isVisible());
    ASSERT_TRUE(moreCompletions({&panel_, &demo_, &full_}, 2));
    ASSERT_TRUE(runUntil([&] { return full_.completedAfterTick(fullTick) >= 2; }));

    // Closing the window ends all three: nothing animates, no timer starts another transition.
    QPointer<QWidget> canvases[] = {canvasOf(form_->PreviewRunner.get()), canvasOf(form_->DemoRunner.get()),
                                    canvasOf(fullscreen.Runner.get())};
    form_->Images()->findChild<QPushButton*>("OKB")->click();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(fullscreen.isVisible());
    for (auto* r : {form_->PreviewRunner.get(), form_->DemoRunner.get(), fullscreen.Runner.get()})
        EXPECT_FALSE(r->Display->FAnimating);
    const int frames[] = {panel_.frames, demo_.frames, full_.frames};
    serveFor(2500); // longer than the interval
    EXPECT_EQ(panel_.frames, frames[0]);
    EXPECT_EQ(demo_.frames, frames[1]);
    EXPECT_EQ(full_.frames, frames[2]);
    form_.reset();
    for (const auto& c : canvases) EXPECT_TRUE(c.isNull());
    EXPECT_TRUE(runUntil([&] { return threadCount() <= baselineThreads_; }, 5000))
        << threadCount() << " threads," << threadNames() << "; " << baselineThreads_ << " before the window";

    // What each runner finished, against the settings it had to follow.
    for (Watch* w : {&panel_, &demo_, &full_}) EXPECT_GT(w->grabs, 0) << w->name;
    for (const auto& [w, clickTick] : {std::pair{&panel_, panelTick}, std::pair{&full_, fullTick}}) {
        for (const auto& d : w->done) {
            const auto& allowed = d.tick > clickTick ? upOnly : fourWipes;
            EXPECT_TRUE(d.style >= 0 && d.style < 128 && allowed.test(d.style))
                << w->name << " drew effect " << d.style << " at tick " << d.tick;
            EXPECT_EQ(d.intervalMs, d.tick > clickTick ? 2000 : 1000) << w->name << " at tick " << d.tick;
        }
    }
    for (std::size_t i = 0; i < demo_.done.size(); ++i) {
        const auto& d = demo_.done[i];
        EXPECT_EQ(d.style, i < demoClicked ? kArcRight : kArcRoundOut) << "demonstration transition " << i;
        EXPECT_EQ(d.intervalMs, d.tick > demoTick ? 2000 : 1000) << "demonstration at tick " << d.tick;
    }
}

// The window closed, or destroyed outright, at every stage of its three shows' start: before the first
// tick, during the first transitions, between them. Every canvas goes and every worker is joined.
TEST_F(ThreeRunners, WindowEndsAtAnyMomentWithEveryWorkerJoined) {
    const int delays[] = {0, 40, 130, 300, 700, 1400};
    for (int round = 0; round < 2 * static_cast<int>(std::size(delays)); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        open();
        form_->findChild<QListWidget*>("NavBar")->setCurrentRow(2);
        form_->findChild<QListWidget*>("NavBar")->setCurrentRow(0);
        form_->Images()->findChild<QPushButton*>("PreviewB2")->click();
        form_->Images()->findChild<QPushButton*>("FullscreenB")->click();
        ASSERT_TRUE(form_->PreviewRunner && form_->DemoRunner && form_->FullscreenForm &&
                    form_->FullscreenForm->Runner);
        hook(panel_, *form_->PreviewRunner);
        hook(demo_, *form_->DemoRunner);
        hook(full_, *form_->FullscreenForm->Runner);
        QPointer<QWidget> canvases[] = {canvasOf(form_->PreviewRunner.get()),
                                        canvasOf(form_->DemoRunner.get()),
                                        canvasOf(form_->FullscreenForm->Runner.get())};
        serveFor(delays[static_cast<std::size_t>(round) % std::size(delays)]);
        if (round % 2 == 0) {
            EXPECT_TRUE(form_->close());
        }
        form_.reset();
        for (const auto& c : canvases) EXPECT_TRUE(c.isNull());
        EXPECT_TRUE(runUntil([&] { return threadCount() <= baselineThreads_; }, 5000))
            << threadCount() << " threads," << threadNames() << "; " << baselineThreads_
            << " before the window";
        // Calls still queued for the canvases that are gone find nothing to do.
        serveFor(20);
    }
    EXPECT_GT(panel_.frames + demo_.frames + full_.frames, 0);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
