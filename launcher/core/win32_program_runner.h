// ProgramRunner (shared, kit/win32_program_runner.h) and resources of the running Windows system.
#pragma once

#include "core/program_runner.h"
#include "kit/win32_program_runner.h"

namespace lanvik {

using kit::Win32ProgramRunner;

class Win32ModuleResources : public ModuleResources {
  public:
    std::optional<std::string> LoadResource(int id, const std::string& type) override;
};

}  // namespace lanvik
