#include "core/access_launch.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "../log_capture.h"
#include "core/memory_processes.h"
#include "registry/memory_system.h"

namespace lanvik {
namespace {

const OsVersionFlags kXp = FlagsOf(kWindowsXp);
const OsVersionFlags kVista = FlagsOf(kWindowsVista);
const OsVersionFlags k98 = FlagsOf(kWindows98);

constexpr const char* kProgram = "C:\\Program Files\\Office\\MSACCESS.EXE";

TopLevelWindow Window(std::uintptr_t id, std::uint32_t processId, const char* className,
                      bool hasParent = false) {
    TopLevelWindow window;
    window.window = id;
    window.processId = processId;
    if (className != nullptr) window.className = std::string(className);
    window.hasParent = hasParent;
    return window;
}

TEST(SecurityLauncherProgram, ReplacesTheProgramOnlyForDotSecWithLaunch32Present) {
    struct Case {
        const char* commandLine;
        const char* existing;  // file that exists, or null
        const char* program;
    };
    const Case cases[] = {
        {"C:\\Data\\app.sec", "C:\\Data\\launch32.exe", "C:\\Data\\launch32.exe"},
        {"\"C:\\Data\\app.mdb\" /wrkgrp C:\\Data\\app.sec", "C:\\Data\\launch32.exe", kProgram},
        {"\"C:\\Data\\app.mdb\" /wrkgrp C:\\Data\\app.sec",
         "\"C:\\Data\\app.mdb\" /wrkgrp C:\\Data\\launch32.exe",
         "\"C:\\Data\\app.mdb\" /wrkgrp C:\\Data\\launch32.exe"},
        {"C:\\Data\\app.sec", nullptr, kProgram},
        {"C:\\Data\\app.SEC", "C:\\Data\\launch32.exe", kProgram},
        {"C:\\Data\\app.Sec", "C:\\Data\\launch32.exe", kProgram},
        {"C:\\Data\\app.sec ", "C:\\Data\\launch32.exe", kProgram},
        {"app.sec", "\\launch32.exe", "\\launch32.exe"},
        {".sec", "\\launch32.exe", "\\launch32.exe"},
        {"sec", "\\launch32.exe", kProgram},
        {"", "\\launch32.exe", kProgram},
        {"C:\\Data\\app.mdb", "C:\\Data\\launch32.exe", kProgram},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        MemorySystem system;
        if (c.existing != nullptr) system.AddFile(c.existing);
        EXPECT_EQ(c.program, SecurityLauncherProgram(system, kProgram, c.commandLine));
    }
}

TEST(LaunchAccess, UsesTheShellFromVistaOnAndCreateProcessBefore) {
    struct Case {
        const char* name;
        OsVersionFlags flags;
        const char* commandLine;
        MemoryProcesses::Method method;
        std::string file, parameters, commandText;
    };
    const Case cases[] = {
        {"Vista", kVista, "\"C:\\Data\\app.mdb\" /runtime", MemoryProcesses::Method::Shell,
         kProgram, "\"C:\\Data\\app.mdb\" /runtime", ""},
        {"Vista, no command line", kVista, nullptr, MemoryProcesses::Method::Shell, kProgram, "",
         ""},
        {"XP", kXp, "\"C:\\Data\\app.mdb\" /runtime", MemoryProcesses::Method::CreateProcess, "",
         "", "\"C:\\Program Files\\Office\\MSACCESS.EXE\" \"C:\\Data\\app.mdb\" /runtime"},
        {"XP, empty command line", kXp, "", MemoryProcesses::Method::CreateProcess, "", "",
         "\"C:\\Program Files\\Office\\MSACCESS.EXE\" "},
        {"XP, null command line", kXp, nullptr, MemoryProcesses::Method::CreateProcess, "", "",
         "\"C:\\Program Files\\Office\\MSACCESS.EXE\""},
        {"98", k98, "/x", MemoryProcesses::Method::CreateProcess, "", "",
         "\"C:\\Program Files\\Office\\MSACCESS.EXE\" /x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryProcesses processes;
        std::unique_ptr<ProcessHandle> handle;
        EXPECT_EQ(4242u, LaunchAccess(processes, 3, c.flags, kProgram, c.commandLine, handle));
        EXPECT_TRUE(handle);
        ASSERT_EQ(1u, processes.starts.size());
        const auto& start = processes.starts[0];
        EXPECT_EQ(c.method, start.method);
        EXPECT_EQ(c.file, start.file);
        EXPECT_EQ(c.parameters, start.parameters);
        EXPECT_EQ(c.commandText, start.commandText);
        EXPECT_EQ(3, start.showCommand);
    }
}

TEST(LaunchAccess, FailuresGiveProcessIdZeroAndNoHandle) {
    for (OsVersionFlags flags : {kXp, kVista}) {
        SCOPED_TRACE(flags.majorAtLeast6 ? "Vista" : "XP");
        MemoryProcesses processes;
        std::unique_ptr<ProcessHandle> handle;
        EXPECT_EQ(0u, LaunchAccess(processes, 1, flags, nullptr, "x", handle));
        EXPECT_TRUE(processes.starts.empty());

        processes.failStart = true;
        EXPECT_EQ(0u, LaunchAccess(processes, 1, flags, kProgram, "x", handle));
        EXPECT_FALSE(handle);
    }
    // Started through the shell but GetProcessId is missing: running, yet not watched.
    MemoryProcesses processes;
    processes.processIdUnavailable = true;
    std::unique_ptr<ProcessHandle> handle;
    EXPECT_EQ(0u, LaunchAccess(processes, 1, kVista, kProgram, "x", handle));
    EXPECT_FALSE(handle);
    EXPECT_EQ(1u, processes.starts.size());
    EXPECT_EQ(0, processes.openHandles);
}

TEST(FindMainAccessWindow, TakesTheFirstTopLevelOMainOfTheProcess) {
    struct Case {
        const char* name;
        std::vector<TopLevelWindow> windows;
        std::optional<std::uintptr_t> found;
    };
    const Case cases[] = {
        {"none", {}, std::nullopt},
        {"own", {Window(1, 4242, "OMain")}, 1},
        {"other process first", {Window(1, 7, "OMain"), Window(2, 4242, "OMain")}, 2},
        {"other letter case", {Window(3, 4242, "omain")}, 3},
        {"upper case", {Window(4, 4242, "OMAIN")}, 4},
        {"owned or child", {Window(5, 4242, "OMain", true)}, std::nullopt},
        {"owned then top-level", {Window(5, 4242, "OMain", true), Window(6, 4242, "OMain")}, 6},
        {"other classes",
         {Window(7, 4242, "OMainX"), Window(8, 4242, "OMai"), Window(9, 4242, "")},
         std::nullopt},
        {"class unreadable", {Window(10, 4242, nullptr)}, std::nullopt},
        {"first of two", {Window(11, 4242, "OMain"), Window(12, 4242, "OMain")}, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryProcesses processes;
        processes.windows = c.windows;
        EXPECT_EQ(c.found, FindMainAccessWindow(processes, 4242));
        EXPECT_EQ(1, processes.enumerations);
    }
}

struct WatchRun {
    MemoryProcesses processes;
    FakeClock clock;
    LogCapture capture;
    AccessWatch watch;

    void Run(OsVersionFlags flags = kXp, std::int32_t wait = 15000) {
        watch = StartAndWatchAccess(processes, clock, capture.log, 3, flags, kProgram,
                                    "\"C:\\Data\\app.mdb\" /runtime", wait);
    }
    // The zero-length waits made while polling.
    int zeroWaits() const {
        int count = 0;
        for (const auto& wait : processes.waits) count += wait.second == 0 ? 1 : 0;
        return count;
    }
};

const std::string kLaunchLine =
    "Launching Access: C:\\Program Files\\Office\\MSACCESS.EXE\r\n"
    "\twith cmdline: \"C:\\Data\\app.mdb\" /runtime\r\n";

TEST(WatchAccess, FoundAtTheFirstLook) {
    WatchRun run;
    run.processes.windows = {Window(1, 4242, "OMain")};
    run.Run();
    EXPECT_TRUE(run.watch.found);
    EXPECT_EQ(4242u, run.watch.processId);
    EXPECT_EQ(kLaunchLine +
                  "Access launched with ProcessID: 4242\r\n"
                  "Found main Access window - shutting down\r\n",
              run.capture.Text());
    EXPECT_TRUE(run.clock.sleeps.empty());
    EXPECT_EQ((std::vector<std::pair<std::uint32_t, std::uint32_t>>{{4242, 15000}}),
              run.processes.waits);
    // The launcher keeps the handle; the process is never stopped.
    EXPECT_EQ(1, run.processes.openHandles);
    EXPECT_TRUE(run.processes.running[4242]);
}

TEST(WatchAccess, FoundAfterSomePolls) {
    for (int polls : {1, 3, 59, 60}) {
        SCOPED_TRACE(polls);
        WatchRun run;
        run.clock.onSleep = [&](std::uint64_t now) {
            if (now == static_cast<std::uint64_t>(polls) * 1000)
                run.processes.windows = {Window(1, 99, "OMain"), Window(2, 4242, "OMain")};
        };
        run.Run(kVista);
        EXPECT_TRUE(run.watch.found);
        EXPECT_EQ(std::vector<std::uint32_t>(polls, 1000), run.clock.sleeps);
        EXPECT_EQ(polls + 1, run.processes.enumerations);
        EXPECT_EQ(polls, run.zeroWaits());
        EXPECT_EQ(15000u, run.processes.waits.back().second);
        EXPECT_EQ("Found main Access window - shutting down", run.capture.Lines().back());
    }
}

TEST(WatchAccess, NeverFoundGivesUpAfterSixtyPolls) {
    WatchRun run;
    run.processes.windows = {Window(1, 4242, "OMain", true), Window(2, 7, "OMain")};
    run.Run();
    EXPECT_FALSE(run.watch.found);
    EXPECT_EQ(std::vector<std::uint32_t>(60, 1000), run.clock.sleeps);
    EXPECT_EQ(61, run.processes.enumerations);
    EXPECT_EQ(60, run.zeroWaits());
    EXPECT_EQ(60u, run.processes.waits.size());
    EXPECT_EQ(kLaunchLine +
                  "Access launched with ProcessID: 4242\r\n"
                  "Timed Out - main Access window not found!\r\n",
              run.capture.Text());
}

TEST(WatchAccess, AccessEndingEarlyEndsTheWatchAtTheNextPoll) {
    WatchRun run;
    run.clock.onSleep = [&](std::uint64_t now) {
        if (now == 2000) run.processes.End(4242);
    };
    run.Run();
    EXPECT_FALSE(run.watch.found);
    EXPECT_EQ((std::vector<std::uint32_t>{1000, 1000}), run.clock.sleeps);
    EXPECT_EQ(3, run.processes.enumerations);
    EXPECT_EQ("Timed Out - main Access window not found!", run.capture.Lines().back());

    // A handle that cannot be waited on ends the watch before the first sleep.
    WatchRun failing;
    failing.processes.waitsFail = true;
    failing.Run();
    EXPECT_FALSE(failing.watch.found);
    EXPECT_TRUE(failing.clock.sleeps.empty());
}

TEST(WatchAccess, WaitsAfterTheWindowForTheOptionTimeOrWithoutLimit) {
    struct Case {
        std::int32_t option;
        std::uint32_t wait;
    };
    // A negative time is no time: it must not turn into a wait of days, or without limit.
    for (const Case& c : {Case{0, kInfiniteWait}, Case{15000, 15000}, Case{1, 1},
                          Case{120000, 120000}, Case{-1, 0}, Case{-5, 0}, Case{INT32_MIN, 0}}) {
        SCOPED_TRACE(c.option);
        WatchRun run;
        run.processes.windows = {Window(1, 4242, "OMain")};
        run.Run(kXp, c.option);
        EXPECT_EQ(c.wait, run.processes.waits.back().second);
    }
}

TEST(WatchAccess, AFailedStartIsLoggedAsTimedOut) {
    for (bool idMissing : {false, true}) {
        SCOPED_TRACE(idMissing ? "GetProcessId missing" : "start failed");
        WatchRun run;
        run.processes.failStart = !idMissing;
        run.processes.processIdUnavailable = idMissing;
        run.processes.windows = {Window(1, 4242, "OMain")};
        run.Run(kVista);
        EXPECT_FALSE(run.watch.found);
        EXPECT_EQ(0u, run.watch.processId);
        EXPECT_EQ(kLaunchLine + "Timed Out - main Access window not found!\r\n",
                  run.capture.Text());
        EXPECT_EQ(0, run.processes.enumerations);
        EXPECT_TRUE(run.clock.sleeps.empty());
    }
}

TEST(WatchAccess, WritesNothingWhenLoggingIsOff) {
    MemoryProcesses processes;
    FakeClock clock;
    LogCapture capture(false);
    processes.windows = {Window(1, 4242, "OMain")};
    AccessWatch watch =
        StartAndWatchAccess(processes, clock, capture.log, 3, kXp, kProgram, "x", 15000);
    EXPECT_TRUE(watch.found);
    EXPECT_TRUE(capture.files.files.empty());
}

}  // namespace
}  // namespace lanvik
