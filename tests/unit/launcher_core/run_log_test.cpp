#include "core/run_log.h"

#include <gtest/gtest.h>

#include "core/memory_files.h"

namespace lanvik {
namespace {

const std::string kSep = "===================================================";
const std::string kPath = "C:\\Users\\user\\Desktop\\LanvikLog.txt";

TEST(RunLog, WritesOneSectionAndAppendsAfterEarlierRuns) {
    MemoryFiles files;
    files.files[kPath] = "old run\r\n";
    LogService log;
    log.setLoggingEnabled();
    log.Open(files);
    log.Line("Lanvik_2003 version: 2.1.0.41");
    log.Line("Launching Access: C:\\A\\MSACCESS.EXE\r\n\twith cmdline: db.mdb");
    log.Close();
    EXPECT_EQ(files.files[kPath], "old run\r\n" + kSep + "\r\nLanvik_2003 version: 2.1.0.41\r\n" +
                                      "Launching Access: C:\\A\\MSACCESS.EXE\r\n\twith cmdline: "
                                      "db.mdb\r\n" +
                                      kSep + "\r\n\r\n\r\n");
    EXPECT_EQ(kSep.size(), 51u);

    // Closing twice, and lines after closing, change nothing.
    log.Close();
    log.Line("late");
    EXPECT_EQ(files.files[kPath].substr(files.files[kPath].size() - 4), "\r\n\r\n");
}

TEST(RunLog, IsSilentWhenTheDesktopOrTheFileIsUnavailable) {
    MemoryFiles noDesktop;
    noDesktop.desktop.reset();
    RunLog a(noDesktop);
    EXPECT_FALSE(a.isOpen());
    EXPECT_FALSE(a.WriteLogLine("x"));
    a.Close();
    EXPECT_TRUE(noDesktop.files.empty());

    MemoryFiles locked;
    locked.failOpen = true;
    RunLog b(locked);
    EXPECT_EQ(b.path(), kPath);
    EXPECT_FALSE(b.WriteLogLine("x"));
    b.Close();
    EXPECT_TRUE(locked.files.empty());
}

TEST(RunLog, AFailedWriteDropsItsLineEndAndANullTextWritesNothing) {
    MemoryFiles files;
    RunLog log(files);
    EXPECT_FALSE(log.WriteLogLine(nullptr));
    files.failWrites = true;
    EXPECT_FALSE(log.WriteLogLine("lost"));
    files.failWrites = false;
    EXPECT_TRUE(log.WriteLogLine(""));
    EXPECT_EQ(files.files[kPath], kSep + "\r\n\r\n");
}

TEST(LogService, DoesNothingBeforeTheLogExists) {
    MemoryFiles files;
    LogService log;
    log.Line("ignored");
    log.Close();
    EXPECT_FALSE(log.loggingEnabled());
    EXPECT_TRUE(files.files.empty());
}

}  // namespace
}  // namespace lanvik
