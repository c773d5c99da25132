#include "kit/memory_program_runner.h"

namespace kit {
namespace {

class MemoryRunningProgram : public RunningProgram {
  public:
    MemoryRunningProgram(MemoryProgramRunner& owner, std::size_t index)
        : owner_(owner), index_(index) {}
    void WaitUntilEnded() override {
        if (owner_.whileRunning) owner_.whileRunning(owner_.starts[index_].path);
        owner_.starts[index_].waited = true;
    }

  private:
    MemoryProgramRunner& owner_;
    std::size_t index_;
};

}  // namespace

std::unique_ptr<RunningProgram> MemoryProgramRunner::StartProgram(const std::string& path,
                                                                  const std::string& parameters) {
    Start start{path, parameters, {}, false, false, false};
    if (describeFile) describeFile(start);
    starts.push_back(start);
    if (refuse) return nullptr;
    return std::make_unique<MemoryRunningProgram>(*this, starts.size() - 1);
}

std::unique_ptr<RunningProgram> MemoryProgramRunner::StartHidden(const std::string& commandLine) {
    starts.push_back({commandLine, {}, {}, false, false, true});
    if (refuse) return nullptr;
    return std::make_unique<MemoryRunningProgram>(*this, starts.size() - 1);
}

}  // namespace kit
