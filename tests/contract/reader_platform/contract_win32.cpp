#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "contract_platform.h"
#include "kit/win32_program_runner.h"
#include "platform/files/win32_file_system.h"
#include "platform/programs/win32_host_run_time.h"
#include "platform/serial/win32_serial_line.h"
#include "platform/ui/win32_user_interface.h"

namespace reader {
namespace {

class Win32FileSystemBench : public FileSystemBench {
  public:
    Win32FileSystemBench() {
        wchar_t temp[MAX_PATH + 1] = {};
        if (GetTempPathW(MAX_PATH, temp) == 0) throw std::runtime_error("no temporary folder");
        folder_ = std::wstring(temp) + L"reader_contract_" + std::to_wstring(GetCurrentProcessId());
        RemoveFolder();
        if (!CreateDirectoryW(folder_.c_str(), nullptr)) {
            throw std::runtime_error("cannot create the contract folder");
        }
    }
    ~Win32FileSystemBench() override { RemoveFolder(); }

    FileSystem& Files() override { return files_; }
    std::wstring Folder() const override { return folder_; }
    void PutFile(const std::wstring& path, const std::string& bytes) override {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a file");
        DWORD written = 0;
        const BOOL ok =
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        if (!ok || written != bytes.size()) throw std::runtime_error("cannot write a file");
    }
    void SetReadOnly(const std::wstring& path, bool readOnly) override {
        if (!SetFileAttributesW(path.c_str(),
                                readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL)) {
            throw std::runtime_error("cannot change a file's attributes");
        }
    }

  private:
    void RemoveFolder() {
        std::error_code error;
        const std::filesystem::path root(folder_);
        if (!std::filesystem::exists(root, error)) return;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(root, error);
    }

    std::wstring folder_;
    Win32FileSystem files_;
};

// The ports come from the test that runs this program: it links them to its pseudo-terminals.
std::int16_t PortFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) {
        throw std::runtime_error(std::string(name) +
                                 " is not set: run this program through the reader_platform "
                                 "end-to-end test, which sets up its ports");
    }
    return static_cast<std::int16_t>(std::atoi(value));
}

class Win32SerialBench : public SerialBench {
  public:
    Win32SerialBench()
        : echo_(PortFromEnvironment("KIT_CONTRACT_ECHO_PORT")),
          busy_(PortFromEnvironment("KIT_CONTRACT_BUSY_PORT")),
          missing_(PortFromEnvironment("KIT_CONTRACT_MISSING_PORT")),
          line_(CreateWin32SerialLine()) {
        // As the component does: raised errors go to the debugger's output.
        SetDiagnosticSink(&WriteDebugLine);
    }
    SerialLine& Line() override { return *line_; }
    MessageLoop& Loop() override { return loop_; }
    MonotonicClock& Clock() override { return clock_; }
    std::int16_t EchoPort() const override { return echo_; }
    std::int16_t BusyPort() const override { return busy_; }
    std::int16_t MissingPort() const override { return missing_; }

  private:
    std::int16_t echo_;
    std::int16_t busy_;
    std::int16_t missing_;
    Win32MessageLoop loop_;
    Win32Clock clock_;
    std::unique_ptr<SerialLine> line_;
};

class Win32ProgramsBench : public ProgramsBench {
  public:
    kit::ProgramRunner& Runner() override { return runner_; }
    HostRunTime& Host() override { return host_; }
    std::string PresentProgram() const override { return "cmd.exe /c exit 0"; }
    std::string MissingProgram() const override {
        return WideToAnsi(OwnFolder()) + "\\no_such_program.exe 1,2";
    }
    std::wstring OwnFolder() const override {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        return std::filesystem::path(path).parent_path().wstring();
    }
    Date Today() const override {
        const std::time_t now = std::time(nullptr);
        const std::tm* local = std::localtime(&now);
        return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
    }

  private:
    static std::string WideToAnsi(const std::wstring& text) {
        return std::filesystem::path(text).string();
    }
    kit::Win32ProgramRunner runner_;
    Win32HostRunTime host_;
};

}  // namespace

std::unique_ptr<ProgramsBench> MakeProgramsBench() {
    return std::make_unique<Win32ProgramsBench>();
}

std::unique_ptr<FileSystemBench> MakeFileSystemBench() {
    return std::make_unique<Win32FileSystemBench>();
}

std::unique_ptr<SerialBench> MakeSerialBench() { return std::make_unique<Win32SerialBench>(); }

}  // namespace reader
