// The reader program's services, one suite for both twins: the hidden start of a whole command
// line (a missing program gives nothing to wait for) and the host run time.
#include <gtest/gtest.h>

#include "contract_platform.h"

namespace reader {
namespace {

TEST(ProgramsContract, HiddenStartRunsAPresentProgramAndNothingForAMissingOne) {
    const auto bench = MakeProgramsBench();
    const auto present = bench->Runner().StartHidden(bench->PresentProgram());
    ASSERT_NE(present, nullptr);
    present->WaitUntilEnded();
    EXPECT_EQ(bench->Runner().StartHidden(bench->MissingProgram()), nullptr);
}

TEST(ProgramsContract, HostRunTimeGivesTheFolderOfTheRunningFileAndToday) {
    const auto bench = MakeProgramsBench();
    EXPECT_EQ(bench->Host().ApplicationPath(), bench->OwnFolder());
    EXPECT_EQ(bench->Host().Today(), bench->Today());
}

}  // namespace
}  // namespace reader
