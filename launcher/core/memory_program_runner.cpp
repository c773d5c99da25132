#include "core/memory_program_runner.h"

namespace lanvik {
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
    Start start{path, parameters, {}, files_.IsHeld(path), false};
    if (auto file = files_.files.find(path); file != files_.files.end()) {
        start.content = file->second;
    }
    starts.push_back(start);
    if (refuse) return nullptr;
    return std::make_unique<MemoryRunningProgram>(*this, starts.size() - 1);
}

}  // namespace lanvik
