// Fake processes and resources for native tests: every start is recorded with what the file
// held and whether it was held open at that moment; starts can be refused on request.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/memory_files.h"
#include "core/program_runner.h"

namespace lanvik {

class MemoryProgramRunner : public ProgramRunner {
  public:
    explicit MemoryProgramRunner(MemoryFiles& files) : files_(files) {}

    struct Start {
        std::string path;
        std::string parameters;
        std::optional<std::string> content;  // the file's bytes when it was started
        bool fileHeld = false;               // held open by the launcher at that moment
        bool waited = false;                 // the launcher waited until it ended
    };

    std::unique_ptr<RunningProgram> StartProgram(const std::string& path,
                                                 const std::string& parameters) override;

    std::vector<Start> starts;
    bool refuse = false;  // the user refuses elevation, or the start fails
    // Runs while the started program runs: another program's chance to interfere.
    std::function<void(const std::string& path)> whileRunning;

  private:
    MemoryFiles& files_;
};

class MemoryModuleResources : public ModuleResources {
  public:
    std::optional<std::string> LoadResource(int id, const std::string& type) override {
        auto found = resources.find({id, type});
        if (found == resources.end()) return {};
        return found->second;
    }
    std::map<std::pair<int, std::string>, std::string> resources;
};

}  // namespace lanvik
