#include "core/win32_program_runner.h"

#include <windows.h>
#include <shellapi.h>

#include <kit/unique_handle.h>

namespace lanvik {
namespace {

class Win32RunningProgram : public RunningProgram {
  public:
    explicit Win32RunningProgram(HANDLE process) : process_(process) {}
    void WaitUntilEnded() override { WaitForSingleObject(process_.get(), INFINITE); }

  private:
    kit::UniqueHandle process_;
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

std::optional<std::string> Win32ModuleResources::LoadResource(int id, const std::string& type) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type.c_str());
    if (!found) return {};
    DWORD size = SizeofResource(nullptr, found);
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return {};
    return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace lanvik
