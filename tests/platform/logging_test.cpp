// The logging categories and trace lines: silent until a rule switches them on, the scripts' stderr form
// with a trace switch set (whatever the rules say, bytes kept), and dropped errors as warnings that name
// what failed and why. Runs with VORLIN_TRACE=1 (set by CTest), as the soak and end-to-end scripts do.
#include "platform/logging/logging.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vorlin::logging;

namespace {

struct Message {
    QtMsgType type;
    std::string category;
    std::string text;
};
std::vector<Message> gMessages;

void record(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    gMessages.push_back({type, context.category ? context.category : "", text.toStdString()});
}

// Captures what the process writes to stderr (fd 2) and what reaches Qt's message handler meanwhile.
class Captured {
public:
    explicit Captured(const char* rules = "") {
        QLoggingCategory::setFilterRules(QString::fromLatin1(rules));
        gMessages.clear();
        previous_ = qInstallMessageHandler(record);
        std::fflush(stderr);
        saved_ = dup(2);
        char path[] = "/tmp/vorlin-logging-XXXXXX";
        file_ = mkstemp(path);
        unlink(path);
        dup2(file_, 2);
    }
    ~Captured() {
        restore();
        close(file_);
        close(saved_);
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules(QString());
    }
    std::string stderrText() {
        restore();
        std::string text;
        char buffer[4096];
        lseek(file_, 0, SEEK_SET);
        for (ssize_t n; (n = read(file_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        return text;
    }

private:
    void restore() {
        std::fflush(stderr);
        if (restored_) return;
        dup2(saved_, 2);
        restored_ = true;
    }
    QtMessageHandler previous_ = nullptr;
    int saved_ = -1, file_ = -1;
    bool restored_ = false;
};

TEST(Logging, CategoriesAreSilentUntilARuleSwitchesThemOn) {
    const QLoggingCategory* categories[] = {&lcShow(), &lcMusic(), &lcIdle()};
    const char* names[] = {"vorlin.show", "vorlin.music", "vorlin.idle"};
    for (int i = 0; i < 3; ++i) {
        const QLoggingCategory& c = *categories[i];
        EXPECT_STREQ(c.categoryName(), names[i]);
        {
            Captured none;
            EXPECT_FALSE(c.isDebugEnabled()) << names[i];
            EXPECT_FALSE(c.isInfoEnabled()) << names[i];
            EXPECT_FALSE(c.isWarningEnabled()) << names[i];
        }
        {
            Captured all("vorlin.*=true");
            EXPECT_TRUE(c.isDebugEnabled()) << names[i];
            EXPECT_TRUE(c.isWarningEnabled()) << names[i];
        }
    }
    // One level of one category.
    Captured some("vorlin.show.debug=true");
    EXPECT_TRUE(lcShow().isDebugEnabled());
    EXPECT_FALSE(lcShow().isWarningEnabled());
    EXPECT_FALSE(lcMusic().isDebugEnabled());
}

TEST(Logging, TraceLinesGoToStderrInTheScriptsFormWithTheirSwitch) {
    // The show's switch (VORLIN_TRACE, set for this test): on stderr whatever the rules, nothing through Qt.
    {
        Captured off("vorlin.*=false");
        ASSERT_TRUE(showTrace().on());
        showTrace()("load 12 ms");
        showTrace()(std::string("transition /p/caf\xe9.jpg")); // not UTF-8: the bytes stay
        showTrace()(QString("monitors 2 screens, 2 surfaces"));
        EXPECT_EQ(off.stderrText(), "vorlin-trace: load 12 ms\nvorlin-trace: transition /p/caf\xe9.jpg\n"
                                    "vorlin-trace: monitors 2 screens, 2 surfaces\n");
        EXPECT_TRUE(gMessages.empty());
    }
    // Without the switch: nothing by default, a vorlin.idle debug message once a rule asks for it.
    const TraceLines idle(lcIdle(), "idle-watch", false);
    {
        Captured quiet;
        EXPECT_FALSE(idle.on());
        idle("show-start");
        EXPECT_EQ(quiet.stderrText(), "");
        EXPECT_TRUE(gMessages.empty());
    }
    {
        Captured debug("vorlin.idle.debug=true");
        EXPECT_TRUE(idle.on());
        idle("show-start");
        ASSERT_EQ(gMessages.size(), 1u);
        EXPECT_EQ(gMessages[0].type, QtDebugMsg);
        EXPECT_EQ(gMessages[0].category, "vorlin.idle");
        EXPECT_EQ(gMessages[0].text, "show-start");
    }
    {
        Captured on;
        TraceLines(lcIdle(), "idle-watch", true)("idle");
        EXPECT_EQ(on.stderrText(), "idle-watch: idle\n");
    }
}

TEST(Logging, DroppedErrorsAreWarningsNamingWhatFailedAndWhy) {
    auto dropIn = [](auto thrower, const char* what) {
        try {
            thrower();
        } catch (...) {
            dropped(lcMusic(), what);
        }
    };
    {
        Captured quiet;
        dropIn([] { throw std::runtime_error("no output device"); }, "playing a.wav");
        EXPECT_TRUE(gMessages.empty());
        EXPECT_EQ(quiet.stderrText(), "");
    }
    Captured warnings("vorlin.music.warning=true");
    dropIn([] { throw std::runtime_error("no output device"); }, "playing a.wav");
    dropIn([] { throw 42; }, "stopping the MCI player");
    // An error caught on a worker and handed over; and a call without an error at hand.
    dropped(lcShow(), "a transition frame", std::make_exception_ptr(std::logic_error("step failed")));
    dropped(lcMusic(), "the track-start handler");
    ASSERT_EQ(gMessages.size(), 3u); // vorlin.show stays silent
    EXPECT_EQ(gMessages[0].type, QtWarningMsg);
    EXPECT_EQ(gMessages[0].category, "vorlin.music");
    EXPECT_EQ(gMessages[0].text, "playing a.wav failed; dropped: no output device");
    EXPECT_EQ(gMessages[1].text, "stopping the MCI player failed; dropped: unknown error");
    EXPECT_EQ(gMessages[2].text, "the track-start handler failed; dropped: unknown error");
}

} // namespace

int main(int argc, char** argv) {
    qunsetenv("QT_LOGGING_RULES"); // the rules under test are the program's and the test's own
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
