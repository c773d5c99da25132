// Programs and windows played in memory for native tests: starts are recorded, processes run
// until a test ends them, and the top-level windows are a list the test fills (possibly from a
// FakeClock's sleep hook, to make a window appear after a number of polls).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/processes.h"

namespace lanvik {

class MemoryProcesses : public Processes {
  public:
    enum class Method { Shell, CreateProcess };
    struct Start {
        Method method;
        std::string file;         // StartByShell
        std::string parameters;   // StartByShell
        std::string commandText;  // StartByCreateProcess
        int showCommand;
    };

    StartedProcess StartByShell(const std::string& file, const std::string& parameters,
                                int showCommand) override;
    StartedProcess StartByCreateProcess(const std::string& commandText, int showCommand) override;
    void EnumerateTopLevelWindows(const std::function<bool(const TopLevelWindow&)>& visit) override;

    // Ends a started process: waits on it report Ended from now on.
    void End(std::uint32_t processId) { running[processId] = false; }

    std::vector<Start> starts;
    std::vector<TopLevelWindow> windows;
    std::map<std::uint32_t, bool> running;  // by process id
    // Every wait made on a handle, in order: process id and milliseconds.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> waits;
    int enumerations = 0;
    int openHandles = 0;

    bool failStart = false;             // the start itself fails
    bool processIdUnavailable = false;  // started, but GetProcessId is missing
    bool waitsFail = false;             // waits on handles report Failed
    std::uint32_t nextProcessId = 4242;

  private:
    StartedProcess Started();
};

// A clock that only counts: Sleep adds to now and calls onSleep, which tests use to change the
// world between polls.
class FakeClock : public Clock {
  public:
    void Sleep(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
        if (onSleep) onSleep(now);
    }

    std::uint64_t now = 0;
    std::vector<std::uint32_t> sleeps;
    std::function<void(std::uint64_t now)> onSleep;
};

}  // namespace lanvik
