// Starting a helper program and waiting for it to end, shared by the launcher (the repair
// program) and the reader component, so that their logic runs against Windows and against a fake
// in tests. Implementations: kit/win32_program_runner.h, kit/memory_program_runner.h.
#pragma once

#include <memory>
#include <string>

namespace kit {

// A program that was started and may still be running.
class RunningProgram {
  public:
    virtual ~RunningProgram() = default;
    // Returns when the program has ended, however long that takes.
    virtual void WaitUntilEnded() = 0;
};

class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    // Starts the program at path with the default verb (the system asks for elevation when the
    // program's manifest wants it), no owner window, no working folder, shown normally. Nothing
    // when it was not started (refused elevation included).
    virtual std::unique_ptr<RunningProgram> StartProgram(const std::string& path,
                                                         const std::string& parameters) = 0;
    // Starts a whole command line (in the ANSI code page) as a background helper is started: the
    // system takes the program from the line itself, the new process inherits the caller's
    // inheritable handles, environment and working folder, runs at normal priority, and its
    // first window starts hidden. Nothing when no process was created (the program is missing,
    // for example).
    virtual std::unique_ptr<RunningProgram> StartHidden(const std::string& commandLine) = 0;
};

}  // namespace kit
