#include "core/command_line.h"

#include <gtest/gtest.h>

namespace lanvik {
namespace {

struct ParseCase {
    const char* commandLine;
    bool logging;
    int showCommand;
    std::int32_t wait;
    const char* commandKey;
    const char* valueName;
    const char* remaining;
};

TEST(ParseCommandLine, ReadsOptionsOffTheFrontAndLeavesTheRestForAccess) {
    const ParseCase cases[] = {
        {"-LOGGING \"C:\\App\\db.mdb\" /excl", true, 3, 15000, "", "CmdLine",
         "\"C:\\App\\db.mdb\" /excl"},
        {"\"C:\\App\\db.mdb\" -LOGGING", false, 3, 15000, "", "CmdLine",
         "\"C:\\App\\db.mdb\" -LOGGING"},
        {"-wait=0 db.mdb", false, 3, 0, "", "CmdLine", "db.mdb"},
        {"-WAIT=30000 C:\\db.mdb", false, 3, 30000, "", "CmdLine", "C:\\db.mdb"},
        {"-WAIT -LOGGING db.mdb", true, 3, 15000, "", "CmdLine", "db.mdb"},
        {"-WAIT=", false, 3, 15000, "", "CmdLine", "="},
        {"-WAIT= db.mdb", false, 3, 15000, "", "CmdLine", "db.mdb"},
        {"-WAIT=12abc db.mdb", false, 3, 12, "", "CmdLine", "db.mdb"},
        {"-WAIT=-5 db.mdb", false, 3, -5, "", "CmdLine", "db.mdb"},
        {"-WAIT=abc db.mdb", false, 3, 0, "", "CmdLine", "db.mdb"},
        {"-WAIT=99999999999 db.mdb", false, 3, 2147483647, "", "CmdLine", "db.mdb"},
        {"-CMD=Software\\App db.mdb", false, 3, 15000, "", "CmdLine", "=Software\\App db.mdb"},
        {"-CMD=\"HKCU\\Software\\App\" db.mdb", false, 3, 15000, "HKCU\\Software\\App", "CmdLine",
         "db.mdb"},
        {"-CMD=\"HKLM\\Software\\App", false, 3, 15000, "HKLM\\Software\\App", "CmdLine", ""},
        {"-VALUE -LOGGING db.mdb", true, 3, 15000, "", "", "db.mdb"},
        {"-VALUE=\"Other\" db.mdb", false, 3, 15000, "", "Other", "db.mdb"},
        {"-VALUE=\"\" db.mdb", false, 3, 15000, "", "", "db.mdb"},
        {"-TRUSTEDFOLDER=\"C:\\Trusted\" db.mdb", false, 3, 15000, "", "CmdLine", "db.mdb"},
        {"-BOGUS db.mdb", false, 3, 15000, "", "CmdLine", "db.mdb"},
        {"-min=1 db.mdb", false, 2, 15000, "", "CmdLine", "=1 db.mdb"},
        {"\t-LOGGING db.mdb", false, 3, 15000, "", "CmdLine", "\t-LOGGING db.mdb"},
        {"-MIN -NORMAL db.mdb", false, 1, 15000, "", "CmdLine", "db.mdb"},
        {"-NORMAL -MIN db.mdb", false, 2, 15000, "", "CmdLine", "db.mdb"},
        {"   ", false, 3, 15000, "", "CmdLine", ""},
        {"", false, 3, 15000, "", "CmdLine", ""},
        {"   -Logging    db.mdb  ", true, 3, 15000, "", "CmdLine", "db.mdb  "},
        {"-LOGGING", true, 3, 15000, "", "CmdLine", ""},
        {"-LOGGING\tdb.mdb", false, 3, 15000, "", "CmdLine", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        bool logging = false;
        LaunchOptions options = ParseCommandLine(c.commandLine, logging);
        EXPECT_EQ(logging, c.logging);
        EXPECT_EQ(options.showCommand, c.showCommand);
        EXPECT_EQ(options.waitMilliseconds, c.wait);
        EXPECT_EQ(options.commandKey, c.commandKey);
        EXPECT_EQ(options.commandValueName, c.valueName);
        EXPECT_EQ(options.remainingCommandLine, c.remaining);
    }
}

TEST(ParseCommandLine, SetsTheMaintenanceFlagsInAnyLetterCase) {
    bool logging = false;
    LaunchOptions options = ParseCommandLine("-openkeys -Capture -RESTORE -NoProgress", logging);
    EXPECT_TRUE(options.openKeys);
    EXPECT_TRUE(options.captureOnly);
    EXPECT_TRUE(options.restoreOnly);
    EXPECT_TRUE(options.noProgress);
    EXPECT_EQ(options.remainingCommandLine, "");

    LaunchOptions none = ParseCommandLine("db.mdb -CAPTURE", logging);
    EXPECT_FALSE(none.openKeys || none.captureOnly || none.restoreOnly || none.noProgress);
    EXPECT_FALSE(logging);
}

TEST(TrimLeadingSpaces, RemovesOnlyLeadingSpaceCharacters) {
    EXPECT_EQ(TrimLeadingSpaces("  a b "), "a b ");
    EXPECT_EQ(TrimLeadingSpaces("\t a"), "\t a");
    EXPECT_EQ(TrimLeadingSpaces("    "), "");
}

}  // namespace
}  // namespace lanvik
