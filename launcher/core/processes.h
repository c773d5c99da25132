// Starting programs, waiting on them and looking at the top-level windows: what the launcher
// needs to start Access and watch for its main window. Win32Processes uses the system;
// MemoryProcesses plays programs and windows for native tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lanvik {

inline constexpr std::uint32_t kInfiniteWait = 0xFFFFFFFFu;

enum class WaitResult {
    Ended,     // the process has ended
    TimedOut,  // still running when the wait ran out
    Failed,    // the handle cannot be waited on
};

// An owned process handle: destroying it closes the handle, never the process.
class ProcessHandle {
  public:
    virtual ~ProcessHandle() = default;
    // WaitForSingleObject on the handle; kInfiniteWait waits without limit.
    virtual WaitResult Wait(std::uint32_t milliseconds) = 0;
};

struct StartedProcess {
    std::uint32_t processId = 0;  // 0: not started, or started but not known
    std::unique_ptr<ProcessHandle> handle;
};

// One top-level window as the enumeration finds it.
struct TopLevelWindow {
    std::uintptr_t window = 0;             // the window handle's value
    bool hasParent = false;                // GetParent gives a window (a parent or an owner)
    std::uint32_t processId = 0;           // the process that owns it
    std::optional<std::string> className;  // nothing when it cannot be read
};

class Processes {
  public:
    virtual ~Processes() = default;

    // ShellExecuteExA with the default verb, no owner window and no working folder, asking for
    // the process handle and for no error dialogs; the process id comes from GetProcessId,
    // looked up in Kernel32.dll at run time. A process id of 0 (and no handle) when the start
    // fails, or when GetProcessId is missing although the program has started.
    virtual StartedProcess StartByShell(const std::string& file, const std::string& parameters,
                                        int showCommand) = 0;
    // CreateProcessA with no application name and this command text, nothing inherited,
    // NORMAL_PRIORITY_CLASS, the launcher's environment and folder, and the show command.
    virtual StartedProcess StartByCreateProcess(const std::string& commandText,
                                                int showCommand) = 0;
    // EnumWindows: calls visit for each top-level window until it returns false.
    virtual void EnumerateTopLevelWindows(
        const std::function<bool(const TopLevelWindow&)>& visit) = 0;
};

}  // namespace lanvik
