#include "contract_platform.h"
#include "kit/memory_program_runner.h"
#include "platform/files/memory_file_system.h"
#include "platform/programs/memory_host_run_time.h"
#include "platform/serial/memory_serial_line.h"

namespace reader {
namespace {

class MemoryFileSystemBench : public FileSystemBench {
  public:
    MemoryFileSystemBench() { files_.folders.insert(kFolder); }
    FileSystem& Files() override { return files_; }
    std::wstring Folder() const override { return kFolder; }
    void PutFile(const std::wstring& path, const std::string& bytes) override {
        files_.files[path] = bytes;
    }
    void SetReadOnly(const std::wstring& path, bool readOnly) override {
        if (readOnly) {
            files_.readOnly.insert(path);
        } else {
            files_.readOnly.erase(path);
        }
    }

  private:
    static constexpr const wchar_t* kFolder = L"C:\\ReaderContract";
    MemoryFileSystem files_;
};

class MemorySerialBench : public SerialBench {
  public:
    MemorySerialBench() : line_(loop_) {
        line_.busyPorts.insert(kBusy);
        line_.existingPorts.erase(kMissing);
        line_.onOutput = [this](std::string_view bytes) {
            if (line_.commPort == kEcho) line_.Receive(std::string(bytes));
        };
    }
    SerialLine& Line() override { return line_; }
    MessageLoop& Loop() override { return loop_; }
    MonotonicClock& Clock() override { return loop_; }
    std::int16_t EchoPort() const override { return kEcho; }
    std::int16_t BusyPort() const override { return kBusy; }
    std::int16_t MissingPort() const override { return kMissing; }

  private:
    static constexpr std::int16_t kEcho = 5;
    static constexpr std::int16_t kBusy = 6;
    static constexpr std::int16_t kMissing = 42;
    MemoryMessageLoop loop_;
    MemorySerialLine line_;
};

class MemoryProgramsBench : public ProgramsBench {
  public:
    kit::ProgramRunner& Runner() override { return runner_; }
    HostRunTime& Host() override { return host_; }
    std::string PresentProgram() const override { return "C:\\Kit\\IR_Read.exe x"; }
    std::string MissingProgram() const override { return kMissing; }
    std::wstring OwnFolder() const override { return L"C:\\Programmi\\Murello"; }
    Date Today() const override { return {2024, 3, 15}; }

  private:
    static constexpr const char* kMissing = "C:\\Kit\\Missing.exe x";
    // The fake knows no files: it refuses the missing program's line.
    class RefusingRunner : public kit::MemoryProgramRunner {
      public:
        std::unique_ptr<kit::RunningProgram> StartHidden(const std::string& line) override {
            refuse = line == kMissing;
            return MemoryProgramRunner::StartHidden(line);
        }
    } runner_;
    MemoryHostRunTime host_;
};

}  // namespace

std::unique_ptr<ProgramsBench> MakeProgramsBench() {
    return std::make_unique<MemoryProgramsBench>();
}

std::unique_ptr<FileSystemBench> MakeFileSystemBench() {
    return std::make_unique<MemoryFileSystemBench>();
}

std::unique_ptr<SerialBench> MakeSerialBench() { return std::make_unique<MemorySerialBench>(); }

}  // namespace reader
