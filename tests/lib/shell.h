#pragma once
// Running shell commands from tests: output and status of a command, and quoting for its arguments.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <utility>

namespace vorlin::testing {

// Output (standard output and error together) and exit status of a shell command; -1 if it did not exit.
inline std::pair<std::string, int> runShell(const std::string& command) {
    std::string out;
    FILE* f = popen((command + " 2>&1").c_str(), "r");
    if (!f) return {out, -1};
    std::array<char, 4096> buf;
    while (std::size_t n = fread(buf.data(), 1, buf.size(), f)) out.append(buf.data(), n);
    const int st = pclose(f);
    return {out, WIFEXITED(st) ? WEXITSTATUS(st) : -1};
}

// The text as one single-quoted shell word.
inline std::string shellQuote(const std::string& s) {
    std::string o = "'";
    for (char c : s) o += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return o + "'";
}

} // namespace vorlin::testing
