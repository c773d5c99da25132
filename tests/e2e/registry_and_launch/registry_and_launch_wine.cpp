// Runs the Windows test programs of the registry layer and of the Access start and watch under
// Wine. Each is a GoogleTest program: any failing case fails the run, and its output is shown.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e/harness.h"

namespace {

using namespace std::chrono_literals;

void RunWindowsSuite(const char* program, std::size_t minimumCases,
                     std::chrono::milliseconds timeout) {
    e2e::ProcessOptions options;
    options.timeout = timeout;
    e2e::ProcessResult result =
        e2e::RunWine({e2e::TestingBinary(program).string(), "--gtest_color=no"}, options);
    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ]")) << result.out << result.err;
    EXPECT_EQ(std::string::npos, result.out.find("[  FAILED  ]")) << result.out;
    // Every case that ran says so; a program that ran none proves nothing.
    std::size_t passed = 0;
    for (std::size_t at = result.out.find("[       OK ]"); at != std::string::npos;
         at = result.out.find("[       OK ]", at + 1))
        ++passed;
    EXPECT_GE(passed, minimumCases) << result.out;
}

// The same suite passes natively against the in-memory registry (registry_contract_memory), so
// the two registries answer alike.
TEST(RegistryUnderWine, TheContractSuitePassesAgainstTheRealRegistry) {
    RunWindowsSuite("registry_contract.exe", 12, 120s);
}

// The stand-in started through the shell and through CreateProcessA with the exact command line,
// its window found, an early exit ending the watch at the next poll, child and owned "OMain"
// windows not taken, the security launcher used for ".sec".
TEST(AccessLaunchUnderWine, TheStandInIsStartedAndWatched) {
    RunWindowsSuite("access_launch_check.exe", 11, 240s);
}

}  // namespace
