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
#include "kit/memory_program_runner.h"

namespace lanvik {

// The shared fake, reading what the launcher's fake files hold when a program starts.
class MemoryProgramRunner : public kit::MemoryProgramRunner {
  public:
    explicit MemoryProgramRunner(MemoryFiles& files) {
        describeFile = [&files](Start& start) {
            start.fileHeld = files.IsHeld(start.path);
            if (auto file = files.files.find(start.path); file != files.files.end()) {
                start.content = file->second;
            }
        };
    }
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
