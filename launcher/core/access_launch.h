// Starting Access and watching for its main window. The registry stays prepared until Access's
// main window (class "OMain", top-level, owned by the started process) exists, or until the watch
// gives up; then the caller restores it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/clock.h"
#include "core/processes.h"
#include "core/run_log.h"
#include "registry/system.h"

namespace lanvik {

inline constexpr const char* kMainAccessWindowClass = "OMain";
inline constexpr std::uint32_t kWindowPollMilliseconds = 1000;
inline constexpr int kWindowPollLimit = 60;
inline constexpr const char* kSecurityLauncherName = "launch32.exe";

// For a command line ending in ".sec" (exact case): the security launcher "launch32.exe" in the
// folder named by the command line's text before its last backslash, when that file exists.
// Otherwise accessProgram unchanged.
std::string SecurityLauncherProgram(System& system, const std::string& accessProgram,
                                    const std::string& accessCommandLine);

// Starts the program: through the shell on Windows Vista and later (path and command line as
// separate fields), else with CreateProcessA and the command text "\"program\" commandLine" (the
// quoted program alone when commandLine is null). Returns the process id, 0 on failure; the
// handle is set only when the process id is known. A null program starts nothing.
std::uint32_t LaunchAccess(Processes& processes, int showCommand, const OsVersionFlags& osFlags,
                           const char* program, const char* commandLine,
                           std::unique_ptr<ProcessHandle>& process);

// The first top-level window without a parent or owner, owned by the process, whose class is
// "OMain" in any letter case.
std::optional<std::uintptr_t> FindMainAccessWindow(Processes& processes, std::uint32_t processId);

struct AccessWatch {
    bool found = false;
    std::uint32_t processId = 0;
    // Held until the launcher ends; the process itself is never stopped.
    std::unique_ptr<ProcessHandle> process;
};

// Logs the launch, starts Access, looks for its window once and then once a second up to 60
// times, stopping early when Access has ended; when the window is found, waits on Access for
// waitMilliseconds (0 = until it ends, a negative time = not at all). Logs the result either way.
AccessWatch StartAndWatchAccess(Processes& processes, Clock& clock, LogService& log,
                                int showCommand, const OsVersionFlags& osFlags,
                                const std::string& accessProgram,
                                const std::string& accessCommandLine,
                                std::int32_t waitMilliseconds);

}  // namespace lanvik
