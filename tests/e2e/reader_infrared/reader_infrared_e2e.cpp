// The infrared link's contract suite under Wine, against the stand-in IrLib.dll beside the
// contract program; the same suite passes natively against the in-memory link.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e/harness.h"

namespace {

using namespace std::chrono_literals;

TEST(ReaderInfraredUnderWine, TheLinkContractPassesAgainstIrLib) {
    e2e::ProcessOptions options;
    options.timeout = 60s;
    const e2e::ProcessResult result = e2e::RunWine(
        {e2e::TestingBinary("reader_infrared_contract.exe").string(), "--gtest_color=no"}, options);
    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ] 2 tests")) << result.out;
}

}  // namespace
