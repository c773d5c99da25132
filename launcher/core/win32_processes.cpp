#include "core/win32_processes.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include <kit/unique_handle.h>

namespace lanvik {
namespace {

class Win32ProcessHandle : public ProcessHandle {
  public:
    explicit Win32ProcessHandle(HANDLE process) : process_(process) {}
    WaitResult Wait(std::uint32_t milliseconds) override {
        switch (WaitForSingleObject(process_.get(), milliseconds)) {
            case WAIT_OBJECT_0:
                return WaitResult::Ended;
            case WAIT_TIMEOUT:
                return WaitResult::TimedOut;
            default:
                return WaitResult::Failed;
        }
    }

  private:
    kit::UniqueHandle process_;
};

struct EnumerationState {
    const std::function<bool(const TopLevelWindow&)>* visit;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM parameter) {
    auto* state = reinterpret_cast<EnumerationState*>(parameter);
    TopLevelWindow found;
    found.window = reinterpret_cast<std::uintptr_t>(window);
    found.hasParent = GetParent(window) != nullptr;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    found.processId = processId;
    char className[256];
    std::memset(className, 0, sizeof(className));
    if (GetClassNameA(window, className, 255) > 0) found.className = std::string(className);
    return (*state->visit)(found) ? TRUE : FALSE;
}

}  // namespace

StartedProcess Win32Processes::StartByShell(const std::string& file, const std::string& parameters,
                                            int showCommand) {
    StartedProcess started;
    SHELLEXECUTEINFOA info;
    std::memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = showCommand;
    if (!ShellExecuteExA(&info)) return started;
    kit::UniqueHandle process(info.hProcess);
    if (!process) return started;

    // GetProcessId exists only from Windows XP SP1 on, so it is looked up at run time.
    using GetProcessIdFunction = DWORD(WINAPI*)(HANDLE);
    kit::UniqueLibrary kernel(LoadLibraryA("Kernel32.dll"));
    if (!kernel) return started;
    auto getProcessId = reinterpret_cast<GetProcessIdFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel.get(), "GetProcessId")));
    if (getProcessId == nullptr) return started;
    started.processId = getProcessId(process.get());
    if (started.processId != 0)
        started.handle = std::make_unique<Win32ProcessHandle>(process.release());
    return started;
}

StartedProcess Win32Processes::StartByCreateProcess(const std::string& commandText,
                                                    int showCommand) {
    StartedProcess started;
    // CreateProcessA may write into the command text, so it gets a copy of its own.
    std::vector<char> text(commandText.begin(), commandText.end());
    text.push_back('\0');
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info;
    std::memset(&info, 0, sizeof(info));
    if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &info))
        return started;
    kit::UniqueHandle thread(info.hThread);
    started.processId = info.dwProcessId;
    started.handle = std::make_unique<Win32ProcessHandle>(info.hProcess);
    return started;
}

void Win32Processes::EnumerateTopLevelWindows(
    const std::function<bool(const TopLevelWindow&)>& visit) {
    EnumerationState state{&visit};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&state));
}

void Win32Clock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace lanvik
