#include "core/memory_processes.h"

namespace lanvik {
namespace {

class MemoryProcessHandle : public ProcessHandle {
  public:
    MemoryProcessHandle(MemoryProcesses& owner, std::uint32_t processId)
        : owner_(owner), processId_(processId) {
        ++owner_.openHandles;
    }
    ~MemoryProcessHandle() override { --owner_.openHandles; }

    WaitResult Wait(std::uint32_t milliseconds) override {
        owner_.waits.emplace_back(processId_, milliseconds);
        if (owner_.waitsFail) return WaitResult::Failed;
        if (!owner_.running[processId_]) return WaitResult::Ended;
        // A wait without limit lasts until the process ends, which here is at once.
        if (milliseconds == kInfiniteWait) {
            owner_.running[processId_] = false;
            return WaitResult::Ended;
        }
        return WaitResult::TimedOut;
    }

  private:
    MemoryProcesses& owner_;
    std::uint32_t processId_;
};

}  // namespace

StartedProcess MemoryProcesses::Started() {
    StartedProcess started;
    if (failStart) return started;
    std::uint32_t id = nextProcessId++;
    running[id] = true;
    if (processIdUnavailable) return started;
    started.processId = id;
    started.handle = std::make_unique<MemoryProcessHandle>(*this, id);
    return started;
}

StartedProcess MemoryProcesses::StartByShell(const std::string& file, const std::string& parameters,
                                             int showCommand) {
    starts.push_back({Method::Shell, file, parameters, std::string(), showCommand});
    return Started();
}

StartedProcess MemoryProcesses::StartByCreateProcess(const std::string& commandText,
                                                     int showCommand) {
    starts.push_back(
        {Method::CreateProcess, std::string(), std::string(), commandText, showCommand});
    return Started();
}

void MemoryProcesses::EnumerateTopLevelWindows(
    const std::function<bool(const TopLevelWindow&)>& visit) {
    ++enumerations;
    const std::vector<TopLevelWindow> snapshot = windows;
    for (const TopLevelWindow& window : snapshot)
        if (!visit(window)) return;
}

}  // namespace lanvik
