// The terminal control under Wine with the stand-in "VXTerm.ctlVXTerm" registered: the control's
// contract suite against the Windows implementation.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e/harness.h"

namespace {

using namespace std::chrono_literals;

const char kInstallFolder[] = "C:\\Programmi\\Murello";

// Registers a DLL for the life of the object.
class Registered {
  public:
    explicit Registered(const std::string& dll) : dll_(dll) { Regsvr32(false); }
    ~Registered() { Regsvr32(true); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

  private:
    void Regsvr32(bool unregister) {
        const e2e::ProcessResult result = e2e::Regsvr32(dll_, unregister);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    std::string dll_;
};

std::string StandInControl() {
    return e2e::CopyIntoPrefix(e2e::TestingBinary("vxterm_standin.dll"), kInstallFolder);
}

TEST(ReaderTerminal, TheControlContractPassesAgainstTheRegisteredControl) {
    Registered control(StandInControl());
    e2e::ProcessOptions options;
    options.timeout = 120s;
    const e2e::ProcessResult result = e2e::RunWine(
        {e2e::TestingBinary("reader_terminal_contract.exe").string(), "--gtest_color=no"}, options);
    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ] 5 tests")) << result.out;
}

}  // namespace
