#include "platform/programs/win32_host_run_time.h"

#include <windows.h>

#include "core/errors.h"

namespace reader {
namespace {

// The module that holds this code: the component's DLL inside a host, the program itself in a
// test program.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

}  // namespace

std::wstring Win32HostRunTime::ApplicationPath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(OwnModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw ReaderError(kErrFileNotFound, GetLastError(), L"GetModuleFileNameW");
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    // "C:\x.dll" lies in "C:\", every other file in a folder written without its final "\".
    return path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash);
}

Date Win32HostRunTime::Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

}  // namespace reader
