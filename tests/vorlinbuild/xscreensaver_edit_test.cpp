// Selecting a screen saver in ~/.xscreensaver and taking it out again, keeping the user's settings.
#include <gtest/gtest.h>

#include "vorlinbuild/xscreensaver_edit.h"

using namespace vorlin::vorlinbuild;

namespace {
const std::string kEntry = "\"Sea\"  \"/h/sys/Sea.scr\" /s";
const std::string kUser = "timeout:\t0:10:00\nmode:\t\trandom\nselected:\t\t1\n"
                          "programs:\t\t\t\t\t\t\t\t      \\\n\t\t\t\t  \"Qix\"  qix -root \\n\\\n"
                          "\t\t\t\t- \"Maze\"  maze -root \\n\\\n\t\t\t\t  \"Deco\"  deco -root \\n\n"
                          "pointerHysteresis: 10\n";
} // namespace

TEST(XscreensaverEdit, AddSelectsAndRemoveRestores) {
    XssPrevious prev;
    const std::string added = xssAddProgram(kUser, kEntry, prev);
    EXPECT_EQ(prev.mode, "random");
    EXPECT_EQ(prev.selected, "1");
    EXPECT_FALSE(prev.created);
    for (const char* s :
         {"timeout:\t0:10:00\n", "mode:\t\tone\n", "selected:\t\t3\n", "\"Qix\"  qix -root \\n\\\n",
          "- \"Maze\"  maze -root \\n\\\n", "\"Deco\"  deco -root \\n\\\n",
          "\"Sea\"  \"/h/sys/Sea.scr\" /s \\n\\\n", "pointerHysteresis: 10\n"})
        EXPECT_NE(added.find(s), std::string::npos) << s << "\n" << added;

    // Adding again replaces the entry.
    XssPrevious again;
    const std::string twice = xssAddProgram(added, kEntry, again);
    EXPECT_EQ(twice.find("Sea.scr"), twice.rfind("Sea.scr"));
    EXPECT_NE(twice.find("selected:\t\t3\n"), std::string::npos);

    const std::string removed = xssRemoveProgram(added, kEntry, prev);
    EXPECT_EQ(removed.find("Sea"), std::string::npos);
    EXPECT_NE(removed.find("mode:\t\trandom\n"), std::string::npos) << removed;
    EXPECT_NE(removed.find("selected:\t\t1\n"), std::string::npos) << removed;
    EXPECT_NE(removed.find("\"Deco\"  deco -root"), std::string::npos);
}

TEST(XscreensaverEdit, NewFileAndAnotherSelection) {
    XssPrevious prev;
    const std::string created = xssAddProgram("", kEntry, prev);
    EXPECT_TRUE(prev.created);
    EXPECT_NE(created.find("mode:\t\tone\n"), std::string::npos);
    EXPECT_NE(created.find("selected:\t\t0\n"), std::string::npos);
    // The user picked another program afterwards (index 0 = ours, now "selected: 1" after an insertion
    // behind ours): removing ours leaves the user's choice, moved down by one.
    std::string later = created + "";
    const auto at = later.find("selected:\t\t0");
    later.replace(at, 12, "selected:\t\t1");
    const auto programsEnd = later.find("\"Sea\"");
    later.insert(later.find('\n', programsEnd) + 1, "\t\t\t\t  \"Qix\"  qix -root \\n\\\n");
    const std::string removed = xssRemoveProgram(later, kEntry, prev);
    EXPECT_NE(removed.find("selected:\t\t0\n"), std::string::npos) << removed;
    EXPECT_NE(removed.find("mode:\t\tone\n"), std::string::npos) << removed;
    EXPECT_NE(removed.find("\"Qix\""), std::string::npos);
}

TEST(XscreensaverEdit, ASecondShowKeepsTheUsersChoiceAndAModeChosenSinceStays) {
    const std::string lake = "\"Lake\"  \"/h/sys/Lake.scr\" /s";
    XssPrevious sea, second;
    const std::string one = xssAddProgram(kUser, kEntry, sea);
    // Sea is selected: the user's own choice is the one Sea kept, not Sea itself.
    const std::string both = xssAddProgram(one, lake, second, {{kEntry, sea}});
    EXPECT_EQ(second.mode, "random");
    EXPECT_EQ(second.selected, "1");
    // The user switches to blanking; removing both shows keeps that mode and gives the selection back.
    std::string blank = both;
    blank.replace(blank.find("mode:\t\tone"), 10, "mode:\t\tblank");
    const std::string rest = xssRemoveProgram(blank, lake, second, {{kEntry, sea}});
    EXPECT_NE(rest.find("selected:\t\t3\n"), std::string::npos) << rest;
    const std::string none = xssRemoveProgram(rest, kEntry, sea);
    EXPECT_NE(none.find("mode:\t\tblank\n"), std::string::npos) << none;
    EXPECT_NE(none.find("selected:\t\t1\n"), std::string::npos) << none;
}

TEST(XscreensaverEdit, ShellQuote) {
    EXPECT_EQ(shellQuote("/h/a \"b\" $c `d` \\e"), "/h/a \\\"b\\\" \\$c \\`d\\` \\\\e");
}
