// What the reader's contract suites run against: natively the in-memory files and serial line,
// in the Windows build the real ones. Each bench also does what a test needs beyond the
// interface (making a file, making it read-only, naming the ports).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kit/program_runner.h"
#include "platform/files/file_system.h"
#include "platform/programs/host_run_time.h"
#include "platform/serial/serial_line.h"
#include "platform/ui/user_interface.h"

namespace reader {

class FileSystemBench {
  public:
    virtual ~FileSystemBench() = default;
    virtual FileSystem& Files() = 0;
    // An existing, empty folder of this bench alone (no trailing "\"), removed afterwards.
    virtual std::wstring Folder() const = 0;
    // Writes a file with exactly these bytes.
    virtual void PutFile(const std::wstring& path, const std::string& bytes) = 0;
    virtual void SetReadOnly(const std::wstring& path, bool readOnly) = 0;
};
std::unique_ptr<FileSystemBench> MakeFileSystemBench();

class SerialBench {
  public:
    virtual ~SerialBench() = default;
    virtual SerialLine& Line() = 0;  // a new line, closed, on this thread
    virtual MessageLoop& Loop() = 0;
    virtual MonotonicClock& Clock() = 0;
    // A port whose device sends back every byte it receives (a loop-back plug).
    virtual std::int16_t EchoPort() const = 0;
    // A port that exists but is held by another program.
    virtual std::int16_t BusyPort() const = 0;
    // A port number that leads to no device.
    virtual std::int16_t MissingPort() const = 0;
};
// Throws std::runtime_error when the ports are not set up.
std::unique_ptr<SerialBench> MakeSerialBench();

class ProgramsBench {
  public:
    virtual ~ProgramsBench() = default;
    virtual kit::ProgramRunner& Runner() = 0;
    virtual HostRunTime& Host() = 0;
    // Command lines of a program that ends by itself at once, and of one that does not exist.
    virtual std::string PresentProgram() const = 0;
    virtual std::string MissingProgram() const = 0;
    // The folder of the file that runs this code, and today, as known without the host run time.
    virtual std::wstring OwnFolder() const = 0;
    virtual Date Today() const = 0;
};
std::unique_ptr<ProgramsBench> MakeProgramsBench();

}  // namespace reader
