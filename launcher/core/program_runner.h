// Starting a helper program and waiting for it to end (the repair program): the launcher's view, so
// that its logic runs against Windows and against a fake in tests.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace lanvik {

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
};

// The launcher's own resources.
class ModuleResources {
  public:
    virtual ~ModuleResources() = default;
    // The bytes of the resource of this type and numeric id in the launcher's own executable;
    // nothing when it cannot be found or loaded.
    virtual std::optional<std::string> LoadResource(int id, const std::string& type) = 0;
};

}  // namespace lanvik
