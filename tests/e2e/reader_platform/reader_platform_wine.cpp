// Runs the reader's platform contract suites (files, serial line, and the SQLite engine with the
// Access engine's error numbers) as a Windows program under Wine. The same suites pass natively
// against the in-memory implementations and the system SQLite (reader_platform_contract_memory),
// so the two answer alike.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>

#include "e2e/harness.h"
#include "simulated_pen.h"

namespace {

using namespace std::chrono_literals;

constexpr int kEchoPort = 5;
constexpr int kBusyPort = 6;
constexpr int kMissingPort = 42;

TEST(ReaderPlatformUnderWine, TheContractSuitesPassAgainstTheWindowsImplementations) {
    standins::SimulatedPen echo;
    echo.EchoEverything();
    // A port held by another program: its device denies every access, so the wineserver (run
    // without the capabilities that bypass file permissions) fails to open it with access
    // denied, as Windows does.
    standins::SimulatedPen held;
    ASSERT_EQ(chmod(held.TerminalPath().c_str(), 0), 0);
    e2e::LinkComPort(kEchoPort, echo.TerminalPath());
    e2e::LinkComPort(kBusyPort, held.TerminalPath());
    e2e::UnlinkComPort(kMissingPort);
    echo.Start();

    e2e::ProcessOptions options;
    options.timeout = 120s;
    options.env = {"KIT_CONTRACT_ECHO_PORT=" + std::to_string(kEchoPort),
                   "KIT_CONTRACT_BUSY_PORT=" + std::to_string(kBusyPort),
                   "KIT_CONTRACT_MISSING_PORT=" + std::to_string(kMissingPort),
                   "WINEDEBUG=-all,warn+seh"};
    const e2e::ProcessResult result = e2e::RunWine(
        {e2e::TestingBinary("reader_platform_contract.exe").string(), "--gtest_color=no"}, options);
    echo.Stop();
    chmod(held.TerminalPath().c_str(), 0600);
    e2e::UnlinkComPort(kEchoPort);
    e2e::UnlinkComPort(kBusyPort);

    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ] 26 tests")) << result.out;
    EXPECT_EQ(std::string::npos, result.out.find("[  FAILED  ]")) << result.out;
    // Each raised error also went to OutputDebugStringW with the Windows code behind it (5,
    // access denied, for the held port), where a debugger or debug viewer (here Wine's log of the
    // debug output) shows it.
    EXPECT_NE(
        std::string::npos,
        result.err.find(
            R"("Murello: error 8005 \"Port already open\" in CreateFileW \\\\.\\COM6, system code 5\n")"))
        << result.err;
}

}  // namespace
