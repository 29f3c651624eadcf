// The exit check of the full-screen show: the registry setting, the password module in the system folder,
// and the cursor calls around the module.
#include "platform/registry.h"
#include "show/windows/host_window.h"
#include "show/windows/password_check.h"

#include "../lib/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace vorlin;
using namespace vorlin::showwindows;

namespace {

enum class Setting { NoKey, KeyWithoutValue, Zero, One, Seven, StringOne };
enum class Module { Absent, WithoutEntry, Refuses, Accepts };

struct Row {
    Setting setting;
    Module module;
    bool allowed;
    bool moduleCalled;
};

class PasswordCheck : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "system");
        ::setenv("VORLIN_SYSTEM_DIR", (dir_ / "system").c_str(), 1);
        ::setenv("VORLIN_TEST_PASSWORD_RECORD", (dir_ / "record.txt").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("VORLIN_SYSTEM_DIR");
        ::unsetenv("VORLIN_TEST_PASSWORD_ANSWER");
    }
    std::string registryFile() const { return (dir_ / "registry.ini").string(); }
    void writeSetting(Setting s) {
        platform::Registry r(registryFile());
        const std::string key = "Control Panel\\desktop";
        switch (s) {
        case Setting::NoKey:
            r.writeString("Control Panel\\other", "ScreenSaveUsePassword", "1");
            break;
        case Setting::KeyWithoutValue:
            r.writeDword(key, "ScreenSaveActive", 1);
            break;
        case Setting::Zero:
            r.writeDword(key, "ScreenSaveUsePassword", 0);
            break;
        case Setting::One:
            r.writeDword(key, "ScreenSaveUsePassword", 1);
            break;
        case Setting::Seven:
            r.writeDword(key, "ScreenSaveUsePassword", 7);
            break;
        case Setting::StringOne:
            r.writeString(key, "ScreenSaveUsePassword", "1");
            break;
        }
    }
    void install(Module m) {
        const fs::path target = dir_ / "system" / "libpassword.so";
        switch (m) {
        case Module::Absent:
            break;
        case Module::WithoutEntry:
            fs::copy_file(VORLIN_PASSWORD_NOENTRY_MODULE, target);
            break;
        case Module::Refuses:
        case Module::Accepts:
            fs::copy_file(VORLIN_PASSWORD_MODULE, target);
            ::setenv("VORLIN_TEST_PASSWORD_ANSWER", m == Module::Accepts ? "1" : "0", 1);
            break;
        }
    }
    std::string record() const { return vorlin::testing::readFile(dir_ / "record.txt"); }

    vorlin::testing::TempDir tmp_;
    fs::path dir_ = tmp_.path();
};

} // namespace

TEST_P(PasswordCheck, ExitDecisionAndCursorCalls) {
    const Row row = GetParam();
    writeSetting(row.setting);
    const platform::Registry reg(registryFile());
    install(row.module);

    std::vector<int> cursorCalls;
    int afterChecks = 0;
    const bool allowed = exitAllowed(
        reg, 4242, [&](bool show) { cursorCalls.push_back(show ? 1 : 0); }, [&] { ++afterChecks; });

    EXPECT_EQ(allowed, row.allowed);
    EXPECT_EQ(record(), row.moduleCalled ? "4242\n" : "");
    const bool required = row.setting == Setting::One || row.setting == Setting::Seven;
    if (required) {
        // Shown for the dialog, hidden again afterwards, whatever the answer.
        EXPECT_EQ(cursorCalls, (std::vector<int>{1, 0}));
        EXPECT_EQ(afterChecks, 1);
    } else {
        EXPECT_TRUE(cursorCalls.empty());
        EXPECT_EQ(afterChecks, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PasswordCheck,
                         ::testing::Values(Row{Setting::NoKey, Module::Refuses, true, false},
                                           Row{Setting::KeyWithoutValue, Module::Refuses, true, false},
                                           Row{Setting::Zero, Module::Refuses, true, false},
                                           Row{Setting::StringOne, Module::Refuses, true, false},
                                           Row{Setting::One, Module::Absent, true, false},
                                           Row{Setting::One, Module::WithoutEntry, true, false},
                                           Row{Setting::One, Module::Refuses, false, true},
                                           Row{Setting::One, Module::Accepts, true, true},
                                           Row{Setting::Seven, Module::Refuses, false, true}));

TEST(PasswordModulePath, SystemFolderAndMappedName) {
    ::setenv("VORLIN_SYSTEM_DIR", "/some/system/", 1);
    EXPECT_EQ(passwordModulePath(), "/some/system/PASSWORD.CPL");
    ::setenv("VORLIN_SYSTEM_DIR", "/some/system", 1);
    EXPECT_EQ(passwordModulePath(), "/some/system/PASSWORD.CPL");
    ::unsetenv("VORLIN_SYSTEM_DIR");
}

TEST(WindowIdText, HexDecimalAndJunk) {
    const std::pair<const char*, std::optional<std::uint32_t>> rows[] = {
        {"0x400008", 0x400008u},     {"0X1a", 26u},
        {"4194312", 4194312u},       {" 12 ", 12u},
        {"0xFFFFFFFF", 0xFFFFFFFFu}, {"0x100000000", std::nullopt},
        {"", std::nullopt},          {"0x", std::nullopt},
        {"abc", std::nullopt},       {"12abc", std::nullopt},
        {"-5", std::nullopt},        {"0", std::nullopt},
        {"0x0", std::nullopt},       {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(parseWindowId(text), expected) << text;
}
