#include "kit/win32_program_runner.h"

#include <windows.h>
#include <shellapi.h>

#include "kit/unique_handle.h"

namespace kit {
namespace {

class Win32RunningProgram : public RunningProgram {
  public:
    explicit Win32RunningProgram(HANDLE process) : process_(process) {}
    void WaitUntilEnded() override { WaitForSingleObject(process_.get(), INFINITE); }

  private:
    UniqueHandle process_;
};

}  // namespace

std::unique_ptr<RunningProgram> Win32ProgramRunner::StartProgram(const std::string& path,
                                                                 const std::string& parameters) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = path.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
    // A refused elevation or a failed start leaves no process to wait for.
    if (!info.hProcess) return nullptr;
    return std::make_unique<Win32RunningProgram>(info.hProcess);
}

std::unique_ptr<RunningProgram> Win32ProgramRunner::StartHidden(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;  // CreateProcessA may write into the line it is given
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process)) {
        return nullptr;
    }
    const UniqueHandle thread(process.hThread);
    return std::make_unique<Win32RunningProgram>(process.hProcess);
}

}  // namespace kit
