// Fake program starts for native tests: every start is recorded, with what the caller's fake
// file system says about the program file at that moment; starts can be refused on request.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kit/program_runner.h"

namespace kit {

class MemoryProgramRunner : public ProgramRunner {
  public:
    struct Start {
        std::string path;  // the program, or the whole command line of a hidden start
        std::string parameters;
        std::optional<std::string> content;  // the file's bytes when it was started
        bool fileHeld = false;               // held open by the caller at that moment
        bool waited = false;                 // the caller waited until it ended
        bool hidden = false;                 // started by StartHidden
    };

    std::unique_ptr<RunningProgram> StartProgram(const std::string& path,
                                                 const std::string& parameters) override;
    std::unique_ptr<RunningProgram> StartHidden(const std::string& commandLine) override;

    std::vector<Start> starts;
    bool refuse = false;  // the user refuses elevation, or the start fails
    // Fills content and fileHeld of a start from the caller's fake files.
    std::function<void(Start&)> describeFile;
    // Runs while the started program runs: another program's chance to interfere.
    std::function<void(const std::string& path)> whileRunning;
};

}  // namespace kit
