// Lanvik_2003.exe as a user starts it: what they see, what lands in the run log on their
// desktop, and the exit code, whatever the path.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/harness.h"

namespace {

namespace fs = std::filesystem;

const std::string kSeparator(51, '=');
// One logged run on a machine without Access: separator, header, the search for Access,
// separator, two empty lines.
const std::string kSection = kSeparator +
                             "\r\nLanvik_2003 version: 2.1.0.41\r\n"
                             ".mdb default: \r\n"
                             "Start of GetFullAccessLocations\r\n"
                             "Beginning of GetAccessRuntimeLocation for Access 2003\r\n"
                             "End of GetAccessRuntimeLocation for Access 2003\r\n"
                             "\t\tRuntime location not found!\r\n"
                             "Don't have runtime, so trying full version\r\n" +
                             kSeparator + "\r\n\r\n\r\n";
const char kWarningTitle[] = "Lanvik Warning";

std::string Launcher() {
    return e2e::QuoteIfNeeded(e2e::WindowsPath(e2e::Win64Binary("Lanvik_2003.exe")));
}

class LauncherFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove(log_);
        // No Access on this machine, whatever other scenarios installed.
        for (const char* key :
             {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Components",
              "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData",
              "HKCR\\Access.Application.8", "HKCR\\Access.Application.9",
              "HKCR\\Access.Application.10", "HKCR\\Access.Application.11",
              "HKCR\\Access.Application.12", "HKCR\\.mdb"})
            e2e::RegDeleteKey(key);
    }
    void TearDown() override { fs::remove(log_); }

    e2e::ScenarioResult Run(const std::string& arguments) {
        e2e::Scenario scenario;
        scenario.command_line = Launcher() + arguments;
        scenario.answers = {"OK"};
        scenario.timeout = std::chrono::seconds(20);
        return e2e::RunScenario(scenario);
    }

    const fs::path log_ = e2e::DesktopFolder().unix / "LanvikLog.txt";
};

TEST_F(LauncherFrame, WithoutArgumentsShowsOnlyTheInvalidCommandLineBox) {
    e2e::ScenarioResult result = Run("");

    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0);
    ASSERT_EQ(result.dialogs.size(), 1u);
    const e2e::Dialog& box = result.dialogs[0];
    EXPECT_EQ(box.title, "Lanvik");
    EXPECT_EQ(box.text, "Invalid Command line");
    EXPECT_TRUE(box.icon);
    EXPECT_EQ(box.icon_kind, "exclamation");
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(box.pressed, "OK");
    EXPECT_TRUE(box.scripted);
    EXPECT_FALSE(fs::exists(log_)) << "no run log without -LOGGING";
}

TEST_F(LauncherFrame, LoggingWritesOneClosedSection) {
    const char* const command_lines[] = {
        " -LOGGING",
        " -logging",
        " -LOGGING \"C:\\Program Files\\App\\app.mdb\" /runtime",
        " -WAIT=100 -LOGGING -MIN",
    };
    for (const char* arguments : command_lines) {
        SCOPED_TRACE(arguments);
        fs::remove(log_);
        e2e::ScenarioResult result = Run(arguments);
        ASSERT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0);
        ASSERT_EQ(result.dialogs.size(), 1u);
        EXPECT_EQ(result.dialogs[0].title, kWarningTitle);
        ASSERT_TRUE(fs::exists(log_));
        EXPECT_EQ(e2e::ReadFile(log_), kSection);
    }
}

TEST_F(LauncherFrame, LoggingAppendsAfterTheExistingLog) {
    const std::string earlier = "an earlier run\r\nits last line, unterminated";
    e2e::WriteFile(log_, earlier);

    EXPECT_EQ(Run(" -LOGGING").exit_code, 0);
    EXPECT_EQ(e2e::ReadFile(log_), earlier + kSection);
    EXPECT_EQ(Run(" -LOGGING C:\\db.mdb").exit_code, 0);
    EXPECT_EQ(e2e::ReadFile(log_), earlier + kSection + kSection);
}

TEST_F(LauncherFrame, ExitsWithZeroOnEveryPath) {
    struct Case {
        const char* arguments;
        const char* box;  // title of the one box shown, or null
        bool log;
    };
    const Case cases[] = {
        {"", "Lanvik", false},                     // the "Invalid Command line" box
        {" C:\\db.mdb /x", kWarningTitle, false},  // the launch finds no Access
        {" -UNKNOWN", kWarningTitle, false},       // an option of no meaning
        {" -WAIT -NORMAL", kWarningTitle, false},  // a malformed option value
        {" -LOGGING", kWarningTitle, true},
        {" -CAPTURE", nullptr, false},  // a maintenance mode starts nothing and asks nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::remove(log_);
        e2e::ScenarioResult result = Run(c.arguments);
        ASSERT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0);
        ASSERT_EQ(result.dialogs.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(result.dialogs[0].title, c.box);
        }
        EXPECT_EQ(fs::exists(log_), c.log);
    }
}

}  // namespace
