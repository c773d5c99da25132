// ProgramRunner of the running Windows system.
#pragma once

#include "kit/program_runner.h"

namespace kit {

class Win32ProgramRunner : public ProgramRunner {
  public:
    std::unique_ptr<RunningProgram> StartProgram(const std::string& path,
                                                 const std::string& parameters) override;
    std::unique_ptr<RunningProgram> StartHidden(const std::string& commandLine) override;
};

}  // namespace kit
