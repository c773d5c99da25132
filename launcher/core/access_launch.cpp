#include "core/access_launch.h"

#include "core/ascii_text.h"
#include "discovery/access_locator.h"

namespace lanvik {
namespace {}  // namespace

std::string SecurityLauncherProgram(System& system, const std::string& accessProgram,
                                    const std::string& accessCommandLine) {
    const std::string suffix = ".sec";
    if (accessCommandLine.size() <= 3 || accessCommandLine.size() < suffix.size() ||
        accessCommandLine.compare(accessCommandLine.size() - suffix.size(), suffix.size(),
                                  suffix) != 0)
        return accessProgram;
    std::string candidate = ProgramFolderOf(accessCommandLine) + "\\" + kSecurityLauncherName;
    return FileExists(system, candidate) ? candidate : accessProgram;
}

std::uint32_t LaunchAccess(Processes& processes, int showCommand, const OsVersionFlags& osFlags,
                           const char* program, const char* commandLine,
                           std::unique_ptr<ProcessHandle>& process) {
    process.reset();
    if (program == nullptr) return 0;
    StartedProcess started;
    if (osFlags.majorAtLeast6) {
        started = processes.StartByShell(program, commandLine ? commandLine : "", showCommand);
    } else {
        // "\"%s\" %s", or the quoted program alone without a command line.
        std::string text;
        text.append(1, '"').append(program).append(1, '"');
        if (commandLine != nullptr) text.append(1, ' ').append(commandLine);
        started = processes.StartByCreateProcess(text, showCommand);
    }
    if (started.processId == 0) return 0;
    process = std::move(started.handle);
    return started.processId;
}

std::optional<std::uintptr_t> FindMainAccessWindow(Processes& processes, std::uint32_t processId) {
    std::optional<std::uintptr_t> found;
    const std::string wanted = kMainAccessWindowClass;
    processes.EnumerateTopLevelWindows([&](const TopLevelWindow& window) {
        if (window.hasParent || window.processId != processId) return true;
        if (!window.className || window.className->empty() ||
            !SameIgnoringCase(*window.className, wanted))
            return true;
        found = window.window;
        return false;
    });
    return found;
}

AccessWatch StartAndWatchAccess(Processes& processes, Clock& clock, LogService& log,
                                int showCommand, const OsVersionFlags& osFlags,
                                const std::string& accessProgram,
                                const std::string& accessCommandLine,
                                std::int32_t waitMilliseconds) {
    if (log.loggingEnabled())
        log.Line("Launching Access: " + accessProgram + "\r\n\twith cmdline: " + accessCommandLine);
    AccessWatch watch;
    watch.processId = LaunchAccess(processes, showCommand, osFlags, accessProgram.c_str(),
                                   accessCommandLine.c_str(), watch.process);
    if (watch.processId != 0) {
        if (log.loggingEnabled())
            log.Line("Access launched with ProcessID: " + std::to_string(watch.processId));
        int polls = 0;
        bool found = FindMainAccessWindow(processes, watch.processId).has_value();
        while (!found) {
            // An Access that has ended (or a handle that cannot be waited on) will show no window.
            if (polls >= kWindowPollLimit || !watch.process ||
                watch.process->Wait(0) != WaitResult::TimedOut)
                break;
            clock.Sleep(kWindowPollMilliseconds);
            ++polls;
            found = FindMainAccessWindow(processes, watch.processId).has_value();
        }
        if (found) {
            // The registry is restored only once Access has had time to read it. Only 0 means
            // no limit: a negative time is no wait at all, never one of days or without end.
            std::uint32_t wait = kInfiniteWait;
            if (waitMilliseconds != 0)
                wait = waitMilliseconds < 0 ? 0 : static_cast<std::uint32_t>(waitMilliseconds);
            if (watch.process) watch.process->Wait(wait);
            watch.found = true;
        }
    }
    if (log.loggingEnabled())
        log.Line(watch.found ? "Found main Access window - shutting down"
                             : "Timed Out - main Access window not found!");
    return watch;
}

}  // namespace lanvik
