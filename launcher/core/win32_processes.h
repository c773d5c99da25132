// Processes, windows and time of the running Windows system.
#pragma once

#include "core/clock.h"
#include "core/processes.h"

namespace lanvik {

class Win32Processes : public Processes {
  public:
    StartedProcess StartByShell(const std::string& file, const std::string& parameters,
                                int showCommand) override;
    StartedProcess StartByCreateProcess(const std::string& commandText, int showCommand) override;
    void EnumerateTopLevelWindows(const std::function<bool(const TopLevelWindow&)>& visit) override;
};

class Win32Clock : public Clock {
  public:
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace lanvik
