#pragma once
// Editing ~/.xscreensaver for an installed show: its entry in the programs list, selected in mode "one",
// and the user's own mode and selection given back when it goes. No Qt here.
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

// `entry` is a programs-list entry ("\"Name\"  \"/path\" /s"). Adding selects it
// and returns the user's own mode and selected lines (empty when absent) so that removal can give them
// back. `ours` are the entries of the other installed shows with what each returned: while one of them is
// selected, the user's own settings are the ones it kept. Removing the selected entry selects the newest of
// `ours` still listed, or, with none left, gives the user's own settings back.
struct XssPrevious {
    std::string mode, selected;
    bool created = false;
};
struct XssShow {
    std::string entry;
    XssPrevious previous;
};
std::string xssAddProgram(const std::string& text, const std::string& entry, XssPrevious& previous,
                          const std::vector<XssShow>& ours = {});
std::string xssRemoveProgram(const std::string& text, const std::string& entry, const XssPrevious& previous,
                             const std::vector<XssShow>& ours = {});

// The entries of the programs list in `text`.
std::vector<std::string> xssPrograms(const std::string& text);

// The text inside double quotes for /bin/sh ("\", "\"", "$" and "`" escaped).
std::string shellQuote(const std::string& text);

} // namespace vorlin::vorlinbuild
