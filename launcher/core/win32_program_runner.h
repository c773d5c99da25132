// ProgramRunner and resources of the running Windows system.
#pragma once

#include "core/program_runner.h"

namespace lanvik {

class Win32ProgramRunner : public ProgramRunner {
  public:
    std::unique_ptr<RunningProgram> StartProgram(const std::string& path,
                                                 const std::string& parameters) override;
};

class Win32ModuleResources : public ModuleResources {
  public:
    std::optional<std::string> LoadResource(int id, const std::string& type) override;
};

}  // namespace lanvik
