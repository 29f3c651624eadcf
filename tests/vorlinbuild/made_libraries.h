#pragma once
// Small programs and shared libraries compiled by a test from a line of C, to give the ELF readers real
// files with known dependencies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../lib/shell.h"
#include "../lib/test_files.h"

namespace vorlin::testing {

// Builds `out` from `code` with extra compiler and linker `flags` (see sharedLibrary()).
inline void compileC(const std::filesystem::path& out, const std::string& code, const std::string& flags) {
    const std::filesystem::path src = out.string() + ".c";
    writeFile(src, code + "\n");
    const auto [log, rc] =
        runShell("cc -fPIC -o " + shellQuote(out.string()) + " " + shellQuote(src.string()) + " " + flags);
    ASSERT_EQ(rc, 0) << log;
}

// The flags that make a shared library named `soname`.
inline std::string sharedLibrary(const std::string& soname) {
    return "-shared -Wl,-soname," + soname;
}

} // namespace vorlin::testing
