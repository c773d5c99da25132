// Starting the repair program and waiting for it (shared with the reader component in
// kit/program_runner.h), and the launcher's own resources.
#pragma once

#include <optional>
#include <string>

#include "kit/program_runner.h"

namespace lanvik {

using kit::ProgramRunner;
using kit::RunningProgram;

// The launcher's own resources.
class ModuleResources {
  public:
    virtual ~ModuleResources() = default;
    // The bytes of the resource of this type and numeric id in the launcher's own executable;
    // nothing when it cannot be found or loaded.
    virtual std::optional<std::string> LoadResource(int id, const std::string& type) = 0;
};

}  // namespace lanvik
